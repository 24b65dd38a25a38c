#include "merge/FileDecoder.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "codec/Codec.h"
#include "mp3/InputPass.h"
#include "mp3/StreamReader.h"
#include "seam/Seam.h"

namespace tessaro {
namespace {

// Bytes of frames in front of the first sample wanted that warm the decoder up besides its
// filter banks: a Layer III frame draws on up to 511 bytes of main data of the frames before
// it, between which their headers and side information lie.
constexpr qint64 kReservoirReach = 2 * 511;

}  // namespace

struct FileDecoder::State {
    explicit State(const QString& path) : reader(path) {
        if (!reader.AtEnd() && IsHeaderFrame(reader)) {
            SeamInput told;
            ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
            lead = told.delay >= 0 ? told.delay + kDecoderDelay : 0;
            Advance();
        }
        error = !reader.IsOpen() ? reader.OpenError()
                : reader.AtEnd() ? QStringLiteral("no MPEG audio frames found")
                                 : QString();
        if (error.isEmpty()) {
            decoder.emplace(mp3::StreamFormat(reader.Header()));
            format = decoder->Format();
            error = decoder->Ready() ? QString() : QStringLiteral("its format cannot be decoded");
        }
        finished = !error.isEmpty();
    }

    // Keeps what the decoder hands out from `skipTo` on.
    void Take(const float* samples, size_t count) {
        const size_t channels = size_t(decoder->Format().channels);
        const qint64 drop = std::clamp(skipTo - position, qint64(0), qint64(count));
        pending.insert(pending.end(), samples + size_t(drop) * channels,
                       samples + count * channels);
        position += qint64(count);
    }
    void Feed(const quint8* frame, qint32 length) {
        decoder->Feed(frame, length,
                      [this](const float* samples, size_t count) { Take(samples, count); });
    }
    // Decodes the next frame, or what the decoder still holds at the end.
    void DecodeNext() {
        if (reader.AtEnd()) {
            decoder->Finish([this](const float* samples, size_t count) { Take(samples, count); });
            finished = true;
            return;
        }
        Feed(reader.Frame(), reader.FrameLength());
        Advance();
    }
    void Advance() {
        passed += reader.FrameLength();
        reader.Advance();
    }

    mp3::StreamReader reader;
    std::optional<Mpg123Stream> decoder;
    mp3::StreamFormat format;
    QString error;
    qint64 position = 0;  // of the next sample the decoder hands out, per channel
    qint64 skipTo = 0;
    qint64 lead = 0;
    qint64 passed = 0;           // bytes of the frames decoded or passed over
    std::vector<float> pending;  // decoded, not yet handed out
    bool finished = false;       // the decoder has handed out all it will
};

FileDecoder::FileDecoder(const QString& path) : state(std::make_unique<State>(path)) {}

FileDecoder::~FileDecoder() = default;

const QString& FileDecoder::Error() const {
    return state->error;
}

qint32 FileDecoder::SampleRate() const {
    return state->format.sampleRate;
}

qint32 FileDecoder::Channels() const {
    return state->format.channels;
}

qint64 FileDecoder::Lead() const {
    return state->lead;
}

void FileDecoder::SkipTo(qint64 sample) {
    State& s = *state;
    s.skipTo = sample;
    if (s.finished) {
        return;
    }
    const qint64 frameSamples = s.reader.Header().GetSampleCount();
    std::deque<QByteArray> warming;  // the frames just passed over
    qint64 warmingBytes = 0;
    qint64 frame = 0;
    for (; !s.reader.AtEnd() && (frame + 1) * frameSamples <= sample; ++frame, s.Advance()) {
        warming.emplace_back(reinterpret_cast<const char*>(s.reader.Frame()),
                             s.reader.FrameLength());
        warmingBytes += s.reader.FrameLength();
        while (warming.size() > size_t(kWarmUpFrames) &&
               warmingBytes - warming.front().size() >= kReservoirReach) {
            warmingBytes -= warming.front().size();
            warming.pop_front();
        }
    }
    s.position = (frame - qint64(warming.size())) * frameSamples;
    for (const QByteArray& early : warming) {
        s.Feed(reinterpret_cast<const quint8*>(early.constData()), qint32(early.size()));
    }
}

std::vector<float> FileDecoder::Next(qint64 count) {
    State& s = *state;
    const size_t wanted = size_t(count) * size_t(std::max(s.format.channels, 1));
    while (!s.finished && s.pending.size() < wanted) {
        s.DecodeNext();
    }
    const size_t taken = std::min(wanted, s.pending.size());
    std::vector<float> samples(s.pending.begin(), s.pending.begin() + qsizetype(taken));
    s.pending.erase(s.pending.begin(), s.pending.begin() + qsizetype(taken));
    return samples;
}

bool FileDecoder::AtEnd() const {
    return state->finished && state->pending.empty();
}

double FileDecoder::Progress() const {
    const mp3::StreamReader& reader = state->reader;
    const qint64 audio = reader.AudioEnd() - reader.StartOffset();
    return audio > 0 ? std::min(double(state->passed) / double(audio), 1.0) : 1.0;
}

}  // namespace tessaro
