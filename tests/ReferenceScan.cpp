#include "ReferenceScan.h"

#include <algorithm>
#include <optional>

#include "mp3/Crc16.h"
#include "mp3/JoinedStream.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace testing_files {

void PrintTo(const Unit& unit, std::ostream* os) {
    *os << "{offset " << unit.offset << ", " << unit.bytes.size() << " bytes}";
}

std::vector<Unit> ReadAllUnits(const QString& path) {
    std::vector<Unit> units;
    for (mp3::StreamReader reader(path); !reader.AtEnd(); reader.Advance()) {
        units.push_back(
            {reader.Header().offset,
             QByteArray(reinterpret_cast<const char*>(reader.Frame()), reader.FrameLength())});
    }
    return units;
}

namespace {

quint32 Le32(const QByteArray& data, qint64 at) {
    quint32 value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | quint8(data[at + i]);
    }
    return value;
}

// The bytes of the trailing tag that ends at `end`; 0 when none does.
qint64 TrailingTag(const QByteArray& data, qint64 end) {
    const auto holds = [&](qint64 at, const char* text) {
        const QByteArray expected(text);
        return at >= 0 && at + expected.size() <= end && data.mid(at, expected.size()) == expected;
    };
    if (holds(end - 128, "TAG")) {
        return 128;
    }
    // APEv2 and appended ID3v2 only where the footer's tag starts where it says: with its header,
    // or, an APE tag without one, with an item (a value size, flags, a key of 2 or more printable
    // characters ended by a zero byte).
    if (holds(end - 32, "APETAGEX")) {
        const qint64 size = Le32(data, end - 20), header = (Le32(data, end - 12) >> 31) * 32;
        const qint64 start = end - size - header;
        const QByteArray key =
            start >= 0 ? data.mid(start + 8, std::min<qint64>(256, size - 32 - 8)) : QByteArray();
        const bool item = start >= 0 && size - 32 >= 8 && Le32(data, start) < size &&
                          key.indexOf('\0') >= 2 &&
                          std::all_of(key.begin(), key.begin() + key.indexOf('\0'),
                                      [](char c) { return c >= 0x20 && c < 0x7F; });
        if (size >= 32 && start >= 0 && (header ? holds(start, "APETAGEX") : item)) {
            return size + header;
        }
    }
    if (holds(end - 9, "LYRICS200")) {
        const QByteArray digits = data.mid(end - 15, 6);
        const qint64 size = digits.toLongLong() + 15;
        if (std::all_of(digits.begin(), digits.end(),
                        [](char c) { return c >= '0' && c <= '9'; }) &&
            holds(end - size, "LYRICSBEGIN")) {
            return size;
        }
    }
    if (holds(end - 10, "3DI") && quint8(data[end - 7]) != 0xFF && quint8(data[end - 6]) != 0xFF) {
        qint64 size = 0;
        for (qint64 i = end - 4; i < end; ++i) {
            if (quint8(data[i]) & 0x80) {
                return 0;
            }
            size = size << 7 | quint8(data[i]);
        }
        return size + 20 <= end && holds(end - size - 20, "ID3") &&
                       data.mid(end - size - 17, 7) == data.mid(end - 7, 7)
                   ? size + 20
                   : 0;
    }
    return 0;
}

// A header's fields, by the tables of ISO/IEC 11172-3 and 13818-3.
struct Header {
    int version, layer, bitrateIndex, rateIndex, padding;

