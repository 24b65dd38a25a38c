#pragma once

#include <sys/stat.h>

#include <QString>
#include <memory>

#include "mp3/FrameHeader.h"

namespace mp3 {

// Raised by the reader's low-level reads; never leaves the reader.
struct Exception {
    QString message;
};
struct Exception_EndOfStream : Exception {};

// Walks one MP3 file frame by frame, starting right behind its leading ID3v2 tag. A frame is
// found by its 11-bit sync alone and is the run of bytes its header's length rule gives; nothing
// is decoded. Reads go through one buffer, so scanning costs no system call per byte.
class StreamReader {
public:
    // Longer than any frame the length rule can give (2881 bytes: MPEG-2.5 Layer II, padded).
    static constexpr int kFrameBufferSize = 10240;

    // Opens the file and moves to its first frame; at its end when it cannot be opened.
    explicit StreamReader(const QString& path);
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    void Advance();
    bool AtEnd() const { return atEnd; }

    // Valid until the next Advance().
    const quint8* Frame() const { return framePointer; }
    qint32 FrameLength() const { return frameLength; }
    const FrameHeader& Header() const { return header; }
    qint32 FrameIndex() const { return frameIndex; }
    const QString& Path() const { return path; }

    // Whether the file could be opened, and the system's reason when it could not.
    bool IsOpen() const { return fd >= 0; }
    const QString& OpenError() const { return openError; }
    // Where the scan began: the number of bytes the leading tag occupies.
    qint64 StartOffset() const { return startOffset; }
    // The file's size when it was opened.
    qint64 FileSize() const { return opened.st_size; }
    // Whether the open file was changed, cut, grown or removed since it was opened: frames read
    // meanwhile may be cut or mixed.
    bool Changed() const;

private:
    static constexpr qint64 kReadBufferSize = 64 * 1024;

    // Makes the byte at position available in the read buffer; false at the end of the file.
    bool Fill();
    // Copies up to count bytes from position on; raises at the end when count > 0 and none
    // could be read, returns fewer than count when the file ends early.
    qint32 ReadBytes(quint8* buffer, qint32 count);
    quint8 ReadByte();
    // Finds the next sync and returns the 4 header bytes behind it.
    void FindSync(quint8* headerBytes);

    int fd = -1;
    struct stat opened {};
    QString openError;
    QString path;
    bool atEnd = true;
    FrameHeader header;
    quint8 frame[kFrameBufferSize] = {};
    const quint8* framePointer = frame;  // into the read buffer, or at `frame`
    qint32 frameLength = 0;
    qint64 position = 0;
    qint32 frameIndex = -1;
    qint64 startOffset = 0;

    std::unique_ptr<quint8[]> readBuffer;
    qint64 bufferStart = 0;   // file offset of readBuffer[0]
    qint64 bufferLength = 0;  // valid bytes in readBuffer
};

}  // namespace mp3
