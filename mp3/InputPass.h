#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "mp3/StreamReader.h"

namespace tessaro {

class InputFile;

QString CannotRead(const QString& input, const QString& reason);
QString ChangedWhileRead(const QString& input);

// Whether the reader stands on an encoder's header frame (Xing, Info or VBRI) in front of the
// audio, which holds none.
bool IsHeaderFrame(const mp3::StreamReader& reader);

// How a pass over an input's frames ended.
struct PassEnd {
    bool whole = false;  // every frame was handed on
    QString failure;     // why the join fails for the input; empty when it need not
};

// The one way the join reads an input's frames, whatever it does with them (measuring,
// re-encoding, copying): every frame in turn from the first, and then the verdict on them. A
// read error, or a change to the file since the join opened it, fails the join however early
// the pass stopped, as frames read meanwhile may be cut, missing or mixed.
class InputPass {
public:
    // Stands on the first frame of `file`, opened for the join as `path`, or opened now when
    // null. One that cannot be opened gives no frames and no failure: the copy skips it with a
    // warning saying OpenError().
    InputPass(std::shared_ptr<InputFile> file, const QString& path,
              mp3::StreamReader::Reach reach = mp3::StreamReader::Reach::Whole);

    const mp3::StreamReader& Reader() const { return reader; }
    const std::shared_ptr<InputFile>& File() const { return file; }
    const QString& OpenError() const { return openError; }
    // Hands each frame from the one the reader stands on to `visit`, a callable taking the
    // reader, until it returns false, counting the bytes of those handed on in `bytesDone` when
    // given. A template, as the copy calls it for every frame.
    template <typename Visit>
    [[nodiscard]] PassEnd Run(Visit&& visit, std::atomic<qint64>* bytesDone = nullptr) {
        for (; reader.IsOpen() && !reader.AtEnd(); reader.Advance()) {
            if (bytesDone) {
                *bytesDone += reader.FrameLength();
            }
            if (!visit(reader)) {
                break;
            }
        }
        return End();
    }
    // Looks at the first frame only: whether the input can be read up to it as opened.
    [[nodiscard]] PassEnd Start() {
        return Run([](const mp3::StreamReader&) { return false; });
    }

private:
    // The verdict on the frames handed on so far.
    PassEnd End() const;

    QString openError;
    std::shared_ptr<InputFile> file;
    mp3::StreamReader reader;
};

}  // namespace tessaro
