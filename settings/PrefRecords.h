#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// The preferences file is a sequence of records, each (little-endian):
//   512 bytes  the name: UTF-16LE, a 0 unit, zero fill (at most 255 units)
//   4 bytes    reserved, written as 0, ignored
//   4 bytes    D, uint32: the number of data bytes that follow
//   D bytes    the value

namespace tessaro {

struct PrefRecord {
    QString name;
    QByteArray data;
};

class PrefRecordReader {
public:
    // A file that cannot be opened reads as one without records.
    explicit PrefRecordReader(const QString& path);

    // The next record, or nothing at the end. A record without data (D = 0) ends the reading,
    // and so does the end of the file inside a record head or its data: a record is only
    // given whole.
    std::optional<PrefRecord> Next();

private:
    QFile file;
};

class PrefRecordWriter {
public:
    // Nothing is written until Commit; the file at `path` stays as it was until then.
    explicit PrefRecordWriter(const QString& path);

    // Adds one record; a name longer than 255 units is cut to 255. Returns the number of bytes
    // the record takes in the file.
    qint64 WriteRecord(const QString& name, const QByteArray& data);
    // Replaces the file with the records written so far, through a temporary file beside it, so
    // that an interrupted write never leaves a truncated file. Returns an empty text on success,
    // otherwise the system's reason.
    [[nodiscard]] QString Commit();

private:
    QString path;
    QByteArray bytes;
};

}  // namespace tessaro
