#include "chapters/ChapterForms.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace tessaro::chapter_forms {
namespace {

// Far past any audio's end, yet nowhere near overflowing what holds it.
constexpr double kFarMs = 1e15;

QString LineNumber(qsizetype index) {
    return QStringLiteral("line %1").arg(index + 1);
}

bool Fault(QString* error, const QString& where, const QString& fault) {
    *error = where + QStringLiteral(": ") + fault;
    return false;
}

// Milliseconds in `seconds`, a number a file gives, to the nearest.
quint64 MsOf(double seconds) {
    return quint64(std::llround(std::min(seconds * 1000, kFarMs)));
}

// `text` with a backslash that ends it written as U+2216 SET MINUS, which looks alike: a reader
// that takes it as an escape would run on past the text's end.
QString WithoutTrailingBackslash(const QString& text) {
    return text.endsWith(u'\\') ? text.chopped(1) + QChar(0x2216) : text;
}

// What may stand between a time and a title, spaces around it.
const QString& Separators() {
    static const QString kSeparators = QStringLiteral("[-–—:|]");
    return kSeparators;
}

// --- CUE sheets ---

// Its frames are 1/75 s: 40/3 ms. A start is read at the millisecond nearest its frame, and
// written at the frame nearest it, so that what is read writes back the same and a start moves
// by at most 7 ms.
quint64 CueFrameMs(quint64 frames) {
    return (frames * 40 + 1) / 3;
}
// The frame nearest the start of `chapter`, or the one before where that is not before its end.
quint64 CueFrames(const Chapter& chapter) {
    const quint64 nearest = (quint64(chapter.startMs) * 3 + 20) / 40;
    return CueFrameMs(nearest) < chapter.endMs ? nearest : quint64(chapter.startMs) * 3 / 40;
}

// A CUE sheet has no way to quote a quotation mark, and cuetools takes a backslash before the
// closing one as an escape, running the text on into the next lines.
QString CueText(const QString& text) {
    return WithoutTrailingBackslash(QString(text).replace(QLatin1Char('"'), QLatin1Char('\'')));
}

// A TITLE's value: between its quotation marks, the first and the last (which readers of
// sheets written by hand meet), or as it stands without them.
QString Unquoted(const QString& value) {
    if (!value.startsWith(QLatin1Char('"'))) {
        return value;
    }
    const qsizetype last = value.lastIndexOf(QLatin1Char('"'));
    return last > 0 ? value.mid(1, last - 1) : value.mid(1);
}

// A TRACK of a sheet being read: its line, title and where its INDEX 01 puts it.
struct CueTrack {
    qsizetype line;
    QString title;
    std::optional<Entry> start;
};

bool CloseTrack(std::optional<CueTrack>& track, Entries& entries, QString* error) {
    if (!track) {
        return true;
    }
    if (!track->start) {
        return Fault(error, LineNumber(track->line), QStringLiteral("the TRACK has no INDEX 01"));
    }
    track->start->title = track->title;
    entries.push_back(*track->start);
    track.reset();
    return true;
}

// The white space between a CUE sheet's words.
const QRegularExpression& Space() {
    static const QRegularExpression kSpace(QStringLiteral("\\s"));
    return kSpace;
}

// The file a FILE line's `value` names: between its quotation marks, or before the type behind
// it.
QString FileNamed(const QString& value) {
    if (value.startsWith(QLatin1Char('"'))) {
        return Unquoted(value);
    }
    const qsizetype type = value.lastIndexOf(Space());
    return type < 0 ? value : value.left(type).trimmed();
}

// Takes an INDEX line's `value` for the track, its time counted from the start of the FILE line
// `file` (-1 for none); false, with *error, for one that is not.
bool TakeIndex(const QString& value, qsizetype line, qsizetype file, std::optional<CueTrack>& track,
               QString* error) {
    static const QRegularExpression kIndex(
        QStringLiteral(R"(^(\d{1,2})\s+(\d{1,5}):([0-5]\d):([0-6]\d|7[0-4])$)"));
    const QRegularExpressionMatch match = kIndex.match(value);
    if (!match.hasMatch()) {
        return Fault(error, LineNumber(line),
                     QStringLiteral("%1 is not an index (\"INDEX 01 mm:ss:ff\")")
                         .arg(Shown(QStringLiteral("INDEX ") + value)));
    }
    if (!track) {
        return Fault(error, LineNumber(line), QStringLiteral("an INDEX stands before any TRACK"));
    }
    if (match.captured(1).toInt() == 1) {
        const quint64 frames =
            (match.captured(2).toULongLong() * 60 + match.captured(3).toULongLong()) * 75 +
            match.captured(4).toULongLong();
        track->start = Entry{LineNumber(line), CueFrameMs(frames), QString(), true, file};
    }
    return true;
}

// --- FFMETADATA ---

// ffmpeg's own timebase, where a chapter names none: 1/1000000000 s.
constexpr quint64 kFfDefaultDen = 1000000000;

// Whether `line` ends in a backslash that escapes its line break.
bool EndsEscaped(const QString& line) {
    qsizetype backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == u'\\') {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// The lines of an FFMETADATA file as ffmpeg (libavformat's ffmetadec.c) takes them, so that what
// is read here is what ffmpeg reads. It reads the TIMEBASE, START and END lines behind a
// [CHAPTER] one way: a backslash escapes the character behind it, a line feed too, and only a line
// feed ends a line. It reads every other line another: a carriage return ends one as well, unless
// right behind a backslash, and a line feed right behind any backslash, even an escaped one, does
// not. Both pass over empty lines and those starting with ';' or '#'.
class FfLines {
public:
    // `raw`: the file split at its line feeds, carriage returns kept.
    explicit FfLines(const QStringList& raw) : raw(raw) {}
    // The next line not passed over, read as a chapter's times are where `times`; none at the end.
    std::optional<QString> Next(bool times) {
        while (next < raw.size()) {
            at = next;
            QString line = raw[next++];
            while ((times ? EndsEscaped(line) : line.endsWith(u'\\')) && next < raw.size()) {
                line += QLatin1Char('\n') + raw[next++];
            }
            if (!times && line.endsWith(u'\r') && !line.chopped(1).endsWith(u'\\')) {
                line.chop(1);
            }
            const bool blank = times ? line.isEmpty() : line.trimmed().isEmpty();
            if (!blank && !line.startsWith(u';') && !line.startsWith(u'#')) {
                return line;
            }
        }
        at = raw.size();
        return std::nullopt;
    }
    // Where the line read last starts, from 0.
    qsizetype At() const { return at; }

private:
    const QStringList& raw;
    qsizetype next = 0;
    qsizetype at = 0;
};

// Whether the two ways of reading agree on where lines end, as they do but at a NUL or a carriage
// return before anything but a line feed (or the end); false, with *error, for a line holding
// one.
bool FfEndsAgree(const QStringList& raw, QString* error) {
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype cr = raw[i].indexOf(u'\r');
        if (raw[i].contains(QChar(0))) {
            return Fault(error, LineNumber(i), QStringLiteral("it holds a NUL character"));
        }
        if (cr >= 0 && cr + 1 < raw[i].size()) {
            return Fault(error, LineNumber(i),
                         QStringLiteral("a carriage return stands apart from a line feed"));
        }
    }
    return true;
}

// `text` without its escaping backslashes, as ffmpeg reads a key or value (dropping one that
// escapes nothing); *equals is where its first unescaped '=' stands in what is returned (-1 for
// none).
QString Unescaped(const QString& text, qsizetype* equals) {
    QString plain;
    *equals = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            if (++i < text.size()) {
                plain += text[i];
            }
        } else {
            if (text[i] == u'=' && *equals < 0) {
                *equals = plain.size();
            }
            plain += text[i];
        }
    }
    return plain;
}

