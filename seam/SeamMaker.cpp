#include "seam/Seam.h"

#include <algorithm>
#include <cmath>

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/InputPass.h"
#include "mp3/LayerIII.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace tessaro {
namespace {

// Inputs the join encoded itself of fewer audio frames than this have no seams of their own: their
// audio goes whole into the seam between the inputs around them.
constexpr size_t kShortInput = 2 * kLaterFramesNeeded;

// The delay, padding, format and first `count` frames of `path`, as the seam in front of it
// needs them; why the join fails for it in *failure.
SeamInput PeekSeamInput(const std::shared_ptr<InputFile>& file, const QString& path, int gainSteps,
                        size_t count, QString* failure) {
    SeamInput input;
    const auto take = [&](const mp3::StreamReader& reader) {
        if (reader.FrameIndex() > 0 ||
            !ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &input)) {
            if (input.frames.empty()) {
                input.format = reader.Header();
            }
            input.frames.emplace_back(reinterpret_cast<const char*>(reader.Frame()),
                                      reader.FrameLength());
            // As the join will copy it; a seam is made of Layer III frames only.
            if (gainSteps != 0 && reader.Header().layer == mp3::FrameHeader::Layer3) {
                QByteArray& frame = input.frames.back();
                // A frame too short to hold the side information goes in as it is.
                static_cast<void>(mp3::AddGlobalGain(reinterpret_cast<quint8*>(frame.data()),
                                                     qint32(frame.size()), gainSteps));
            }
        }
        return input.frames.size() < count;
    };
    *failure = InputPass(file, path).Run(take).failure;
    return input;
}

// Appends frames a seam made, each kept by a copy of its own.
void AppendMade(const std::vector<QByteArray>& made, std::vector<FrameView>* frames) {
    for (const QByteArray& frame : made) {
        const auto keeper = std::make_shared<const QByteArray>(frame);
        frames->push_back(
            {reinterpret_cast<const quint8*>(keeper->constData()), qint32(keeper->size()), keeper});
    }
}

QString NotSeamless(const QString& earlier, const QString& later, const QString& why) {
    return QStringLiteral("%1 and %2 are joined as they are, not seamlessly: %3")
        .arg(Quoted(earlier), Quoted(later), why);
}

}  // namespace

std::vector<FrameView> SeamMaker::StartInput(const QString& path,
                                             const std::shared_ptr<InputFile>& file, int gainSteps,
                                             const std::optional<EncoderSilence>& own,
                                             QStringList* warnings, QString* failure) {
    std::vector<FrameView> frames(kept.begin(), kept.end());
    seamed = false;
    shift = 0;
    silence = 0;
    absorbing = false;
    if (on && !earlierPath.isEmpty() && (seamless || own || earlierReencoded)) {
        current.frames.clear();
        for (const FrameView& frame : kept) {
            current.frames.emplace_back(reinterpret_cast<const char*>(frame.data), frame.length);
        }
        AddGap();
        SeamInput later = PeekSeamInput(file, path, gainSteps,
                                        own ? kShortInput : size_t(kLaterFramesNeeded), failure);
        if (!failure->isEmpty()) {
            return {};
        }
        if (own) {
            later.delay = own->delay;
            later.padding = own->padding;
            later.ours = true;
        }
        // Too short for the seams on both sides of it, its audio goes into the next one; its
        // frames wait in case that cannot be made.
        if (own && later.frames.size() < kShortInput) {
            const std::vector<float> audio = AudioOf(later);
            if (!audio.empty()) {
                current.absorbed.insert(current.absorbed.end(), audio.begin(), audio.end());
                absorbing = seamed = earlierReencoded = true;
                silence = current.silence;
                absorbedPath = path;
                return {};
            }
        }
        const Seam seam = MakeSeam(current, later, early);
        shift = seam.shift;
        silence = seam.failure.isEmpty() ? current.silence : 0;
        early += shift;
        frames.assign(kept.begin(), kept.end() - seam.earlierReplaced);
        if (!seam.failure.isEmpty()) {
            *warnings << NotSeamless(earlierPath, path, seam.failure);
            frames.insert(frames.end(), absorbed.begin(), absorbed.end());
        }
        absorbed.clear();
        AppendMade(seam.frames, &frames);
        skip = seam.laterReplaced;
        seamed = seam.failure.isEmpty();
    }
    earlierPath = path;
    earlierReencoded = own.has_value();
    current = {};
    if (own) {
        current.delay = own->delay;
        current.padding = own->padding;
        current.ours = true;
    }
    kept.clear();
    keep = 0;
    audioBytes = 0;
    audioSeconds = 0;
    return frames;
}

