// Saving and opening workspaces; the layout is described in WorkSpaceFile.h.

#include "workspace/WorkSpaceFile.h"

#include <unistd.h>

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {
namespace {

constexpr char kIdentifier[] = "TWKS";
constexpr char kExtensionIdentifier[] = "TWKX";
constexpr char kExtrasIdentifier[] = "TWKY";
constexpr qsizetype kIdentifierSize = 4;
// Far more than any list of files takes (100,000 paths are a few MiB), and no more than is
// read into memory at once.
constexpr qint64 kMaxWorkSpaceBytes = qint64(64) << 20;
constexpr qsizetype kHeaderSize = 124;
constexpr qsizetype kSlotSize = 28;
constexpr qsizetype kSlotTextOffset = 4;
constexpr qsizetype kSlotLengthOffset = 20;
constexpr qsizetype kSlotMarkerOffset = 24;
constexpr qsizetype kYearOffset = 116;
constexpr qsizetype kCountOffset = 120;
constexpr quint32 kShortUnits = 7;  // what a slot holds in place; written as its marker too

// Album, artist, title, comment: the order of the slots and of the extension records.
using Texts = std::array<QString, 4>;
constexpr std::array<const char*, 4> kTextNames = {"album", "artist", "title", "comment"};

// The kinds of the extras block's records.
constexpr char kChapterMarksKind[] = "MARK";
constexpr char kChapterTitlesKind[] = "TITL";
constexpr qsizetype kRecordHeadSize = 8;  // the kind and the length

// The extras held as one text each, with their records' kinds; for a const or a mutable
// WorkspaceExtras alike.
template <typename Extras>
auto TextExtras(Extras& extras) {
    return std::array{std::pair{"GENR", &extras.moreTag.genre},
                      std::pair{"AART", &extras.moreTag.albumArtist},
                      std::pair{"COMP", &extras.moreTag.composer}, std::pair{"COVR", &extras.cover},
                      std::pair{"CHPF", &extras.chapterFile}};
}

// How many of the marks are kept: up to the last one that is not Auto.
size_t KeptMarks(const std::vector<ChapterMark>& marks) {
    const auto last = std::find_if(marks.rbegin(), marks.rend(),
                                   [](const ChapterMark& mark) { return !mark.IsAuto(); });
    return size_t(marks.rend() - last);
}

// Everything a file holds, gathered before the workspace is touched.
struct Contents {
    Texts texts;
    qint32 year = 0;
    QStringList paths;
    WorkspaceExtras extras;
};

void AppendU32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendUnits(QByteArray& out, QStringView text) {
    for (const QChar unit : text) {
        char bytes[2];
        qToLittleEndian(unit.unicode(), bytes);
        out.append(bytes, 2);
    }
}

void AppendRecord(QByteArray& out, const QString& text) {
    AppendU32(out, quint32(2 * (text.size() + 1)));
    AppendUnits(out, text);
    out.append(2, '\0');
}

void AppendSlot(QByteArray& out, const QString& text) {
    const QStringView shortForm = QStringView(text).left(kShortUnits);
    out.append(kSlotTextOffset, '\0');
    AppendUnits(out, shortForm);
    // The 0 unit and the rest of the 16-byte area.
    out.append(kSlotLengthOffset - kSlotTextOffset - 2 * shortForm.size(), '\0');
    AppendU32(out, quint32(shortForm.size()));
    AppendU32(out, kShortUnits);
}

void AppendKind(QByteArray& out, const char* kind) {
    out.append(kind, kIdentifierSize);
}

void AppendExtrasRecord(QByteArray& out, const char* kind, const QByteArray& payload) {
    AppendKind(out, kind);
    AppendU32(out, quint32(payload.size()));
    out.append(payload);
}

// The extras block's records for the extras that are to be kept; none when nothing is.
QByteArray ExtrasRecords(const WorkspaceExtras& extras, qsizetype pathCount) {
    QByteArray records;
    for (const auto& [kind, text] : TextExtras(extras)) {
        if (!text->isEmpty()) {
            AppendKind(records, kind);
            AppendRecord(records, *text);
        }
    }
    const size_t marks = std::min(KeptMarks(extras.chapterMarks), size_t(pathCount));
    if (marks > 0) {
        QByteArray payload;
        for (size_t i = 0; i < marks; ++i) {
            AppendU32(payload, quint32(extras.chapterMarks[i].start));
            AppendRecord(payload, extras.chapterMarks[i].title);
        }
        AppendExtrasRecord(records, kChapterMarksKind, payload);
    }
    if (!extras.chapterTitles.isEmpty()) {
        QByteArray payload;
        for (const QString& title : extras.chapterTitles) {
            AppendRecord(payload, title);
        }
        AppendExtrasRecord(records, kChapterTitlesKind, payload);
    }
    return records;
}

QByteArray Encode(const Texts& texts, qint32 year, const QStringList& paths,
                  const WorkspaceExtras& extras) {
    QByteArray out(kIdentifier, kIdentifierSize);
    for (const QString& text : texts) {
        AppendSlot(out, text);
    }
    AppendU32(out, quint32(year));
    AppendU32(out, quint32(paths.size()));
    for (const QString& path : paths) {
        AppendRecord(out, path);
    }
    const bool anyLong = std::any_of(texts.begin(), texts.end(),
                                     [](const QString& text) { return text.size() > kShortUnits; });
    if (anyLong) {
        out.append(kExtensionIdentifier, kIdentifierSize);
        for (const QString& text : texts) {
            AppendRecord(out, text);
        }
    }
    const QByteArray records = ExtrasRecords(extras, paths.size());
    if (!records.isEmpty()) {
        AppendKind(out, kExtrasIdentifier);
        AppendU32(out, quint32(records.size()));
        out.append(records);
    }
    return out;
}

// Compared byte by byte; the file may be shorter than the identifier.
void CheckIdentifier(const QByteArray& bytes) {
    for (qsizetype i = 0; i < kIdentifierSize; ++i) {
        if (i >= bytes.size() || bytes[i] != kIdentifier[i]) {
            throw BadTessaroWorkSpaceIden();
        }
    }
}

// Reads the integers, texts and records of the bytes it is given. Every offset is tested against
// them before it is used.
class RecordReader {
public:
    explicit RecordReader(QByteArrayView bytes) : bytes(bytes) {}

    quint32 U32At(qsizetype offset) const {
        return qFromLittleEndian<quint32>(bytes.constData() + offset);
    }
    QString UnitsAt(qsizetype offset, qsizetype count) const {
        QString text(count, Qt::Uninitialized);
        for (qsizetype i = 0; i < count; ++i) {
            text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + offset + 2 * i));
        }
        return text;
    }

    // The record at `position`: its text up to the first 0 unit. Moves `position` past the
    // record, or leaves it and says in `problem` what is wrong.
    std::optional<QString> Record(qsizetype& position, QString& problem) const {
        const qsizetype remaining = bytes.size() - position;
        if (remaining < 4) {
            problem = QStringLiteral("is missing: the file ends before it");
            return std::nullopt;
        }
        const quint32 length = U32At(position);
        if (length == 0) {
            problem = QStringLiteral("has a length of 0");
            return std::nullopt;
        }
        if (length % 2 != 0) {
            problem = QStringLiteral("has an odd length of %1 bytes").arg(length);
            return std::nullopt;
        }
        if (length > quint64(remaining - 4)) {
            problem =
                QStringLiteral("has a length of %1 bytes, past the end of the file").arg(length);
            return std::nullopt;
        }
        const QString units = UnitsAt(position + 4, length / 2);
        const qsizetype end = units.indexOf(QChar(0));
        if (end < 0) {
            problem = QStringLiteral("has no 0 unit");
            return std::nullopt;
        }
        position += 4 + length;
        return units.left(end);
    }
    std::optional<QString> Record(qsizetype& position) const {
        QString ignored;
        return Record(position, ignored);
    }

protected:
    QByteArrayView bytes;
};

