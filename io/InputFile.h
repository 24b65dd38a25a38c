#pragma once

#include <sys/stat.h>

#include <QString>
#include <memory>

namespace tessaro {

// A file open for reading, shared by the passes that read it (and by its parts); the last of them
// closes it. Whoever reads it asks, once done, whether it changed meanwhile: bytes read from a
// file being changed may be cut or mixed.
class InputFile {
public:
    // Opens path read-only as OpenRegularFile does; null with the reason in *error.
    [[nodiscard]] static std::shared_ptr<InputFile> Open(const QString& path, QString* error);
    // Takes over fd, a file made for the join (one without a name is fine); null with the reason
    // in *error, fd closed.
    [[nodiscard]] static std::shared_ptr<InputFile> Adopt(int fd, QString* error);
    // `length` bytes of `whole` from `offset` on, read as a file of their own: a part of a file
    // the join made for itself and writes only past its parts, so a part never changes. Its
    // bytes are read once: when the last holder lets it go, they are handed back to the system.
    [[nodiscard]] static std::shared_ptr<InputFile> Part(std::shared_ptr<const InputFile> whole,
                                                         qint64 offset, qint64 length);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int Descriptor() const { return fd; }
    // Where its bytes start in the file the descriptor reads: 0 but for a part.
    qint64 Offset() const { return offset; }
    // The size it had when opened.
    qint64 Size() const { return opened.st_size; }
    // Whether it was changed, cut, grown or removed since it was opened. A rewrite that puts its
    // modification time back still changes its status time.
    bool Changed() const;

private:
    InputFile(int fd, const struct stat& opened, std::shared_ptr<const InputFile> whole = nullptr,
              qint64 offset = 0);

    const int fd;
    const struct stat opened;
    const std::shared_ptr<const InputFile> whole;  // of a part, which keeps it open
    const qint64 offset;
};

}  // namespace tessaro
