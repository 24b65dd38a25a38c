#include "merge/JoinedTag.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>

#include <cstdio>

namespace tessaro {
namespace {

TagLib::String ToTagString(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QByteArray Bytes(const TagLib::ByteVector& bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

void SetTyped(TagLib::Tag& tag, const OutputTag& typed) {
    tag.setAlbum(ToTagString(typed.album));
    tag.setArtist(ToTagString(typed.artist));
    tag.setComment(ToTagString(typed.comment));
    tag.setTitle(ToTagString(typed.title));
    // TagLib takes 0 as "no year"; a negative year would otherwise wrap to a huge one.
    tag.setYear(typed.year > 0 ? unsigned(typed.year) : 0);
}

// One chapter frame per joined input, with its title, and a table of contents listing them in
// order. Byte offsets are not given (all ones), as readers go by the times.
void AddChapters(TagLib::ID3v2::Tag& tag, const std::vector<Chapter>& chapters) {
    if (chapters.empty()) {
        return;
    }
    constexpr unsigned kNoOffset = 0xFFFFFFFF;
    TagLib::ByteVectorList ids;
    for (size_t i = 0; i < chapters.size(); ++i) {
        const TagLib::ByteVector id =
            TagLib::ByteVector::fromCString(("chp" + std::to_string(i)).c_str());
        auto* title = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        title->setText(ToTagString(chapters[i].title));
        TagLib::ID3v2::FrameList embedded;
        embedded.append(title);
        tag.addFrame(new TagLib::ID3v2::ChapterFrame(id, chapters[i].startMs, chapters[i].endMs,
                                                     kNoOffset, kNoOffset, embedded));
        ids.append(id);
    }
    auto* contents = new TagLib::ID3v2::TableOfContentsFrame("toc", ids);
    contents->setIsTopLevel(true);
    contents->setIsOrdered(true);
    tag.addFrame(contents);
}

void AddPicture(TagLib::ID3v2::Tag& tag, const mp3::Picture& picture) {
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setTextEncoding(TagLib::String::Type(picture.textEncoding));
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::Type(picture.type));
    frame->setMimeType(ToTagString(picture.mimeType));
    frame->setDescription(ToTagString(picture.description));
    frame->setPicture(TagLib::ByteVector(picture.data.constData(), unsigned(picture.data.size())));
    tag.addFrame(frame);
}

void AddReplayGain(TagLib::ID3v2::Tag& tag, const JoinedTag::ReplayGain& gain) {
    const auto add = [&tag](const char* name, const char* format, double value) {
        char text[32];
        std::snprintf(text, sizeof text, format, value);
        tag.addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
            name, TagLib::StringList(TagLib::String(text)), TagLib::String::Latin1));
    };
    add("REPLAYGAIN_TRACK_GAIN", "%.2f dB", gain.gainDb);
    add("REPLAYGAIN_TRACK_PEAK", "%.6f", gain.peak);
}

// More padding behind the frames: the size in the header counts it.
QByteArray Padded(QByteArray tag, qsizetype size) {
    if (tag.size() >= size) {
        return tag;
    }
    tag.append(QByteArray(size - tag.size(), '\0'));
    const quint32 body = quint32(size - 10);
    for (int i = 0; i < 4; ++i) {
        tag[6 + i] = char((body >> (7 * (3 - i))) & 0x7F);  // synchsafe
    }
    return tag;
}

}  // namespace

TagBytes RenderJoinedTag(const JoinedTag& tag, qsizetype minimumSize) {
    TagLib::ID3v2::Tag front;
    TagLib::ID3v1::Tag back;
    if (tag.typed) {
        SetTyped(front, *tag.typed);
        SetTyped(back, *tag.typed);
    }
    AddChapters(front, tag.chapters);
    if (tag.picture) {
        AddPicture(front, *tag.picture);
    }
    if (tag.replayGain) {
        AddReplayGain(front, *tag.replayGain);
    }
    TagBytes bytes;
    // TagLib saves no tag without a value.
    if (!front.frameList().isEmpty()) {
        bytes.front = Padded(Bytes(front.render()), minimumSize);
    }
    if (tag.typed && !back.isEmpty()) {
        bytes.back = Bytes(back.render());
    }
    return bytes;
}

QString TagTooLarge(qint64 size) {
    if (size <= kMaxId3v2TagBytes) {
        return QString();
    }
    return QStringLiteral(
               "its ID3v2 tag (the cover picture and chapters included) would take %1 "
               "bytes, more than the %2 an ID3v2 tag can hold")
        .arg(size)
        .arg(kMaxId3v2TagBytes);
}

}  // namespace tessaro
