#include "ReferenceScan.h"

#include <algorithm>

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

std::vector<Unit> ReferenceScan(const QByteArray& data, qint64 position) {
    std::vector<Unit> units;
    const qint64 size = data.size();
    const auto at = [&](qint64 i) { return quint8(data[i]); };
    for (;;) {
        while (position < size && at(position) != 0xFF) {
            ++position;
        }
        if (position + 1 >= size) {
            return units;
        }
        const qint64 start = position;
        position += 2;
        if ((at(start + 1) & 0xE0) != 0xE0) {
            continue;
        }
        if (start + 4 > size) {
            return units;
        }
        mp3::FrameHeader header;
        header.ParseHeader(reinterpret_cast<const quint8*>(data.constData() + start));
        position = start + 4;
        const qint64 body = std::max(4, int(header.GetFrameLength())) - 4;
        const qint64 available = std::min(body, size - position);
        if (body > 0 && available == 0) {
            return units;
        }
        units.push_back({start, data.mid(start, 4 + available)});
        position += available;
    }
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