// The extras block's records (what follows its length), or none when the block is damaged.
class ExtrasReader : RecordReader {
public:
    using RecordReader::RecordReader;

    std::optional<WorkspaceExtras> Read(qsizetype pathCount) const {
        WorkspaceExtras extras;
        qsizetype position = 0;
        while (position < bytes.size()) {
            if (bytes.size() - position < kRecordHeadSize ||
                U32At(position + 4) > quint64(bytes.size() - position - kRecordHeadSize) ||
                !Take(position, extras)) {
                return std::nullopt;
            }
            position += kRecordHeadSize + U32At(position + 4);
        }
        if (extras.chapterMarks.size() > size_t(pathCount)) {
            return std::nullopt;
        }
        extras.chapterMarks.resize(KeptMarks(extras.chapterMarks));
        return extras;
    }

private:
    // Puts the record at `position`, which lies within the block, into `extras`; false when it
    // is damaged. One of an unknown kind is skipped.
    bool Take(qsizetype position, WorkspaceExtras& extras) const {
        const QByteArrayView kind = bytes.sliced(position, kIdentifierSize);
        for (const auto& [name, text] : TextExtras(extras)) {
            if (kind == name) {
                position += kIdentifierSize;
                const std::optional<QString> record = Record(position);
                *text = record.value_or(QString());
                return record.has_value();
            }
        }
        const QByteArrayView payload =
            bytes.sliced(position + kRecordHeadSize, U32At(position + 4));
        if (kind == kChapterMarksKind) {
            return Marks(payload, extras.chapterMarks);
        }
        if (kind == kChapterTitlesKind) {
            return Titles(payload, extras.chapterTitles);
        }
        return true;
    }