// `text` with a backslash before each character ffmpeg gives a meaning. ffmpeg takes a line
// ending in a backslash, escaped or not, to go on, so a last backslash is written as another.
QString FfEscaped(const QString& text) {
    QString escaped;
    for (const QChar c : WithoutTrailingBackslash(text)) {
        if (QStringView(u"=;#\\").contains(c)) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

// A chapter's time in milliseconds: `ticks` of `num`/`den` s, to the nearest as ffmpeg rescales.
quint64 FfMs(quint64 ticks, quint64 num, quint64 den) {
    using Wide = unsigned __int128;
    const Wide ms = (Wide(ticks) * num * 1000 + den / 2) / den;
    return ms > Wide(kFarMs) ? quint64(kFarMs) : quint64(ms);
}

// The ticks `key` (START or END) gives on `line`, the one ffmpeg reads it from, of the [CHAPTER]
// at `chapter`; none, with *error, where that line does not give it.
std::optional<quint64> FfTicks(const char* key, const std::optional<QString>& line,
                               const FfLines& lines, qsizetype chapter, QString* error) {
    static const QRegularExpression kTicks(QStringLiteral(R"(^\d{1,18}\s*$)"));
    const QString prefix = QLatin1String(key) + QLatin1Char('=');
    if (!line) {
        Fault(error, LineNumber(chapter),
              QStringLiteral("the [CHAPTER] has no %1").arg(QLatin1String(key)));
    } else if (!line->startsWith(prefix)) {
        Fault(error, LineNumber(lines.At()),
              QStringLiteral("%1 stands where ffmpeg reads the chapter's %2 (\"%2=0\")")
                  .arg(Shown(*line), QLatin1String(key)));
    } else if (const QString value = line->mid(prefix.size()); !kTicks.match(value).hasMatch()) {
        Fault(error, LineNumber(lines.At()),
              QStringLiteral("%1=%2 is not a whole number").arg(QLatin1String(key), Shown(value)));
    } else {
        return value.trimmed().toULongLong();
    }
    return std::nullopt;
}

// The times of the [CHAPTER] at `chapter`, read from the lines behind it as ffmpeg reads them:
// TIMEBASE where given, then START and END; none, with *error, for lines that do not give them.
std::optional<Entry> ReadFfTimes(FfLines& lines, qsizetype chapter, QString* error) {
    static const QRegularExpression kTimebase(
        QStringLiteral(R"(^TIMEBASE=([1-9]\d{0,9})/([1-9]\d{0,9})\s*$)"));
    constexpr quint64 kMaxInt = 2147483647;  // ffmpeg reads each part as an int
    quint64 num = 1;
    quint64 den = kFfDefaultDen;
    std::optional<QString> line = lines.Next(true);
    if (line && line->startsWith(QLatin1String("TIMEBASE="))) {
        const QRegularExpressionMatch match = kTimebase.match(*line);
        num = match.captured(1).toULongLong();
        den = match.captured(2).toULongLong();
        if (!match.hasMatch() || num > kMaxInt || den > kMaxInt) {
            Fault(error, LineNumber(lines.At()),
                  QStringLiteral("TIMEBASE=%1 is not a fraction of a second (\"1/1000\")")
                      .arg(Shown(line->mid(9))));
            return std::nullopt;
        }
        line = lines.Next(true);
    }
    const std::optional<quint64> start = FfTicks("START", line, lines, chapter, error);
    const std::optional<quint64> end =
        start ? FfTicks("END", lines.Next(true), lines, chapter, error) : std::nullopt;
    if (!end) {
        return std::nullopt;
    }
    // ffmpeg refuses the whole file then.
    if (*end < *start) {
        Fault(error, LineNumber(lines.At()),
              QStringLiteral("END=%1 comes before the START (%2)").arg(*end).arg(*start));
        return std::nullopt;
    }
    Entry entry{LineNumber(chapter), FfMs(*start, num, den), QString()};
    entry.endMs = FfMs(*end, num, den);
    return entry;
}

// --- Podcasting 2.0 JSON ---

// Seconds an entry gives at `key`, in milliseconds: none where it gives none; false, with *error,
// for what is not a number of seconds.
bool TakeJsonSeconds(const QJsonObject& entry, const char* key, const QString& where,
                     std::optional<quint64>* ms, QString* error) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isDouble()) {
        return Fault(error, where,
                     QStringLiteral("\"%1\" is not a number of seconds").arg(QLatin1String(key)));
    }
    if (value.toDouble() < 0) {
        return Fault(
            error, where,
            QStringLiteral("\"%1\" %2 is negative").arg(QLatin1String(key)).arg(value.toDouble()));
    }
    *ms = MsOf(value.toDouble());
    return true;
}

