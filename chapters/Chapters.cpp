#include "chapters/Chapters.h"

#include <unistd.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <limits>

#include "chapters/ChapterForms.h"
#include "io/Files.h"

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

// The entries of `text` in `form`, a CUE sheet's FILE lines in *files.
std::optional<Entries> Read(const QString& text, ChapterForm form, std::vector<CueFile>* files,
                            QString* error) {
    return FormatOf(form).read(text, files, error);
}

// --- CUE sheets with a FILE line for each input ---

// A file that a CUE sheet's FILE lines name, consecutive lines of one name taken as one: the
// first of those lines, and the entries timed from the file's start.
struct SheetFile {
    CueFile line;
    Entries entries;
};

// The name a FILE line's file or an input goes by: its file name without folders or extension.
QString BaseName(const QString& name) {
    return QFileInfo(QString(name).replace(u'\\', u'/')).completeBaseName();
}

// The files of a CUE sheet whose FILE lines (`lines`) give more than one name, each with the
// entries timed from its start, checked as chapters of that file alone; none for a sheet of one
// name or none. None, with *error, for an entry that stands before every FILE line or cannot be
// a chapter of its file.
std::optional<std::vector<SheetFile>> FilesOf(const Entries& entries,
                                              const std::vector<CueFile>& lines, QString* error) {
    std::vector<SheetFile> files;
    std::vector<size_t> fileOf;  // of each line
    for (const CueFile& line : lines) {
        if (files.empty() || BaseName(line.name) != BaseName(files.back().line.name)) {
            files.push_back({line, {}});
        }
        fileOf.push_back(files.size() - 1);
    }
    if (files.size() < 2) {
        return std::vector<SheetFile>();
    }
    for (const Entry& entry : entries) {
        if (entry.file < 0) {
            *error = entry.where + QStringLiteral(
                                       ": the INDEX stands before any FILE line, in a sheet "
                                       "whose INDEX times count from the FILE above them");
            return std::nullopt;
        }
        files[fileOf[size_t(entry.file)]].entries.push_back(entry);
    }
    for (const SheetFile& file : files) {
        if (!file.entries.empty() &&
            !Checked(file.entries, ChapterForm::Cue, std::numeric_limits<quint32>::max(), error)) {
            return std::nullopt;
        }
    }
    return files;
}

// The input each of `files` names, in order: the first after the one the file before names;
// none, with *error, naming the FILE line of one that names none.
std::optional<std::vector<size_t>> InputsNamed(const std::vector<SheetFile>& files,
                                               const std::vector<TimelineInput>& inputs,
                                               QString* error) {
    std::vector<size_t> named;
    for (const SheetFile& file : files) {
        const QString name = BaseName(file.line.name);
        const auto names = [&](const TimelineInput& input) { return BaseName(input.path) == name; };
        const auto from = inputs.begin() + qsizetype(named.empty() ? 0 : named.back() + 1);
        const auto found = std::find_if(from, inputs.end(), names);
        if (found != inputs.end()) {
            named.push_back(size_t(found - inputs.begin()));
            continue;
        }
        const auto earlier = std::find_if(inputs.begin(), from, names);
        const QString fault =
            earlier == from ? QStringLiteral("names none of the inputs")
                            : QStringLiteral(
                                  "names %1, which is joined before %2 that the FILE line before "
                                  "names")
                                  .arg(Shown(QFileInfo(earlier->path).fileName()),
                                       Shown(QFileInfo(inputs[named.back()].path).fileName()));
        *error = QStringLiteral(
                     "%1: FILE %2 %3 (a sheet with several FILE lines times each track from the "
                     "start of its FILE, so each FILE must name an input, in the order they are "
                     "joined, by its file name without the extension)")
                     .arg(file.line.where, Shown(file.line.name), fault);
        return std::nullopt;
    }
    return named;
}

