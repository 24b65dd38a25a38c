#include "mp3/InputTags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <QFile>

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

}  // namespace

InputTags ReadInputTags(const QString& path) {
    InputTags tags;
    // Only the tags are read: no audio properties, which would scan the frames.
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    Picture picture;
    picture.data = file.readAll();
    if (picture.data.startsWith("\xFF\xD8\xFF")) {
        picture.mimeType = QStringLiteral("image/jpeg");
    } else if (picture.data.startsWith("\x89PNG\r\n\x1A\n")) {
        picture.mimeType = QStringLiteral("image/png");
    } else {
        *error = file.error() != QFileDevice::NoError ? file.errorString()
                                                      : QStringLiteral("not a JPEG or PNG picture");
        return std::nullopt;
    }
    return picture;
}

}  // namespace mp3