// The text an entry gives at `key`, empty where it gives none; false, with *error, for what is
// not text.
bool TakeJsonText(const QJsonObject& entry, const char* key, const QString& where, QString* text,
                  QString* error) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isUndefined() && !value.isString()) {
        return Fault(error, where, QStringLiteral("\"%1\" is not text").arg(QLatin1String(key)));
    }
    *text = value.toString();
    return true;
}

// The entry `value` at `where`; false, with *error, for one that is not a chapter's.
bool TakeJsonEntry(const QJsonValue& value, const QString& where, Entries& entries,
                   QString* error) {
    if (!value.isObject()) {
        return Fault(error, where, QStringLiteral("it is not an object"));
    }
    const QJsonObject object = value.toObject();
    const QJsonValue toc = object.value(QLatin1String("toc"));
    Entry entry{where, 0, QString()};
    std::optional<quint64> start;
    if (!TakeJsonSeconds(object, "startTime", where, &start, error) ||
        !TakeJsonSeconds(object, "endTime", where, &entry.endMs, error) ||
        !TakeJsonText(object, "title", where, &entry.title, error) ||
        !TakeJsonText(object, "url", where, &entry.links.page, error) ||
        !TakeJsonText(object, "img", where, &entry.links.picture, error)) {
        return false;
    }
    if (!start) {
        return Fault(error, where, QStringLiteral("\"startTime\" is not a number of seconds"));
    }
    if (!toc.isUndefined() && !toc.isBool()) {
        return Fault(error, where, QStringLiteral("\"toc\" is neither true nor false"));
    }
    entry.ms = *start;
    entry.listed = toc.toBool(true);
    entries.push_back(entry);
    return true;
}

}  // namespace

