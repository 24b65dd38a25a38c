#pragma once

#include <QString>
#include <memory>

#include "mp3/FrameHeader.h"

namespace tessaro {
class InputFile;
}

// Errors: nothing here throws. A reader that cannot open its file, read it or find a frame says
// so through IsOpen()/OpenError(), ReadError() and AtEnd(); within it, the end of the bytes is a
// result like any other, not an exception (a join of ten thousand inputs reaches ten thousand
// ends).

namespace mp3 {

// Walks one MP3 file frame by frame, between its leading ID3v2 tags and its trailing tags.
// Nothing is decoded, but only real, whole frames are taken: a header with no reserved field,
// the frame its length rule gives (free format: up to the next such header) lying whole in the
// audio, and either right behind the frame taken before it, or followed right away by the
// headers of the next frames of the same stream or by the end of the audio. Anything else is
// passed over a byte at a time.
// Reads go through a large buffer, so scanning costs no system call per byte, and every frame is
// handed out where it lies in that buffer. The buffers are read into, never mapped: where the
// system charges for each page first touched (a hypervisor's page tables), a mapping costs far
// more than the copy it saves, and buffers used again are touched already.
class StreamReader {
public:
    // How far ahead a free-format frame's end is looked for.
    static constexpr int kFreeFormatReach = 8192;
    // No frame is longer: the reach and a padding slot.
    static constexpr int kMaxFrameLength = kFreeFormatReach + 4;

    // How much of the file its reader means to read: a look at the first frames takes a few
    // kilobytes at first, where a whole pass reads a full buffer at once.
    enum class Reach { Whole, FirstFrames };

    // Opens the file and moves to its first frame; at its end when it cannot be opened.
    explicit StreamReader(const QString& path);
    // Reads the file at `path` as already opened, so that all who read an input read the same
    // file; at its end when `file` is null.
    StreamReader(std::shared_ptr<tessaro::InputFile> file, const QString& path,
                 Reach reach = Reach::Whole);
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
    bool IsOpen() const { return file != nullptr; }
    const QString& OpenError() const { return openError; }
    // Why the file could not be read on at some point (the reader then ends there); empty
    // while it could.
    const QString& ReadError() const { return readError; }
    // The kind of tag ("APEv2", "ID3v2") whose footer ends the file without the tag where it
    // says: its bytes are scanned as audio. Empty when there is none.
    const QString& UnconfirmedTag() const { return unconfirmedTag; }
    // Where the scan began: the number of bytes the leading tag occupies.
    qint64 StartOffset() const { return startOffset; }
    // Where the audio ends: the trailing tags begin there.
    qint64 AudioEnd() const { return audioEnd; }
    // The file's size when it was opened.
    qint64 FileSize() const;
    // Whether the open file was changed, cut, grown or removed since it was opened: frames read
    // meanwhile may be cut or mixed.
    bool Changed() const;
    // What keeps the buffer Frame() lies in. Whoever holds it keeps its bytes: the reader reads
    // on into a buffer of its own.
    const std::shared_ptr<const void>& Buffer() const { return keeper; }

private:
    static constexpr qint64 kReadBufferSize = 1 << 20;
    // The first read of a look at the first frames: they take a few kilobytes.
    static constexpr qint64 kFirstFramesSize = 16 << 10;
    static constexpr qint64 kLookAhead = 4096;
    // Headers that must follow a frame that does not follow one.
    static constexpr int kConfirmations = 2;

    // Finds the audio part of `file` and moves to its first frame.
    void Start(std::shared_ptr<tessaro::InputFile> opened);
    // Makes the byte at position available in the read buffer; false at the end of the audio.
    [[nodiscard]] bool Fill();
    // The number of bytes the leading ID3v2 tags occupy, padding and footer included, up to the
    // end of the audio; read through the buffer, which then holds the first frames too.
    qint64 LeadingTagBytes();
    // Reads the buffer anew from position on, up to kReadBufferSize bytes of what is left
    // (nextRead the first time), into a buffer no one else holds.
    [[nodiscard]] bool Refill();
    // Copies up to count bytes from position on: fewer where the audio ends.
    qint32 ReadBytes(quint8* into, qint32 count);
    // The byte at position, taken; 0 past the end.
    quint8 ReadByte();
    // Finds the next sync and gives the 4 header bytes from it; false where the audio ends first.
    bool FindSync(quint8* headerBytes);
    // Takes the frame `candidate` starts, if it is one, as the current frame.
    bool Take(const FrameHeader& candidate);
    // Where the next free-format header of the stream `candidate` starts is, found up to
    // kFreeFormatReach bytes ahead; its own offset when there is none.
    qint64 NextFreeFormatHeader(const FrameHeader& candidate) const;
    // Whether the headers of the next frames of the stream stand where `length` and their own
    // lengths put them, or the audio ends at one: one header behind another by chance is not
    // rare in other data.
    bool Confirmed(const FrameHeader& candidate, qint32 length) const;
    // Whether a valid header of the stream `like` starts at `at`, free format if `like` is.
    bool HeaderAt(qint64 at, const FrameHeader& like) const;
    // Makes the bytes from `at` up to `end` (or the end of the audio) lie in the buffer.
    void Hold(qint64 at, qint64 end);
    qint64 BufferEnd() const { return bufferStart + bufferLength; }

    std::shared_ptr<tessaro::InputFile> file;
    QString openError;
    QString readError;
    QString unconfirmedTag;
    QString path;
    bool atEnd = true;
    FrameHeader header;
    const quint8* framePointer = nullptr;  // into the read buffer
    qint32 frameLength = 0;
    qint64 position = 0;
    qint32 frameIndex = -1;
    qint64 startOffset = 0;
    qint64 audioEnd = 0;

    std::shared_ptr<const void> keeper;  // of the buffer, shared with whoever holds its frames
    quint8* buffer = nullptr;
    qint64 bufferStart = 0;             // file offset of buffer[0]
    qint64 bufferLength = 0;            // valid bytes in buffer
    qint64 nextRead = kReadBufferSize;  // bytes the next read asks for at most
};

}  // namespace mp3
