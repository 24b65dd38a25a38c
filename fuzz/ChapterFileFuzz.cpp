// Any bytes as a chapter file, read by the form its contents tell and in every form: no line that
// is not blank is taken by the sniffs of two forms (the guess tries them in the registry's order,
// which so tells nothing), and each reader either refuses it, saying why, or yields chapters that
// start in increasing order before the end, each ending where the next starts or, where the file
// says so, before, titled (or not) without control characters or white space around them. Written
// out in every form, they are told by their contents as that form and read back the same, to the
// millisecond (a CUE sheet to the nearest of its frames, with ' for " and a backslash that ends a
// title as U+2216, as FFMETADATA too), with what the form holds of their ends, links and listing;
// and a tag holding them (ID3v2.4 and ID3v2.3) has a frame for each, titled or not, with its links,
// its tables of contents listing those listed, in order, at most 255 entries each, titled with the
// chapters they hold. Built with libavformat (TESSARO_FUZZ_FFMPEG), each file read as FFMETADATA is
// read by ffmpeg as the same chapters, ends and titles.
//
// Read as a CUE sheet whose FILE lines name the inputs of a join, the chapters start in the
// inputs their FILE lines name, at their INDEX 01 into them. Built with libcue (the fuzz build),
// a sheet that both it (without a complaint) and ours take has the same tracks in both: as many,
// each INDEX 01 at the same time and under the same FILE.

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QUrl>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "chapters/ChapterForms.h"
#include "chapters/Chapters.h"

#ifdef TESSARO_LIBCUE
#include <libcue.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

// libcue's parser leaves what it allocated for many a sheet, refused or taken: not ours to mend.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcue.so";
}
#endif

#ifdef TESSARO_FUZZ_FFMPEG
extern "C" {
#include <libavformat/avformat.h>
}
#endif

using fuzzing::Require;
using tessaro::chapter_forms::Trimmed;
using testing_files::ChapterTables;

namespace {

// Ten hours of joined audio.
constexpr quint32 kEndMs = 36000000;

bool HasControl(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            return true;
        }
    }
    return false;
}

void CheckChapters(const std::vector<tessaro::Chapter>& chapters) {
    Require(!chapters.empty(), "an accepted file holds a chapter");
    for (size_t i = 0; i < chapters.size(); ++i) {
        const tessaro::Chapter& chapter = chapters[i];
        for (const QString& text : {chapter.title, chapter.links.page, chapter.links.picture}) {
            Require(
                !HasControl(text) && !text.contains(QChar(0x2028)) && !text.contains(QChar(0x2029)),
                "a title or address holds no control character nor line separator");
            Require(Trimmed(text) == text, "a title or address has no white space around it");
        }
        Require(chapter.startMs < chapter.endMs, "a chapter starts before it ends");
        const quint32 next = i + 1 < chapters.size() ? chapters[i + 1].startMs : kEndMs;
        Require(chapter.endTold ? chapter.endMs < next : chapter.endMs == next,
                "a chapter ends where the next starts (the last at the end), or before where told");
    }
}

// The title `form` holds for `title`.
QString Written(const QString& title, tessaro::ChapterForm form) {
    QString written = title;
    if (form == tessaro::ChapterForm::Cue) {
        written.replace(u'"', u'\'');
    }
    if ((form == tessaro::ChapterForm::Cue || form == tessaro::ChapterForm::FfMetadata) &&
        written.endsWith(u'\\')) {
        written.back() = QChar(0x2216);
    }
    return written;
}

// Whether `again` is `chapters` as `form` holds them.
bool SameChapters(const std::vector<tessaro::Chapter>& chapters,
                  const std::vector<tessaro::Chapter>& again, tessaro::ChapterForm form) {
    using tessaro::ChapterForm;
    const bool json = form == ChapterForm::Json;
    const bool ends = json || form == ChapterForm::FfMetadata || form == ChapterForm::Labels;
    return std::equal(
        chapters.begin(), chapters.end(), again.begin(), again.end(),
        [&](const tessaro::Chapter& x, const tessaro::Chapter& y) {
            // A CUE sheet's frame is 40/3 ms; the one before the nearest, where
            // that passes the chapter's end.
            const bool start = form == ChapterForm::Cue
                                   ? y.startMs <= x.startMs + 7 && x.startMs <= y.startMs + 13
                                   : x.startMs == y.startMs;
            const bool end = ends ? x.endMs == y.endMs && x.endTold == y.endTold : !y.endTold;
            return Written(x.title, form) == y.title && start && end &&
                   y.listed == (json ? x.listed : true) &&
                   y.links == (json ? x.links : tessaro::ChapterLinks());
        });
}

