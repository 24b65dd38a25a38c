#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "merge/JoinOutput.h"
#include "merge/JoinPlan.h"
#include "merge/JoinedTag.h"
#include "merge/MergeJob.h"
#include "merge/SeamMaker.h"
#include "merge/SpillFile.h"
#include "mp3/JoinedStream.h"
#include "mp3/StreamFormat.h"
#include "mp3/StreamReader.h"

namespace tessaro {

struct InputLoudness;

// One join in progress, run as a plan of its inputs and passes over them (measuring,
// re-encoding, copying), each pass through the one InputPass, which fails the join for an input
// that cannot be read whole as it was opened. The inputs' frames go to the output one input at a
// time, then the leading header is put right and the output takes the target's place. Each step
// returns false once the join has failed; `result` says why.
class Join {
public:
    Join(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
         const JoinOptions& options, std::optional<mp3::Picture> cover);

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
    // puts the output in place.
    void Finish();

    size_t InputCount() const { return plan.inputs.size(); }
    // Gives the join up for `error`: the output goes, and `result` says what became of the
    // target. Returns false.
    bool Fail(const QString& error);

    MergeResult result;

private:
    template <typename Pass>
    bool Await(Pass& pass, qint64 before);
    bool Cancelled();
    double AudioStart(double framesStart, const mp3::StreamReader& reader,
                      const std::optional<EncoderSilence>& own);
    bool Open();
    bool PlanFromInputs();
    bool CopyFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                   bool firstOfFile);
    bool WriteFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                    bool firstOfFile);
    bool WriteViews(const std::vector<FrameView>& frames);
    bool StartsChapter(const QString& title) const;
    void StartChapter(const QString& title, double seconds);
    bool Written(bool succeeded, qint32 length);
    void ReportProgress();
    int SettleGain(const PlannedInput& planned, const InputLoudness& loudness);
    FrameView Levelled(const FrameView& frame, int gain, bool firstOfFile);
    void CompareFormat(const PlannedInput& input, const mp3::StreamFormat& format);

    const TessaroWorkSpace& workspace;
    const QString outputPath;
    MergeHost& host;
    const JoinOptions& options;
    JoinPlan plan;
    JoinOutput output;
    SpillFile spill;  // of the inputs re-encoded
    mp3::JoinedStream stream;
    qint64 passTotal = 0;  // bytes the passes decode: every input to level, those to re-encode
    qint64 passDone = 0;
    qint32 shown = -1;      // percent last reported
    qint64 nextReport = 0;  // bytes written from which on the percent may have changed
    // Seconds of the first input's encoder and decoder delay, once known, and of the silence the
    // input joined last ends with.
    double firstLead = -1;
    double earlierTail = 0;
    static constexpr size_t kLevelledBlock = 1 << 20;
    std::shared_ptr<std::vector<quint8>> levelled;  // the block levelled frames are copied into
    size_t levelledUsed = 0;
    JoinedTag tag;            // the typed values, the picture, the chapters joined so far
    qsizetype frontSize = 0;  // of the tag in front of the audio, as planned
    QByteArray back;          // the tag behind the audio
    QString firstInput;
    mp3::StreamFormat firstFormat;
    SeamMaker seams;
};

}  // namespace tessaro
