#include "chapters/ChapterForms.h"

#include <QCoreApplication>

namespace tessaro::chapter_forms {
namespace {

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

bool StartsAsFfMetadata(const QString& line) {
    return line.trimmed().startsWith(QLatin1String(";FFMETADATA"));
}

std::optional<Entries> ReadFfMetadata(const QString& text, std::vector<CueFile>*, QString* error) {
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

std::optional<QString> WriteFfMetadata(const std::vector<Chapter>& chapters, const ChapterSheet&,
                                       QString*) {
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

}  // namespace

const ChapterFormat& FfMetadataFormat() {
    static const ChapterFormat format{{ChapterForm::FfMetadata,
                                       "ffmetadata",
                                       QT_TRANSLATE_NOOP("tessaro::MainWindow", "FFmpeg metadata"),
                                       {QStringLiteral("ffmeta"), QStringLiteral("ffmetadata")},
                                       QT_TRANSLATE_NOOP("TessaroJoin", "ffmpeg's FFMETADATA"),
                                       QT_TRANSLATE_NOOP("TessaroJoin", "(ffmpeg's)")},
                                      StartsAsFfMetadata,
                                      ReadFfMetadata,
                                      WriteFfMetadata};
    return format;
}

}  // namespace tessaro::chapter_forms