    static bool Marks(QByteArrayView payload, std::vector<ChapterMark>& marks) {
        const RecordReader reader(payload);
        marks.clear();
        for (qsizetype position = 0; position < payload.size();) {
            if (payload.size() - position < 4 ||
                reader.U32At(position) > quint32(ChapterMark::Start::WithPrevious)) {
                return false;
            }
            const auto start = ChapterMark::Start(reader.U32At(position));
            position += 4;
            const std::optional<QString> title = reader.Record(position);
            if (!title) {
                return false;
            }
            marks.push_back({start, *title});
        }
        return true;
    }

    static bool Titles(QByteArrayView payload, QStringList& titles) {
        const RecordReader reader(payload);
        titles.clear();
        for (qsizetype position = 0; position < payload.size();) {
            const std::optional<QString> title = reader.Record(position);
            if (!title) {
                return false;
            }
            titles.append(*title);
        }
        return true;
    }
};

// Reads a file whose identifier has been checked. Every offset is tested against the bytes
// read before it is used.
class Decoder : RecordReader {
public:
    explicit Decoder(const QByteArray& bytes) : RecordReader(bytes) {}

    Contents Decode() {
        if (bytes.size() < kHeaderSize) {
            throw BadTessaroWorkSpaceFile(
                QStringLiteral("the header is %1 bytes long instead of %2")
                    .arg(bytes.size())
                    .arg(kHeaderSize));
        }
        Contents contents;
        for (size_t i = 0; i < contents.texts.size(); ++i) {
            contents.texts[i] = Slot(kIdentifierSize + qsizetype(i) * kSlotSize, kTextNames[i]);
        }
        contents.year = qint32(U32At(kYearOffset));
        const qint32 count = qint32(U32At(kCountOffset));
        qsizetype position = kHeaderSize;
        for (qint32 i = 0; i < count; ++i) {
            QString problem;
            const std::optional<QString> path = Record(position, problem);
            if (path && !(problem = UnusableName(*path)).isEmpty()) {
                problem = QStringLiteral("holds %1: %2").arg(Quoted(*path), problem);
            }
            if (!problem.isEmpty()) {
                throw BadTessaroWorkSpaceFile(
                    QStringLiteral("path record %1 of %2 %3").arg(i + 1).arg(count).arg(problem));
            }
            contents.paths.append(*path);
        }
        if (const std::optional<Texts> texts = Extension(position)) {
            contents.texts = *texts;
        }
        contents.extras = Extras(position, contents.paths.size()).value_or(WorkspaceExtras());
        return contents;
    }

private:
    bool IdentifierAt(qsizetype position, const char* identifier) const {
        return bytes.size() - position >= kIdentifierSize &&
               bytes.sliced(position, kIdentifierSize) == identifier;
    }

