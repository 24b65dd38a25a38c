#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "merge/JoinOptions.h"
#include "merge/JoinedTag.h"

// Errors: a chapter file that cannot be taken, or chapters a form cannot hold, give no value and
// the reason in *error, in words a user reads, naming the line ("line 4: …") or JSON entry
// ("entry 3 of "chapters": …") at fault.

namespace tessaro {

// Chapters as tools exchange them, each with the start of each chapter on the timeline players
// show, and what else the form holds:
// - Lines: "HH:MM:SS.mmm Title", "H:MM:SS Title" or "MM:SS[.mmm] Title", as audiobook tools,
//   show notes and video descriptions write them, a separator ("-", "–", "—", ":" or "|", spaces
//   around it) between time and title or not; blank lines are passed over.
// - Cue: a CUE sheet, a TRACK with TITLE and INDEX 01 mm:ss:ff (75 frames a second) for each.
// - FfMetadata: ffmpeg's ";FFMETADATA1", a [CHAPTER] with TIMEBASE, START and END, in that order
//   as ffmpeg reads them, and a title for each.
// - Json: Podcasting 2.0 chapters, {"version": …, "chapters": [{"startTime": seconds, "endTime":
//   seconds, "title": …, "url": …, "img": …, "toc": false where left out of the table of
//   contents}, …]}, all but "startTime" optional.
// - Labels: Audacity's labels, "start TAB end TAB title" a line, in seconds.
struct ChapterFormInfo {
    ChapterForm form;
    const char* word;  // --chapter-format's
    // What a file dialog calls it, translated in the context "tessaro::MainWindow".
    const char* name;
    QStringList extensions;  // without the dot; a file's name ending so is written in this form

    // For a file dialog: "CUE sheets (*.cue)", in the user's language.
    QString Filter() const;
};
// Every form, the lines first.
const std::vector<ChapterFormInfo>& ChapterForms();
const ChapterFormInfo& InfoOf(ChapterForm form);
// The form --chapter-format names by `word`; none for a word that names none.
std::optional<ChapterForm> ChapterFormNamed(const QString& word);
// The form chapters written to `path` take by its extension; the lines for any other.
ChapterForm ChapterFormOfName(const QString& path);
// The form `text` is in, by its first line that is not blank (a byte order mark passed over);
// where that tells none, by the extension of `path`, and the lines for any other.
ChapterForm GuessChapterForm(const QString& text, const QString& path);

// The chapters of the file at `path`, in `form` or the one its contents tell, each ending where
// the next starts and the last at `endMs`, the end of the joined audio (the largest quint32
// where not yet known), unless the file ends it after its start and before that (`endTold`). A
// chapter may have no title. None for a file that cannot be read, is not UTF-8 text, is not in
// the form or holds no chapter, with a chapter whose title or address holds what
// chapter_forms::Controls() matches (a tab, a NUL, U+2028 included), or whose start does not
// come after the one before or is not before `endMs`. Titles and addresses lose the white space
// around them.
[[nodiscard]] std::optional<std::vector<Chapter>> ReadChapterFile(const QString& path,
                                                                  std::optional<ChapterForm> form,
                                                                  quint32 endMs, QString* error);
[[nodiscard]] std::optional<std::vector<Chapter>> ParseChapters(const QString& text,
                                                                ChapterForm form, quint32 endMs,
                                                                QString* error);

// What a CUE sheet names besides the chapters: the audio file's name and, where known, its title
// and performer.
struct ChapterSheet {
    QString audioFile;
    QString title;
    QString performer;
};

// The chapters in `form`, UTF-8, as ParseChapters and the form's other readers read them back,
// less what the form cannot hold: addresses and being left out of the table of contents are
// JSON's alone, and the lines and a CUE sheet tell no end. What chapter_forms::Controls() matches
// in a title or the sheet's texts becomes a space, and the white space around them goes; a CUE
// sheet's texts hold a ' where a " stood, and its and an FFMETADATA file's a U+2216 (∖) for a
// backslash that ends them, which cuetools and ffmpeg would take to escape what follows. None for
// chapters a CUE sheet cannot hold: more than 99, or two starting within one of its frames.
[[nodiscard]] std::optional<QByteArray> FormatChapters(const std::vector<Chapter>& chapters,
                                                       ChapterForm form, const ChapterSheet& sheet,
                                                       QString* error);

// The title that inputs forming one chapter share: `title` without a trailing part or track
// number ("Chapter 3 (1/2)", "Chapter 3 - Part 2" give "Chapter 3"). A number alone is kept, as
// it is the chapter's own ("Chapter 3").
QString RunTitle(const QString& title);

// The title the name of the file at `path` gives: its name without the extension, and without a
// leading track or disc-track number and the separator behind it ("01 - Intro", "02. Morning",
// "1-03 Night" give "Intro", "Morning", "Night"). A number that the name begins with but that is
// part of its words is kept: one digit before a space ("7 Seconds"), a word after it ("Track 07"),
// a name that is a number alone ("1984").
QString FileTitle(const QString& path);

}  // namespace tessaro