QStringList LinesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines[0].startsWith(QChar(0xFEFF))) {
        lines[0].remove(0, 1);
    }
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    return lines;
}

QString Trimmed(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c.isSpace() || c == QChar(0xFEFF); };
    while (first < end && blank(text[first])) {
        ++first;
    }
    while (end > first && blank(text[end - 1])) {
        --end;
    }
    return text.mid(first, end - first);
}

bool StartsAsLabel(const QString& line) {
    static const QRegularExpression kLabelStart(QStringLiteral(R"(^\d+(?:[.,]\d*)?\t)"));
    return kLabelStart.match(line).hasMatch();
}

bool IsCueCommand(const QString& word) {
    static const QSet<QString> kCommands{
        QStringLiteral("REM"),    QStringLiteral("FILE"),      QStringLiteral("TRACK"),
        QStringLiteral("TITLE"),  QStringLiteral("PERFORMER"), QStringLiteral("SONGWRITER"),
        QStringLiteral("INDEX"),  QStringLiteral("CATALOG"),   QStringLiteral("CDTEXTFILE"),
        QStringLiteral("FLAGS"),  QStringLiteral("ISRC"),      QStringLiteral("PREGAP"),
        QStringLiteral("POSTGAP")};
    return kCommands.contains(word.toUpper());
}

QString TimeText(quint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

const QRegularExpression& Controls() {
    static const QRegularExpression kControls(QStringLiteral("[\\p{Cc}\\x{2028}\\x{2029}]+"));
    return kControls;
}

QString Shown(const QString& line) {
    return QLatin1Char('"') +
           line.left(80).replace(Controls(), QString(QChar::ReplacementCharacter)) +
           QLatin1Char('"');
}

std::optional<Entries> ReadLines(const QString& text, QString* error) {
    // Hours, minutes and seconds, or minutes (as many as there are) and seconds; then the title,
    // a separator before it or not ("12:34 - Part two").
    static const QRegularExpression kLine(
        QStringLiteral(
            R"(^(?:(\d{1,6}):([0-5]\d)|(\d{1,4})):([0-5]\d)(?:[.,](\d{1,3}))?(?:\s+(?:%1(?=\s|$))?(.*))?$)")
            .arg(Separators()));
    Entries entries;
    const QStringList lines = LinesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch match = kLine.match(line);
        if (!match.hasMatch()) {
            Fault(error, LineNumber(i),
                  QStringLiteral("%1 is not a chapter (\"HH:MM:SS.mmm Title\" or \"MM:SS Title\")")
                      .arg(Shown(line)));
            return std::nullopt;
        }
        const quint64 minutes = match.captured(1).toULongLong() * 60 +
                                match.captured(2).toULongLong() + match.captured(3).toULongLong();
        const quint64 ms = minutes * 60000 + match.captured(4).toULongLong() * 1000 +
                           match.captured(5).leftJustified(3, QLatin1Char('0')).toULongLong();
        entries.push_back({LineNumber(i), ms, match.captured(6)});
    }
    return entries;
}

std::optional<Entries> ReadCue(const QString& text, std::vector<CueFile>* files, QString* error) {
    Entries entries;
    std::optional<CueTrack> track;
    const QStringList lines = LinesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype space = line.indexOf(Space());
        const QString command = line.left(space).toUpper();
        const QString value = space < 0 ? QString() : line.mid(space).trimmed();
        bool taken = true;
        if (line.isEmpty()) {
            continue;
        } else if (command == QLatin1String("TRACK")) {
            taken = CloseTrack(track, entries, error);
            track = CueTrack{i, QString(), std::nullopt};
        } else if (command == QLatin1String("TITLE")) {
            if (track) {  // the sheet's own is the book's
                track->title = Unquoted(value);
            }
        } else if (command == QLatin1String("FILE")) {
            files->push_back({LineNumber(i), FileNamed(value)});
        } else if (command == QLatin1String("INDEX")) {
            taken = TakeIndex(value, i, qsizetype(files->size()) - 1, track, error);
        } else if (!IsCueCommand(command)) {
            taken = Fault(error, LineNumber(i),
                          QStringLiteral("%1 is not a line of a CUE sheet").arg(Shown(line)));
        }
        if (!taken) {
            return std::nullopt;
        }
    }
    if (!CloseTrack(track, entries, error)) {
        return std::nullopt;
    }
    return entries;
}

