#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "mp3/FrameHeader.h"
#include "seam/Seam.h"

namespace tessaro {

// The silence a join puts between two inputs where no seam holds it: frames of digital silence,
// encoded by LAME in the format and at the bitrate of the join's first frame, as many as bring
// what is heard between the two inputs' audio, their encoders' silence included, nearest to the
// gap asked. Each frame stands on its own, drawing on no reserved bytes, so one frame made once
// serves for all.
class GapFrames {
public:
    explicit GapFrames(double seconds) : seconds(seconds) {}

    bool On() const { return seconds > 0; }
    // Takes the header of the join's first frame, whose format the silence is encoded in.
    void SetFormat(const mp3::FrameHeader& header) { format = header; }
    // The frames to put between two inputs whose encoders' silence alone would be heard for
    // `heard` seconds between their audio; none where that comes within half a frame of the
    // gap or past it. Empty, with *failure set, where LAME cannot encode the format.
    std::vector<FrameView> Between(double heard, QString* failure);

private:
    // One frame of silence, made the first time it is needed.
    bool MakeSilence(QString* failure);

    const double seconds;
    mp3::FrameHeader format;
    std::shared_ptr<const QByteArray> silence;
};

}  // namespace tessaro
