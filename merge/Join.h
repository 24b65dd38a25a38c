#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "io/AtomicWrite.h"
#include "merge/ChapterClock.h"
#include "merge/FormatNotes.h"
#include "merge/GainEdit.h"
#include "merge/GapFrames.h"
#include "merge/JoinOutput.h"
#include "merge/JoinPlan.h"
#include "merge/JoinProgress.h"
#include "merge/MergeJob.h"
#include "merge/SpillFile.h"
#include "mp3/JoinedStream.h"
#include "seam/Seam.h"
#include "tags/Tags.h"

namespace tessaro {

class Pass;

// One join in progress, run as a plan of its inputs and passes over them (measuring,
// re-encoding, copying), each pass through the one InputPass, which fails the join for an input
// that cannot be read whole as it was opened. The inputs' frames go to the output one input at a
// time, then the leading header is put right and the output takes the target's place. Each step
// returns false once the join has failed; `result` says why.
class Join {
public:
    Join(const JoinRequest& request, MergeHost& host, std::optional<mp3::Picture> cover,
         JoinOutput::Bytes bytes = JoinOutput::Bytes::Written);

    // Looks at the inputs' first frames and takes the chapters from the chapter file, as the
    // options ask.
    bool Plan();
    // Marks the inputs of another format than the first one's to be re-encoded, refused unless
    // the first is of Layer III, the only layer LAME encodes.
    bool PlanConform();
    // Measures every input as it will be heard and settles its gain, and the joined file's
    // ReplayGain values.
    bool Level();
    // Encodes the inputs planned anew, each from its audio as levelling leaves it.
    bool Conform();
    // Copies every frame of the input at `index`, or skips it with a warning.
    bool CopyInput(size_t index);
    // Makes the leading header describe the whole output, the chapters tell their times, and
    // puts the output in place, and behind it the chapters exported.
    void Finish();

    size_t InputCount() const { return plan.inputs.size(); }
    // Gives the join up for `error`: the output goes, and `result` says what became of the
    // target. Returns false.
    bool Fail(const QString& error);

    MergeResult result;

private:
    bool Await(Pass& pass, qint64 before);
    bool Cancelled();
    bool Open();
    bool PlanFromInputs();
    bool PlanGap();
    bool PlanSilences();
    void CountChapters(std::vector<InputOffset> offsets);
    bool WriteGap(const mp3::StreamReader& reader, const std::optional<EncoderSilence>& own,
                  double* seconds);
    bool CopyFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                   bool firstOfFile);
    bool WriteFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                    bool firstOfFile);
    bool WriteViews(const std::vector<FrameView>& frames);
    bool Written(bool succeeded, qint32 length);
    bool ExportHolds(size_t chapters);
    bool StageExport(std::optional<StagedWrite>& staged);
    bool FailExport(const QString& why);

    const JoinRequest& request;
    const QString& outputPath;
    MergeHost& host;
    const JoinOptions& options;
    JoinPlan plan;
    JoinOutput output;
    SpillFile spill;  // of the inputs re-encoded
    mp3::JoinedStream stream;
    JoinProgress progress{host, plan};
    GainEdit gainEdit;
    JoinedTag tag;      // the typed values, the picture, the chapters joined so far
    TagBytes rendered;  // the tag, as planned
    ChapterClock chapterClock{options, tag.chapters};
    FormatNotes formats;
    SeamMaker seams;
    GapFrames gap{options.gapSeconds};
    // Where the audio ends in the timeline players show, as planned, the gaps included.
    double plannedEnd = 0;
    // The padding in place of the one the header of the input joined last tells, where that
    // input was cut short; -1 otherwise.
    qint32 cutPadding = -1;
    std::vector<JoinRecord> records;  // of the inputs joined so far
};

}  // namespace tessaro
