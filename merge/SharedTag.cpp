#include "merge/SharedTag.h"

#include <algorithm>

namespace tessaro {
namespace {

bool OfOneInput(const mp3::TextFrame& frame) {
    static const QByteArray kOwnIds[] = {"TIT2", "TIT3", "TRCK", "TPOS", "TLEN", "TSIZ", "TSRC"};
    if (std::find(std::begin(kOwnIds), std::end(kOwnIds), frame.id) != std::end(kOwnIds)) {
        return true;
    }
    // Levelling gives the joined file a ReplayGain of its own.
    return (frame.id == "TXXX" &&
            frame.description.startsWith(QLatin1String("REPLAYGAIN_"), Qt::CaseInsensitive)) ||
           (frame.id == "COMM" &&
            frame.description.startsWith(QLatin1String("iTun"), Qt::CaseInsensitive));
}

}  // namespace

std::vector<mp3::TextFrame> SharedFrames(const std::vector<std::vector<mp3::TextFrame>>& inputs) {
    std::vector<mp3::TextFrame> shared;
    if (inputs.empty()) {
        return shared;
    }
    for (const mp3::TextFrame& frame : inputs.front()) {
        const auto heldByAll = [&frame](const std::vector<mp3::TextFrame>& frames) {
            return std::any_of(frames.begin(), frames.end(), [&frame](const mp3::TextFrame& other) {
                return other.SameField(frame) && other.text == frame.text;
            });
        };
        if (!OfOneInput(frame) && !frame.text.join(QString()).isEmpty() &&
            std::all_of(inputs.begin() + 1, inputs.end(), heldByAll)) {
            shared.push_back(frame);
        }
    }
    return shared;
}

}  // namespace tessaro