// The entries of `files` on the timeline, each where the audio of the input its file names
// starts plus its own time, which goes to *offsets; none, with *error, for a file that names no
// input or an entry that is not before the end of that audio.
std::optional<Entries> Placed(const std::vector<SheetFile>& files,
                              const std::vector<TimelineInput>& inputs,
                              std::vector<InputOffset>* offsets, QString* error) {
    const std::optional<std::vector<size_t>> named = InputsNamed(files, inputs, error);
    if (!named) {
        return std::nullopt;
    }
    Entries placed;
    for (size_t f = 0; f < files.size(); ++f) {
        const TimelineInput& input = inputs[(*named)[f]];
        const quint32 length = input.endMs - input.startMs;
        for (Entry entry : files[f].entries) {
            if (entry.ms >= length) {
                *error = QStringLiteral(
                             "%1: %2 is not before the end of %3 (%4), which the FILE on "
                             "%5 names")
                             .arg(entry.where, TimeText(entry.ms),
                                  Shown(QFileInfo(input.path).fileName()), TimeText(length),
                                  files[f].line.where);
                return std::nullopt;
            }
            offsets->push_back({(*named)[f], quint32(entry.ms)});
            entry.ms += input.startMs;
            placed.push_back(entry);
        }
    }
    return placed;
}

// What a chapter file's text gives: its entries and, of a CUE sheet with FILE lines of more than
// one name, its files.
struct Sheet {
    Entries entries;
    std::vector<SheetFile> files;
};

std::optional<Sheet> ReadSheet(const QString& text, ChapterForm form, QString* error) {
    std::vector<CueFile> lines;
    std::optional<Entries> entries = Read(text, form, &lines, error);
    std::optional<std::vector<SheetFile>> files =
        entries ? FilesOf(*entries, lines, error) : std::nullopt;
    if (!files) {
        return std::nullopt;
    }
    return Sheet{std::move(*entries), std::move(*files)};
}

// The text of the file at `path`; none, with *error, for a file that cannot be read, is too long
// for chapters or is not UTF-8.
std::optional<QString> TextOf(const QString& path, QString* error) {
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
    QString text = decoder.decode(*bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("it is not UTF-8 text");
        return std::nullopt;
    }
    return text;
}

}  // namespace

std::optional<FileChapters> ReadChapterFile(const QString& path, std::optional<ChapterForm> form,
                                            const ChapterTimeline& timeline, QString* error) {
    const std::optional<QString> text = TextOf(path, error);
    if (!text) {
        return std::nullopt;
    }
    return ParseChapters(*text, form.value_or(GuessChapterForm(*text, path)), timeline, error);
}

std::optional<FileChapters> ParseChapters(const QString& text, ChapterForm form,
                                          const ChapterTimeline& timeline, QString* error) {
    const std::optional<Sheet> sheet = ReadSheet(text, form, error);
    FileChapters read;
    const std::optional<Entries> placed =
        !sheet                 ? std::nullopt
        : sheet->files.empty() ? sheet->entries
                               : Placed(sheet->files, timeline.inputs, &read.offsets, error);
    std::optional<std::vector<Chapter>> chapters =
        placed ? Checked(*placed, form, timeline.endMs, error) : std::nullopt;
    if (!chapters) {
        return std::nullopt;
    }
    read.chapters = std::move(*chapters);
    return read;
}

std::optional<std::vector<Chapter>> ParseChapters(const QString& text, ChapterForm form,
                                                  quint32 endMs, QString* error) {
    std::optional<FileChapters> read = ParseChapters(text, form, ChapterTimeline{endMs, {}}, error);
    return read ? std::optional(std::move(read->chapters)) : std::nullopt;
}

std::optional<size_t> CountChapters(const QString& path, QString* error) {
    const std::optional<QString> text = TextOf(path, error);
    const ChapterForm form = text ? GuessChapterForm(*text, path) : ChapterForm::Lines;
    const std::optional<Sheet> sheet = text ? ReadSheet(*text, form, error) : std::nullopt;
    if (!sheet) {
        return std::nullopt;
    }
    if (!sheet->files.empty() && !sheet->entries.empty()) {
        return sheet->entries.size();  // each file's checked
    }
    const std::optional<std::vector<Chapter>> chapters =
        Checked(sheet->entries, form, std::numeric_limits<quint32>::max(), error);
    return chapters ? std::optional(chapters->size()) : std::nullopt;
}

std::optional<QByteArray> FormatChapters(const std::vector<Chapter>& chapters, ChapterForm form,
                                         const ChapterSheet& sheet, QString* error) {
    if (QString tooMany = TooManyChapters(chapters.size(), form); !tooMany.isEmpty()) {
        *error = std::move(tooMany);
        return std::nullopt;
    }
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
    const std::optional<QString> text = FormatOf(form).write(plainChapters, plainSheet, error);
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
