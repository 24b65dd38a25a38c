#include "mp3/JoinedStream.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace mp3 {

JoinedStream::Step JoinedStream::AddFrame(const quint8* frame, qint32 length, bool firstOfFile) {
    if (firstOfFile) {
        ++files;
        const std::optional<XingHeader> xing = XingHeader::Find(frame, length);
        lastPadding = xing ? xing->EncoderPadding(frame) : 0;
        // One whose fields are not whole still holds no audio, but describes nothing either.
        if (XingHeader::IsEncoderHeader(frame, length)) {
            const bool vbri = !xing && XingHeader::IsVbri(frame, length);
            if (files > 1 || !(xing || vbri)) {
                return {false, {}};
            }
            lead = xing ? Lead::Xing : Lead::Vbri;
            leadFrame = QByteArray(reinterpret_cast<const char*>(frame), length);
            return {};
        }
    }
    Step step;
    FrameHeader header;
    header.ParseHeader(frame);
    if (!firstAudio) {
        firstAudio = std::array<quint8, 4>{frame[0], frame[1], frame[2], frame[3]};
        firstBitrate = header.GetBitrate();
    } else if (header.GetBitrate() != firstBitrate) {
        oneBitrate = false;
    }
    // A single input stays as it is, so the header comes only with the second.
    if (lead == Lead::None && files > 1 && !oneBitrate) {
        step.insertFront = XingHeader::NewFrame(firstAudio->data(), false);
        if (!step.insertFront.isEmpty()) {
            lead = Lead::Inserted;
            leadFrame = step.insertFront;
        }
    }
    AddAudio(length, header);
    return step;
}

void JoinedStream::AddAudio(qint32 length, const FrameHeader& header) {
    const double frameDuration = header.GetDuration();
    const double start = duration;
    duration += frameDuration;
    if (runs.empty() || runs.back().frameDuration != frameDuration) {
        runs.push_back({frameCount, start, frameDuration});
    }
    if (frameCount % stride == 0) {
        offsets.push_back(audioBytes);
    }
    // Every other offset goes once there are many: a seek table of 256 steps needs no more, and
    // memory stays the same whatever the length.
    if (offsets.size() > kMaxOffsets) {
        for (size_t i = 0; 2 * i < offsets.size(); ++i) {
            offsets[i] = offsets[2 * i];
        }
        offsets.resize((offsets.size() + 1) / 2);
        stride *= 2;
    }
    ++frameCount;
    audioBytes += quint64(length);
}

double JoinedStream::OffsetOf(quint64 frame) const {
    // Between two kept offsets, frames are taken to be of equal length.
    const size_t kept = frame / stride;
    const double next = kept + 1 < offsets.size() ? offsets[kept + 1] : double(audioBytes);
    return offsets[kept] + (next - offsets[kept]) * (frame % stride) / stride;
}

quint64 JoinedStream::FrameAt(double seconds) const {
    // The last run that starts by then; runs of frames without duration start with the next.
    const auto run = std::prev(std::upper_bound(
        runs.begin(), runs.end(), seconds, [](double t, const Run& r) { return t < r.start; }));
    const quint64 end = std::next(run) == runs.end() ? frameCount : std::next(run)->first;
    const double into = run->frameDuration > 0 ? (seconds - run->start) / run->frameDuration : 0;
    return std::min(end - 1, run->first + quint64(std::max(0.0, into)));
}

SeekTable JoinedStream::MakeSeekTable(quint32 leadLength, quint64 bytes) const {
    SeekTable table{};
    if (offsets.empty()) {
        return table;
    }
    const qint32 entries = qint32(table.size());
    for (qint32 i = 0; i < entries; ++i) {
        const double offset = leadLength + OffsetOf(FrameAt(duration * i / entries));
        // Rounded to the nearest step, so that seeks land as often early as late. No frame
        // begins at the very end, so an entry stays below 256 but for rounding.
        table[size_t(i)] = quint8(std::min(255L, std::lround(offset * 256 / bytes)));
    }
    return table;
}

QByteArray JoinedStream::HeaderFrame(quint16 musicCrc) const {
    const auto* written = reinterpret_cast<const quint8*>(leadFrame.data());
    // Written over the one at the output's start, the frame keeps its length.
    const quint64 bytes = quint64(leadFrame.size()) + audioBytes;
    // A single input keeps its own header when that describes it already. A "VBRI" one tells
    // counts alone, which levelling leaves as they are; where they are not the audio's, it gives
    // way to a "Xing" one, whose fields are known, as in a join.
    if (lead == Lead::None ||
        (lead == Lead::Vbri && files == 1 &&
         XingHeader::VbriCounts(written, qint32(leadFrame.size()), frameCount, bytes))) {
        return {};
    }
    QByteArray frame = lead == Lead::Vbri ? XingHeader::NewFrame(written, true) : leadFrame;
    auto* data = reinterpret_cast<quint8*>(frame.data());
    const std::optional<XingHeader> header = XingHeader::Find(data, qint32(frame.size()));
    if (!header) {
        return {};
    }
    const XingHeader::Stream stream{
        frameCount, bytes,     MakeSeekTable(quint32(frame.size()), bytes), musicCrc, lastPadding,
        oneBitrate, firstDelay};
    if (files == 1 && !gainChanged && header->Counts(data, stream)) {
        return {};
    }
    header->Describe(data, stream);
    return frame;
}

}  // namespace mp3
