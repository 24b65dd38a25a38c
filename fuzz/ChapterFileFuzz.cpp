// Any bytes as a chapter file, read by the form its contents tell and in every form: each reader
// either refuses it, saying why, or yields chapters that start in increasing order before the
// end, each ending where the next starts, titled without control characters or white space
// around them. Written out in every form, they are told by their contents as that form and read
// back the same, to the millisecond (a CUE sheet to its 1/75 s, with ' for "), and a tag holding
// them (ID3v2.4 and ID3v2.3) has a frame for each, its tables of contents listing those listed,
// in order, at most 255 entries each, titled with the chapters they hold.
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

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "merge/ChapterForms.h"
#include "merge/Chapters.h"

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

using fuzzing::Require;
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
        Require(!chapter.title.isEmpty(), "a chapter has a title");
        Require(!HasControl(chapter.title), "a title holds no control character");
        Require(chapter.title == chapter.title.trimmed(), "a title has no white space around it");
        Require(chapter.startMs < chapter.endMs, "a chapter starts before it ends");
        const quint32 next = i + 1 < chapters.size() ? chapters[i + 1].startMs : kEndMs;
        Require(chapter.endMs == next, "a chapter ends where the next starts, the last at the end");
    }
}

// Whether `again` is `chapters` as `form` holds them.
bool SameChapters(const std::vector<tessaro::Chapter>& chapters,
                  const std::vector<tessaro::Chapter>& again, tessaro::ChapterForm form) {
    const bool cue = form == tessaro::ChapterForm::Cue;
    const quint32 step = cue ? 13 : 0;  // below a frame of 40/3 ms, the start rounded down
    return std::equal(chapters.begin(), chapters.end(), again.begin(), again.end(),
                      [&](const tessaro::Chapter& x, const tessaro::Chapter& y) {
                          const QString title =
                              cue ? QString(x.title).replace(u'"', u'\'') : x.title;
                          const bool listed = form == tessaro::ChapterForm::Json ? x.listed : true;
                          return title == y.title && y.startMs <= x.startMs &&
                                 x.startMs - y.startMs <= step && listed == y.listed;
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
                    read.chapters[i].startMs == chapters[i].startMs &&
                    read.chapters[i].endMs == chapters[i].endMs,
                "a chapter reads back from the tag as it was");
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
        // Of 1/75 s, each read at its first whole millisecond.
        const long frames = track_get_index(track, 1);
        Require(frames >= 0 && (quint64(frames) * 40 + 2) / 3 == entry.ms,
                "libcue finds each INDEX 01 at the same time");
        const char* file = track_get_filename(track);
        Require(entry.file < 0 ? file == nullptr
                               : file && QString::fromUtf8(file) == files[size_t(entry.file)].name,
                "libcue finds each track under the same FILE");
    }
}
#endif

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
    return 0;
}
