// Any bytes as an MP3 file joined seamlessly before and behind a whole LAME file of its format:
// damaged frames around a seam must neither crash the join nor make it fail, and whatever the
// seam becomes, the LAME file's frames away from it are copied byte for byte. Joined levelled and
// re-encoded too, where each frame's gain is edited and misfits are decoded: no crash, and no
// failure but the input's own.

#include <array>
#include <cstdint>

#include "FuzzCheck.h"
#include "ReferenceScan.h"
#include "TestFiles.h"
#include "merge/MergeJob.h"

using fuzzing::Require;
using testing_files::Unit;

namespace {

// More frames than a seam replaces on either side, whatever the headers tell.
constexpr size_t kSeamReach = 16;

// The LAME files a seam can be made with, one of each format.
constexpr std::array<const char*, 4> kPartners{"cbr128_stereo.mp3", "cbr192_48k.mp3",
                                               "mpeg2_22k.mp3", "vbr_mono.mp3"};

// The header bits of the MPEG version, the sampling rate and mono.
quint32 FormatBits(const QByteArray& frame) {
    return (quint32(quint8(frame[1]) & 0x18) << 16) | (quint32(quint8(frame[2]) & 0x0C) << 8) |
           ((quint8(frame[3]) & 0xC0) == 0xC0 ? 1 : 0);
}

// The LAME file of the format of `units`' first, or the first one's.
QString PartnerFor(const std::vector<Unit>& units) {
    for (const char* name : kPartners) {
        const QString path = testing_files::Fixture(QString::fromLatin1(name));
        if (!units.empty() && units[0].bytes.size() >= 4 &&
            FormatBits(testing_files::ReadAllUnits(path)[1].bytes) == FormatBits(units[0].bytes)) {
            return path;
        }
    }
    return testing_files::Fixture(QString::fromLatin1(kPartners[0]));
}

tessaro::MergeResult Join(const QStringList& paths, const QString& output,
                          const tessaro::JoinOptions& options) {
    testing_files::RecordingHost host;
    return tessaro::RunMerge({.inputs = paths, .output = output, .options = options}, host);
}

QByteArray JoinSeamlessly(const QStringList& paths) {
    const QString output = fuzzing::WriteInput(QByteArray(), QStringLiteral("output.mp3"));
    const tessaro::MergeResult result = Join(paths, output, {.seamless = true});
    Require(result.Succeeded(), "a join with a whole LAME file succeeds");
    const QByteArray written = testing_files::ReadAll(output);
    Require(result.written == written.size(), "the join counts the bytes");
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("input.mp3"));
    const QString partner = PartnerFor(testing_files::ReadAllUnits(path));
    // Its audio frames: all but the header frame, which leads the join when it comes first.
    const std::vector<Unit> units = testing_files::ReadAllUnits(partner);
    const std::vector<Unit> audio(units.begin() + 1, units.end());
    Require(audio.size() > kSeamReach, "the LAME file reaches beyond a seam");
    const size_t kept = audio.size() - kSeamReach;

    const QByteArray before = JoinSeamlessly({partner, path});
    const std::vector<Unit> head(audio.begin(), audio.begin() + qsizetype(kept));
    Require(before.mid(units[0].bytes.size()).startsWith(testing_files::Joined(head)),
            "the frames before the seam are copied");
    const QByteArray behind = JoinSeamlessly({path, partner});
    const std::vector<Unit> tail(audio.end() - qsizetype(kept), audio.end());
    Require(behind.endsWith(testing_files::Joined(tail)), "the frames behind the seam are copied");

    const tessaro::JoinOptions all{.seamless = true, .level = true, .conform = true};
    const tessaro::MergeResult levelled =
        Join({partner, path, partner},
             fuzzing::WriteInput(QByteArray(), QStringLiteral("levelled.mp3")), all);
    // Whole LAME files join whatever the input is: only the input can fail the join.
    Require(levelled.Succeeded() || levelled.error.contains(QStringLiteral("input.mp3")),
            "a levelled, re-encoded join fails only for the input");
    return 0;
}
