#include "LameFiles.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <QFile>
#include <cmath>
#include <memory>

namespace testing_files {

// A piece of a continuous recording in stereo at 44.1 kHz: tones with vibrato over quiet noise,
// never silent, so that a gap or a step where pieces meet shows.
std::vector<float> Recording(int from, int count) {
    std::vector<float> samples;
    for (int i = from; i < from + count; ++i) {
        const double t = i / 44100.0;
        const double tones = 0.3 * std::sin(2 * M_PI * 220 * t + 3 * std::sin(2 * M_PI * 5 * t)) +
                             0.2 * std::sin(2 * M_PI * 330.5 * t) +
                             0.05 * std::sin(double(i) * i * 1e-7);
        samples.push_back(float(tones));
        samples.push_back(float(0.8 * tones + 0.1 * std::sin(2 * M_PI * 440 * t)));
    }
    return samples;
}

std::vector<float> Scaled(std::vector<float> samples, double scale) {
    for (float& sample : samples) {
        sample = float(sample * scale);
    }
    return samples;
}

// The samples encoded by LAME as its front end writes a file: a header frame with the LAME
// extension, which tells the encoder's delay and padding, in front of the audio.
QByteArray EncodeWithLame(const std::vector<float>& samples, const Encoding& encoding) {
    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
    lame_set_in_samplerate(lame.get(), 44100);
    lame_set_num_channels(lame.get(), 2);
    lame_set_out_samplerate(lame.get(), encoding.rate);
    lame_set_mode(lame.get(), encoding.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame.get(), encoding.vbr ? vbr_default : vbr_off);
    lame_set_VBR_quality(lame.get(), float(encoding.quality));
    if (encoding.kbps > 0) {
        lame_set_brate(lame.get(), encoding.kbps);
    }
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) {
        return {};
    }
    std::vector<unsigned char> bytes(samples.size() + 16384);
    const int count = int(samples.size() / 2);
    int written = lame_encode_buffer_interleaved_ieee_float(lame.get(), samples.data(), count,
                                                            bytes.data(), int(bytes.size()));
    written += lame_encode_flush(lame.get(), bytes.data() + written, int(bytes.size()) - written);
    QByteArray file(reinterpret_cast<const char*>(bytes.data()), written);
    unsigned char header[2881];
    const size_t length = lame_get_lametag_frame(lame.get(), header, sizeof header);
    return file.replace(0, qsizetype(length),
                        QByteArray(reinterpret_cast<const char*>(header), qsizetype(length)));
}

// The file decoded as players do, without the encoder's delay and padding its header tells.
std::vector<float> DecodeAsPlayers(const QString& path, const Encoding& encoding) {
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> decoder(mpg123_new(nullptr, nullptr),
                                                                     mpg123_delete);
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(decoder.get());
    mpg123_format(decoder.get(), encoding.rate,
                  encoding.channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_FLOAT_32);
    std::vector<float> samples;
    if (mpg123_open(decoder.get(), QFile::encodeName(path).constData()) != MPG123_OK) {
        return samples;
    }
    float buffer[8192];
    size_t bytes = 0;
    int result;
    while ((result = mpg123_read(decoder.get(), buffer, sizeof buffer, &bytes)) == MPG123_OK ||
           result == MPG123_NEW_FORMAT) {
        samples.insert(samples.end(), buffer, buffer + bytes / sizeof(float));
    }
    samples.insert(samples.end(), buffer, buffer + bytes / sizeof(float));
    return samples;
}

}  // namespace testing_files