std::optional<Entries> ReadFfMetadata(const QString& text, QString* error) {
    QStringList raw = text.split(QLatin1Char('\n'));
    if (raw[0].startsWith(QChar(0xFEFF))) {
        raw[0].remove(0, 1);
    }
    if (!raw[0].startsWith(QLatin1String(";FFMETADATA"))) {
        Fault(error, LineNumber(0), QStringLiteral("it does not start with \";FFMETADATA1\""));
        return std::nullopt;
    }
    if (!FfEndsAgree(raw, error)) {
        return std::nullopt;
    }
    Entries entries;
    std::optional<Entry> chapter;
    FfLines lines(raw);
    while (const std::optional<QString> line = lines.Next(false)) {
        const qsizetype at = lines.At();
        // ffmpeg takes a line starting so as the section, whatever follows.
        const bool chapterStarts = line->startsWith(QLatin1String("[CHAPTER]"));
        if (chapterStarts || line->startsWith(QLatin1String("[STREAM]"))) {
            if (chapter) {
                entries.push_back(*chapter);
            }
            chapter = chapterStarts ? ReadFfTimes(lines, at, error) : std::nullopt;
            if (chapterStarts && !chapter) {
                return std::nullopt;
            }
            continue;
        }
        if (line->startsWith(u'[')) {
            Fault(error, LineNumber(at),
                  QStringLiteral("%1 is no section ffmpeg reads ([CHAPTER] or [STREAM])")
                      .arg(Shown(*line)));
            return std::nullopt;
        }
        qsizetype equals = -1;
        const QString plain = Unescaped(*line, &equals);
        if (equals < 0) {
            Fault(error, LineNumber(at),
                  QStringLiteral("%1 is neither a [SECTION] nor KEY=VALUE").arg(Shown(*line)));
            return std::nullopt;
        }
        // ffmpeg finds keys by their ASCII letters in either case.
        static const QRegularExpression kTitle(QStringLiteral("^[Tt][Ii][Tt][Ll][Ee]$"));
        if (chapter && kTitle.match(plain.left(equals)).hasMatch()) {
            chapter->title = plain.mid(equals + 1);
        }
    }
    if (chapter) {
        entries.push_back(*chapter);
    }
    return entries;
}

std::optional<Entries> ReadJson(const QString& text, QString* error) {
    const QByteArray bytes = text.toUtf8();
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        Fault(error, LineNumber(bytes.left(parse.offset).count('\n')),
              QStringLiteral("it is not JSON (%1)").arg(parse.errorString()));
        return std::nullopt;
    }
    const QJsonValue chapters = document.object().value(QLatin1String("chapters"));
    if (!chapters.isArray()) {
        *error = QStringLiteral("it holds no \"chapters\" list");
        return std::nullopt;
    }
    Entries entries;
    const QJsonArray list = chapters.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!TakeJsonEntry(list[i], QStringLiteral("entry %1 of \"chapters\"").arg(i + 1), entries,
                           error)) {
            return std::nullopt;
        }
    }
    return entries;
}

std::optional<Entries> ReadLabels(const QString& text, QString* error) {
    static const QRegularExpression kLabel(
        QStringLiteral(R"(^(\d{1,9}(?:[.,]\d*)?)\t(-?\d{1,9}(?:[.,]\d*)?)(?:\t(.*))?$)"));
    Entries entries;
    const QStringList lines = LinesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Behind a spectral label, a line of its frequencies.
        if (lines[i].trimmed().isEmpty() || lines[i].startsWith(QLatin1Char('\\'))) {
            continue;
        }
        const QRegularExpressionMatch match = kLabel.match(lines[i]);
        if (!match.hasMatch()) {
            Fault(error, LineNumber(i),
                  QStringLiteral("%1 is not a label (\"start<TAB>end<TAB>title\", in seconds)")
                      .arg(Shown(lines[i])));
            return std::nullopt;
        }
        // Some of Audacity's translations write a decimal comma.
        const auto seconds = [&match](int part) {
            return match.captured(part).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        };
        Entry entry{LineNumber(i), MsOf(seconds(1)), match.captured(3)};
        // A label before zero ends nowhere the audio is.
        if (seconds(2) >= 0) {
            entry.endMs = MsOf(seconds(2));
        }
        entries.push_back(entry);
    }
    return entries;
}

