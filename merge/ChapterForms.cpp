#include "merge/ChapterForms.h"

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

// --- CUE sheets ---

// Its frames are 1/75 s: 40/3 ms. A start read is taken at the frame's first whole millisecond,
// and one written at the frame it falls in, so that what is read writes back the same.
quint64 CueFrameMs(quint64 frames) {
    return (frames * 40 + 2) / 3;
}
quint64 CueFrames(quint64 ms) {
    return ms * 3 / 40;
}

// A CUE sheet has no way to quote a quotation mark.
QString CueText(const QString& text) {
    return QString(text).replace(QLatin1Char('"'), QLatin1Char('\''));
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

// ffmpeg's own, where a chapter names none.
constexpr double kFfDefaultTimebase = 1e-9;

// Whether `line` ends in a backslash that escapes its line break.
bool EndsEscaped(const QString& line) {
    qsizetype backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == u'\\') {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// `text` without its escaping backslashes; *equals is where its first unescaped '=' stands in
// what is returned (-1 for none).
QString Unescaped(const QString& text, qsizetype* equals) {
    QString plain;
    *equals = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            plain += text[++i];
        } else if (text[i] == u'=' && *equals < 0) {
            *equals = plain.size();
            plain += text[i];
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// `text` with a backslash before each character ffmpeg gives a meaning.
QString FfEscaped(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (QStringView(u"=;#\\").contains(c)) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

// A [CHAPTER] being read.
struct FfChapter {
    qsizetype line;
    double timebase = kFfDefaultTimebase;
    std::optional<quint64> start;
    QString title;
};

bool CloseChapter(std::optional<FfChapter>& chapter, Entries& entries, QString* error) {
    if (!chapter) {
        return true;
    }
    if (!chapter->start) {
        return Fault(error, LineNumber(chapter->line),
                     QStringLiteral("the [CHAPTER] has no START"));
    }
    entries.push_back({LineNumber(chapter->line), MsOf(double(*chapter->start) * chapter->timebase),
                       chapter->title});
    chapter.reset();
    return true;
}

// Takes `key`=`value` of the line at `line` for the chapter; false, with *error, for a value its
// key cannot take.
bool TakeKey(const QString& key, const QString& value, qsizetype line, FfChapter& chapter,
             QString* error) {
    static const QRegularExpression kTimebase(QStringLiteral(R"(^([1-9]\d{0,8})/([1-9]\d{0,9})$)"));
    static const QRegularExpression kStart(QStringLiteral(R"(^\d{1,18}$)"));
    if (key == QLatin1String("TIMEBASE")) {
        const QRegularExpressionMatch match = kTimebase.match(value);
        if (!match.hasMatch()) {
            return Fault(error, LineNumber(line),
                         QStringLiteral("TIMEBASE=%1 is not a fraction of a second (\"1/1000\")")
                             .arg(Shown(value)));
        }
        chapter.timebase = match.captured(1).toDouble() / match.captured(2).toDouble();
    } else if (key == QLatin1String("START")) {
        if (!kStart.match(value).hasMatch()) {
            return Fault(error, LineNumber(line),
                         QStringLiteral("START=%1 is not a whole number").arg(Shown(value)));
        }
        chapter.start = value.toULongLong();
    } else if (key.compare(QLatin1String("title"), Qt::CaseInsensitive) == 0) {
        chapter.title = value;
    }
    return true;
}

// --- Podcasting 2.0 JSON ---

// The entry `value` at `where`; false, with *error, for one that is not a chapter's.
bool TakeJsonEntry(const QJsonValue& value, const QString& where, Entries& entries,
                   QString* error) {
    if (!value.isObject()) {
        return Fault(error, where, QStringLiteral("it is not an object"));
    }
    const QJsonObject entry = value.toObject();
    const QJsonValue start = entry.value(QLatin1String("startTime"));
    const QJsonValue title = entry.value(QLatin1String("title"));
    const QJsonValue toc = entry.value(QLatin1String("toc"));
    if (!start.isDouble()) {
        return Fault(error, where, QStringLiteral("\"startTime\" is not a number of seconds"));
    }
    if (start.toDouble() < 0) {
        return Fault(error, where,
                     QStringLiteral("\"startTime\" %1 is negative").arg(start.toDouble()));
    }
    if (!title.isUndefined() && !title.isString()) {
        return Fault(error, where, QStringLiteral("\"title\" is not text"));
    }
    if (!toc.isUndefined() && !toc.isBool()) {
        return Fault(error, where, QStringLiteral("\"toc\" is neither true nor false"));
    }
    entries.push_back({where, MsOf(start.toDouble()), title.toString(), toc.toBool(true)});
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
    static const QRegularExpression kControls(QStringLiteral("\\p{Cc}+"));
    return kControls;
}

QString Shown(const QString& line) {
    return QLatin1Char('"') +
           line.left(80).replace(Controls(), QString(QChar::ReplacementCharacter)) +
           QLatin1Char('"');
}

std::optional<Entries> ReadLines(const QString& text, QString* error) {
    // Hours, minutes and seconds, or minutes (as many as there are) and seconds.
    static const QRegularExpression kLine(QStringLiteral(
        R"(^(?:(\d{1,6}):([0-5]\d)|(\d{1,4})):([0-5]\d)(?:[.,](\d{1,3}))?(?:\s+(.*))?$)"));
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
    const QStringList lines = LinesOf(text);
    if (!lines[0].startsWith(QLatin1String(";FFMETADATA"))) {
        Fault(error, LineNumber(0), QStringLiteral("it does not start with \";FFMETADATA1\""));
        return std::nullopt;
    }
    Entries entries;
    std::optional<FfChapter> chapter;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype at = i;
        QString line = lines[i];
        while (EndsEscaped(line) && i + 1 < lines.size()) {
            line += QLatin1Char('\n') + lines[++i];
        }
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            if (!CloseChapter(chapter, entries, error)) {
                return std::nullopt;
            }
            if (line == QLatin1String("[CHAPTER]")) {
                chapter = FfChapter{at, kFfDefaultTimebase, std::nullopt, QString()};
            }
            continue;
        }
        qsizetype equals = -1;
        const QString plain = Unescaped(line, &equals);
        if (equals < 0) {
            Fault(error, LineNumber(at),
                  QStringLiteral("%1 is neither a [SECTION] nor KEY=VALUE").arg(Shown(line)));
            return std::nullopt;
        }
        if (chapter && !TakeKey(plain.left(equals), plain.mid(equals + 1), at, *chapter, error)) {
            return std::nullopt;
        }
    }
    if (!CloseChapter(chapter, entries, error)) {
        return std::nullopt;
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
        QStringLiteral(R"(^(\d{1,9}(?:[.,]\d*)?)\t-?\d{1,9}(?:[.,]\d*)?(?:\t(.*))?$)"));
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
        const double seconds =
            match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        entries.push_back({LineNumber(i), MsOf(seconds), match.captured(2)});
    }
    return entries;
}

QString WriteLines(const std::vector<Chapter>& chapters) {
    QString text;
    for (const Chapter& chapter : chapters) {
        text += TimeText(chapter.startMs) + QLatin1Char(' ') + chapter.title + QLatin1Char('\n');
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
        const quint64 frames = CueFrames(chapters[i].startMs);
        if (i > 0 && frames <= CueFrames(chapters[i - 1].startMs)) {
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
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                    .arg(chapter.startMs)
                    .arg(chapter.endMs)
                    .arg(FfEscaped(chapter.title));
    }
    return text;
}

QString WriteJson(const std::vector<Chapter>& chapters) {
    QJsonArray list;
    for (const Chapter& chapter : chapters) {
        QJsonObject entry{{QStringLiteral("startTime"), chapter.startMs / 1000.0},
                          {QStringLiteral("title"), chapter.title}};
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