// Written in each form, the chapters are told as that form and read back as they were; a CUE
// sheet may refuse those it cannot hold.
void CheckForms(const std::vector<tessaro::Chapter>& chapters) {
    for (const tessaro::ChapterFormInfo& info : tessaro::ChapterForms()) {
        QString error;
        const std::optional<QByteArray> written = tessaro::FormatChapters(
            chapters, info.form, {QStringLiteral("Book.mp3"), QStringLiteral("Book"), {}}, &error);
        if (!written) {
            Require(info.form == tessaro::ChapterForm::Cue && !error.isEmpty(),
                    "only a CUE sheet refuses chapters, saying why");
            continue;
        }
        const QString text = QString::fromUtf8(*written);
        Require(tessaro::GuessChapterForm(text, QStringLiteral("chapters.txt")) == info.form,
                "what is written is told by its contents");
        const std::optional<std::vector<tessaro::Chapter>> again =
            tessaro::ParseChapters(text, info.form, kEndMs, &error);
        Require(again && SameChapters(chapters, *again, info.form),
                "written out, the chapters read back");
        CheckChapters(*again);
    }
}

// Walks the tables below `table`, appending the chapters they reach to `reached`, and checks
// that each lists at most 255 entries in order, titled with the chapters it holds.
void Reach(const ChapterTables::Table& table,
           const std::map<std::string, const ChapterTables::Table*>& tables,
           std::vector<std::string>* reached, int depth) {
    Require(depth < 8, "tables do not list themselves");
    Require(table.ordered, "a table is ordered");
    Require(table.children.size() <= 255, "a table lists at most 255 entries");
    const size_t first = reached->size() + 1;
    for (const std::string& child : table.children) {
        const auto below = tables.find(child);
        if (below == tables.end()) {
            reached->push_back(child);
        } else {
            Require(!below->second->topLevel, "only one table is top-level");
            Reach(*below->second, tables, reached, depth + 1);
        }
    }
    if (depth > 0) {
        const size_t last = reached->size();
        const std::string range =
            first == last ? "Chapter " + std::to_string(first)
                          : "Chapters " + std::to_string(first) + "–" + std::to_string(last);
        Require(table.title == range, "a table below the top is titled with its chapters");
    }
}

// An address goes into the tag as printable ASCII, percent-encoding what is not, so that one
// without a '%' of its own decodes as it was.
void CheckAddress(const QString& address, const std::string& tagged) {
    Require(std::all_of(tagged.begin(), tagged.end(), [](char c) { return c > ' ' && c <= '~'; }),
            "an address in the tag is printable ASCII");
    Require(address.contains(u'%') ||
                QUrl::fromPercentEncoding(QByteArray::fromStdString(tagged)) == address,
            "an address in the tag decodes as it was");
}

void CheckTag(const std::vector<tessaro::Chapter>& chapters, bool id3v23) {
    tessaro::JoinedTag tag;
    tag.chapters = chapters;
    tag.name = QStringLiteral("Book");
    tag.id3v23 = id3v23;
    const QString path =
        fuzzing::WriteInput(tessaro::RenderJoinedTag(tag).front, QStringLiteral("tagged.mp3"));
    const ChapterTables read = testing_files::ReadChapterTables(path);
    Require(read.chapters.size() == chapters.size(), "the tag holds every chapter");
    std::vector<std::string> listed;
    for (size_t i = 0; i < chapters.size(); ++i) {
        const std::string id = "chp" + std::to_string(i);
        if (chapters[i].listed) {
            listed.push_back(id);
        }
        Require(read.chapters[i].id == id &&
                    read.chapters[i].title == chapters[i].title.toStdString() &&
                    read.chapters[i].titled == !chapters[i].title.isEmpty() &&
                    read.chapters[i].startMs == chapters[i].startMs &&
                    read.chapters[i].endMs == chapters[i].endMs,
                "a chapter reads back from the tag as it was");
        CheckAddress(chapters[i].links.page, read.chapters[i].page);
        CheckAddress(chapters[i].links.picture, read.chapters[i].picture);
    }
    std::map<std::string, const ChapterTables::Table*> tables;
    const ChapterTables::Table* top = nullptr;
    for (const ChapterTables::Table& table : read.tables) {
        tables[table.id] = &table;
        if (table.topLevel) {
            Require(top == nullptr, "one table is top-level");
            top = &table;
        }
    }
    Require(top != nullptr && top->title == "Book", "a top-level table carries the title");
    std::vector<std::string> reached;
    Reach(*top, tables, &reached, 0);
    Require(reached == listed, "the tables reach every chapter listed once, in order");
}

