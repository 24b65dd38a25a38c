#include "mp3/InputTags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <QSet>

#include <cerrno>

#include <algorithm>
#include <memory>
#include <optional>

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/TagInflation.h"
#include "mp3/TagText.h"

namespace mp3 {
namespace {

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

// A genre given by its ID3v1 number, as ID3v2.3 taggers write it, by its name.
QString GenreName(const QString& genre) {
    bool number = false;
    const int index = genre.toInt(&number);
    const QString name = number ? FromTagString(TagLib::ID3v1::genre(index)) : QString();
    return name.isEmpty() ? genre : name;
}

// Bytes `text` takes in UTF-8; TagLib holds it in UTF-16 units.
qint64 Utf8Length(const TagLib::String& text) {
    qint64 length = 0;
    for (const wchar_t unit : text) {
        const bool surrogate = unit >= 0xD800 && unit < 0xE000;  // half of a 4-byte character
        length += unit < 0x80 ? 1 : unit < 0x800 || surrogate ? 2 : 3;
    }
    return length;
}

// The most bytes a text frame holding `texts`, and `more` bytes besides, takes in a joined tag:
// its header and encoding byte, each text in UTF-8 (as ID3v2.4 holds it) or in UTF-16 behind a
// byte order mark (as ID3v2.3 does), whichever is longer, and two-byte delimiters between them.
qint64 LargestRendering(const TagLib::StringList& texts, qint64 more) {
    qint64 bytes = 10 + 1 + more + 2 * std::max(qint64(texts.size()) - 1, qint64(0));
    for (const TagLib::String& text : texts) {
        bytes += std::max(Utf8Length(text), 2 + 2 * qint64(text.size()));
    }
    return bytes;
}

// The text frames of a tag as they are read: the first of each field is kept, one too large
// for any joined tag is only named.
class FrameReader {
public:
    explicit FrameReader(InputTags& tags) : tags(tags) {}

    void Add(TextFrame frame) {
        const qsizetype held = fields.size();
        fields.insert(frame.Field());
        if (fields.size() > held) {
            tags.frames.push_back(std::move(frame));
        }
    }
    void Reserve(qsizetype count) {
        fields.reserve(count);
        tags.frames.reserve(size_t(count));
    }
    // Whether a frame `id` holding `texts`, and `more` bytes besides, can be read; one that
    // cannot is named in the tags.
    bool Fits(const QByteArray& id, const TagLib::StringList& texts, qint64 more = 0) {
        const qint64 bytes = LargestRendering(texts, more);
        if (bytes > kMaxId3v2TagBytes) {
            tags.oversized.push_back({id, bytes});
            return false;
        }
        return true;
    }
    // The text of the first frame `id` read, its values joined by spaces; empty when none was.
    QString Text(const char* id) const {
        const auto found = std::find_if(tags.frames.begin(), tags.frames.end(),
                                        [id](const TextFrame& frame) { return frame.id == id; });
        return found == tags.frames.end() ? QString() : found->text.join(QLatin1Char(' '));
    }

private:
    InputTags& tags;
    QSet<TextFrame::FieldKey> fields;
};

void AddTextFrames(TagLib::ID3v2::Tag& tag, FrameReader& reader) {
    reader.Reserve(qsizetype(tag.frameList().size()));
    for (const TagLib::ID3v2::Frame* frame : tag.frameList()) {
        const QByteArray id(frame->frameID().data(), qsizetype(frame->frameID().size()));
        // An ID TagLib could not map to ID3v2.4's four characters (an ID3v2.2 one it does not
        // know) has no place in a tag written.
        if (id.size() != 4) {
            continue;
        }
        if (const auto* user =
                dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            // Its first field is the description, which names it. TagLib drops one that is
            // empty and reads one it cannot decode as empty: such a frame is left out, which
            // written with an empty name would be read back under its value's.
            const TagLib::StringList fields = user->fieldList();
            if (!user->description().isEmpty() && reader.Fits(id, fields)) {
                QStringList values = FromTagStrings(fields);
                const QString description = values.takeFirst();
                reader.Add({id, description, {}, std::move(values)});
            }
        } else if (const auto* text =
                       dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            if (reader.Fits(id, text->fieldList())) {
                QStringList values = FromTagStrings(text->fieldList());
                if (id == "TCON") {
                    std::transform(values.begin(), values.end(), values.begin(), GenreName);
                }
                reader.Add({id, {}, {}, values});
            }
        } else if (const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame)) {
            const TagLib::ByteVector language = comment->language();
            TagLib::StringList texts(comment->description());
            texts.append(comment->text());
            if (reader.Fits(id, texts, 3)) {
                reader.Add({id,
                            FromTagString(comment->description()),
                            QByteArray(language.data(), qsizetype(language.size())),
                            {FromTagString(comment->text())}});
            }
        }
    }
}

void AddId3v1Fields(const TagLib::ID3v1::Tag& tag, FrameReader& reader) {
    const std::pair<const char*, QString> fields[] = {
        {"TALB", FromTagString(tag.album())},
        {"TPE1", FromTagString(tag.artist())},
        {"TDRC", tag.year() > 0 ? QString::number(tag.year()) : QString()},
        {"COMM", FromTagString(tag.comment())},
        {"TCON", FromTagString(tag.genre())}};
    for (const auto& [id, value] : fields) {
        if (!value.isEmpty()) {
            reader.Add({id, {}, id == QByteArrayView("COMM") ? "XXX" : QByteArray(), {value}});
        }
    }
}

// The number before a slash ("3/12"), 0 when there is none.
int PositionIn(const QString& text) {
    return qMax(0, text.section(u'/', 0, 0).trimmed().toInt());
}

// Bytes of `fd` from `offset` on, as many as there are up to `length`; the system's reason in
// *error when they cannot be read.
QByteArray ReadAt(int fd, qint64 offset, qint64 length, QString* error) {
    QByteArray bytes(qsizetype(std::max<qint64>(length, 0)), Qt::Uninitialized);
    const qint64 got = tessaro::ReadUpToAt(fd, bytes.data(), bytes.size(), offset);
    if (got < 0) {
        *error = qt_error_string(errno);
    }
    bytes.truncate(qsizetype(std::max<qint64>(got, 0)));
    return bytes;
}

// What TagLib is to read in place of the file: its leading tag (LeadingTag()), then the file's
// last bytes, where an ID3v1 tag is looked for. A file without a leading tag gives its last bytes
// alone: TagLib would look for one further on, where no check has been.
std::unique_ptr<TagLib::ByteVectorStream> BoundedTagStream(const tessaro::InputFile& input,
                                                           QString* error) {
    qint64 end = 0;
    const QByteArray tag = LeadingTag(input, error, &end);
    // TagLib looks for an ID3v1 tag in the last 131 bytes.
    const qint64 tailStart = std::max(end, input.Size() - 131);
    const QByteArray tail = ReadAt(input.Descriptor(), tailStart, input.Size() - tailStart, error);
    TagLib::ByteVector bytes(unsigned(tag.size() + tail.size()));
    std::copy(tail.begin(), tail.end(), std::copy(tag.begin(), tag.end(), bytes.begin()));
    return std::make_unique<TagLib::ByteVectorStream>(bytes);
}

}  // namespace

