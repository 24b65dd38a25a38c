#include "mp3/InputTags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include "io/InputFile.h"

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

// The number before a slash ("3/12"), 0 when there is none.
int PositionIn(TagLib::ID3v2::Tag& tag, const char* frameId) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[frameId];
    return frames.isEmpty() ? 0
                            : qMax(0, FromTagString(frames.front()->toString())
                                          .section(u'/', 0, 0)
                                          .trimmed()
                                          .toInt());
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
        tags.disc = PositionIn(*front, "TPOS");
        tags.track = PositionIn(*front, "TRCK");
    }
    if (TagLib::ID3v1::Tag* back = file.ID3v1Tag()) {
        tags.title = tags.title.isEmpty() ? FromTagString(back->title()) : tags.title;
        tags.track = tags.track == 0 ? int(back->track()) : tags.track;
    }
    return tags;
}

}  // namespace mp3
