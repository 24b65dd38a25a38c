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
#include <vector>

#include "io/MappedFile.h"

namespace mp3 {
namespace {

// Read buffers, which outlive their reader while the writer holds them, kept for the next
// readers: fresh memory would cost a page fault every 4 KiB, and the heap would give it back to
// the system and take it again from one input to the next.
class BufferPool {
public:
    explicit BufferPool(qint64 size) : size(size) {}
    std::shared_ptr<quint8[]> Take() {
        std::unique_lock<std::mutex> lock(mutex);
        quint8* bytes = nullptr;
        if (kept.empty()) {
            lock.unlock();
            bytes = new quint8[size_t(size)];
        } else {
            bytes = kept.back().release();
            kept.pop_back();
        }
        return std::shared_ptr<quint8[]>(bytes, [this](quint8* given) { Give(given); });
    }

private:
    static constexpr size_t kKept = 8;  // more than the writer holds at once

    void Give(quint8* bytes) {
        std::unique_ptr<quint8[]> owned(bytes);
        std::lock_guard<std::mutex> lock(mutex);
        if (kept.size() < kKept) {
            kept.push_back(std::move(owned));
        }
    }

    const qint64 size;
    std::mutex mutex;
    std::vector<std::unique_ptr<quint8[]>> kept;
};

// Opens path read-only, refusing what is not a regular file: a folder has no bytes to give, and
// a FIFO, opened without waiting so that it cannot block, would hand out bytes only once. Fills
// info with what the file is when it was opened. Returns the descriptor, or -1.
int OpenRegularFile(const QString& path, QString* error, struct stat* info) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    if (::fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
        *error = S_ISDIR(info->st_mode) ? QStringLiteral("is a folder")
                                        : QStringLiteral("not a regular file");
        ::close(fd);
        return -1;
    }
    return fd;
}

// Up to count bytes from offset `at`; fewer at the end of the file, and a read error counts as
// that end. Positioned reads need no seek, so an input costs a few system calls.
qint64 ReadAt(int fd, void* buffer, qint64 count, qint64 at) {
    ssize_t done;
    do {
        done = ::pread(fd, buffer, size_t(count), off_t(at));
    } while (done < 0 && errno == EINTR);
    return std::max<qint64>(0, done);
}

[[noreturn]] void ThrowEndOfStream() {
    throw Exception_EndOfStream{{QStringLiteral("End of stream!")}};
}

}  // namespace

StreamReader::StreamReader(const QString& path) : path(path) {
    fd = OpenRegularFile(path, &openError, &opened);
    if (fd < 0) {
        return;
    }
    startOffset = LeadingTagBytes();
    position = startOffset;
    atEnd = false;
    Advance();
}

StreamReader::~StreamReader() {
    if (fd >= 0) {
        ::close(fd);
    }
}

qint64 StreamReader::LeadingTagBytes() {
    qint64 end = 0;
    quint8 header[ID3_TAGHEADERSIZE];
    try {
        for (position = 0; ReadBytes(header, ID3_TAGHEADERSIZE) == ID3_TAGHEADERSIZE;
             position = end) {
            const qint64 size = qint64(ID3_Tag::IsV2Tag(header));
            if (size == 0) {
                break;
            }
            const bool footer = header[3] == 4 && (header[5] & 0x10) != 0;  // ID3v2.4 only
            end += size + (footer ? ID3_TAGHEADERSIZE : 0);
        }
    } catch (const Exception_EndOfStream&) {
    }
    return std::min<qint64>(end, opened.st_size);
}

bool StreamReader::Changed() const {
    struct stat now;
    // A removed file has no link left; its bytes are still there to read, but not for long.
    return ::fstat(fd, &now) != 0 || now.st_nlink == 0 || now.st_size != opened.st_size ||
           now.st_mtim.tv_sec != opened.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec;
}

