#include "merge/Chapters.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

#include "io/Files.h"
#include "merge/ChapterForms.h"

namespace tessaro {
namespace {

using namespace chapter_forms;

// Far above any book's chapter list.
constexpr qint64 kMaxChapterFileBytes = 4 << 20;

// Why `text`, a chapter's title or what `what` names, cannot be one; empty when it can.
QString TextFault(const QString& text, const QString& what) {
    if (const qsizetype at = text.indexOf(Controls()); at >= 0) {
        return QStringLiteral("%1 holds %2 (U+%3) at character %4")
            .arg(what,
                 text[at].category() == QChar::Other_Control
                     ? QStringLiteral("a control character")
                     : QStringLiteral("a line or paragraph separator"),
                 QString::number(text[at].unicode(), 16).toUpper().rightJustified(4, u'0'))
            .arg(at + 1);
    }
    // A JSON file may spell half a character.
    if (!QStringView(text).isValidUtf16()) {
        return QStringLiteral("%1 holds half a UTF-16 character").arg(what);
    }
    return QString();
}

// Why `entry` cannot follow `chapters` in a join ending at `endMs`; empty when it can.
QString EntryFault(const Entry& entry, const std::vector<Chapter>& chapters, quint32 endMs) {
    for (const auto& [text, what] : {std::pair{Trimmed(entry.title), QStringLiteral("the title")},
                                     {entry.links.page, QStringLiteral("the \"url\"")},
                                     {entry.links.picture, QStringLiteral("the \"img\"")}}) {
        if (const QString fault = TextFault(text, what); !fault.isEmpty()) {
            return fault;
        }
    }
    if (!chapters.empty() && entry.ms <= chapters.back().startMs) {
        return QStringLiteral("%1 does not come after the chapter before (%2)")
            .arg(TimeText(entry.ms), TimeText(chapters.back().startMs));
    }
    if (entry.ms >= endMs) {
        return QStringLiteral("%1 is not before the end of the joined audio (%2)")
            .arg(TimeText(entry.ms), TimeText(endMs));
    }
    return QString();
}

// Where the chapter `entry` gives, starting at `startMs`, ends: where the entry says, if that
// comes after its start and before `nextMs` (where the next starts, or the audio ends); there
// otherwise.
void SetEnd(Chapter& chapter, const Entry& entry, quint32 nextMs) {
    chapter.endTold = entry.endMs && *entry.endMs > chapter.startMs && *entry.endMs < nextMs;
    chapter.endMs = chapter.endTold ? quint32(*entry.endMs) : nextMs;
}

// The chapters `entries` give; none, with *error, for an entry that cannot be a chapter there,
// or for none.
std::optional<std::vector<Chapter>> Checked(const Entries& entries, ChapterForm form, quint32 endMs,
                                            QString* error) {
    std::vector<Chapter> chapters;
    for (const Entry& entry : entries) {
        if (const QString fault = EntryFault(entry, chapters, endMs); !fault.isEmpty()) {
            *error = entry.where + QStringLiteral(": ") + fault;
            return std::nullopt;
        }
        if (!chapters.empty()) {
            SetEnd(chapters.back(), entries[chapters.size() - 1], quint32(entry.ms));
        }
        chapters.push_back({Trimmed(entry.title),
                            quint32(entry.ms),
                            endMs,
                            entry.listed,
                            false,
                            {Trimmed(entry.links.page), Trimmed(entry.links.picture)}});
    }
    if (chapters.empty()) {
        *error = QStringLiteral("it holds no chapter (read as %1)")
                     .arg(QLatin1String(InfoOf(form).name));
        return std::nullopt;
    }
    SetEnd(chapters.back(), entries.back(), endMs);
    return chapters;
}

std::optional<Entries> Read(const QString& text, ChapterForm form, QString* error) {
    switch (form) {
        case ChapterForm::Lines:
            return ReadLines(text, error);
        case ChapterForm::Cue:
            return ReadCue(text, error);
        case ChapterForm::FfMetadata:
            return ReadFfMetadata(text, error);
        case ChapterForm::Json:
            return ReadJson(text, error);
        case ChapterForm::Labels:
            break;
    }
    return ReadLabels(text, error);
}

std::optional<QString> Write(const std::vector<Chapter>& chapters, ChapterForm form,
                             const ChapterSheet& sheet, QString* error) {
    switch (form) {
        case ChapterForm::Lines:
            return WriteLines(chapters);
        case ChapterForm::Cue:
            return WriteCue(chapters, sheet, error);
        case ChapterForm::FfMetadata:
            return WriteFfMetadata(chapters);
        case ChapterForm::Json:
            return WriteJson(chapters);
        case ChapterForm::Labels:
            break;
    }
    return WriteLabels(chapters);
}

}  // namespace

QString ChapterFormInfo::Filter() const {
    QStringList patterns;
    for (const QString& extension : extensions) {
        patterns << QStringLiteral("*.") + extension;
    }
    return QCoreApplication::translate("tessaro::MainWindow", name) + QStringLiteral(" (") +
           patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

const std::vector<ChapterFormInfo>& ChapterForms() {
    // The lines come first: theirs is ".txt", which Audacity's labels share.
    static const std::vector<ChapterFormInfo> forms{
        {ChapterForm::Lines,
         "lines",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "Chapter lines, HH:MM:SS.mmm Title"),
         {QStringLiteral("txt")}},
        {ChapterForm::Cue,
         "cue",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "CUE sheet"),
         {QStringLiteral("cue")}},
        {ChapterForm::FfMetadata,
         "ffmetadata",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "FFmpeg metadata"),
         {QStringLiteral("ffmeta"), QStringLiteral("ffmetadata")}},
        {ChapterForm::Json,
         "json",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "Podcasting 2.0 chapters"),
         {QStringLiteral("json")}},
        {ChapterForm::Labels,
         "labels",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "Audacity labels"),
         {QStringLiteral("labels"), QStringLiteral("txt")}},
    };
    return forms;
}

