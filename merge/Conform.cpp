#include "merge/Conform.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>

#include "codec/Codec.h"
#include "io/Files.h"
#include "io/Threads.h"
#include "merge/BoundedQueue.h"
#include "merge/SpillFile.h"
#include "mp3/InputPass.h"
#include "mp3/StreamFormat.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"
#include "seam/Seam.h"

namespace tessaro {
namespace {

using mp3::FrameHeader;

// Samples handed on at a time, and bytes of frames gathered before they are written.
constexpr size_t kChunk = 8192;
constexpr size_t kWriteChunk = 1 << 20;

// Chunks of samples handed from the thread that decodes to the one that encodes, a few at most
// waiting.
using ChunkQueue = BoundedQueue<std::vector<float>, 4>;

// The samples an input decodes to, trimmed of its encoder's delay and padding, on their way to
// the encoder: gained, mixed to the target's channels and resampled to its rate, stretch by
// stretch where its format changes.
class Conversion {
public:
    Conversion(const ConformTarget& target, const mp3::StreamFormat& source, double gainDb,
               const SeamInput& told, ChunkQueue& queue)
        : outChannels(size_t(target.format.GetChannelCount())),
          outRate(target.format.GetSampleRate()),
          gain(float(std::pow(10.0, gainDb / 20))),
          queue(queue) {
        // The decoder's own delay, of Layer III, comes before the encoder's.
        const qint64 decoderDelay = source.layer == FrameHeader::Layer3 ? kDecoderDelay : 0;
        skip = std::max(told.delay, 0) + decoderDelay;
        holdBack = size_t(std::max<qint64>(told.padding - decoderDelay, 0));
        Start(source);
    }

    bool Ready() const { return !resampler || resampler->Ready(); }
    // Takes `count` samples (per channel) as decoded, of `format`.
    void Add(const float* samples, size_t count, const mp3::StreamFormat& format) {
        if (format != stretch) {
            // The padding held back lies at the end of the last stretch alone.
            Pass(pending.size() / inChannels);
            Flush();
            Start(format);
        }
        const size_t dropped = std::min(size_t(skip), count);
        skip -= qint64(dropped);
        pending.insert(pending.end(), samples + dropped * inChannels, samples + count * inChannels);
        if (pending.size() / inChannels > holdBack + kChunk) {
            Pass(pending.size() / inChannels - holdBack);
        }
    }
    // Hands on what is left but the padding, and closes the queue.
    void Finish() {
        Pass(pending.size() / inChannels - std::min(pending.size() / inChannels, holdBack));
        Flush();
        queue.Close();
    }

private:
    void Start(const mp3::StreamFormat& format) {
        stretch = format;
        inChannels = size_t(format.channels);
        mixChannels = std::min(inChannels, outChannels);
        resampler.reset();
        if (format.sampleRate != outRate) {
            resampler = std::make_unique<Resampler>(format.sampleRate, outRate, mixChannels);
        }
    }
    // Hands on what the resampler still holds.
    void Flush() {
        if (resampler) {
            Hand(resampler->Process({}));
        }
    }
    // Hands the first `count` samples pending on to the encoder.
    void Pass(size_t count) {
        std::vector<float> mixed;
        MixChannels(pending.data(), count, inChannels, mixChannels, gain, &mixed);
        pending.erase(pending.begin(), pending.begin() + qint64(count * inChannels));
        Hand(resampler ? resampler->Process(mixed) : std::move(mixed));
    }
    void Hand(std::vector<float> samples) {
        if (outChannels > mixChannels) {
            std::vector<float> both;
            MixChannels(samples.data(), samples.size(), 1, 2, 1, &both);
            samples = std::move(both);
        }
        if (!samples.empty()) {
            queue.Push(std::move(samples));
        }
    }

    const size_t outChannels;
    const qint32 outRate;
    const float gain;
    ChunkQueue& queue;
    qint64 skip = 0;            // samples still to leave out: the delays
    size_t holdBack = 0;        // samples kept back at the end: the padding
    mp3::StreamFormat stretch;  // of the samples now decoded
    size_t inChannels = 0, mixChannels = 0;
    std::vector<float> pending;            // decoded, at the stretch's channels
    std::unique_ptr<Resampler> resampler;  // none where the rates agree
};

// The encoder's end: the frames the samples become, gathered in a file without a name.
class Encoding {
public:
    Encoding(const ConformTarget& target, SpillFile& spill)
        : encoder({target.format, target.bitrate, target.meanBitrate,
                   target.bitrate > 0 ? -1 : target.vbrQuality, false}),
          spill(spill),
          fd(spill.Scratch(&fileError)) {}
    ~Encoding() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Encoding(const Encoding&) = delete;
    Encoding& operator=(const Encoding&) = delete;

