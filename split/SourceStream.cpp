#include "split/SourceStream.h"

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/Crc16.h"
#include "mp3/InputPass.h"
#include "mp3/LayerIII.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace tessaro {

namespace {

// What the repacking needs of a Layer III frame; none for one too short for its side
// information.
std::optional<ReservoirFrame> ReservoirFrameOf(const mp3::StreamReader& reader) {
    const qint32 areaStart = mp3::MainDataStart(reader.Header());
    if (reader.FrameLength() < areaStart) {
        return std::nullopt;
    }
    const QByteArray frame = QByteArray::fromRawData(reinterpret_cast<const char*>(reader.Frame()),
                                                     reader.FrameLength());
    return ReservoirFrame{reader.FrameLength() - areaStart, mp3::MainDataBegin(frame)};
}

bool SameFormat(const mp3::FrameHeader& a, const mp3::FrameHeader& b) {
    return a.SameStream(b) && a.GetChannelCount() == b.GetChannelCount();
}

}  // namespace

std::optional<SourceStream> ReadSourceStream(const QString& path, QString* error) {
    SourceStream stream;
    stream.file = InputFile::Open(path, error);
    if (!stream.file) {
        *error = CannotRead(path, *error);
        return std::nullopt;
    }
    mp3::StreamReader reader(stream.file, path);
    std::vector<ReservoirFrame> reservoir;
    bool uniform = true;
    mp3::FrameHeader first;
    for (; !reader.AtEnd(); reader.Advance()) {
        if (IsHeaderFrame(reader)) {
            stream.lead =
                QByteArray(reinterpret_cast<const char*>(reader.Frame()), reader.FrameLength());
            if (const auto xing = mp3::XingHeader::Find(reader.Frame(), reader.FrameLength())) {
                stream.delay = xing->EncoderDelay(reader.Frame());
                stream.padding = xing->EncoderPadding(reader.Frame());
            }
            continue;
        }
        if (stream.frames.empty()) {
            first = reader.Header();
        }
        const quint8* bytes = reader.Frame();
        stream.frames.push_back({reader.Header().offset,
                                 reader.FrameLength(),
                                 {bytes[0], bytes[1], bytes[2], bytes[3]}});
        stream.crcBefore.push_back(
            mp3::Crc16(bytes, reader.FrameLength(), stream.crcBefore.back()));
        const std::optional<ReservoirFrame> frame = ReservoirFrameOf(reader);
        stream.freeFormat = stream.freeFormat || reader.Header().IsFreeFormat();
        uniform = uniform && first.layer == mp3::FrameHeader::Layer3 && frame &&
                  !stream.freeFormat && SameFormat(first, reader.Header());
        if (uniform) {
            reservoir.push_back(*frame);
        }
    }
    if (!reader.ReadError().isEmpty()) {
        *error = CannotRead(path, reader.ReadError());
        return std::nullopt;
    }
    if (stream.frames.empty()) {
        *error = QStringLiteral("%1 holds no MPEG audio frame").arg(Quoted(path));
        return std::nullopt;
    }
    stream.samplesPerFrame = first.GetSampleCount();
    stream.sampleRate = first.GetSampleRate();
    // Delay and padding that do not fit the frames are none the decoders heed either.
    if (stream.Samples() <= 0) {
        stream.delay = stream.padding = 0;
    }
    if (uniform) {
        stream.reservoir.emplace(std::move(reservoir));
    }
    return stream;
}

quint16 SourceStream::CrcOf(size_t first, size_t end, qint64 bytes) const {
    return crcBefore[end] ^ mp3::Crc16Combine(crcBefore[first], 0, bytes);
}

}  // namespace tessaro
