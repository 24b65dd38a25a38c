#include "mp3/StreamReader.h"

#include <fcntl.h>
#include <id3/tag.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/AudioPart.h"

namespace mp3 {
namespace {

// Read buffers, which outlive their reader while the writer holds them, kept for the next
// readers: fresh memory would cost a page fault every 4 KiB, and the heap would give it back to
// the system and take it again from one input to the next.
class BufferPool {
public:
    explicit BufferPool(qint64 size) : size(size) { kept.reserve(kKept); }
    std::shared_ptr<quint8[]> Take() {
        std::unique_ptr<quint8[]> bytes;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!kept.empty()) {
                bytes = std::move(kept.back());
                kept.pop_back();
            }
        }
        if (!bytes) {
            bytes.reset(new quint8[size_t(size)]);
        }
        // Where no memory is left for the pointer's count, it gives the buffer back at once: the
        // pool's lock must not be held then.
        return std::shared_ptr<quint8[]>(bytes.release(), [this](quint8* given) { Give(given); });
    }

private:
    static constexpr size_t kKept = 8;  // more than the writer holds at once

    // Raises nothing, as a pointer's destructor calls it: room for the buffers kept is made
    // beforehand.
    void Give(quint8* bytes) noexcept {
        std::unique_ptr<quint8[]> owned(bytes);
        const std::lock_guard<std::mutex> lock(mutex);
        if (kept.size() < kKept) {
            kept.push_back(std::move(owned));
        }
    }

    const qint64 size;
    std::mutex mutex;
    std::vector<std::unique_ptr<quint8[]>> kept;
};

}  // namespace

StreamReader::StreamReader(const QString& path) : path(path) {
    Start(tessaro::InputFile::Open(path, &openError));
}

StreamReader::StreamReader(std::shared_ptr<tessaro::InputFile> file, const QString& path,
                           Reach reach)
    : path(path), nextRead(reach == Reach::FirstFrames ? kFirstFramesSize : kReadBufferSize) {
    Start(std::move(file));
}

void StreamReader::Start(std::shared_ptr<tessaro::InputFile> opened) {
    file = std::move(opened);
    if (!file) {
        return;
    }
    audioEnd =
        FindAudioEnd(file->Descriptor(), file->Size(), &readError, &unconfirmedTag, file->Offset());
    if (audioEnd < 0) {
        audioEnd = 0;
        return;
    }
    startOffset = LeadingTagBytes();
    position = startOffset;
    atEnd = false;
    Advance();
}

StreamReader::~StreamReader() = default;

qint64 StreamReader::FileSize() const {
    return file ? file->Size() : 0;
}

bool StreamReader::Changed() const {
    return !file || file->Changed();
}

qint64 StreamReader::LeadingTagBytes() {
    qint64 end = 0;
    quint8 header[ID3_TAGHEADERSIZE];
    for (position = 0; ReadBytes(header, ID3_TAGHEADERSIZE) == ID3_TAGHEADERSIZE; position = end) {
        const qint64 length = LeadingTagLength(header);
        if (length == 0) {
            break;
        }
        end += length;
    }
    return std::min(end, audioEnd);
}

bool StreamReader::Fill() {
    return (position >= bufferStart && position < bufferStart + bufferLength) || Refill();
}

bool StreamReader::Refill() {
    bufferStart = position;
    // A buffer still held by another keeps its bytes; the reader takes a new one.
    if (!buffer || keeper.use_count() > 1) {
        // Never destroyed, as buffers may come back to it until the process ends.
        static BufferPool* const pool = new BufferPool(kReadBufferSize);
        std::shared_ptr<quint8[]> fresh = pool->Take();
        buffer = fresh.get();
        keeper = std::move(fresh);
    }
    // Nothing to ask the system for past the audio: a file that grew meanwhile is found changed.
    const qint64 length =
        std::clamp<qint64>(audioEnd - position, 0, std::exchange(nextRead, kReadBufferSize));
    bufferLength = length > 0
                       ? tessaro::ReadUpToAt(file->Descriptor(), reinterpret_cast<char*>(buffer),
                                             length, file->Offset() + position)
                       : 0;
    if (bufferLength < 0) {
        readError = qt_error_string(errno);
        bufferLength = 0;
    }
    return bufferLength > 0;
}

qint32 StreamReader::ReadBytes(quint8* into, qint32 count) {
    qint32 done = 0;
    while (done < count && Fill()) {
        const qint64 available = bufferStart + bufferLength - position;
        const qint32 n = qint32(std::min<qint64>(available, count - done));
        std::memcpy(into + done, buffer + (position - bufferStart), size_t(n));
        position += n;
        done += n;
    }
    return done;
}

quint8 StreamReader::ReadByte() {
    quint8 byte = 0;
    ReadBytes(&byte, 1);
    return byte;
}