    explicit Header(const QByteArray& data, qint64 at)
        : version(quint8(data[at + 1]) >> 3 & 3),
          layer(quint8(data[at + 1]) >> 1 & 3),
          bitrateIndex(quint8(data[at + 2]) >> 4),
          rateIndex(quint8(data[at + 2]) >> 2 & 3),
          padding(quint8(data[at + 2]) >> 1 & 1) {}
    bool Valid() const {
        return version != 1 && layer != 0 && bitrateIndex != 15 && rateIndex != 3;
    }
    bool Like(const Header& o) const {
        return version == o.version && layer == o.layer && rateIndex == o.rateIndex;
    }
    int Slot() const { return layer == 3 ? 4 : 1; }
    // Bytes; 0 for free format.
    qint64 Length() const {
        static const int kbps[2][3][16] = {
            {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
             {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
             {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
            {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
             {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
             {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
        static const int rates[4][3] = {
            {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
        const qint64 br = kbps[version == 3 ? 0 : 1][3 - layer][bitrateIndex] * 1000;
        const qint64 sr = rates[version][rateIndex];
        if (layer == 3) {
            return (12 * br / sr + padding) * 4;
        }
        return (layer == 1 && version != 3 ? 72 : 144) * br / sr + padding;
    }
};

bool IsHeader(const QByteArray& data, qint64 at, qint64 end) {
    return at + 4 <= end && quint8(data[at]) == 0xFF && (quint8(data[at + 1]) & 0xE0) == 0xE0 &&
           Header(data, at).Valid();
}

}  // namespace

std::vector<Unit> ReferenceScan(const QByteArray& data, qint64 position) {
    qint64 end = data.size();
    while (const qint64 tag = TrailingTag(data, end)) {
        end -= tag;
    }
    std::vector<Unit> units;
    qint64 previousEnd = -1, previousLength = 0;
    std::optional<Header> previous;
    const auto sameStreamAt = [&](qint64 at, const Header& like) {
        return IsHeader(data, at, end) && Header(data, at).Like(like) &&
               (Header(data, at).bitrateIndex == 0) == (like.bitrateIndex == 0);
    };
    for (; position + 4 <= end; ++position) {
        if (!IsHeader(data, position, end)) {
            continue;
        }
        const Header header(data, position);
        const bool follows = position == previousEnd && header.Like(*previous);
        const bool free = header.bitrateIndex == 0;
        qint64 length = header.Length();
        if (free && follows && previous->bitrateIndex == 0) {
            length = previousLength + (header.padding - previous->padding) * header.Slot();
        } else if (free) {
            length = 0;
            for (qint64 at = position + 4; at < position + 8192 && length == 0; ++at) {
                length = sameStreamAt(at, header) ? at - position : 0;
            }
        }
        // A frame that does not follow one needs the next two frames' headers behind it (three
        // for free format), or the end of the audio before them.
        qint64 at = position + length;
        for (int i = 0; i < (free ? 3 : 2) && at != end && !follows && length > 0; ++i) {
            if (!sameStreamAt(at, header)) {
                length = 0;
                break;
            }
            const Header next(data, at);
            at += free ? length + (next.padding - header.padding) * header.Slot() : next.Length();
        }
        if (length <= 4 || position + length > end) {
            continue;
        }
        units.push_back({position, data.mid(position, length)});
        previous = header;
        previousEnd = position + length;
        previousLength = length;
        position += length - 1;
    }
    return units;
}

QByteArray Joined(const std::vector<Unit>& units) {
    QByteArray bytes;
    for (const Unit& unit : units) {
        bytes += unit.bytes;
    }
    return bytes;
}
QByteArray MergeOutput(const std::vector<std::vector<Unit>>& inputs) {
    QByteArray bytes;
    mp3::JoinedStream stream;
    for (const std::vector<Unit>& units : inputs) {
        for (size_t i = 0; i < units.size(); ++i) {
            const QByteArray& unit = units[i].bytes;
            const mp3::JoinedStream::Step step = stream.AddFrame(
                reinterpret_cast<const quint8*>(unit.constData()), qint32(unit.size()), i == 0);
            bytes.prepend(step.insertFront);
            bytes += step.copy ? unit : QByteArray();
        }
        // A LAME header that counts frames the input no longer holds lost its padding with them:
        // the decoder's own delay of 529 samples takes its place.
        const auto* first =
            units.empty() ? nullptr : reinterpret_cast<const quint8*>(units[0].bytes.constData());
        const std::optional<mp3::XingHeader> xing =
            first ? mp3::XingHeader::Find(first, qint32(units[0].bytes.size())) : std::nullopt;
        if (xing && xing->HasEncoderExtension() &&
            xing->FrameCount(first).value_or(0) + size_t(1) > units.size()) {
            stream.SetLastPadding(529);
        }
    }
    // The music CRC covers every frame behind the leading one.
    qsizetype lead = 0;
    for (const std::vector<Unit>& units : inputs) {
        if (!units.empty()) {
            lead = units[0].bytes.size();
            break;
        }
    }
    const quint16 crc = stream.NeedsMusicCrc()
                            ? mp3::Crc16(reinterpret_cast<const quint8*>(bytes.constData()) + lead,
                                         bytes.size() - lead)
                            : 0;
    const QByteArray first = stream.HeaderFrame(crc);
    return bytes.replace(0, first.size(), first);
}

}  // namespace testing_files