// The tag is read once, for the check and for TagLib alike, and copied once more, into what
// TagLib reads.
QByteArray LeadingTag(const tessaro::InputFile& input, QString* error, qint64* end) {
    const QByteArray header = ReadAt(input.Descriptor(), 0, 10, error);
    *end = 0;
    if (header.size() == 10 && header.startsWith("ID3")) {
        const qint64 body = qint64(header[6] & 0x7F) << 21 | qint64(header[7] & 0x7F) << 14 |
                            qint64(header[8] & 0x7F) << 7 | qint64(header[9] & 0x7F);
        *end = std::min(10 + body, input.Size());
    }
    QByteArray read = ReadAt(input.Descriptor(), 0, *end, error);
    return BoundInflation(read).value_or(std::move(read));
}

InputTags ReadInputTags(const QString& path) {
    // TagLib would wait for a FIFO's writer, or read a device's bytes without end.
    QString ignored;
    const auto file = tessaro::InputFile::Open(path, &ignored);
    return file ? ReadInputTags(*file) : InputTags();
}

InputTags ReadInputTags(const tessaro::InputFile& input) {
    InputTags tags;
    const std::unique_ptr<TagLib::ByteVectorStream> stream =
        BoundedTagStream(input, &tags.readError);
    // Only the tags are read: no audio properties, which would scan the frames.
    TagLib::MPEG::File file(stream.get(), TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid()) {
        return tags;
    }
    FrameReader reader(tags);
    if (TagLib::ID3v2::Tag* front = file.ID3v2Tag()) {
        tags.picture = FirstPicture(*front);
        AddTextFrames(*front, reader);
        tags.title = reader.Text("TIT2");
        tags.disc = PositionIn(reader.Text("TPOS"));
        tags.track = PositionIn(reader.Text("TRCK"));
    }
    if (TagLib::ID3v1::Tag* back = file.ID3v1Tag()) {
        tags.title = tags.title.isEmpty() ? FromTagString(back->title()) : tags.title;
        tags.track = tags.track == 0 ? int(back->track()) : tags.track;
        AddId3v1Fields(*back, reader);
    }
    return tags;
}

}  // namespace mp3