    bool Ready() const { return encoder.Ready() && fd >= 0; }
    // Why it is not ready: the system's reason when it has no file to write to (a limit of open
    // files reached, say), else the encoder's.
    QString Problem() const {
        return fd < 0 ? QStringLiteral("no file can be made for its encoding: %1").arg(fileError)
                      : QStringLiteral("the encoder does not take its format");
    }
    // Encodes what comes through the queue until it is closed, or closes it on a failure.
    void Run(ChunkQueue& queue) {
        while (std::optional<std::vector<float>> chunk = queue.Pop()) {
            if (!encoder.Add(std::move(*chunk), &bytes)) {
                error = QStringLiteral("the encoder failed");
            } else if (bytes.size() >= kWriteChunk && !Write()) {
                error = qt_error_string(errno);
            }
            if (!error.isEmpty()) {
                queue.Close();
                return;
            }
        }
    }
    // Ends the stream, writes its header frame over the one it began with, and hands the file
    // over.
    Conformed Finish() {
        if (error.isEmpty() && !encoder.Finish(&bytes)) {
            error = QStringLiteral("the encoder failed");
        }
        const QByteArray header = encoder.HeaderFrame();
        errno = 0;
        if (error.isEmpty() &&
            (!Write() || !WriteAllAt(fd, header.constData(), header.size(), 0))) {
            error = qt_error_string(errno != 0 ? errno : EIO);
        }
        if (!error.isEmpty()) {
            return {nullptr, error};
        }
        Conformed conformed;
        conformed.file = spill.Take(std::exchange(fd, -1), length, &conformed.error);
        conformed.silence = {qint32(encoder.Delay()), qint32(encoder.Padding())};
        return conformed;
    }

private:
    bool Write() {
        if (!WriteAllAt(fd, reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()),
                        length)) {
            return false;
        }
        length += qint64(bytes.size());
        bytes.clear();
        return true;
    }

