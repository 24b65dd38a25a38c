#include "merge/JoinOutput.h"

#include <algorithm>
#include <cerrno>

#include "io/Files.h"
#include "mp3/Crc16.h"

namespace tessaro {

QString InputsChanged() {
    return QStringLiteral("The inputs changed while they were being joined; join them again");
}

bool JoinOutput::Open(const QByteArray& front) {
    if (counted) {
        audioStart = end = front.size();
        return opened = true;
    }
    // A writable target in a folder where no temporary file can be made is written in place, as
    // the user asked for it; only then can a failure leave it half written.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error =
            QStringLiteral("Cannot create %1: %2").arg(Quoted(file.fileName()), file.errorString());
        return false;
    }
    inPlace = WritesInPlace(file);
    mark.emplace(file);
    writer.emplace(file.handle());
    audioStart = end = front.size();
    return Hand(Piece::Own(front, 0));
}

bool JoinOutput::Append(const quint8* data, qint32 length,
                        const std::shared_ptr<const void>& buffer) {
    if (run.length > 0 &&
        (buffer != run.buffer || data != run.data + run.length ||
         run.length + length > kRunLength) &&
        !Flush()) {
        return false;
    }
    if (run.length == 0) {
        run = {buffer, data, 0, end};
    }
    run.length += length;
    end += length;
    return true;
}

bool JoinOutput::InsertFront(const QByteArray& front) {
    if (counted) {
        end += front.size();
        return true;
    }
    if (!Flush() || !Drain()) {
        return false;
    }
    // Moved back to front in pieces, so that no piece overwrites one still to be moved.
    QByteArray bytes;
    for (qint64 pieceEnd = end; pieceEnd > audioStart;) {
        const qint64 length = std::min<qint64>(pieceEnd - audioStart, kMoveLength);
        pieceEnd -= length;
        bytes.resize(length);
        errno = 0;
        if (!ReadAllAt(file.handle(), bytes.data(), length, pieceEnd) ||
            !WriteAllAt(file.handle(), bytes.constData(), length, pieceEnd + front.size())) {
            return Fail(errno);
        }
    }
    end += front.size();
    crcStart += crcStart >= 0 ? front.size() : 0;
    return WriteAt(front, audioStart);
}

bool JoinOutput::Commit(const QByteArray& front, const QByteArray& leadingFrame,
                        const QByteArray& back) {
    Q_ASSERT(front.isEmpty() || front.size() == audioStart);
    if (counted) {
        return true;
    }
    if (!Flush() || !Hand(Piece::Own(back, end)) || !Drain() ||
        (!front.isEmpty() && !WriteAt(front, 0)) ||
        (!leadingFrame.isEmpty() && !WriteAt(leadingFrame, audioStart))) {
        return false;
    }
    writer.reset();
    errno = 0;
    return CommitHoldingSignals(file) || Fail(errno);
}

void JoinOutput::Cancel() {
    writer.reset();
    if (file.isOpen()) {
        file.cancelWriting();
    }
}

QString JoinOutput::Damage() const {
    return inPlace ? QStringLiteral(
                         "; no temporary file could be made beside %1, so it was written in "
                         "place and is now overwritten in part")
                         .arg(Quoted(file.fileName()))
                   : QString();
}

bool JoinOutput::Flush() {
    if (run.length == 0 || counted) {
        run = {};
        return true;
    }
    if (crcStart >= 0 && run.at + run.length > crcStart) {
        const qint64 from = std::max<qint64>(crcStart - run.at, 0);
        crc = mp3::Crc16(run.data + from, run.length - from, crc);
    }
    const bool handed =
        Hand({reinterpret_cast<const char*>(run.data), run.length, run.at, std::move(run.buffer)});
    run = {};
    return handed;
}

bool JoinOutput::Hand(Piece piece) {
    return writer->Hand(std::move(piece)) || Fail(writer->Error());
}

bool JoinOutput::Drain() {
    return writer->Drain() || Fail(writer->Error());
}

bool JoinOutput::WriteAt(const QByteArray& data, qint64 at) {
    errno = 0;
    return WriteAllAt(file.handle(), data.constData(), data.size(), at) || Fail(errno);
}

bool JoinOutput::Fail(int systemError) {
    error = QStringLiteral("Cannot write %1: %2")
                .arg(Quoted(file.fileName()), FailureReason(file, systemError));
    return false;
}

}  // namespace tessaro