QString WriteLines(const std::vector<Chapter>& chapters) {
    // Where the title begins as a separator would, one is written before it, which the reader
    // passes over; a chapter without a title is its time alone.
    static const QRegularExpression kSeparated(QStringLiteral(R"(^%1(?:\s|$))").arg(Separators()));
    QString text;
    for (const Chapter& chapter : chapters) {
        text += TimeText(chapter.startMs);
        if (!chapter.title.isEmpty()) {
            text += (kSeparated.match(chapter.title).hasMatch() ? QStringLiteral(" - ")
                                                                : QStringLiteral(" ")) +
                    chapter.title;
        }
        text += QLatin1Char('\n');
    }
    return text;
}

std::optional<QString> WriteCue(const std::vector<Chapter>& chapters, const ChapterSheet& sheet,
                                QString* error) {
    const auto quoted = [](const char* command, const QString& value, const char* indent) {
        return value.isEmpty()
                   ? QString()
                   : QStringLiteral("%1%2 \"%3\"\n")
                         .arg(QLatin1String(indent), QLatin1String(command), CueText(value));
    };
    QString text = quoted("PERFORMER", sheet.performer, "") + quoted("TITLE", sheet.title, "") +
                   QStringLiteral("FILE \"%1\" MP3\n").arg(CueText(sheet.audioFile));
    for (size_t i = 0; i < chapters.size(); ++i) {
        const quint64 frames = CueFrames(chapters[i]);
        if (i > 0 && frames <= CueFrames(chapters[i - 1])) {
            *error = QStringLiteral(
                         "chapters %1 and %2 start within one 1/75 s, which a CUE "
                         "sheet cannot tell apart")
                         .arg(i)
                         .arg(i + 1);
            return std::nullopt;
        }
        text += QStringLiteral("  TRACK %1 AUDIO\n").arg(i + 1, 2, 10, QLatin1Char('0')) +
                quoted("TITLE", chapters[i].title, "    ") +
                quoted("PERFORMER", sheet.performer, "    ") +
                QStringLiteral("    INDEX 01 %1:%2:%3\n")
                    .arg(frames / 4500, 2, 10, QLatin1Char('0'))
                    .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
                    .arg(frames % 75, 2, 10, QLatin1Char('0'));
    }
    return text;
}

QString WriteFfMetadata(const std::vector<Chapter>& chapters) {
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (const Chapter& chapter : chapters) {
        // In the order ffmpeg reads them.
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\n")
                    .arg(chapter.startMs)
                    .arg(chapter.endMs);
        if (!chapter.title.isEmpty()) {
            text += QStringLiteral("title=") + FfEscaped(chapter.title) + QLatin1Char('\n');
        }
    }
    return text;
}

QString WriteJson(const std::vector<Chapter>& chapters) {
    QJsonArray list;
    for (const Chapter& chapter : chapters) {
        QJsonObject entry{{QStringLiteral("startTime"), chapter.startMs / 1000.0}};
        const auto text = [&entry](const char* key, const QString& value) {
            if (!value.isEmpty()) {
                entry.insert(QLatin1String(key), value);
            }
        };
        text("title", chapter.title);
        text("url", chapter.links.page);
        text("img", chapter.links.picture);
        if (chapter.endTold) {
            entry.insert(QStringLiteral("endTime"), chapter.endMs / 1000.0);
        }
        if (!chapter.listed) {
            entry.insert(QStringLiteral("toc"), false);
        }
        list.append(entry);
    }
    const QJsonObject root{{QStringLiteral("version"), QStringLiteral("1.2.0")},
                           {QStringLiteral("chapters"), list}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

QString WriteLabels(const std::vector<Chapter>& chapters) {
    QString text;
    for (const Chapter& chapter : chapters) {
        // As Audacity writes them, to the microsecond.
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(QString::number(chapter.startMs / 1000.0, 'f', 6),
                         QString::number(chapter.endMs / 1000.0, 'f', 6), chapter.title);
    }
    return text;
}

}  // namespace tessaro::chapter_forms