// Inputs an hour long each, one for each FILE line, named as it names its file.
void CheckCountedFromInputs(const QString& text) {
    constexpr quint32 kInputMs = 3600000;
    QString error;
    std::vector<tessaro::chapter_forms::CueFile> files;
    if (!tessaro::chapter_forms::ReadCue(text, &files, &error) || files.size() > 1000) {
        return;
    }
    tessaro::ChapterTimeline timeline{quint32(files.size()) * kInputMs, {}};
    for (const tessaro::chapter_forms::CueFile& file : files) {
        const auto start = quint32(timeline.inputs.size()) * kInputMs;
        timeline.inputs.push_back({file.name, start, start + kInputMs});
    }
    const std::optional<tessaro::FileChapters> read =
        tessaro::ParseChapters(text, tessaro::ChapterForm::Cue, timeline, &error);
    if (!read) {
        Require(!error.isEmpty() && !HasControl(error), "a refusal says why, shown plainly");
        return;
    }
    const std::vector<tessaro::Chapter>& chapters = read->chapters;
    Require(read->offsets.empty() || read->offsets.size() == chapters.size(),
            "every chapter or none is counted from an input");
    for (size_t i = 0; i < read->offsets.size(); ++i) {
        const tessaro::InputOffset& offset = read->offsets[i];
        Require(offset.input < timeline.inputs.size() && offset.offsetMs < kInputMs,
                "a chapter starts within the input it is counted from");
        Require(chapters[i].startMs == timeline.inputs[offset.input].startMs + offset.offsetMs,
                "a chapter starts where its input does, plus its offset");
        Require(i == 0 || offset.input >= read->offsets[i - 1].input,
                "the inputs are counted from in order");
    }
}

#ifdef TESSARO_LIBCUE
// The sheet `text` as libcue reads it; null for one it refuses or complains of on stderr, where
// it tells of what it skips and takes the rest (a word outside quotation marks, a line it cannot
// parse).
Cd* ParseWithoutComplaint(const char* text) {
    static const int told = ::fileno(std::tmpfile());
    ::ftruncate(told, 0);
    ::lseek(told, 0, SEEK_SET);
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(told, STDERR_FILENO);
    Cd* cd = cue_parse_string(text);
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    if (cd && ::lseek(told, 0, SEEK_END) > 0) {
        cd_delete(cd);
        return nullptr;
    }
    return cd;
}

// Where libcue takes the sheet `bytes` without a complaint and ours takes it, the tracks of both
// agree.
void CompareWithLibcue(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QString error;
    std::vector<tessaro::chapter_forms::CueFile> files;
    const std::optional<tessaro::chapter_forms::Entries> entries =
        tessaro::chapter_forms::ReadCue(text, &files, &error);
    // libcue reads C strings of bytes.
    if (!entries || bytes.contains('\0') || text.toUtf8() != bytes) {
        return;
    }
    const std::unique_ptr<Cd, void (*)(Cd*)> cd(ParseWithoutComplaint(bytes.constData()),
                                                cd_delete);
    if (!cd) {
        return;
    }
    Require(cd_get_ntrack(cd.get()) == int(entries->size()), "libcue finds as many tracks");
    for (size_t i = 0; i < entries->size(); ++i) {
        const tessaro::chapter_forms::Entry& entry = (*entries)[i];
        const Track* track = cd_get_track(cd.get(), int(i) + 1);
        // Of 1/75 s, each read at the millisecond nearest it.
        const long frames = track_get_index(track, 1);
        Require(frames >= 0 && (quint64(frames) * 40 + 1) / 3 == entry.ms,
                "libcue finds each INDEX 01 at the same time");
        const char* file = track_get_filename(track);
        Require(entry.file < 0 ? file == nullptr
                               : file && QString::fromUtf8(file) == files[size_t(entry.file)].name,
                "libcue finds each track under the same FILE");
    }
}
#endif

