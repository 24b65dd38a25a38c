#include "tags/JoinRecords.h"

#include <taglib/chapterframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/privateframe.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/tbytevectorstream.h>

#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "io/InputFile.h"
#include "mp3/InputTags.h"
#include "mp3/TagText.h"
#include "tags/PartsFrame.h"

namespace tessaro {

void PutRecord(const JoinRecord& record, char* at) {
    qToBigEndian(record.firstFrame, at);
    qToBigEndian(record.frames, at + 4);
    qToBigEndian(record.delay, at + 8);
    qToBigEndian(record.padding, at + 10);
}

QByteArray PartsData(const std::vector<JoinRecord>& records) {
    QByteArray data(kPartsHeaderBytes + qsizetype(records.size()) * kRecordBytes, '\0');
    data[0] = kPartsVersion;
    for (size_t i = 0; i < records.size(); ++i) {
        PutRecord(records[i], data.data() + kPartsHeaderBytes + qsizetype(i) * kRecordBytes);
    }
    return data;
}

std::optional<std::vector<JoinRecord>> RecordsIn(const QByteArray& data) {
    if (data.size() < kPartsHeaderBytes || data[0] != kPartsVersion ||
        (data.size() - kPartsHeaderBytes) % kRecordBytes != 0) {
        return std::nullopt;
    }
    std::vector<JoinRecord> records;
    for (qsizetype at = kPartsHeaderBytes; at < data.size(); at += kRecordBytes) {
        const char* record = data.constData() + at;
        records.push_back({qFromBigEndian<quint32>(record), qFromBigEndian<quint32>(record + 4),
                           qFromBigEndian<quint16>(record + 8),
                           qFromBigEndian<quint16>(record + 10)});
    }
    return records;
}

namespace {

QByteArray Bytes(const TagLib::ByteVector& bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// Reads the file's leading ID3v2 tag with `read`, which is not called without one. It is read as
// the inputs' tags are, so that no frame inflates without bound.
void ReadTag(const QString& path, const std::function<void(const TagLib::ID3v2::Tag&)>& read) {
    QString ignored;  // a file that cannot be read holds nothing
    const std::shared_ptr<InputFile> input = InputFile::Open(path, &ignored);
    qint64 end = 0;
    const QByteArray bytes = input ? mp3::LeadingTag(*input, &ignored, &end) : QByteArray();
    if (bytes.isEmpty()) {
        return;
    }
    TagLib::ByteVectorStream stream(TagLib::ByteVector(bytes.constData(), unsigned(bytes.size())));
    // Only the tag is read: no audio properties.
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (file.isValid() && file.hasID3v2Tag()) {
        read(*file.ID3v2Tag());
    }
}

// The records of the first of `frames` that is a PRIV frame of ours; none without one.
std::optional<std::vector<JoinRecord>> RecordsOf(const TagLib::ID3v2::FrameList& frames) {
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* owned = dynamic_cast<const TagLib::ID3v2::PrivateFrame*>(frame);
        if (owned && owned->owner() == kPartsOwner) {
            return RecordsIn(Bytes(owned->data()));
        }
    }
    return std::nullopt;
}

FileChapter ChapterOf(const TagLib::ID3v2::ChapterFrame& frame) {
    const TagLib::ID3v2::FrameList& titles = frame.embeddedFrameList("TIT2");
    FileChapter chapter{
        {titles.isEmpty() ? QString() : mp3::FromTagString(titles.front()->toString()),
         frame.startTime(), frame.endTime()},
        std::nullopt};
    // A chapter frame holds the record of the one input it starts at.
    if (const auto records = RecordsOf(frame.embeddedFrameList("PRIV"));
        records && records->size() == 1) {
        chapter.record = records->front();
    }
    return chapter;
}

// Chapter frames by their element IDs, as places in the tag's order, and tables of contents.
using ChapterIds = std::map<QByteArray, size_t>;
using TableIds = std::map<QByteArray, const TagLib::ID3v2::TableOfContentsFrame*>;

// The chapters, by their place in `chapters`, that `top` lists in order, through the tables it
// lists (by their IDs in `tables`), each once however often listed.
std::vector<size_t> ListedIn(const TagLib::ID3v2::TableOfContentsFrame& top,
                             const ChapterIds& chapters, const TableIds& tables) {
    std::vector<size_t> listed;
    QSet<QByteArray> seen{Bytes(top.elementID())};
    std::vector<QByteArray> pending;  // the next one last
    const auto list = [&pending](const TagLib::ID3v2::TableOfContentsFrame& table) {
        std::vector<QByteArray> children;
        for (const TagLib::ByteVector& child : table.childElements()) {
            children.push_back(Bytes(child));
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    };
    list(top);
    while (!pending.empty()) {
        const QByteArray id = std::move(pending.back());
        pending.pop_back();
        if (seen.contains(id)) {
            continue;
        }
        seen.insert(id);
        if (const auto chapter = chapters.find(id); chapter != chapters.end()) {
            listed.push_back(chapter->second);
        } else if (const auto table = tables.find(id); table != tables.end()) {
            list(*table->second);
        }
    }
    return listed;
}

std::vector<FileChapter> ChaptersOf(const TagLib::ID3v2::Tag& tag) {
    std::vector<FileChapter> all;
    ChapterIds chapters;  // the first of each ID
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("CHAP")) {
        if (const auto* chapter = dynamic_cast<const TagLib::ID3v2::ChapterFrame*>(frame)) {
            chapters.emplace(Bytes(chapter->elementID()), all.size());
            all.push_back(ChapterOf(*chapter));
        }
    }
    TableIds tables;
    const TagLib::ID3v2::TableOfContentsFrame* top = nullptr;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("CTOC")) {
        if (const auto* table = dynamic_cast<const TagLib::ID3v2::TableOfContentsFrame*>(frame)) {
            tables.emplace(Bytes(table->elementID()), table);
            if (!top && table->isTopLevel()) {
                top = table;
            }
        }
    }
    const std::vector<size_t> listed =
        top ? ListedIn(*top, chapters, tables) : std::vector<size_t>();
    std::vector<bool> reached(all.size());
    for (const size_t chapter : listed) {
        reached[chapter] = true;
    }
    std::vector<size_t> others;
    for (size_t i = 0; i < all.size(); ++i) {
        if (!reached[i]) {
            others.push_back(i);
            all[i].chapter.listed = !top;
        }
    }
    const auto earlier = [&all](size_t a, size_t b) {
        return all[a].chapter.startMs < all[b].chapter.startMs;
    };
    std::stable_sort(others.begin(), others.end(), earlier);
    std::vector<FileChapter> ordered;
    auto other = others.begin();
    for (const size_t chapter : listed) {
        for (; other != others.end() && earlier(*other, chapter); ++other) {
            ordered.push_back(all[*other]);
        }
        ordered.push_back(all[chapter]);
    }
    for (; other != others.end(); ++other) {
        ordered.push_back(all[*other]);
    }
    return ordered;
}

}  // namespace

std::optional<std::vector<JoinRecord>> ReadJoinRecords(const QString& path) {
    std::optional<std::vector<JoinRecord>> records;
    ReadTag(path, [&records](const TagLib::ID3v2::Tag& tag) {
        records = RecordsOf(tag.frameList("PRIV"));
    });
    return records;
}

std::vector<FileChapter> ReadFileChapters(const QString& path) {
    std::vector<FileChapter> chapters;
    ReadTag(path, [&chapters](const TagLib::ID3v2::Tag& tag) { chapters = ChaptersOf(tag); });
    return chapters;
}

}  // namespace tessaro
