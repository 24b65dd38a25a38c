#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace tessaro {

// `length` bytes of a file from `offset` on, mapped read-only into memory: read in place and
// handed to the system to write elsewhere, without a copy of our own. Should the file be cut
// short meanwhile, a page past its new end reads as zeros instead of killing the process
// (SIGBUS); the file's owner finds the cut by its size.
class MappedFile {
public:
    // Maps the bytes of the file open at `fd`; null with the system's reason in *error when that
    // fails. `length` must not be 0.
    static std::shared_ptr<const MappedFile> Map(int fd, qint64 offset, qint64 length,
                                                 QString* error);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The byte at `offset`.
    const quint8* Data() const { return mapping + skipped; }

private:
    MappedFile(const quint8* mapping, qint64 length, qint64 skipped, int slot);

    const quint8* const mapping;  // from the page that holds `offset`
    const qint64 length;          // of the mapping
    const qint64 skipped;         // bytes of the first page before `offset`
    const int slot;               // in the table the SIGBUS handler looks in
};

}  // namespace tessaro
