#include "mp3/StreamReader.h"

#include <fcntl.h>
#include <id3/tag.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mp3 {
namespace {

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

// The number of bytes the leading ID3v2 tags occupy in the file, padding and footer included,
// up to the end of the file. id3lib judges each 10-byte tag header; the tags' frames are not
// parsed, as id3lib corrupts its heap on some damaged compressed frames.
qint64 LeadingTagBytes(int fd, qint64 fileSize) {
    qint64 end = 0;
    uchar header[ID3_TAGHEADERSIZE];
    while (ReadAt(fd, header, ID3_TAGHEADERSIZE, end) == ID3_TAGHEADERSIZE) {
        const qint64 size = qint64(ID3_Tag::IsV2Tag(header));
        if (size == 0) {
            break;
        }
        const bool footer = header[3] == 4 && (header[5] & 0x10) != 0;  // ID3v2.4 only
        end += size + (footer ? ID3_TAGHEADERSIZE : 0);
    }
    return std::min(end, fileSize);
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
    readBuffer.reset(new quint8[kReadBufferSize]);
    startOffset = LeadingTagBytes(fd, opened.st_size);
    position = startOffset;
    atEnd = false;
    Advance();
}

StreamReader::~StreamReader() {
    if (fd >= 0) {
        ::close(fd);
    }
}

bool StreamReader::Changed() const {
    struct stat now;
    // A removed file has no link left; its bytes are still there to read, but not for long.
    return ::fstat(fd, &now) != 0 || now.st_nlink == 0 || now.st_size != opened.st_size ||
           now.st_mtim.tv_sec != opened.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec;
}

bool StreamReader::Fill() {
    if (position >= bufferStart && position < bufferStart + bufferLength) {
        return true;
    }
    bufferStart = position;
    // Nothing to ask the system for past the size the file had when opened; a file that grew
    // meanwhile is found changed.
    bufferLength =
        position < opened.st_size ? ReadAt(fd, readBuffer.get(), kReadBufferSize, position) : 0;
    return bufferLength > 0;
}

qint32 StreamReader::ReadBytes(quint8* buffer, qint32 count) {
    qint32 done = 0;
    while (done < count && Fill()) {
        const qint64 available = bufferStart + bufferLength - position;
        const qint32 n = qint32(std::min<qint64>(available, count - done));
        std::memcpy(buffer + done, readBuffer.get() + (position - bufferStart), size_t(n));
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
        const quint8* begin = readBuffer.get() + (position - bufferStart);
        const quint8* end = readBuffer.get() + bufferLength;
        const auto* ff = static_cast<const quint8*>(std::memchr(begin, 0xFF, size_t(end - begin)));
        if (!ff) {
            position = bufferStart + bufferLength;
            continue;
        }
        position += (ff - begin) + 1;
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
        // A frame wholly in the read buffer is used where it lies; only one that straddles the
        // buffer's end is put together in the frame buffer.
        if (header.offset >= bufferStart && header.offset + length <= bufferStart + bufferLength) {
            framePointer = readBuffer.get() + (header.offset - bufferStart);
            frameLength = length;
            position = header.offset + length;
            return;
        }
        std::memcpy(frame, bytes, 4);
        framePointer = frame;
        // A body cut short by the end of the file: the unit is what exists of it.
        frameLength = 4 + ReadBytes(frame + 4, length - 4);
    } catch (const Exception_EndOfStream&) {
        atEnd = true;
    }
}

}  // namespace mp3