bool StreamReader::Fill() {
    return (position >= bufferStart && position < bufferStart + bufferLength) || Refill();
}

bool StreamReader::Refill() {
    bufferStart = position;
    // Nothing to ask the system for past the size the file had when opened; a file that grew
    // meanwhile is found changed.
    const qint64 left = opened.st_size - position;
    if (left > kReadBufferSize) {
        QString error;
        if (auto mapping =
                tessaro::MappedFile::Map(fd, position, std::min(left, kMappedLength), &error)) {
            buffer = mapping->Data();
            bufferLength = std::min(left, kMappedLength);
            keeper = std::move(mapping);
            ownBuffer = nullptr;
            return true;
        }
        // A file that cannot be mapped is read.
    }
    return ReadIntoBuffer(std::clamp<qint64>(left, 0, kReadBufferSize));
}

bool StreamReader::ReadIntoBuffer(qint64 length) {
    // A buffer still held by another keeps its bytes; the reader takes a new one.
    if (!ownBuffer || keeper.use_count() > 1) {
        // Never destroyed, as buffers may come back to it until the process ends.
        static BufferPool* const pool = new BufferPool(kReadBufferSize);
        std::shared_ptr<quint8[]> fresh = pool->Take();
        ownBuffer = fresh.get();
        keeper = std::move(fresh);
    }
    buffer = ownBuffer;
    bufferLength = length > 0 ? ReadAt(fd, ownBuffer, length, position) : 0;
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
    if (done == 0 && count > 0) {
        ThrowEndOfStream();
    }
    return done;
}

quint8 StreamReader::ReadByte() {
    quint8 byte = 0;
    ReadBytes(&byte, 1);
    return byte;
}

void StreamReader::FindSync(quint8* headerBytes) {
    for (;;) {
        if (!Fill()) {
            ThrowEndOfStream();
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
            return;
        }
        // A second byte that fails the test is not 0xFF, so the scan goes on behind it.
        const quint8 second = ReadByte();
        if (FrameHeader::IsSync(0xFF, second)) {
            headerBytes[0] = 0xFF;
            headerBytes[1] = second;
            // A header cut by the end of the file is not a frame: its last byte does not exist.
            if (ReadBytes(headerBytes + 2, 2) != 2) {
                ThrowEndOfStream();
            }
            return;
        }
    }
}

void StreamReader::Advance() {
    if (atEnd) {
        return;
    }
    try {
        quint8 bytes[4];
        FindSync(bytes);
        header.offset = position - 4;
        header.ParseHeader(bytes);
        ++frameIndex;
        // A length below 4 makes the header a unit of its own, so the scan goes on behind it.
        const qint32 length = std::max<qint32>(4, header.GetFrameLength());
        // A frame that straddles the buffer's end is read anew from its start.
        if (header.offset < bufferStart || header.offset + length > bufferStart + bufferLength) {
            position = header.offset;
            Refill();
            position = header.offset + 4;
        }
        // A body cut short by the end of the file: the unit is what exists of it, and a header
        // without any of its body is no frame.
        const qint64 available = bufferStart + bufferLength - header.offset;
        if (available < std::min<qint64>(length, 5)) {
            ThrowEndOfStream();
        }
        framePointer = buffer + (header.offset - bufferStart);
        frameLength = qint32(std::min<qint64>(length, available));
        position = header.offset + frameLength;
        // The processor's own look-ahead stops at each page, and frames lie far apart: asking
        // for as many bytes as this frame holds some frames ahead hides the wait for memory
        // from the scan and from the checksum taken over them next.
        const qint64 ahead =
            std::min(position + kLookAhead + frameLength, bufferStart + bufferLength);
        for (qint64 at = position + kLookAhead; at < ahead; at += 64) {
            __builtin_prefetch(buffer + (at - bufferStart));
        }
    } catch (const Exception_EndOfStream&) {
        atEnd = true;
    }
}

}  // namespace mp3
