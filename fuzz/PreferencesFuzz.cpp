// Any bytes as "preferences.dat": the record reader yields exactly the whole records a plain
// reading of the layout finds, never a byte it did not read, and the preference is the value of
// the last one-byte "SaveID3Tag" record; records written again read back the same.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "settings/PrefRecords.h"
#include "settings/Preferences.h"

using fuzzing::Require;

namespace {

constexpr qsizetype kHeadSize = 520;

// The layout read plainly: a 512-byte name of UTF-16LE units up to the first 0 unit, 4 ignored
// bytes, the data size D and D bytes; a record cut by the end of the file or with D = 0 ends
// the reading.
std::vector<tessaro::PrefRecord> PlainReading(const QByteArray& bytes) {
    std::vector<tessaro::PrefRecord> records;
    qsizetype position = 0;
    while (bytes.size() - position >= kHeadSize) {
        const quint32 size = fuzzing::U32At(bytes, position + 516);
        if (size == 0 || size > quint64(bytes.size() - position - kHeadSize)) {
            break;
        }
        tessaro::PrefRecord record;
        for (qsizetype unit = 0; unit < 256; ++unit) {
            const char16_t value = char16_t(quint8(bytes[position + 2 * unit]) |
                                            quint8(bytes[position + 2 * unit + 1]) << 8);
            if (value == 0) {
                break;
            }
            record.name.append(QChar(value));
        }
        record.data = bytes.mid(position + kHeadSize, size);
        records.push_back(record);
        position += kHeadSize + size;
    }
    return records;
}

std::vector<tessaro::PrefRecord> ReadRecords(const QString& path) {
    std::vector<tessaro::PrefRecord> records;
    tessaro::PrefRecordReader reader(path);
    while (const std::optional<tessaro::PrefRecord> record = reader.Next()) {
        records.push_back(*record);
    }
    return records;
}

bool SameRecords(const std::vector<tessaro::PrefRecord>& a,
                 const std::vector<tessaro::PrefRecord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const tessaro::PrefRecord& x, const tessaro::PrefRecord& y) {
                          return x.name == y.name && x.data == y.data;
                      });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("preferences.dat"));

    const std::vector<tessaro::PrefRecord> records = ReadRecords(path);
    const std::vector<tessaro::PrefRecord> expected = PlainReading(bytes);
    Require(SameRecords(records, expected), "the reader yields the whole records");

    bool saveID3Tag = false;
    for (const tessaro::PrefRecord& record : expected) {
        if (record.name == QStringLiteral("SaveID3Tag") && record.data.size() == 1) {
            saveID3Tag = record.data[0] != 0;
        }
    }
    Require(tessaro::ReadSaveID3Tag(path) == saveID3Tag, "the last one-byte record decides");

    // A name without its 0 unit fills all 256 units; the writer keeps 255 of them.
    std::vector<tessaro::PrefRecord> kept = records;
    const QString copy = fuzzing::WriteInput(QByteArray(), QStringLiteral("copy.dat"));
    tessaro::PrefRecordWriter writer(copy);
    for (tessaro::PrefRecord& record : kept) {
        record.name.truncate(255);
        Require(writer.WriteRecord(record.name, record.data) == kHeadSize + record.data.size(),
                "a record takes its head and its data");
    }
    Require(writer.Commit().isEmpty(), "the records are written");
    Require(SameRecords(ReadRecords(copy), kept), "records written again read back the same");
    return 0;
}
