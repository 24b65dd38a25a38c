#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace tessaro {

class InputFile;

// `length` bytes of a file from `offset` on, mapped read-only into memory: read in place and
// handed to the system to write elsewhere, without a copy of our own. Should the file be cut
// short meanwhile, a page past its new end reads as zeros instead of killing the process
// (SIGBUS). Once released, after its bytes were written out, the mapping spoils its file when
// such a page was read or the file changed: what was written may not be what it held.
class MappedFile {
public:
    // Maps the bytes of `file`; null with the system's reason in *error when that fails.
    // `length` must not be 0.
    [[nodiscard]] static std::shared_ptr<const MappedFile> Map(
        std::shared_ptr<const InputFile> file, qint64 offset, qint64 length, QString* error);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The byte at `offset`.
    const quint8* Data() const { return mapping + skipped; }

private:
    MappedFile(std::shared_ptr<const InputFile> file, const quint8* mapping, qint64 length,
               qint64 skipped, int slot);

    const std::shared_ptr<const InputFile> file;
    const quint8* const mapping;  // from the page that holds `offset`
    const qint64 length;          // of the mapping
    const qint64 skipped;         // bytes of the first page before `offset`
    const int slot;               // in the table the SIGBUS handler looks in
};

}  // namespace tessaro
