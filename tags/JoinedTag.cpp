#include "tags/Tags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2synchdata.h>
#include <taglib/id3v2tag.h>
#include <taglib/privateframe.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>

#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "mp3/TagText.h"
#include "tags/PartsFrame.h"

namespace tessaro {
namespace {

using mp3::ToTagString;
using mp3::ToTagStrings;

QByteArray Bytes(const TagLib::ByteVector& bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A frame as an input holds it, in UTF-8, which an ID3v2.3 tag renders as UTF-16.
TagLib::ID3v2::Frame* MakeFrame(const mp3::TextFrame& frame) {
    if (frame.id == "TXXX") {
        return new TagLib::ID3v2::UserTextIdentificationFrame(
            ToTagString(frame.description), ToTagStrings(frame.text), TagLib::String::UTF8);
    }
    if (frame.id == "COMM") {
        auto* comment = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
        comment->setLanguage(frame.language.size() == 3
                                 ? TagLib::ByteVector(frame.language.constData(), 3)
                                 : TagLib::ByteVector("XXX", 3));
        comment->setDescription(ToTagString(frame.description));
        comment->setText(ToTagString(frame.text.join(QLatin1Char(' '))));
        return comment;
    }
    auto* text = new TagLib::ID3v2::TextIdentificationFrame(
        TagLib::ByteVector(frame.id.constData(), unsigned(frame.id.size())), TagLib::String::UTF8);
    text->setText(ToTagStrings(frame.text));
    return text;
}

// Puts the typed values that are not empty in place of what the tag holds of them. On a tag
// that holds nothing yet this sets them as ever.
void SetTyped(TagLib::ID3v2::Tag& tag, const OutputTag& typed, const MoreTagFields& more) {
    const auto set = [&tag](const char* id, const QString& value, auto setter) {
        if (!value.isEmpty()) {
            tag.removeFrames(id);
            (tag.*setter)(ToTagString(value));
        }
    };
    set("TALB", typed.album, &TagLib::Tag::setAlbum);
    set("TPE1", typed.artist, &TagLib::Tag::setArtist);
    if (!typed.comment.isEmpty()) {
        // In place of the comment without description; the others stay.
        const TagLib::ID3v2::FrameList comments = tag.frameListMap()["COMM"];
        for (TagLib::ID3v2::Frame* frame : comments) {
            const auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
            if (comment && comment->description().isEmpty()) {
                tag.removeFrame(frame);
            }
        }
        if (tag.frameListMap()["COMM"].isEmpty()) {
            tag.setComment(ToTagString(typed.comment));
        } else {
            tag.addFrame(MakeFrame({"COMM", {}, "XXX", {typed.comment}}));
        }
    }
    set("TIT2", typed.title, &TagLib::Tag::setTitle);
    // TagLib takes 0 as "no year"; a negative year would otherwise wrap to a huge one.
    if (typed.year > 0) {
        tag.removeFrames("TDRC");
        tag.setYear(unsigned(typed.year));
    }
    set("TCON", more.genre, &TagLib::Tag::setGenre);
    for (const auto& [id, value] : {std::pair{"TPE2", more.albumArtist}, {"TCOM", more.composer}}) {
        if (!value.isEmpty()) {
            tag.removeFrames(id);
            tag.addFrame(MakeFrame({id, {}, {}, {value}}));
        }
    }
}

// What an ID3v1 tag can hold of the front one.
void SetFrom(TagLib::ID3v1::Tag& back, const TagLib::Tag& front) {
    back.setTitle(front.title());
    back.setArtist(front.artist());
    back.setAlbum(front.album());
    back.setComment(front.comment());
    back.setGenre(front.genre());
    back.setYear(front.year());
}

// A table counts its entries in one byte.
constexpr size_t kMaxTableEntries = 255;

// What a table lists: a chapter, or a table of the chapters `first` to `last` (from 1).
struct TableEntry {
    TagLib::ByteVector id;
    size_t first, last;
};

// A table of contents listing entries [from, to) in order, titled when `title` is not empty.
TagLib::ID3v2::TableOfContentsFrame* MakeTable(const TagLib::ByteVector& id,
                                               const std::vector<TableEntry>& entries, size_t from,
                                               size_t to, const QString& title) {
    TagLib::ByteVectorList children;
    for (size_t i = from; i < to; ++i) {
        children.append(entries[i].id);
    }
    TagLib::ID3v2::FrameList embedded;
    if (!title.isEmpty()) {
        embedded.append(MakeFrame({"TIT2", {}, {}, {title}}));
    }
    auto* table = new TagLib::ID3v2::TableOfContentsFrame(id, children, embedded);
    table->setIsOrdered(true);
    return table;
}

// Tables of at most 255 of `entries` each, added to the tag, titled with the chapters they
// reach ("Chapters 256–510"): the entries a table above them lists.
std::vector<TableEntry> GroupInTables(TagLib::ID3v2::Tag& tag,
                                      const std::vector<TableEntry>& entries, size_t* tables) {
    std::vector<TableEntry> grouped;
    for (size_t from = 0; from < entries.size(); from += kMaxTableEntries) {
        const size_t to = std::min(entries.size(), from + kMaxTableEntries);
        const TableEntry table{
            TagLib::ByteVector::fromCString(("toc" + std::to_string((*tables)++)).c_str()),
            entries[from].first, entries[to - 1].last};
        tag.addFrame(
            MakeTable(table.id, entries, from, to,
                      table.first == table.last
                          ? QStringLiteral("Chapter %1").arg(table.first)
                          : QStringLiteral("Chapters %1–%2").arg(table.first).arg(table.last)));
        grouped.push_back(table);
    }
    return grouped;
}

// An address as ID3v2 holds it, in ISO 8859-1: the bytes of its UTF-8 that are not printable
// ASCII percent-encoded, as a browser sends an address typed in.
TagLib::ByteVector AddressBytes(const QString& address) {
    static const QByteArray kKept = [] {
        QByteArray printable;
        for (char c = '!'; c <= '~'; ++c) {
            printable += c;
        }
        return printable;
    }();
    const QByteArray bytes = QUrl::toPercentEncoding(address, kKept);
    return TagLib::ByteVector(bytes.constData(), unsigned(bytes.size()));
}

// A PRIV frame of ours holding `records`.
TagLib::ID3v2::PrivateFrame* MakePartsFrame(const std::vector<JoinRecord>& records) {
    auto* frame = new TagLib::ID3v2::PrivateFrame;
    frame->setOwner(kPartsOwner);
    const QByteArray data = PartsData(records);
    frame->setData(TagLib::ByteVector(data.constData(), unsigned(data.size())));
    return frame;
}

// The place among the tag's records of the one that the chapter at `index` holds; none where it
// holds none.
std::optional<size_t> RecordOfChapter(const JoinedTag& tag, size_t index) {
    if (!tag.records || index >= tag.chapterRecords.size()) {
        return std::nullopt;
    }
    const std::optional<size_t> record = tag.chapterRecords[index];
    return record && *record < tag.records->size() ? record : std::nullopt;
}

// What a chapter frame holds of `chapter`: its title (no frame without one), the web page it
// links to in a WXXX frame, its picture as an APIC linked by address (MIME type "-->") and the
// record of the input it starts at, where it holds one.
TagLib::ID3v2::FrameList ChapterContents(const Chapter& chapter,
                                         const std::optional<JoinRecord>& record) {
    TagLib::ID3v2::FrameList embedded;
    if (!chapter.title.isEmpty()) {
        embedded.append(MakeFrame({"TIT2", {}, {}, {chapter.title}}));
    }
    if (!chapter.links.page.isEmpty()) {
        auto* page = new TagLib::ID3v2::UserUrlLinkFrame(TagLib::String::Latin1);
        page->setUrl(TagLib::String(AddressBytes(chapter.links.page), TagLib::String::Latin1));
        embedded.append(page);
    }
    if (!chapter.links.picture.isEmpty()) {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("-->");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::Other);
        picture->setPicture(AddressBytes(chapter.links.picture));
        embedded.append(picture);
    }
    if (record) {
        embedded.append(MakePartsFrame({*record}));
    }
    return embedded;
}

// A chapter frame for each of the tag's chapters, holding what ChapterContents() gives, and a
// top-level table of contents listing the listed ones in order; past 255 it lists tables of 255
// (and past 255 × 255, tables of those), numbered as listed. A chapter left unlisted is still
// played and seen by its frame alone. Byte offsets are not given (all ones), as readers go by the
// times. The top-level table carries a title, without which some podcast apps show no chapters.
void AddChapters(TagLib::ID3v2::Tag& tag, const JoinedTag& joined, const QString& title) {
    const std::vector<Chapter>& chapters = joined.chapters;
    if (chapters.empty()) {
        return;
    }
    constexpr unsigned kNoOffset = 0xFFFFFFFF;
    std::vector<TableEntry> entries;
    for (size_t i = 0; i < chapters.size(); ++i) {
        const TagLib::ByteVector id =
            TagLib::ByteVector::fromCString(("chp" + std::to_string(i)).c_str());
        const std::optional<size_t> record = RecordOfChapter(joined, i);
        tag.addFrame(new TagLib::ID3v2::ChapterFrame(
            id, chapters[i].startMs, chapters[i].endMs, kNoOffset, kNoOffset,
            ChapterContents(chapters[i],
                            record ? std::optional((*joined.records)[*record]) : std::nullopt)));
        if (chapters[i].listed) {
            entries.push_back({id, entries.size() + 1, entries.size() + 1});
        }
    }
    size_t tables = 0;
    while (entries.size() > kMaxTableEntries) {
        entries = GroupInTables(tag, entries, &tables);
    }
    auto* contents = MakeTable("toc", entries, 0, entries.size(), title);
    contents->setIsTopLevel(true);
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

// Calls `see` with the ID of each frame from `at` up to `end` or the padding, and where its body
// starts and ends, as TagLib rendered them: walked by the sizes their headers give.
void EachFrame(const QByteArray& tag, qsizetype at, qsizetype end, bool id3v23,
               const std::function<void(const QByteArray&, qsizetype, qsizetype)>& see) {
    constexpr qsizetype kHeader = 10;
    while (at + kHeader <= end && tag[at] != '\0') {
        const TagLib::ByteVector size(tag.constData() + at + 4, 4);
        const qsizetype body = at + kHeader;
        at = body + qsizetype(id3v23 ? size.toUInt() : TagLib::ID3v2::SynchData::toUInt(size));
        see(tag.mid(body - kHeader, 4), body, at);
    }
}

// Where the records of a PRIV frame whose body lies from `body` start in `tag`; -1 when the frame
// is not ours.
qsizetype RecordsAt(const QByteArray& tag, qsizetype body) {
    const QByteArray owner =
        QByteArray::fromRawData(kPartsOwner, sizeof kPartsOwner);  // its NUL too
    return tag.mid(body, owner.size()) == owner ? body + owner.size() + kPartsHeaderBytes : -1;
}

// Where the fields set in place lie in a tag as TagLib rendered it.
struct Places {
    std::vector<qsizetype> times;    // of each chapter frame, behind its element ID
    std::vector<qsizetype> records;  // of the record each chapter frame holds; -1 for none
    qsizetype allRecords = -1;       // of the frame of all records; -1 without one
};

Places PlacesIn(const QByteArray& tag, bool id3v23) {
    Places places;
    EachFrame(tag, 10, tag.size(), id3v23,
              [&](const QByteArray& id, qsizetype body, qsizetype end) {
                  if (id == "PRIV") {
                      places.allRecords = RecordsAt(tag, body);
                  } else if (id == "CHAP") {
                      const qsizetype times = tag.indexOf('\0', body) + 1;
                      places.times.push_back(times);
                      places.records.push_back(-1);
                      // Behind the start and end times and offsets, the frames it holds.
                      EachFrame(tag, times + 16, end, id3v23,
                                [&](const QByteArray& inner, qsizetype innerBody, qsizetype) {
                                    if (inner == "PRIV") {
                                        places.records.back() = RecordsAt(tag, innerBody);
                                    }
                                });
                  }
              });
    return places;
}

}  // namespace

TagBytes RenderJoinedTag(const JoinedTag& tag) {
    TagLib::ID3v2::Tag front;
    if (tag.shared) {
        for (const mp3::TextFrame& frame : *tag.shared) {
            front.addFrame(MakeFrame(frame));
        }
    }
    if (tag.typed) {
        SetTyped(front, *tag.typed, tag.moreTyped);
    }
    if (tag.shared && front.title().isEmpty() && !front.album().isEmpty()) {
        front.setTitle(front.album());
    }
    AddChapters(front, tag, front.title().isEmpty() ? tag.name : mp3::FromTagString(front.title()));
    if (tag.picture) {
        AddPicture(front, *tag.picture);
    }
    if (tag.replayGain) {
        AddReplayGain(front, *tag.replayGain);
    }
    // Records ride along with a tag that is written anyway: a join that writes none stays
    // without one.
    if (tag.records && !front.frameList().isEmpty()) {
        front.addFrame(MakePartsFrame(*tag.records));
    }
    TagBytes bytes;
    // TagLib saves no tag without a value.
    if (!front.frameList().isEmpty()) {
        bytes.front = Bytes(front.render(tag.id3v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
        bytes.title = mp3::FromTagString(front.title());
        bytes.artist = mp3::FromTagString(front.artist());
        const Places places = PlacesIn(bytes.front, tag.id3v23);
        for (size_t i = 0; i < places.times.size(); ++i) {
            bytes.chapters.emplace_back(tag.chapters[i].title, places.times[i]);
        }
        bytes.records.resize(tag.records ? tag.records->size() : 0);
        for (size_t i = 0; i < bytes.records.size(); ++i) {
            bytes.records[i].push_back(places.allRecords + qsizetype(i) * kRecordBytes);
        }
        for (size_t i = 0; i < places.records.size(); ++i) {
            if (places.records[i] >= 0) {
                bytes.records[*RecordOfChapter(tag, i)].push_back(places.records[i]);
            }
        }
    }
    TagLib::ID3v1::Tag back;
    SetFrom(back, front);
    if ((tag.typed || tag.shared) && !back.isEmpty()) {
        bytes.back = Bytes(back.render());
    }
    return bytes;
}

bool SetChapterTimes(TagBytes& tag, const std::vector<Chapter>& chapters) {
    const auto sameTitle = [](const std::pair<QString, qsizetype>& rendered,
                              const Chapter& chapter) { return rendered.first == chapter.title; };
    if (!std::equal(tag.chapters.begin(), tag.chapters.end(), chapters.begin(), chapters.end(),
                    sameTitle)) {
        return false;
    }
    for (size_t i = 0; i < chapters.size(); ++i) {
        char* times = tag.front.data() + tag.chapters[i].second;
        qToBigEndian(chapters[i].startMs, times);
        qToBigEndian(chapters[i].endMs, times + 4);
    }
    return true;
}

bool SetJoinRecords(TagBytes& tag, const std::vector<JoinRecord>& records) {
    if (records.size() != tag.records.size()) {
        return false;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        for (const qsizetype at : tag.records[i]) {
            PutRecord(records[i], tag.front.data() + at);
        }
    }
    return true;
}

QStringList GenreNames() {
    QStringList names = mp3::FromTagStrings(TagLib::ID3v1::genreList());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    return names;
}

QString TagTooLarge(qint64 size) {
    if (size <= mp3::kMaxId3v2TagBytes) {
        return QString();
    }
    return QStringLiteral(
               "its ID3v2 tag (the cover picture and chapters included) would take %1 "
               "bytes, more than the %2 an ID3v2 tag can hold")
        .arg(size)
        .arg(mp3::kMaxId3v2TagBytes);
}

}  // namespace tessaro
