#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "merge/JoinOptions.h"
#include "tags/Tags.h"
#include "workspace/OutputTag.h"

// Errors: the join reports what failed in a MergeResult, in words a user reads (warnings for
// inputs left out, an error when nothing or no complete file was written); it never throws.

namespace tessaro {

// Where a join writes its chapters besides the output, and in what form.
struct ChapterExport {
    QString path;
    ChapterForm form = ChapterForm::Lines;
};

// One join, complete before it starts: whoever runs it is never asked anything on the way.
struct JoinRequest {
    // Each given a default, so that a request may name only what it needs.
    QStringList inputs{};  // in the order they are joined
    QString output{};
    OutputTag tag{};        // as the user typed it
    bool writeTag = false;  // whether the typed tag goes into the output
    JoinOptions options{};
    // Whether the output is written under a name of another audio format (MisnamedOutput()).
    bool forceName = false;
    // The output's chapters written to a file of their own as well, none for no such file.
    std::optional<ChapterExport> chapterExport{};
};

// Why `output` misnames what a join writes: its name ends in the extension of another audio
// format (.m4b, .m4a, .aac, .ogg, .opus, .flac, .wav, in any case), which players and libraries
// trust and then fail to play; empty when it does not.
QString MisnamedOutput(const QString& output);

// The calls through which the merge job reaches whoever runs it (the window, the command-line
// tool, a test), on the job's thread.
class MergeHost {
public:
    virtual ~MergeHost() = default;

    // A new bar position (percent of the inputs' audio bytes written) and a new range maximum;
    // 0 in either means "no change".
    virtual void MergeProgress(qint32 position, qint32 rangeMax) = 0;
    // Whether whoever runs the join wants it stopped; asked for every frame, so it must be cheap.
    virtual bool MergeCancelled() { return false; }
};

struct MergeResult {
    qint64 written = 0;        // bytes written: the sum of the frame lengths, header frame included
    qint64 frames = 0;         // frames written, header frame included
    int inputsJoined = 0;      // inputs that gave at least one frame
    double seconds = 0;        // the joined audio's playing time, once it succeeded
    QStringList warnings;      // inputs skipped or unlike the first
    int formatsToConform = 0;  // inputs unlike the first in format, which re-encoding would match
    QString error;             // why the merge failed; empty when it succeeded
    bool cancelled = false;    // the host asked it to stop: the error says so, and nothing is lost
    std::vector<Chapter> chapters;  // of the joined file, when it has any
    // Where each input's audio starts and ends on the joined timeline, in the order of the
    // request's inputs (start == end for one that gave no frame).
    std::vector<TimelineInput> inputs;
    // Where the audio of each input joined starts, to the sample: in seconds of that timeline.
    std::vector<double> starts;
    QString title, artist;  // of the joined file's tag, typed or shared; empty for none

    bool Succeeded() const { return error.isEmpty(); }
};

// Joins every audio frame of every input, in order and byte for byte, into the output, with the
// typed tag around them when the request asks for it. Each input's own Xing, Info or
// VBRI header frame is left out but the first one's, which is made to describe the whole output;
// where the bitrate varies and there is none, a new one is put in front (see mp3::JoinedStream).
// The output is written in one pass to a temporary file beside the target and replaces it only
// once complete, so a failed merge leaves the target as it was; a merge that finds no frame at
// all fails and writes nothing. An input that changes while it is read fails the merge.
// Chapters, picture and the text frames the inputs share go into the same ID3v2 tag as the typed
// values, as `options` ask, whether or not the host wants those written. Unless seams or
// re-encoding put frames of their own in place of the inputs', that tag records where each
// input's frames lie (JoinRecord), in a tag of its own where there is nothing else to tag. A
// chapter file whose times do not increase or reach past the audio planned fails the merge
// before anything is written. An output misnamed (MisnamedOutput()) unless the request forces its
// name, a name that is not valid UTF-8, a cover file that is not
// a JPEG or PNG picture in a regular file of at most 64 MiB, or a tag larger than an ID3v2 tag can
// hold fails the merge before anything is written. A merge the host cancels ends as a failed one
// does, with the target as it was, and so does one that runs short of memory or of threads.
// Chapters to export are formatted and written beside their file before the output takes its
// place, and put in place behind it: chapters their form cannot hold (FormatChapters), refused as
// soon as their count is known, or a file that cannot be written, fail the merge with both
// targets as they were.
[[nodiscard]] MergeResult RunMerge(const JoinRequest& request, MergeHost& host);

// The join RunMerge would make of `request`, and its chapters, made without writing anything: the
// inputs read and every step taken as the merge takes it, but levelling's measuring (the gain moves
// no chapter) and the checks of the output's name. `host` is polled to cancel it.
[[nodiscard]] MergeResult PreviewMerge(const JoinRequest& request, MergeHost& host);

}  // namespace tessaro