#ifdef TESSARO_FUZZ_FFMPEG
// Where the file at `path` is read as FFMETADATA, ffmpeg's own reader (libavformat's) reads as
// many chapters from it, each starting alike, ending alike where the end comes before the next
// start, and titled alike but for the white space around.
void CheckFfmpegReadsAlike(const QString& path, const std::vector<tessaro::Chapter>& ours) {
    AVFormatContext* context = nullptr;
    av_log_set_level(AV_LOG_QUIET);
    const bool opened = avformat_open_input(&context, path.toUtf8().constData(),
                                            av_find_input_format("ffmetadata"), nullptr) == 0;
    Require(opened && context->nb_chapters == ours.size(), "ffmpeg reads as many chapters");
    for (size_t i = 0; i < ours.size(); ++i) {
        const AVChapter& theirs = *context->chapters[i];
        const AVDictionaryEntry* title = av_dict_get(theirs.metadata, "title", nullptr, 0);
        const qint64 start = av_rescale_q(theirs.start, theirs.time_base, {1, 1000});
        const qint64 end = av_rescale_q(theirs.end, theirs.time_base, {1, 1000});
        const qint64 next = i + 1 < ours.size() ? ours[i + 1].startMs : kEndMs;
        const bool told = end > start && end < next;
        Require(start == ours[i].startMs, "ffmpeg reads the same start");
        Require(told == ours[i].endTold && (!told || end == ours[i].endMs),
                "ffmpeg reads the same end");
        Require(Trimmed(title ? QString::fromUtf8(title->value) : QString()) == ours[i].title,
                "ffmpeg reads the same title");
    }
    avformat_close_input(&context);
}
#endif

// No two forms take a line as their first, so that the guess tells one whatever the order.
void CheckSniffs(const QString& text) {
    for (const QString& line : tessaro::chapter_forms::LinesOf(text)) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const auto& formats = tessaro::chapter_forms::Formats();
        Require(std::count_if(formats.begin(), formats.end(),
                              [&line](const auto* format) { return format->sniff(line); }) <= 1,
                "at most one form takes a line as its first");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("chapters.txt"));
    QString error;
    const std::optional<tessaro::FileChapters> read =
        tessaro::ReadChapterFile(path, std::nullopt, {kEndMs, {}}, &error);
    const std::optional<std::vector<tessaro::Chapter>> chapters =
        read ? std::optional(read->chapters) : std::nullopt;
    if (!chapters) {
        Require(!error.isEmpty(), "a refused file says why");
        Require(!HasControl(error), "the reason shows no control character");
    }
    // Every reader meets every input, whatever its contents tell.
    const QString text = QString::fromUtf8(bytes);
    CheckSniffs(text);
    for (const tessaro::ChapterFormInfo& info : tessaro::ChapterForms()) {
        const std::optional<std::vector<tessaro::Chapter>> read =
            tessaro::ParseChapters(text, info.form, kEndMs, &error);
        if (!read) {
            Require(!error.isEmpty() && !HasControl(error), "a refusal says why, shown plainly");
            continue;
        }
        CheckChapters(*read);
        CheckForms(*read);
    }
    if (chapters) {
        CheckTag(*chapters, false);
        CheckTag(*chapters, true);
    }
    CheckCountedFromInputs(text);
#ifdef TESSARO_LIBCUE
    CompareWithLibcue(bytes);
#endif
#ifdef TESSARO_FUZZ_FFMPEG
    if (const auto ff = tessaro::ReadChapterFile(path, tessaro::ChapterForm::FfMetadata,
                                                 {kEndMs, {}}, &error)) {
        CheckFfmpegReadsAlike(path, ff->chapters);
    }
#endif
    return 0;
}
