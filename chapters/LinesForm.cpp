#include "chapters/ChapterForms.h"

namespace tessaro::chapter_forms {
namespace {

// What may stand between a time and a title, spaces around it.
const QString& Separators() {
    static const QString kSeparators = QStringLiteral("[-–—:|]");
    return kSeparators;
}

// A label's line starts with a number too.
bool StartsAsLines(const QString& line) {
    return line.trimmed()[0].isDigit() && !StartsAsLabel(line);
}

std::optional<Entries> ReadLines(const QString& text, std::vector<CueFile>*, QString* error) {
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

std::optional<QString> WriteLines(const std::vector<Chapter>& chapters, const ChapterSheet&,
                                  QString*) {
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
}  // namespace

const ChapterFormat& LinesFormat() {
    static const ChapterFormat format{
        {ChapterForm::Lines,
         "lines",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "Chapter lines, HH:MM:SS.mmm Title"),
         {QStringLiteral("txt")},
         QT_TRANSLATE_NOOP("TessaroJoin", "lines \"HH:MM:SS.mmm Title\" (or \"MM:SS Title\")"),
         QT_TRANSLATE_NOOP("TessaroJoin", "(\"HH:MM:SS.mmm Title\")")},
        StartsAsLines,
        ReadLines,
        WriteLines};
    return format;
}

}  // namespace tessaro::chapter_forms
