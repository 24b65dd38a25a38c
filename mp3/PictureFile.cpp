#include "mp3/PictureFile.h"

#include <unistd.h>

#include "io/Files.h"

namespace mp3 {
namespace {

// The bytes of the picture file open at fd, of `size` bytes when opened; none, with the reason in
// *error, when it is too large or cannot be read whole.
std::optional<QByteArray> ReadPictureBytes(int fd, qint64 size, QString* error) {
    if (size > kMaxPictureFileBytes) {
        *error =
            QStringLiteral("it is %1 bytes long, more than the %2 MiB a cover picture may have")
                .arg(size)
                .arg(kMaxPictureFileBytes >> 20);
        return std::nullopt;
    }
    // No more than its size when opened: a file that grows meanwhile stays under the cap.
    return tessaro::ReadBytesAt(fd, size, 0, error);
}

}  // namespace

std::optional<Picture> ReadPictureFile(const QString& path, QString* error) {
    qint64 size = 0;
    const int fd = tessaro::OpenRegularFile(path, error, &size);
    if (fd < 0) {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = ReadPictureBytes(fd, size, error);
    ::close(fd);
    if (!bytes) {
        return std::nullopt;
    }
    Picture picture;
    picture.data = *bytes;
    if (picture.data.startsWith("\xFF\xD8\xFF")) {
        picture.mimeType = QStringLiteral("image/jpeg");
    } else if (picture.data.startsWith("\x89PNG\r\n\x1A\n")) {
        picture.mimeType = QStringLiteral("image/png");
    } else {
        *error = QStringLiteral("not a JPEG or PNG picture");
        return std::nullopt;
    }
    return picture;
}

}  // namespace mp3
