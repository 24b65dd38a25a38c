// Any bytes as a chapter file, read by the form its contents tell and in every form: each reader
// either refuses it, saying why, or yields chapters that start in increasing order before the
// end, each ending where the next starts, titled without control characters or white space
// around them. Written out in every form, they are told by their contents as that form and read
// back the same, to the millisecond (a CUE sheet to its 1/75 s, with ' for "), and a tag holding
// them (ID3v2.4 and ID3v2.3) has a frame for each, its tables of contents listing those listed,
// in order, at most 255 entries each, titled with the chapters they hold.

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "merge/Chapters.h"

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
    return 0;
}