bool StreamReader::FindSync(quint8* headerBytes) {
    for (;;) {
        if (!Fill()) {
            return false;
        }
        const quint8* begin = buffer + (position - bufferStart);
        const quint8* end = buffer + bufferLength;
        // Frames mostly follow one another, so the sync is mostly right here.
        const auto* ff =
            *begin == 0xFF
                ? begin
                : static_cast<const quint8*>(std::memchr(begin, 0xFF, size_t(end - begin)));
        if (!ff) {
            position = bufferStart + bufferLength;
            continue;
        }
        position += (ff - begin) + 1;
        // A whole header in the buffer is taken from there.
        if (end - ff >= 4 && FrameHeader::IsSync(ff[0], ff[1])) {
            std::memcpy(headerBytes, ff, 4);
            position += 3;
            return true;
        }
        // A second byte that fails the test is not 0xFF, so the scan goes on behind it.
        const quint8 second = ReadByte();
        if (FrameHeader::IsSync(0xFF, second)) {
            headerBytes[0] = 0xFF;
            headerBytes[1] = second;
            // A header cut by the end of the file is not a frame: its last byte does not exist.
            return ReadBytes(headerBytes + 2, 2) == 2;
        }
    }
}

void StreamReader::Advance() {
    if (atEnd) {
        return;
    }
    for (quint8 bytes[4]; FindSync(bytes);) {
        FrameHeader candidate;
        candidate.ParseHeader(bytes);
        candidate.offset = position - 4;
        if (Take(candidate)) {
            return;
        }
        position = candidate.offset + 1;
    }
    atEnd = true;
}

bool StreamReader::Take(const FrameHeader& candidate) {
    if (!candidate.IsValid()) {
        return false;
    }
    const qint64 offset = candidate.offset;
    const bool follows =
        frameIndex >= 0 && offset == header.offset + frameLength && candidate.SameStream(header);
    // The frame, and the headers behind it that may tell whether it is one: frames of its
    // stream are no longer than its bitrate's highest with a padding slot, but in free format.
    FrameHeader longest = candidate;
    longest.bitrateIndex = 14;
    longest.padding = 1;
    const qint64 reach = candidate.IsFreeFormat() ? kMaxFrameLength : longest.GetFrameLength();
    Hold(offset, offset + (follows ? 1 : kConfirmations + 2) * reach + 4);
    qint32 length = candidate.GetFrameLength();
    if (candidate.IsFreeFormat()) {
        // A free-format stream keeps its length from frame to frame, but for the padding slot.
        length = follows && header.IsFreeFormat()
                     ? frameLength + (candidate.padding - header.padding) * header.GetSlotLength()
                     : NextFreeFormatHeader(candidate) - offset;
    }
    const qint64 end = offset + length;
    // Cut short by the end of the audio, or by the file itself should it have shrunk.
    if (length <= 4 || end > audioEnd || end > BufferEnd() ||
        (!follows && !Confirmed(candidate, length))) {
        return false;
    }
    header = candidate;
    framePointer = buffer + (offset - bufferStart);
    frameLength = length;
    ++frameIndex;
    position = end;
    // The processor's own look-ahead stops at each page, and frames lie far apart: asking for as
    // many bytes as this frame holds some frames ahead hides the wait for memory from the scan
    // and from the checksum taken over them next.
    const qint64 ahead = std::min(position + kLookAhead + frameLength, BufferEnd());
    for (qint64 at = position + kLookAhead; at < ahead; at += 64) {
        __builtin_prefetch(buffer + (at - bufferStart));
    }
    return true;
}

qint64 StreamReader::NextFreeFormatHeader(const FrameHeader& candidate) const {
    const qint64 offset = candidate.offset;
    const qint64 end = std::min({offset + kFreeFormatReach, BufferEnd() - 3, audioEnd});
    for (qint64 at = offset + 4; at < end; ++at) {
        const auto* ff = static_cast<const quint8*>(
            std::memchr(buffer + (at - bufferStart), 0xFF, size_t(end - at)));
        if (!ff) {
            break;
        }
        at = ff - buffer + bufferStart;
        if (HeaderAt(at, candidate)) {
            return at;
        }
    }
    return offset;
}

bool StreamReader::Confirmed(const FrameHeader& candidate, qint32 length) const {
    // Free-format headers hold fewer fixed bits, and 0xFF 0xFB 0x00 is common in quiet 16-bit
    // PCM: they need one more.
    const int needed = candidate.IsFreeFormat() ? kConfirmations + 1 : kConfirmations;
    const qint32 unpadded = length - candidate.padding * candidate.GetSlotLength();
    qint64 at = candidate.offset + length;
    for (int i = 0; i < needed && at != audioEnd; ++i) {
        FrameHeader next;
        if (!HeaderAt(at, candidate) || !next.ParseHeader(buffer + (at - bufferStart))) {
            return false;
        }
        at += candidate.IsFreeFormat() ? unpadded + next.padding * next.GetSlotLength()
                                       : next.GetFrameLength();
    }
    return true;
}

bool StreamReader::HeaderAt(qint64 at, const FrameHeader& like) const {
    FrameHeader next;
    return at >= bufferStart && at + 4 <= BufferEnd() && at + 4 <= audioEnd &&
           next.ParseHeader(buffer + (at - bufferStart)) && next.IsValid() &&
           next.SameStream(like) && next.IsFreeFormat() == like.IsFreeFormat();
}

void StreamReader::Hold(qint64 at, qint64 end) {
    if (at < bufferStart || std::min(end, audioEnd) > BufferEnd()) {
        const qint64 resume = position;
        position = at;
        // A failed read leaves the buffer empty and its reason in readError, which the reader
        // reports; no header is found in an empty buffer.
        static_cast<void>(Refill());
        position = resume;
    }
}

}  // namespace mp3
