#include "merge/GainEdit.h"

#include <cstring>

#include "io/Files.h"
#include "merge/JoinPlan.h"
#include "merge/Loudness.h"
#include "mp3/LayerIII.h"
#include "mp3/XingHeader.h"

namespace tessaro {

int GainEdit::Settle(const PlannedInput& input, const InputLoudness& loudness, double target,
                     QStringList* warnings) {
    bool heldBack = false;
    const int gain = GainSteps(loudness, target, &heldBack);
    // A re-encoded input, of whatever layer, takes its gain in its encoding.
    if (gain != 0 && !loudness.layerIII && !input.reencode) {
        *warnings << QStringLiteral(
                         "%1 is not of Layer III, whose frames alone carry a gain: it keeps its "
                         "own level")
                         .arg(Quoted(input.path));
        return 0;
    }
    if (heldBack) {
        *warnings << QStringLiteral("%1 was made %2 dB louder only, as more would clip its peaks")
                         .arg(Quoted(input.path))
                         .arg(GainDb(gain), 0, 'f', 1);
    }
    return gain;
}

FrameView GainEdit::Levelled(const FrameView& frame, int gain, bool firstOfFile) {
    mp3::FrameHeader header;
    if (gain == 0 || !header.ParseHeader(frame.data) || header.layer != mp3::FrameHeader::Layer3 ||
        (firstOfFile && mp3::XingHeader::IsEncoderHeader(frame.data, frame.length))) {
        return frame;
    }
    if (!block || used + size_t(frame.length) > block->size()) {
        block = std::make_shared<std::vector<quint8>>(kBlock);
        used = 0;
    }
    quint8* copy = block->data() + used;
    std::memcpy(copy, frame.data, size_t(frame.length));
    used += size_t(frame.length);
    // A frame too short to hold the side information goes out as it is.
    static_cast<void>(mp3::AddGlobalGain(copy, frame.length, gain));
    return {copy, frame.length, block};
}

}  // namespace tessaro