SeamMaker::Taken SeamMaker::Take(const quint8* data, qint32 length,
                                 const std::shared_ptr<const void>& keeper, bool first) {
    if (!on) {
        return {};
    }
    if (absorbing) {
        // Its header frame goes as any input's; its audio frames wait for the next seam.
        if (first && mp3::XingHeader::IsEncoderHeader(data, length)) {
            return {};
        }
        absorbed.push_back({data, length, keeper});
        return {false, {}};
    }
    if (first && ReadEncoderHeader(data, length, &current)) {
        keep = size_t(EarlierFramesNeeded(current));
        return {};
    }
    mp3::FrameHeader header;
    header.ParseHeader(data);
    // The join's own encoding, its silence known without a header frame: its first frame is audio.
    if (first && earlierReencoded) {
        current.format = header;
        keep = size_t(EarlierFramesNeeded(current));
    }
    const qint32 bitrate = header.GetBitrate();
    current.bitrate = audioBytes == 0 || bitrate == current.bitrate ? bitrate : 0;
    audioBytes += length;
    audioSeconds += header.GetDuration();
    current.meanBitrate = audioSeconds > 0 ? qint32(double(audioBytes) * 8 / audioSeconds) : 0;
    if (skip == 0 && keep == 0) {
        return {};
    }
    if (skip > 0) {
        --skip;  // the seam's new frames stand in its place
        return {false, {}};
    }
    kept.push_back({data, length, keeper});
    if (kept.size() <= keep || FirstKeptNeeded()) {
        return {false, {}};
    }
    Taken taken{false, std::move(kept.front())};
    kept.pop_front();
    return taken;
}

// Puts the gap's silence behind what the seam to be made holds of the earlier input, and of
// those it takes in whole. Without a known rate the seam is refused anyway.
void SeamMaker::AddGap() {
    const qint64 samples =
        std::max<qint64>(0, std::llround(gapSeconds * current.format.GetSampleRate()));
    current.absorbed.resize(
        current.absorbed.size() + size_t(samples * current.format.GetChannelCount()), 0.0f);
    current.silence += samples;
}

bool SeamMaker::FirstKeptNeeded() const {
    mp3::FrameHeader header;
    header.ParseHeader(kept.front().data);
    if (header.layer != mp3::FrameHeader::Layer3) {
        return false;
    }
    // The frames between it and the first the seam decodes whole.
    const size_t between = kept.size() - size_t(EarlierFramesWhole(current)) - 1;
    const qint32 reach = mp3::FarthestBack(header);
    qint32 room = 0;
    for (size_t i = 1; i <= between && room < reach; ++i) {
        header.ParseHeader(kept[i].data);
        room += kept[i].length - mp3::MainDataStart(header);
    }
    // A frame has room for a byte at least, so as many frames as bytes are enough whatever they
    // are.
    return room < reach && between < size_t(reach);
}

SeamMaker::Released SeamMaker::Release(QStringList* warnings) {
    Released released{{kept.begin(), kept.end()}};
    if (!current.absorbed.empty()) {
        const Seam seam = MakeEndingSeam(current);
        if (seam.failure.isEmpty()) {
            released.frames.resize(kept.size() - size_t(seam.earlierReplaced));
            AppendMade(seam.frames, &released.frames);
            released.padding = seam.padding;
            absorbed.clear();  // the seam holds their audio
        } else {
            *warnings << NotSeamless(earlierPath, absorbedPath, seam.failure);
        }
    }
    released.frames.insert(released.frames.end(), absorbed.begin(), absorbed.end());
    seamed = false;
    current = {};
    kept.clear();
    absorbed.clear();
    return released;
}

double SeamMaker::KeptSeconds() const {
    double seconds = 0;
    for (const std::deque<FrameView>* frames : {&kept, &absorbed}) {
        for (const FrameView& frame : *frames) {
            mp3::FrameHeader header;
            header.ParseHeader(frame.data);
            seconds += header.GetDuration();
        }
    }
    return seconds;
}

}  // namespace tessaro
