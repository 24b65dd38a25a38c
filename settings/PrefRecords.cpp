#include "settings/PrefRecords.h"

#include <QtEndian>

#include "io/AtomicWrite.h"

namespace tessaro {
namespace {

constexpr qsizetype kNameSize = 512;
constexpr qsizetype kMaxNameUnits = kNameSize / 2 - 1;  // room for the 0 unit
constexpr qsizetype kSizeOffset = 516;
constexpr qsizetype kHeadSize = 520;

}  // namespace

PrefRecordReader::PrefRecordReader(const QString& path) : file(path) {
    file.open(QIODevice::ReadOnly);
}

std::optional<PrefRecord> PrefRecordReader::Next() {
    if (!file.isOpen()) {
        return std::nullopt;
    }
    const QByteArray head = file.read(kHeadSize);
    if (head.size() < kHeadSize) {
        return std::nullopt;
    }
    const quint32 size = qFromLittleEndian<quint32>(head.constData() + kSizeOffset);
    // Checked against the file's size before anything is allocated for a damaged D.
    if (size == 0 || size > quint64(file.size() - file.pos())) {
        return std::nullopt;
    }
    PrefRecord record;
    record.data = file.read(size);
    if (record.data.size() != qsizetype(size)) {
        return std::nullopt;
    }
    for (qsizetype offset = 0; offset < kNameSize; offset += 2) {
        const char16_t unit = qFromLittleEndian<char16_t>(head.constData() + offset);
        if (unit == 0) {
            break;
        }
        record.name.append(QChar(unit));
    }
    return record;
}

PrefRecordWriter::PrefRecordWriter(const QString& path) : path(path) {}

qint64 PrefRecordWriter::WriteRecord(const QString& name, const QByteArray& data) {
    const qsizetype start = bytes.size();
    QByteArray head(kHeadSize, '\0');
    const QStringView units = QStringView(name).left(kMaxNameUnits);
    for (qsizetype i = 0; i < units.size(); ++i) {
        qToLittleEndian(units[i].unicode(), head.data() + 2 * i);
    }
    qToLittleEndian(quint32(data.size()), head.data() + kSizeOffset);
    bytes += head;
    bytes += data;
    return bytes.size() - start;
}

QString PrefRecordWriter::Commit() {
    return WriteAtomically(path, bytes);
}

}  // namespace tessaro