    // A slot whose marker is 8 or more does not hold its text; only the extension block can
    // give it.
    QString Slot(qsizetype offset, const char* name) const {
        if (U32At(offset + kSlotMarkerOffset) > kShortUnits) {
            return QString();
        }
        const quint32 length = U32At(offset + kSlotLengthOffset);
        if (length > kShortUnits) {
            throw BadTessaroWorkSpaceFile(
                QStringLiteral("the %1 slot gives a length of %2 code units; it holds at most %3")
                    .arg(QLatin1String(name))
                    .arg(length)
                    .arg(kShortUnits));
        }
        return UnitsAt(offset + kSlotTextOffset, length);
    }

    // The four full texts from a well-formed extension block after the path records, moving
    // `position` past it; other trailing bytes are not ours and are ignored, as the format
    // wants.
    std::optional<Texts> Extension(qsizetype& position) const {
        if (!IdentifierAt(position, kExtensionIdentifier)) {
            return std::nullopt;
        }
        qsizetype end = position + kIdentifierSize;
        Texts texts;
        for (QString& text : texts) {
            const std::optional<QString> record = Record(end);
            if (!record) {
                return std::nullopt;
            }
            text = *record;
        }
        position = end;
        return texts;
    }

    // The extras from a well-formed extras block at `position`.
    std::optional<WorkspaceExtras> Extras(qsizetype position, qsizetype pathCount) const {
        if (!IdentifierAt(position, kExtrasIdentifier) ||
            bytes.size() - position < kIdentifierSize + 4) {
            return std::nullopt;
        }
        const quint32 length = U32At(position + kIdentifierSize);
        const qsizetype start = position + kIdentifierSize + 4;
        if (length > quint64(bytes.size() - start)) {
            return std::nullopt;
        }
        return ExtrasReader(bytes.sliced(start, length)).Read(pathCount);
    }
};

}  // namespace

void TessaroWorkSpace::SaveToFile(const QString& path) const {
    const QString reason = WriteAtomically(
        path, Encode({tag.album, tag.artist, tag.title, tag.comment}, tag.year, paths, extras));
    if (!reason.isEmpty()) {
        throw TessaroWorkSpaceNotSaved(reason);
    }
}

FolderInputs TessaroWorkSpace::LoadFromFile(const QString& path, Folders folders) {
    QString ignored;  // a file that cannot be opened counts as one without the identifier
    qint64 size = 0;
    const int fd = OpenRegularFile(path, &ignored, &size);
    if (fd < 0) {
        // A FIFO would keep the caller waiting for a writer, a device give bytes without end,
        // and is refused as such. (A folder cannot be opened as a file, as ever.)
        const QFileInfo info(path);
        if (info.exists() && !info.isFile() && !info.isDir()) {
            throw BadTessaroWorkSpaceFile(QStringLiteral("it is not a regular file"));
        }
        throw BadTessaroWorkSpaceIden();
    }
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    // The identifier first, so that a large file chosen by mistake is not read whole.
    QByteArray bytes(std::min<qint64>(size, kIdentifierSize), '\0');
    if (!ReadAllAt(fd, bytes.data(), bytes.size(), 0)) {
        throw BadTessaroWorkSpaceIden();
    }
    CheckIdentifier(bytes);
    if (size > kMaxWorkSpaceBytes) {
        throw BadTessaroWorkSpaceFile(
            QStringLiteral("it is %1 MiB long, more than any workspace (%2 MiB)")
                .arg(size >> 20)
                .arg(kMaxWorkSpaceBytes >> 20));
    }
    bytes.resize(size);
    errno = 0;
    if (!ReadAllAt(fd, bytes.data() + kIdentifierSize, size - kIdentifierSize, kIdentifierSize)) {
        throw BadTessaroWorkSpaceFile(
            QStringLiteral("it cannot be read: %1")
                .arg(errno != 0 ? qt_error_string(errno) : QStringLiteral("it was cut short")));
    }
    const Contents contents = Decoder(bytes).Decode();
    FolderInputs inputs = folders == Folders::Expand ? ExpandFolders(contents.paths)
                                                     : FolderInputs{contents.paths, {}, 0};

    const Texts& texts = contents.texts;
    SetTag({texts[0], texts[1], texts[2], contents.year, texts[3]});
    extras = contents.extras;
    paths = inputs.files;
    return inputs;
}

}  // namespace tessaro
