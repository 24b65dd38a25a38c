#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <memory>
#include <optional>

#include "io/AtomicWrite.h"
#include "io/BackgroundWriter.h"

namespace tessaro {

// Why a join fails whose inputs changed under it: bytes read for it are not those joined.
QString InputsChanged();

// The joined file as it is built: a temporary file beside the target, made only when the first
// frame comes, so that a join that yields nothing leaves the target alone. What goes in front of
// the audio comes first and what goes behind it last, so that the file is written in one pass.
// Frames that lie one behind the other in an input's read buffer go out as one write straight
// from it, on a thread of their own while the next ones are found. A call that fails returns
// false, and Error() says why.
class JoinOutput {
public:
    // Whether the bytes are written, or only counted, for a join that shows what it would make.
    enum class Bytes { Written, Counted };

    explicit JoinOutput(const QString& path, Bytes bytes = Bytes::Written)
        : file(path), counted(bytes == Bytes::Counted) {}

    bool IsOpen() const { return counted ? opened : file.isOpen(); }
    // Makes the file and puts `front` at its start, before the audio.
    [[nodiscard]] bool Open(const QByteArray& front);
    // Keeps the Crc16 of all audio written from `offset` bytes into it on: runs of frames take it
    // at the speed of memory, where frame by frame its setting up would cost more than the sum.
    void ChecksumFrom(qint64 offset) { crcStart = audioStart + offset; }
    quint16 Checksum() const { return crc; }
    // Puts the frame at `data`, which lies in `buffer`, behind what is written.
    [[nodiscard]] bool Append(const quint8* data, qint32 length,
                              const std::shared_ptr<const void>& buffer);
    // Puts `front` before all the audio written so far.
    [[nodiscard]] bool InsertFront(const QByteArray& front);
    // Writes out the audio gathered so far, so that its checksum is complete.
    [[nodiscard]] bool FlushAudio() { return Flush(); }
    // Writes `front` over what was put before the audio and `leadingFrame` over the audio's first
    // frame, each unless it is empty, puts `back` behind the audio, and the output in the
    // target's place.
    [[nodiscard]] bool Commit(const QByteArray& front, const QByteArray& leadingFrame,
                              const QByteArray& back);
    // Gives the output up: no temporary file stays.
    void Cancel();
    const QString& Error() const { return error; }
    // What a failure has done to the target: none of it, unless it was written in place.
    QString Damage() const;

private:
    // Long enough that a write costs little more than its copy, short enough that the checksum
    // finds the run in the cache and the writer starts early.
    static constexpr qint64 kRunLength = 1 << 20;
    // Pieces in which the audio is moved up to make room in front of it.
    static constexpr qint64 kMoveLength = 1 << 20;

    // Frames lying one behind the other in a read buffer, not yet handed to the writer.
    struct Run {
        std::shared_ptr<const void> buffer;
        const quint8* data = nullptr;
        qint64 length = 0;
        qint64 at = 0;
    };

    [[nodiscard]] bool Flush();
    [[nodiscard]] bool Hand(Piece piece);
    // Waits for what is handed to the writer, before the file is written at a place of its own.
    [[nodiscard]] bool Drain();
    [[nodiscard]] bool WriteAt(const QByteArray& data, qint64 at);
    [[nodiscard]] bool Fail(int systemError);

    std::optional<TemporaryFileMark> mark;  // of `file`, so kept until its temporary file is gone
    QSaveFile file;
    const bool counted;
    bool opened = false;  // when counted
    bool inPlace = false;                    // `file` writes the target itself
    std::optional<BackgroundWriter> writer;  // of `file`, so gone before it is closed
    Run run;
    qint64 audioStart = 0;  // where the audio begins: behind the tag in front
    qint64 end = 0;         // of what is written or handed to the writer, run included
    qint64 crcStart = -1;   // where the checksummed audio begins; -1 for none
    quint16 crc = 0;
    QString error;
};

}  // namespace tessaro
