#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <limits>
#include <optional>
#include <vector>

// Errors: a chapter file that cannot be taken, or chapters a form cannot hold, give no value and
// the reason in *error, in words a user reads, naming the line ("line 4: …") or JSON entry
// ("entry 3 of "chapters": …") at fault.

namespace tessaro {

// The forms chapters are exchanged in between tools.
enum class ChapterForm { Lines, Cue, FfMetadata, Json, Labels };

// Where a chapter points, as a chapter file gives it: the address of a web page about it and of a
// picture for it; empty for none.
struct ChapterLinks {
    QString page;
    QString picture;

    bool operator==(const ChapterLinks& other) const {
        return page == other.page && picture == other.picture;
    }
};

// Where one joined input plays in the output, in milliseconds from its first audio frame.
struct Chapter {
    QString title;  // empty for a chapter without one
    quint32 startMs = 0;
    quint32 endMs = 0;
    bool listed = true;  // in the table of contents; a chapter frame either way
    // Whether `endMs` is the chapter file's own, before the next chapter starts (or the audio
    // ends), rather than where that happens.
    bool endTold = false;
    ChapterLinks links{};
};

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
    // What tessaro-join's help calls it among the forms a chapter file may be in ("a CUE sheet"),
    // and what it puts behind its word ("(a CUE sheet)"), translated in the context
    // "TessaroJoin".
    const char* kind;
    const char* gloss;

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

// An input of a join, as a CUE sheet's FILE line may name it: its path, and where its audio
// starts and ends on the joined timeline, as planned, in ms (alike for one that holds none).
struct TimelineInput {
    QString path;
    quint32 startMs = 0;
    quint32 endMs = 0;
};

// The joined audio a chapter file is read against: where it ends (the largest quint32 where not
// yet known), and its inputs in order (none where not known).
struct ChapterTimeline {
    quint32 endMs = std::numeric_limits<quint32>::max();
    std::vector<TimelineInput> inputs;
};

// Where a chapter that a CUE sheet times from the start of an input starts: `offsetMs` into the
// audio of the input at `input`.
struct InputOffset {
    size_t input = 0;
    quint32 offsetMs = 0;
};

// The chapters a file gives a join: on its timeline as planned, and, where a CUE sheet times
// them from the inputs' starts, where in the inputs each starts (none otherwise), so that the
// join can place them where the inputs turn out to start.
struct FileChapters {
    std::vector<Chapter> chapters;
    std::vector<InputOffset> offsets;
};

// The chapters of the file at `path`, in `form` or the one its contents tell, each ending where
// the next starts and the last at the end of the joined audio, unless the file ends it after its
// start and before that (`endTold`). A chapter may have no title. None for a file that cannot be
// read, is not UTF-8 text, is not in the form or holds no chapter, with a chapter whose title or
// address holds what chapter_forms::Controls() matches (a tab, a NUL, U+2028 included), or whose
// start does not come after the one before or is not before the end. Titles and addresses lose
// the white space around them.
//
// A CUE sheet's INDEX times count from the start of the FILE above them. With FILE lines of more
// than one name, each must name an input, in order (each one joined after the one the FILE line
// before names), by its file name without folders or extension: each chapter starts where its
// FILE's input's audio starts on the timeline, plus its INDEX 01, which must fall within that
// audio. A sheet that does not is refused, naming the FILE or INDEX line.
[[nodiscard]] std::optional<FileChapters> ReadChapterFile(const QString& path,
                                                          std::optional<ChapterForm> form,
                                                          const ChapterTimeline& timeline,
                                                          QString* error);
[[nodiscard]] std::optional<FileChapters> ParseChapters(const QString& text, ChapterForm form,
                                                        const ChapterTimeline& timeline,
                                                        QString* error);
// Against a join of which only the end, `endMs`, is known.
[[nodiscard]] std::optional<std::vector<Chapter>> ParseChapters(const QString& text,
                                                                ChapterForm form, quint32 endMs,
                                                                QString* error);
// How many chapters the file at `path` holds, as far as it tells without the join: as
// ReadChapterFile reads it, but that the FILE lines of a CUE sheet are not matched with inputs
// and its INDEX times are checked against the others of their FILE alone.
[[nodiscard]] std::optional<size_t> CountChapters(const QString& path, QString* error);

// What a CUE sheet names besides the chapters: the audio file's name and, where known, its title
// and performer.
struct ChapterSheet {
    QString audioFile;
    QString title;
    QString performer;
};

// Why `form` cannot hold `count` chapters: a CUE sheet holds at most 99. Empty when it can.
QString TooManyChapters(size_t count, ChapterForm form);

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
