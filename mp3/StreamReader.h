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
// is decoded. Reads go through a large buffer, so scanning costs no system call per byte, and
// every frame is handed out where it lies in that buffer. Long stretches of a file are mapped
// instead of read, as a read would copy them once more.
class StreamReader {
public:
    // The longest frame the length rule can give: MPEG-2.5 Layer II, 160 kbit/s, 8000 Hz, padded.
    static constexpr int kMaxFrameLength = 2881;

    // Opens the file and moves to its first frame; at its end when it cannot be opened.
    explicit StreamReader(const QString& path);
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    void Advance();
    bool AtEnd() const { return atEnd; }

    // Valid until the next Advance(), or as long as Buffer() is held.
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
    // What keeps the buffer Frame() lies in. Whoever holds it keeps its bytes: the reader reads
    // on into a buffer of its own.
    const std::shared_ptr<const void>& Buffer() const { return keeper; }

private:
    static constexpr qint64 kReadBufferSize = 256 * 1024;
    static constexpr qint64 kMappedLength = 8 << 20;
    static constexpr qint64 kLookAhead = 4096;

    // Makes the byte at position available in the read buffer; false at the end of the file.
    bool Fill();
    // The number of bytes the leading ID3v2 tags occupy, padding and footer included, up to the
    // end of the file. id3lib judges each 10-byte tag header; the tags' frames are not parsed,
    // as id3lib corrupts its heap on some damaged compressed frames.
    qint64 LeadingTagBytes();
    // Maps or reads the buffer anew from position on.
    bool Refill();
    // Reads what is left up to kReadBufferSize bytes into a buffer of the reader's own.
    bool ReadIntoBuffer(qint64 length);
    // Copies up to count bytes from position on; raises at the end when count > 0 and none
    // could be read, returns fewer than count when the file ends early.
    qint32 ReadBytes(quint8* into, qint32 count);
    quint8 ReadByte();
    // Finds the next sync and returns the 4 header bytes behind it.
    void FindSync(quint8* headerBytes);

    int fd = -1;
    struct stat opened {};
    QString openError;
    QString path;
    bool atEnd = true;
    FrameHeader header;
    const quint8* framePointer = nullptr;  // into the read buffer
    qint32 frameLength = 0;
    qint64 position = 0;
    qint32 frameIndex = -1;
    qint64 startOffset = 0;

    std::shared_ptr<const void> keeper;  // of the buffer: a mapping or the one at `ownBuffer`
    const quint8* buffer = nullptr;
    quint8* ownBuffer = nullptr;  // while `buffer` is read into memory of the reader's own
    qint64 bufferStart = 0;       // file offset of buffer[0]
    qint64 bufferLength = 0;      // valid bytes in buffer
};

}  // namespace mp3
