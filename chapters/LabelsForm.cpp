#include "chapters/ChapterForms.h"

#include <QCoreApplication>

namespace tessaro::chapter_forms {
namespace {

std::optional<Entries> ReadLabels(const QString& text, std::vector<CueFile>*, QString* error) {
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

std::optional<QString> WriteLabels(const std::vector<Chapter>& chapters, const ChapterSheet&,
                                   QString*) {
    QString text;
    for (const Chapter& chapter : chapters) {
        // As Audacity writes them, to the microsecond.
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(QString::number(chapter.startMs / 1000.0, 'f', 6),
                         QString::number(chapter.endMs / 1000.0, 'f', 6), chapter.title);
    }
    return text;
}

}  // namespace

const ChapterFormat& LabelsFormat() {
    static const ChapterFormat format{{ChapterForm::Labels,
                                       "labels",
                                       QT_TRANSLATE_NOOP("tessaro::MainWindow", "Audacity labels"),
                                       {QStringLiteral("labels"), QStringLiteral("txt")},
                                       QT_TRANSLATE_NOOP("TessaroJoin", "Audacity labels"),
                                       QT_TRANSLATE_NOOP("TessaroJoin", "(Audacity's)")},
                                      StartsAsLabel,
                                      ReadLabels,
                                      WriteLabels};
    return format;
}

}  // namespace tessaro::chapter_forms
