// Any bytes as the leading ID3v2 tags of one or two inputs, read as a join reads them, and the tag
// the joined file would carry of what they share, with a chapter for each: it stays within what
// an ID3v2 tag holds, its chapters' times and its records can be set in place, TagLib reads it
// back, each frame shared is in it once, and the records are read back from it and from the
// chapters. The inputs' own chapters and records are read as a file's are, whatever they hold.
//
// Each field any input holds of the kinds copied is copied or named in a warning, and copied from
// the first input that holds it when the first input's values are asked for.
//
// The first byte chooses: bit 0 an ID3v2.3 tag rather than ID3v2.4, bit 1 two inputs rather than
// one, bit 2 the first input's values rather than the shared ones; with two, the next two bytes
// (little-endian) say where the first input's tag ends.

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdint>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "mp3/InputTags.h"
#include "mp3/TagText.h"
#include "tags/Tags.h"

using fuzzing::Require;

namespace {

// The tags of the inputs in `data`, each written as a file of its tag and two audio frames.
std::vector<mp3::InputTags> ReadInputs(const QByteArray& data) {
    const quint8 choice = data.isEmpty() ? 0 : quint8(data[0]);
    QByteArrayList tags{data.mid(1)};
    if ((choice & 2) != 0 && data.size() >= 3) {
        const qsizetype split = (quint8(data[1]) | quint8(data[2]) << 8) % (data.size() - 2);
        tags = {data.mid(3, split), data.mid(3 + split)};
    }
    std::vector<mp3::InputTags> read;
    for (const QByteArray& tag : tags) {
        const QString name = QStringLiteral("input%1.mp3").arg(read.size());
        const QString path = fuzzing::WriteInput(tag + testing_files::Mp3Frames(2), name);
        read.push_back(mp3::ReadInputTags(path));
        tessaro::ReadFileChapters(path);
        tessaro::ReadJoinRecords(path);
        QSet<mp3::TextFrame::FieldKey> fields;
        for (const mp3::TextFrame& frame : read.back().frames) {
            Require(!fields.contains(frame.Field()), "an input's tag holds each field once");
            fields.insert(frame.Field());
        }
        for (const mp3::OversizedFrame& frame : read.back().oversized) {
            Require(frame.bytes > mp3::kMaxId3v2TagBytes, "a frame left out passes the limit");
        }
    }
    return read;
}

// How many times each field is in the ID3v2 tag `front`, as TagLib reads it.
QHash<mp3::TextFrame::FieldKey, int> FieldsIn(const QByteArray& front, bool id3v23) {
    TagLib::ByteVectorStream stream(TagLib::ByteVector(front.constData(), unsigned(front.size())));
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    Require(tag != nullptr, "TagLib reads the rendered tag");
    Require(tag->header()->majorVersion() == (id3v23 ? 3u : 4u), "the tag has the version asked");
    QHash<mp3::TextFrame::FieldKey, int> fields;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const QByteArray id(frame->frameID().data(), qsizetype(frame->frameID().size()));
        QString description;
        if (const auto* user =
                dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            description = mp3::FromTagString(user->description());
        } else if (const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame)) {
            description = mp3::FromTagString(comment->description());
        }
        ++fields[{id, description}];
    }
    return fields;
}

// Whether ID3v2.3 holds a frame `id` as it is: TagLib leaves out or rewrites the others.
bool KeptInId3v23(const QByteArray& id) {
    static const QByteArray kChanged[] = {"TDRC", "TDOR", "TIPL", "TMCL", "TCON",
                                          "TDRL", "TDTG", "TMOO", "TPRO", "TSST"};
    return std::find(std::begin(kChanged), std::end(kChanged), id) == std::end(kChanged);
}

// The text of `field` in the first input that holds it with some.
QStringList FirstHeld(const std::vector<mp3::InputTags>& inputs,
                      const mp3::TextFrame::FieldKey& field) {
    for (const mp3::InputTags& input : inputs) {
        for (const mp3::TextFrame& frame : input.frames) {
            if (frame.Field() == field && !frame.text.join(QString()).isEmpty()) {
                return frame.text;
            }
        }
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<mp3::InputTags> inputs = ReadInputs(bytes);
    std::vector<tessaro::TaggedInput> tagged;
    tessaro::JoinedTag tag;
    const quint8 choice = bytes.isEmpty() ? 0 : quint8(bytes[0]);
    tag.id3v23 = (choice & 1) != 0;
    tag.name = QStringLiteral("joined");
    for (const mp3::InputTags& input : inputs) {
        tagged.push_back({QStringLiteral("input.mp3"), input.frames});
        tag.chapters.push_back({input.title, 0, 0});
    }
    const tessaro::CopiedFrames first = tessaro::CopyFrames(tagged, true);
    const tessaro::CopiedFrames shared = tessaro::CopyFrames(tagged, false);
    Require(first.disagreements.isEmpty(), "the first input's values leave nothing out");
    Require(shared.frames.size() + size_t(shared.disagreements.size()) == first.frames.size(),
            "each field is shared or said to be left out");
    for (const mp3::TextFrame& frame : first.frames) {
        Require(FirstHeld(inputs, frame.Field()) == frame.text,
                "a frame is the first input's that holds its field");
    }
    tag.shared = (choice & 4) != 0 ? first.frames : shared.frames;
    tag.records.emplace(inputs.size());
    std::vector<tessaro::JoinRecord> records;
    for (size_t i = 0; i < inputs.size(); ++i) {
        tag.chapterRecords.push_back(i);
        records.push_back({quint32(i * 1000 + 0x80), 1000, quint16(576 + i), quint16(0xFF - i)});
    }

    tessaro::TagBytes rendered = tessaro::RenderJoinedTag(tag);
    Require(tessaro::TagTooLarge(rendered.front.size()).isEmpty(), "the tag fits in ID3v2");
    const qsizetype planned = rendered.front.size();
    std::vector<tessaro::Chapter> timed = tag.chapters;
    for (size_t i = 0; i < timed.size(); ++i) {
        timed[i].startMs = quint32(i * 1000);
        timed[i].endMs = quint32(i * 1000 + 999);
    }
    Require(tessaro::SetChapterTimes(rendered, timed), "the chapters rendered take their times");
    Require(tessaro::SetJoinRecords(rendered, records), "the records rendered take their values");
    Require(rendered.front.size() == planned, "setting times and records keeps the tag's size");
    const QString joined = fuzzing::WriteInput(rendered.front + testing_files::Mp3Frames(2),
                                               QStringLiteral("joined.mp3"));
    Require(tessaro::ReadJoinRecords(joined) == records, "the records are read back");
    const std::vector<tessaro::FileChapter> chapters = tessaro::ReadFileChapters(joined);
    Require(chapters.size() == records.size(), "the chapters are read back");
    for (size_t i = 0; i < chapters.size(); ++i) {
        Require(chapters[i].record == records[i], "each chapter holds its input's record");
    }

    const QHash<mp3::TextFrame::FieldKey, int> fields = FieldsIn(rendered.front, tag.id3v23);
    for (const mp3::TextFrame& frame : *tag.shared) {
        const int count = fields.value(frame.Field());
        Require(count <= 1, "a frame shared is in the joined tag at most once");
        Require(count == 1 || (tag.id3v23 && !KeptInId3v23(frame.id)),
                "a frame shared is in the joined tag");
    }
    Require(fields.value({"CHAP", QString()}) == int(timed.size()), "a chapter for each input");
    return 0;
}
