#include "merge/JoinPreview.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "io/Files.h"
#include "merge/FileDecoder.h"
#include "merge/JoinPlan.h"
#include "merge/Loudness.h"
#include "mp3/StreamReader.h"
#include "seam/Seam.h"

namespace tessaro {
namespace {

JoinPreview Failed(const QString& error) {
    JoinPreview preview;
    preview.error = error;
    return preview;
}

// What the merge would be given for the audio alone: nothing around it that could fail it.
JoinOptions AudioOptions(JoinOptions options) {
    options.chapters = false;
    options.copyCover = false;
    options.coverFile.clear();
    options.chapterFile.clear();
    options.copyTags = false;
    options.moreTag = {};
    return options;
}

// The one gain album levelling gives every input of `list`, measured as the merge measures it;
// none, with *error set, when it cannot be or is cancelled.
std::optional<int> ListAlbumGain(const QStringList& list, const JoinOptions& options,
                                 MergeHost& host, QString* error) {
    JoinPlan plan(list);
    *error = plan.Failure();
    const auto cancelled = [&host] { return host.MergeCancelled(); };
    // Re-encoding changes the channels an input is heard in.
    if (!error->isEmpty() || (options.conform && !plan.Look(true, cancelled, error))) {
        return std::nullopt;
    }
    plan.PlanReencoding();
    LoudnessPass pass(LoudnessInputs(plan.inputs));
    while (!pass.WaitFor(std::chrono::milliseconds(50))) {
        if (host.MergeCancelled()) {
            pass.Cancel();
            *error = QStringLiteral("The measuring was cancelled");
            return std::nullopt;
        }
    }
    for (const InputLoudness& loudness : pass.Results()) {
        if (!loudness.failure.isEmpty()) {
            *error = loudness.failure;
            return std::nullopt;
        }
    }
    bool heldBack = false;
    return AlbumGainSteps(pass.Results(), options.levelTarget, &heldBack);
}

// Seconds of the encoder's and decoder's silence in front of the audio of the file at `path`,
// which the timeline of a join it starts begins behind.
double LeadOf(const QString& path) {
    mp3::StreamReader reader(path);
    SeamInput told;
    if (reader.AtEnd() || !ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told)) {
        return 0;
    }
    return LeadSeconds(told.delay, reader.Header().GetSampleRate());
}

// The samples of the audio frames of the file at `path`, decoded from the first as one stream,
// `seconds` on both sides of `join` seconds into them.
JoinPreview DecodeAround(const QString& path, double join, double seconds) {
    FileDecoder decoder(path);
    if (!decoder.Error().isEmpty()) {
        return Failed(QStringLiteral("Cannot decode %1: %2").arg(Quoted(path), decoder.Error()));
    }
    JoinPreview preview;
    preview.sampleRate = decoder.SampleRate();
    preview.channels = decoder.Channels();
    const qint64 joinAt = std::llround(join * preview.sampleRate);
    const qint64 span = std::llround(seconds * preview.sampleRate);
    const qint64 from = std::max(joinAt - span, qint64(0));
    decoder.SkipTo(from);
    preview.samples = decoder.Next(joinAt + span - from);
    preview.joinAt = joinAt - from;
    return preview;
}

}  // namespace

bool PreviewMeasuresList(const JoinOptions& options, qsizetype entries) {
    return options.level && options.levelAlbum && entries > 2;
}

JoinPreview PreviewJoin(const QStringList& list, int entry, const JoinOptions& options,
                        double seconds, MergeHost& host) {
    const QStringList pair = list.mid(entry, 2);
    if (entry < 0 || pair.size() < 2) {
        return Failed(QStringLiteral("There is no entry after this one to join it to"));
    }
    JoinOptions audio = AudioOptions(options);
    if (PreviewMeasuresList(options, list.size())) {
        QString error;
        audio.albumGainSteps = ListAlbumGain(list, options, host, &error);
        if (!audio.albumGainSteps) {
            return Failed(error);
        }
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return Failed(
            QStringLiteral("Cannot make a temporary folder: %1").arg(folder.errorString()));
    }
    const JoinRequest request{.inputs = pair,
                              .output = QDir(folder.path()).filePath(QStringLiteral("join.mp3")),
                              .options = audio};
    const MergeResult joined = RunMerge(request, host);
    if (!joined.Succeeded()) {
        return Failed(joined.error);
    }
    if (joined.starts.size() < 2) {
        return Failed(joined.warnings.value(0, QStringLiteral("Nothing to join")));
    }
    // Decoded, the timeline starts behind the first input's encoder and decoder silence.
    return DecodeAround(request.output, joined.starts[1] + LeadOf(pair[0]), seconds);
}

}  // namespace tessaro