    LameEncoder encoder;
    std::vector<unsigned char> bytes;  // encoded, not yet written
    SpillFile& spill;
    QString fileError;
    int fd;             // of its scratch file
    qint64 length = 0;  // written to it
    QString error;
};

// The VBR quality or mean bitrate the LAME header `xing` of the first frame tells.
void TakeEncoderSetting(const mp3::StreamReader& reader, const mp3::XingHeader& xing,
                        ConformTarget* target) {
    const std::optional<quint32> quality =
        xing.HasEncoderExtension() ? xing.Quality(reader.Frame()) : std::nullopt;
    if (!quality || *quality > 100) {
        return;
    }
    target->vbrQuality = VbrQualityOf(*quality);
    // Where the quality is not known for sure, the first input's own mean bitrate.
    const std::optional<quint32> frames = xing.FrameCount(reader.Frame());
    const std::optional<quint32> bytes = xing.ByteCount(reader.Frame());
    if (target->vbrQuality < 0 && frames && bytes && *frames > 0) {
        const mp3::FrameHeader& header = reader.Header();
        target->meanBitrate =
            qint32(qint64(*bytes - quint32(reader.FrameLength())) * 8 * header.GetSampleRate() /
                   (qint64(*frames) * header.GetSampleCount()));
    } else if (target->vbrQuality < 0) {
        // Of the settings that store it, the one of the lowest bitrate.
        target->vbrQuality = int(100 - *quality) / 10 + 3;
    }
}

// Runs `decode` on a thread of its own beside `encode`, the queue between them closed where
// either raises an exception (a lack of memory), which is raised again once both have ended.
template <typename Decode, typename Encode>
void RunBeside(ChunkQueue& queue, const Decode& decode, const Encode& encode) {
    std::exception_ptr failure;
    std::thread decoding = StartThread("decoding an input to re-encode", [&] {
        try {
            decode();
        } catch (...) {
            failure = std::current_exception();
            queue.Close();
        }
    });
    try {
        encode();
    } catch (...) {
        queue.Close();
        decoding.join();
        throw;
    }
    decoding.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// What `input` becomes, encoded as `target` says into `spill`.
Conformed Encode(const ConformInput& input, const ConformTarget& target, SpillFile& spill,
                 const PassDecoding& decoding) {
    InputPass pass(input.file, input.path);
    const mp3::StreamReader& reader = pass.Reader();
    const auto cannot = [&input](const QString& why) {
        return Conformed{nullptr,
                         QStringLiteral("Cannot re-encode %1: %2").arg(Quoted(input.path), why)};
    };
    if (!pass.File()) {
        return cannot(pass.OpenError());
    }
    if (reader.AtEnd()) {
        const QString failure = pass.Start().failure;
        return failure.isEmpty() ? cannot(QStringLiteral("no MPEG audio frames found"))
                                 : Conformed{nullptr, failure};
    }
    SeamInput told;  // the delay and padding its header tells
    ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
    const mp3::StreamFormat source(reader.Header());
    const double frameSeconds = reader.Header().GetDuration();
    Mpg123Stream decoder(source);
    ChunkQueue queue;
    Conversion conversion(target, source, input.gainDb, told, queue);
    Encoding encoding(target, spill);
    if (!encoding.Ready()) {
        return cannot(encoding.Problem());
    }
    if (!decoder.Ready() || !conversion.Ready()) {
        return cannot(QStringLiteral("the decoder does not take its format"));
    }
    // Decoding and resampling on a thread of their own, beside the encoder, which takes longest.
    PassEnd end;
    const auto decode = [&] {
        const Mpg123Stream::Take take = [&](const float* samples, size_t count) {
            conversion.Add(samples, count, decoder.Format());
        };
        end = decoding.Decode(pass, decoder, take, [&] { return !queue.Closed(); });
        conversion.Finish();
    };
    RunBeside(queue, decode, [&] { encoding.Run(queue); });
    // Audio cut short or mixed by a fault must not pass for the input.
    if (!end.failure.isEmpty()) {
        return {nullptr, end.failure};
    }
    Conformed conformed = encoding.Finish();
    if (!conformed.file) {
        return cannot(conformed.error);
    }
    if (decoder.Damaged() > 0) {
        conformed.warning =
            QStringLiteral(
                "%1 holds %2 damaged frames that could not be decoded, the first %3 s in; "
                "silence stands in for them")
                .arg(Quoted(input.path))
                .arg(decoder.Damaged())
                .arg(double(decoder.FirstDamaged()) * frameSeconds, 0, 'f', 1);
    }
    return conformed;
}

}  // namespace

int VbrQualityOf(quint32 stored) {
    const int quality = std::clamp(int(100 - std::min(stored, 100u)) / 10, 0, 9);
    return quality == 5 || quality == 6 ? -1 : quality;
}

ConformTarget TargetOf(const std::shared_ptr<InputFile>& file, const QString& path,
                       QString* failure) {
    ConformTarget target;
    bool audio = false;
    // Every frame but the header's has the first one's bitrate, or the target is VBR.
    const auto take = [&](const mp3::StreamReader& reader) {
        const std::optional<mp3::XingHeader> xing =
            reader.FrameIndex() == 0 ? mp3::XingHeader::Find(reader.Frame(), reader.FrameLength())
                                     : std::nullopt;
        if (xing) {
            TakeEncoderSetting(reader, *xing, &target);
        }
        if (IsHeaderFrame(reader)) {
            return true;
        }
        if (!audio) {
            audio = true;
            target.format = reader.Header();
            target.bitrate = reader.Header().GetBitrate();
        } else if (reader.Header().GetBitrate() != target.bitrate) {
            target.bitrate = 0;
            return false;
        }
        return true;
    };
    const QString failed = InputPass(file, path).Run(take).failure;
    if (failure) {
        *failure = failed;
    }
    return target;
}

ConformPass::ConformPass(std::vector<ConformInput> inputs, const ConformTarget& target,
                         SpillFile& spill)
    : ParallelPass(
          std::move(inputs),
          [target, &spill](const ConformInput& input, const PassDecoding& decoding) {
              return Encode(input, target, spill, decoding);
          },
          "re-encoding the inputs") {}

}  // namespace tessaro
