#include "mp3/TagInflation.h"

#include <taglib/id3v2synchdata.h>
#include <zlib.h>

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace mp3 {
namespace {

constexpr int kHeaderSize = 10;  // of the tag, and of a frame in ID3v2.3 and ID3v2.4

// Sizes and unsynchronisation as TagLib itself reads them, so that what is bounded here is what
// TagLib would inflate.
quint32 BigEndian(const char* bytes) {
    return qFromBigEndian<quint32>(bytes);
}

// Seven bits a byte; read as a plain number where a byte has its top bit set.
quint32 SyncSafe(const char* bytes) {
    return TagLib::ID3v2::SynchData::toUInt(TagLib::ByteVector(bytes, 4));
}

// Every 0xFF 0x00 as 0xFF.
QByteArray Resynchronised(const char* data, qsizetype length) {
    const TagLib::ByteVector decoded =
        TagLib::ID3v2::SynchData::decode(TagLib::ByteVector(data, unsigned(length)));
    return QByteArray(decoded.data(), qsizetype(decoded.size()));
}

// How many bytes the zlib stream at `data` inflates to, counted up to `limit` + 1 at most.
qint64 InflatedLength(const char* data, qsizetype length, qint64 limit) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return limit + 1;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(std::min<qsizetype>(length, qsizetype(UINT_MAX)));
    Bytef sink[1 << 16];
    qint64 total = 0;
    int result = Z_OK;
    while (result == Z_OK && total <= limit) {
        stream.next_out = sink;
        stream.avail_out = sizeof sink;
        result = inflate(&stream, Z_NO_FLUSH);
        total += qint64(sizeof sink - stream.avail_out);
        // Room left for output: the input ended inside the stream.
        if (result == Z_OK && stream.avail_out != 0) {
            break;
        }
    }
    inflateEnd(&stream);
    return total;
}

}  // namespace

std::optional<QByteArray> BoundInflation(const QByteArray& tag) {
    if (tag.size() < kHeaderSize || !tag.startsWith("ID3")) {
        return std::nullopt;
    }
    const int version = quint8(tag[3]);
    const quint8 tagFlags = quint8(tag[5]);
    if (version != 3 && version != 4) {
        return std::nullopt;  // ID3v2.2 frames have no compression
    }
    const bool unsynchronised = (tagFlags & 0x80) != 0;
    QByteArray out = tag;
    // TagLib undoes ID3v2.3 unsynchronisation over the whole body before it finds the frames.
    if (version == 3 && unsynchronised) {
        out = tag.left(kHeaderSize) +
              Resynchronised(tag.constData() + kHeaderSize, tag.size() - kHeaderSize);
        out[5] = char(tagFlags & ~0x80);
        const TagLib::ByteVector size =
            TagLib::ID3v2::SynchData::fromUInt(unsigned(out.size() - kHeaderSize));
        out.replace(6, 4, QByteArray(size.data(), 4));
    }
    const bool resynchronised = out.size() != tag.size();
    // Walked as it is, and copied only where a frame is to be kept from TagLib.
    const char* body = out.constData() + kHeaderSize;
    std::vector<qsizetype> opaque;  // where the flags of each such frame lie
    qint64 end = out.size() - kHeaderSize;
    qint64 at = 0;
    if ((tagFlags & 0x40) != 0 && end >= 4) {  // an extended header, skipped as TagLib does
        const qint64 extended = SyncSafe(body);
        at = extended <= end ? extended : 0;
        end -= at;
    }
    if (version == 4 && (tagFlags & 0x10) != 0 && end >= kHeaderSize) {
        end -= kHeaderSize;  // the footer
    }
    const quint8 compressed = version == 3 ? 0x80 : 0x08;
    const quint8 encrypted = version == 3 ? 0x40 : 0x04;
    qint64 budget = kInflatedTagLimit;
    // As TagLib walks: up to padding, a frame it would refuse, or too little room for a header.
    while (at < end - kHeaderSize && body[at] != 0) {
        const char* frame = body + at;
        const qint64 left = out.size() - kHeaderSize - at;  // the rest of the body, footer and all
        const qint64 size = version == 3 ? BigEndian(frame + 4) : SyncSafe(frame + 4);
        const quint8 flags = quint8(frame[9]);
        const bool lengthGiven = version == 4 && (flags & 0x01) != 0;
        const bool idValid =
            std::all_of(frame, frame + (version == 3 && frame[3] == 0 ? 3 : 4),
                        [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
        if (!idValid || size <= (lengthGiven ? 4 : 0) || size > left) {
            break;
        }
        // TagLib takes a frame that claims more than the rest of the tag as long as the rest holds
        // its header: its body is what there is.
        const qint64 bodyLength = std::min(size, left - kHeaderSize);
        if ((flags & compressed) != 0 && (flags & encrypted) == 0) {
            // The inflated size the frame declares, behind its header.
            const qint64 declared = bodyLength >= 4 ? qint64(version == 3 ? BigEndian(frame + 10)
                                                                          : SyncSafe(frame + 10))
                                                    : budget + 1;
            qint64 inflated = budget + 1;
            if (declared <= budget) {
                // TagLib inflates what follows the declared size, up to the stream's end, which
                // may lie past the frame's; a frame unsynchronised in ID3v2.4 is restored first.
                const char* data = frame + kHeaderSize + 4;
                if (version == 4 && (unsynchronised || (flags & 0x02) != 0)) {
                    const QByteArray restored =
                        Resynchronised(frame + kHeaderSize, qsizetype(bodyLength)).mid(4);
                    inflated = InflatedLength(restored.constData(), restored.size(), budget);
                } else {
                    inflated = InflatedLength(data, qsizetype(left - kHeaderSize - 4), budget);
                }
            }
            if (inflated > budget) {
                opaque.push_back(kHeaderSize + at + 9);
            } else {
                budget -= inflated;
            }
        }
        at += kHeaderSize + size;
    }
    for (const qsizetype flags : opaque) {
        out[flags] = char(out[flags] | encrypted);
    }
    return resynchronised || !opaque.empty() ? std::optional<QByteArray>(out) : std::nullopt;
}

}  // namespace mp3