const ChapterFormInfo& InfoOf(ChapterForm form) {
    const std::vector<ChapterFormInfo>& forms = ChapterForms();
    return *std::find_if(forms.begin(), forms.end(),
                         [form](const ChapterFormInfo& info) { return info.form == form; });
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
    static const QRegularExpression kWord(QStringLiteral(R"(^[A-Za-z]+\b)"));
    for (const QString& line : LinesOf(text)) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('{'))) {
            return ChapterForm::Json;
        }
        if (trimmed.startsWith(QLatin1String(";FFMETADATA"))) {
            return ChapterForm::FfMetadata;
        }
        if (StartsAsLabel(line)) {
            return ChapterForm::Labels;
        }
        if (trimmed[0].isDigit()) {
            return ChapterForm::Lines;
        }
        if (IsCueCommand(kWord.match(trimmed).captured())) {
            return ChapterForm::Cue;
        }
        break;
    }
    return ChapterFormOfName(path);
}

std::optional<std::vector<Chapter>> ReadChapterFile(const QString& path,
                                                    std::optional<ChapterForm> form, quint32 endMs,
                                                    QString* error) {
    qint64 size = 0;
    const int fd = OpenRegularFile(path, error, &size);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<QByteArray> bytes;
    if (size > kMaxChapterFileBytes) {
        *error = QStringLiteral("it is %1 bytes long, more than a chapter list takes").arg(size);
    } else {
        bytes = ReadBytesAt(fd, size, 0, error);
    }
    ::close(fd);
    if (!bytes) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("it is not UTF-8 text");
        return std::nullopt;
    }
    return ParseChapters(text, form.value_or(GuessChapterForm(text, path)), endMs, error);
}

std::optional<std::vector<Chapter>> ParseChapters(const QString& text, ChapterForm form,
                                                  quint32 endMs, QString* error) {
    const std::optional<Entries> entries = Read(text, form, error);
    if (!entries) {
        return std::nullopt;
    }
    return Checked(*entries, form, endMs, error);
}

std::optional<QByteArray> FormatChapters(const std::vector<Chapter>& chapters, ChapterForm form,
                                         const ChapterSheet& sheet, QString* error) {
    // A title is a line of its own in most forms, which reads back only without line breaks or
    // other control characters, and without the white space around it that readers drop.
    const auto plain = [](const QString& text) {
        return Trimmed(QString(text).replace(Controls(), QStringLiteral(" ")));
    };
    std::vector<Chapter> plainChapters = chapters;
    for (Chapter& chapter : plainChapters) {
        chapter.title = plain(chapter.title);
    }
    const ChapterSheet plainSheet{plain(sheet.audioFile), plain(sheet.title),
                                  plain(sheet.performer)};
    const std::optional<QString> text = Write(plainChapters, form, plainSheet, error);
    return text ? std::optional(text->toUtf8()) : std::nullopt;
}

QString RunTitle(const QString& title) {
    // A number in brackets, with "part" or the like before it or a count behind it, or one
    // after "part" or the like; at the end.
    static const QRegularExpression kPart(
        QStringLiteral(
            R"((?:[\(\[]\s*(?:(?:part|pt\.?|track|disc|cd)\s*)?\d+(?:\s*(?:/|of)\s*\d+)?)"
            R"(\s*[\)\]])"
            R"(|(?<![[:alpha:]])(?:part|pt\.?|track|disc|cd)\s*\d+(?:\s*(?:/|of)\s*\d+)?))"
            R"(\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kSeparators(QStringLiteral(R"([\s\-–—,:;_]+$)"));
    QString run = title;
    run.remove(kPart);
    run.remove(kSeparators);
    return run.isEmpty() ? title.trimmed() : run;
}

QString FileTitle(const QString& path) {
    // A disc-track or a track number before punctuation, or a track number of two or three
    // digits, as rippers pad them, before a space; words must follow.
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^(?:[0-9]{1,2}[-.][0-9]{1,3}(?:\s*[-._)]+\s*|\s+))"
                       R"(|[0-9]{1,3}\s*[-._)]+\s*|[0-9]{2,3}\s+)(?=[^-._)\s]))"));
    QString title = QFileInfo(path).completeBaseName();
    title.remove(kNumber);
    return title;
}

}  // namespace tessaro
