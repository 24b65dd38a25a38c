#include "mp3/InputTags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include <cerrno>

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/StreamReader.h"

namespace mp3 {
namespace {

QString FromTagString(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true));
}

std::optional<Picture> FirstPicture(TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()["APIC"];
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture &&
            (!chosen || (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover &&
                         chosen->type() != TagLib::ID3v2::AttachedPictureFrame::FrontCover))) {
            chosen = picture;
        }
    }
    if (!chosen) {
        return std::nullopt;
    }
    const TagLib::ByteVector data = chosen->picture();
    return Picture{int(chosen->type()), FromTagString(chosen->mimeType()),
                   FromTagString(chosen->description()),
                   QByteArray(data.data(), qsizetype(data.size())), quint8(chosen->textEncoding())};
}

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
    QByteArray bytes(size, Qt::Uninitialized);
    errno = 0;
    if (!tessaro::ReadAllAt(fd, bytes.data(), size, 0)) {
        *error = errno != 0 ? qt_error_string(errno)
                            : QStringLiteral("it was cut short while it was being read");
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

InputTags ReadInputTags(const QString& path) {
    // TagLib would wait for a FIFO's writer, or read a device's bytes without end.
    QString ignored;
    const auto file = tessaro::InputFile::Open(path, &ignored);
    return file ? ReadInputTags(*file) : InputTags();
}

InputTags ReadInputTags(const tessaro::InputFile& input) {
    InputTags tags;
    // TagLib closes what it is given; its reads move no offset the frames are read by.
    const int fd = ::dup(input.Descriptor());
    if (fd < 0) {
        return tags;
    }
    TagLib::FileStream stream(fd, true);  // closes fd once it holds it
    if (!stream.isOpen()) {
        ::close(fd);
        return tags;
    }
    // Only the tags are read: no audio properties, which would scan the frames.
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid()) {
        return tags;
    }
    if (TagLib::ID3v2::Tag* front = file.ID3v2Tag()) {
        tags.title = FromTagString(front->title());
        tags.picture = FirstPicture(*front);
    }
    if (tags.title.isEmpty() && file.ID3v1Tag()) {
        tags.title = FromTagString(file.ID3v1Tag()->title());
    }
    return tags;
}

Figures ProbeFigures(const QString& path) {
    Figures figures;
    StreamReader reader(path);
    for (; !reader.AtEnd(); reader.Advance()) {
        const FrameHeader& header = reader.Header();
        if (header.GetBitrate(reader.FrameLength()) > 0) {
            figures.bitrate = header.GetBitrate(reader.FrameLength());
            figures.channels = header.GetChannelCount();
            figures.sampleRate = header.GetSampleRate();
            figures.duration = qint32(reader.FileSize() * 8 / figures.bitrate);
            return figures;
        }
    }
    figures.problem =
        !reader.IsOpen()          ? QStringLiteral("Cannot open the file: ") + reader.OpenError()
        : reader.FrameIndex() < 0 ? QStringLiteral("No MPEG audio frames found")
                                  : QStringLiteral("No MPEG audio frames with a known bitrate");
    return figures;
}

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
