#include "chapters/Chapters.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

#include "chapters/ChapterForms.h"

// The forms chapters are exchanged in, listed, and how a file's form is told.

namespace tessaro {

using namespace chapter_forms;

QString ChapterFormInfo::Filter() const {
    QStringList patterns;
    for (const QString& extension : extensions) {
        patterns << QStringLiteral("*.") + extension;
    }
    return QCoreApplication::translate("tessaro::MainWindow", name) + QStringLiteral(" (") +
           patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

namespace chapter_forms {

const std::vector<const ChapterFormat*>& Formats() {
    // The lines come first: theirs is ".txt", which Audacity's labels share. A new form costs its
    // file (its ChapterFormat), a line here, its test file under tests/chapters/ and a seed of
    // the chapter file fuzzer's corpus; the guessing, the window's file filters, --chapter-format
    // and the fuzzer take it from here.
    static const std::vector<const ChapterFormat*> formats{
        &LinesFormat(), &CueFormat(), &FfMetadataFormat(), &JsonFormat(), &LabelsFormat()};
    return formats;
}

const ChapterFormat& FormatOf(ChapterForm form) {
    const std::vector<const ChapterFormat*>& formats = Formats();
    return **std::find_if(formats.begin(), formats.end(), [form](const ChapterFormat* format) {
        return format->info.form == form;
    });
}

}  // namespace chapter_forms

const std::vector<ChapterFormInfo>& ChapterForms() {
    static const std::vector<ChapterFormInfo> forms = [] {
        std::vector<ChapterFormInfo> infos;
        for (const ChapterFormat* format : Formats()) {
            infos.push_back(format->info);
        }
        return infos;
    }();
    return forms;
}

const ChapterFormInfo& InfoOf(ChapterForm form) {
    return FormatOf(form).info;
}
std::optional<ChapterForm> ChapterFormNamed(const QString& word) {
    for (const ChapterFormInfo& info : ChapterForms()) {
        if (word == QLatin1String(info.word)) {
            return info.form;
        }
    }
    return std::nullopt;
}

ChapterForm ChapterFormOfName(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const ChapterFormInfo& info : ChapterForms()) {
        if (info.extensions.contains(extension)) {
            return info.form;
        }
    }
    return ChapterForm::Lines;
}

ChapterForm GuessChapterForm(const QString& text, const QString& path) {
    const QStringList lines = LinesOf(text);
    const auto first = std::find_if(lines.begin(), lines.end(),
                                    [](const QString& line) { return !line.trimmed().isEmpty(); });
    if (first != lines.end()) {
        for (const ChapterFormat* format : Formats()) {
            if (format->sniff(*first)) {
                return format->info.form;
            }
        }
    }
    return ChapterFormOfName(path);
}

QString TooManyChapters(size_t count, ChapterForm form) {
    const ChapterFormat& format = FormatOf(form);
    return format.tooMany ? format.tooMany(count) : QString();
}

}  // namespace tessaro
