#include "mp3/AudioPart.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <id3/tag.h>

#include "io/Files.h"

namespace mp3 {
namespace {

constexpr qint64 kId3v1Length = 128;
constexpr qint64 kApeFooterLength = 32;
constexpr quint32 kApeHasHeader = 0x80000000u;
constexpr qint64 kLyricsTailLength = 15;  // six digits of size, then "LYRICS200"
constexpr qint64 kId3v2FooterLength = 10;

// Finds the tags from the end of a file, reading its last bytes before each one: all tags but
// Lyrics3v2 are recognised from the last 128.
class TagFinder {
public:
    TagFinder(int fd, qint64 base, QString* error) : fd(fd), base(base), error(error) {}

    // The kind of tag whose footer ended the audio without its tag where the footer says it
    // starts; empty when none did.
    QString unconfirmed;

    // The length of the tag that ends at `before`; 0 when none does, -1 when the file cannot be
    // read.
    qint64 LengthBefore(qint64 before) {
        end = before;
        const qint64 n = std::min(end, kId3v1Length);
        if (!Read(reinterpret_cast<char*>(tail) + kId3v1Length - n, n, end - n)) {
            return -1;
        }
        // An ID3v1 tag is the last if there is one; the others follow in order of how common.
        if (const qint64 length = Id3v1Length() ? Id3v1Length() : ApeLength()) {
            return length;
        }
        const qint64 lyrics = LyricsLength();
        return lyrics != 0 ? lyrics : Id3v2Length();
    }

private:
    // The n bytes that end `back` bytes before `end`.
    const quint8* Last(qint64 back, qint64 n) const { return tail + kId3v1Length - back - n; }
    bool Holds(qint64 back, const char* text) const {
        const qint64 n = qint64(std::strlen(text));
        return end >= back + n && std::memcmp(Last(back, n), text, size_t(n)) == 0;
    }
    bool Read(char* into, qint64 n, qint64 at) {
        errno = 0;
        if (tessaro::ReadAllAt(fd, into, n, base + at)) {
            return true;
        }
        *error = errno != 0 ? qt_error_string(errno) : QStringLiteral("the file was cut short");
        return false;
    }

    qint64 Id3v1Length() const { return Holds(kId3v1Length - 3, "TAG") ? kId3v1Length : 0; }

    qint64 ApeLength() {
        if (!Holds(kApeFooterLength - 8, "APETAGEX")) {
            return 0;
        }
        const quint8* footer = Last(0, kApeFooterLength);
        const qint64 size = qFromLittleEndian<quint32>(footer + 12);  // items and footer
        const quint32 flags = qFromLittleEndian<quint32>(footer + 20);
        const qint64 length = size + ((flags & kApeHasHeader) ? kApeFooterLength : 0);
        if (size < kApeFooterLength || length > end) {
            return Confirmed(false, QStringLiteral("APEv2"), length);
        }
        // Where the footer says the tag starts: its header, or else its first item (value size,
        // flags, a printable key ended by a zero byte).
        quint8 start[8 + 256];
        const qint64 n = std::min<qint64>(sizeof start, length - kApeFooterLength);
        if (!Read(reinterpret_cast<char*>(start), n, end - length)) {
            return -1;
        }
        // A tag too short for an item's 8 bytes and a key has none.
        const quint8* const begin = start;
        const quint8* keyEnd = n > 8 ? std::find(begin + 8, begin + n, quint8(0)) : begin + n;
        const bool confirmed = (flags & kApeHasHeader)
                                   ? n >= 8 && std::memcmp(start, "APETAGEX", 8) == 0
                                   : n > 10 && qFromLittleEndian<quint32>(start) < size &&
                                         keyEnd - start > 9 && keyEnd < start + n &&
                                         std::all_of(begin + 8, keyEnd, [](quint8 c) {
                                             return c >= 0x20 && c < 0x7F;
                                         });
        return Confirmed(confirmed, QStringLiteral("APEv2"), length);
    }
    qint64 Confirmed(bool confirmed, const QString& kind, qint64 length) {
        if (!confirmed) {
            unconfirmed = kind;
        }
        return confirmed ? length : 0;
    }

    qint64 LyricsLength() {
        if (!Holds(0, "LYRICS200")) {
            return 0;
        }
        qint64 size = 0;
        for (const quint8* digit = Last(9, 6); digit < Last(9, 0); ++digit) {
            if (*digit < '0' || *digit > '9') {
                return 0;
            }
            size = size * 10 + (*digit - '0');
        }
        // The size counts from "LYRICSBEGIN" up to the size itself.
        const qint64 length = size + kLyricsTailLength;
        char begin[11];
        if (length > end) {
            return 0;
        }
        if (!Read(begin, sizeof begin, end - length)) {
            return -1;
        }
        return std::memcmp(begin, "LYRICSBEGIN", sizeof begin) == 0 ? length : 0;
    }

    qint64 Id3v2Length() {
        if (!Holds(kId3v2FooterLength - 3, "3DI")) {
            return 0;
        }
        const quint8* footer = Last(0, kId3v2FooterLength);
        qint64 size = 0;
        bool syncsafe = true;
        for (int i = 6; i < 10; ++i) {
            syncsafe = syncsafe && (footer[i] & 0x80) == 0;
            size = size << 7 | (footer[i] & 0x7F);
        }
        // Header, frames and footer.
        const qint64 length = size + 2 * kId3v2FooterLength;
        if (!syncsafe || footer[3] == 0xFF || footer[4] == 0xFF || length > end) {
            return Confirmed(false, QStringLiteral("ID3v2"), length);
        }
        // Its header: "ID3", then the version, flags and size the footer repeats.
        char header[kId3v2FooterLength];
        if (!Read(header, kId3v2FooterLength, end - length)) {
            return -1;
        }
        return Confirmed(std::memcmp(header, "ID3", 3) == 0 &&
                             std::memcmp(header + 3, footer + 3, kId3v2FooterLength - 3) == 0,
                         QStringLiteral("ID3v2"), length);
    }

    const int fd;
    const qint64 base;
    QString* const error;
    quint8 tail[kId3v1Length] = {};
    qint64 end = 0;
};

}  // namespace

qint64 FindAudioEnd(int fd, qint64 size, QString* error, QString* unconfirmed, qint64 base) {
    TagFinder finder(fd, base, error);
    qint64 end = size;
    for (qint64 length = 1; end > 0 && length > 0; end -= length) {
        length = finder.LengthBefore(end);
        if (length < 0) {
            return -1;
        }
    }
    if (unconfirmed) {
        *unconfirmed = finder.unconfirmed;
    }
    return end;
}

qint64 LeadingTagLength(const quint8* header) {
    const qint64 size = qint64(ID3_Tag::IsV2Tag(header));
    const bool footer = size > 0 && header[3] == 4 && (header[5] & 0x10) != 0;  // ID3v2.4 only
    return size + (footer ? kId3v2FooterLength : 0);
}

qint64 AudioPartLength(int fd, qint64 size, QString* error) {
    const qint64 end = FindAudioEnd(fd, size, error);
    qint64 start = 0;
    quint8 header[ID3_TAGHEADERSIZE];
    for (qint64 length = 1; length > 0 && start < end; start += length) {
        errno = 0;
        const bool read =
            tessaro::ReadAllAt(fd, reinterpret_cast<char*>(header), sizeof header, start);
        if (!read && errno != 0) {
            *error = qt_error_string(errno);
        }
        length = read ? LeadingTagLength(header) : 0;
    }
    return std::max<qint64>(0, end - start);
}

}  // namespace mp3
