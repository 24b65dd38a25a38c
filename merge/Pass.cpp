#include "merge/Pass.h"

namespace tessaro {

PassEnd PassDecoding::Decode(InputPass& input, Mpg123Stream& decoder,
                             const Mpg123Stream::Take& take,
                             const std::function<bool()>& going) const {
    const PassEnd end = input.Run(
        [&](const mp3::StreamReader& reader) {
            // An encoder's header frame holds no audio.
            if (!IsHeaderFrame(reader)) {
                decoder.Feed(reader.Frame(), reader.FrameLength(), take);
            }
            return !workers.Stopping() && going();
        },
        &bytesDone);
    decoder.Finish(take);
    return end;
}

}  // namespace tessaro
