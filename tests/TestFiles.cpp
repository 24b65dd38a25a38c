#include "TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "mp3/FrameHeader.h"

namespace testing_files {

QString Fixture(const QString& name) {
    return QStringLiteral(TESSARO_FIXTURES) + QLatin1Char('/') + name;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    return file.readAll();
}

qint64 TagEnd(const QByteArray& start) {
    if (!start.startsWith("ID3") || start.size() < 10) {
        return 0;
    }
    qint64 size = 0;
    for (int i = 6; i < 10; ++i) {
        size = size << 7 | (start[i] & 0x7F);
    }
    const bool footer = start[5] & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

QByteArray ReadBehindTag(const QString& path) {
    const QByteArray bytes = ReadAll(path);
    return bytes.mid(qsizetype(TagEnd(bytes)));
}

QString WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

QString MakeNotUtf8Name(const QString& folder, const QByteArray& name, bool asFolder) {
    // Removed by their bytes at exit, and then the temporary folders around them that Qt left
    // behind for them, as far up as they are empty.
    static struct Made {
        std::vector<QByteArray> paths;
        ~Made() {
            for (QByteArray& path : paths) {
                if (::unlink(path.constData()) != 0) {
                    ::rmdir(path.constData());
                }
                for (qsizetype slash = path.lastIndexOf('/'); slash > 0;
                     slash = path.lastIndexOf('/')) {
                    path.truncate(slash);
                    if (::rmdir(path.constData()) != 0) {
                        break;
                    }
                }
            }
        }
    } made;
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = asFolder ? ::mkdir(path.constData(), 0755)
                            : ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot make " + path.toStdString());
    }
    if (!asFolder) {
        ::close(fd);
    }
    made.paths.push_back(QFile::encodeName(QDir(folder).absolutePath()) + '/' + name);
    return QFile::decodeName(path);
}

void RewriteKeepingTimes(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat before;
    const timespec* const times =
        ::stat(name.constData(), &before) == 0 ? &before.st_atim : nullptr;
    const timespec kept[2] = {before.st_atim, before.st_mtim};
    // File times move in clock ticks of a few milliseconds: the change must fall in a later one
    // than the file's last, as it would but in a test.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteAll(path, bytes);
    if (!times || ::utimensat(AT_FDCWD, name.constData(), kept, 0) != 0) {
        throw std::runtime_error("cannot put the times of " + path.toStdString() + " back");
    }
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) : previousHandler(::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
}

QString RunWithoutPrivileges(const std::function<QString()>& scenario) {
    constexpr uid_t kNobody = 65534;
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                  ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
        const QByteArray text = dropped ? scenario().toUtf8() : "cannot become nobody";
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t n = ::write(fds[1], text.constData() + done, size_t(text.size() - done));
            if (n <= 0) {
                ::_exit(1);
            }
            done += n;
        }
        // Straight out: the child must not run the parent's exit handlers or tests.
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return QStringLiteral("the child process failed");
    }
    return QString::fromUtf8(text);
}

QByteArray U32Le(quint32 value) {
    return QByteArray(1, char(value)) + char(value >> 8) + char(value >> 16) + char(value >> 24);
}

QByteArray Utf16Le(const QString& text) {
    return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

QByteArray SizeBytes(quint32 size, bool syncSafe) {
    QByteArray bytes;
    for (const int shift : {3, 2, 1, 0}) {
        bytes.append(char(syncSafe ? (size >> (7 * shift)) & 0x7F : size >> (8 * shift)));
    }
    return bytes;
}

QByteArray PlainFrame(int version, const char* id, const QByteArray& text) {
    return id + SizeBytes(quint32(text.size()) + 1, version == 4) + QByteArray(3, '\0') + text;
}

QByteArray Id3v2Of(int version, const QByteArray& frames, char flags) {
    return QByteArray("ID3") + char(version) + '\0' + flags +
           SizeBytes(quint32(frames.size()), true) + frames;
}

bool TagValues::operator==(const TagValues& other) const {
    return std::tie(album, artist, title, comment, year) ==
           std::tie(other.album, other.artist, other.title, other.comment, other.year);
}

std::ostream& operator<<(std::ostream& out, const TagValues& tag) {
    return out << "{album \"" << tag.album << "\", artist \"" << tag.artist << "\", title \""
               << tag.title << "\", comment \"" << tag.comment << "\", year " << tag.year << "}";
}

TagValues ReadTag(const QString& path) {
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    const TagLib::Tag* tag = file.isValid() ? file.tag() : nullptr;
    if (!tag) {
        return TagValues();
    }
    return {tag->album().to8Bit(true), tag->artist().to8Bit(true), tag->title().to8Bit(true),
            tag->comment().to8Bit(true), tag->year()};
}

namespace {

std::string TitleOf(const TagLib::ID3v2::FrameListMap& embedded) {
    const TagLib::ID3v2::FrameList titles = embedded["TIT2"];
    return titles.isEmpty() ? std::string() : titles.front()->toString().to8Bit(true);
}

std::string IdText(const TagLib::ByteVector& id) {
    return std::string(id.data(), id.size());
}

ChapterTables::Chapter ChapterOf(const TagLib::ID3v2::ChapterFrame& frame) {
    const TagLib::ID3v2::FrameListMap& embedded = frame.embeddedFrameListMap();
    ChapterTables::Chapter chapter{IdText(frame.elementID()),
                                   TitleOf(embedded),
                                   frame.startTime(),
                                   frame.endTime(),
                                   !embedded["TIT2"].isEmpty(),
                                   {},
                                   {}};
    for (const TagLib::ID3v2::Frame* link : embedded["WXXX"]) {
        chapter.page = dynamic_cast<const TagLib::ID3v2::UserUrlLinkFrame&>(*link).url().to8Bit();
    }
    for (const TagLib::ID3v2::Frame* frame : embedded["APIC"]) {
        const auto& picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame&>(*frame);
        if (picture.mimeType() == "-->") {
            chapter.picture = IdText(picture.picture());
        }
    }
    return chapter;
}

}  // namespace

ChapterTables ReadChapterTables(const QString& path) {
    ChapterTables read;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    const TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    for (const TagLib::ID3v2::Frame* frame : tag ? tag->frameList() : TagLib::ID3v2::FrameList()) {
        if (const auto* chapter = dynamic_cast<const TagLib::ID3v2::ChapterFrame*>(frame)) {
            read.chapters.push_back(ChapterOf(*chapter));
        } else if (const auto* table =
                       dynamic_cast<const TagLib::ID3v2::TableOfContentsFrame*>(frame)) {
            read.tables.push_back({IdText(table->elementID()),
                                   TitleOf(table->embeddedFrameListMap()),
                                   table->isTopLevel(),
                                   table->isOrdered(),
                                   {}});
            for (const TagLib::ByteVector& child : table->childElements()) {
                read.tables.back().children.push_back(IdText(child));
            }
        }
    }
    return read;
}

std::vector<std::string> FrameIds(const QString& path) {
    std::vector<std::string> ids;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    const TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    for (const TagLib::ID3v2::Frame* frame : tag ? tag->frameList() : TagLib::ID3v2::FrameList()) {
        ids.push_back(IdText(frame->frameID()));
    }
    return ids;
}

QByteArray MakeFrame(int version, int layer, int bitrateIndex, int sampleRateIndex, int padding,
                     int channelMode, char fill) {
    const quint8 header[4] = {0xFF, quint8(0xE0 | (version << 3) | (layer << 1) | 1),
                              quint8((bitrateIndex << 4) | (sampleRateIndex << 2) | (padding << 1)),
                              quint8(channelMode << 6)};
    mp3::FrameHeader parsed;
    parsed.ParseHeader(header);
    const int length = std::max(4, int(parsed.GetFrameLength()));
    QByteArray frame(reinterpret_cast<const char*>(header), 4);
    frame.append(QByteArray(length - 4, fill));
    return frame;
}

QByteArray Mp3Frame(char fill, int padding) {
    return MakeFrame(3, 1, 9, 0, padding, 0, fill);
}

SideInfoLayout LayoutOf(const QByteArray& frame) {
    const bool mpeg1 = ((quint8(frame[1]) >> 3) & 3) == 3;
    const bool crc = (frame[1] & 1) == 0;
    const bool mono = (quint8(frame[3]) >> 6) == 3;
    SideInfoLayout layout;
    int at = 8 * (crc ? 6 : 4);
    layout.mainDataBeginAt = at;
    layout.mainDataBeginBits = mpeg1 ? 9 : 8;
    at += layout.mainDataBeginBits;
    at += mpeg1 ? (mono ? 5 : 3) : (mono ? 1 : 2);  // private_bits
    at += mpeg1 ? (mono ? 4 : 8) : 0;               // scfsi
    for (int field = 0; field < (mpeg1 ? 2 : 1) * (mono ? 1 : 2); ++field) {
        layout.part23LengthAt.push_back(at);
        at += 12 + 9;  // part2_3_length, big_values
        layout.globalGainAt.push_back(at);
        at += 8;
        at += mpeg1 ? 4 : 9;  // scalefac_compress
        at += 1 + 22;         // window_switching_flag, then 22 bits either way
        at += mpeg1 ? 3 : 2;  // (preflag,) scalefac_scale, count1table_select
    }
    layout.mainDataAt = at / 8;
    return layout;
}

int Bits(const QByteArray& bytes, int at, int count) {
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        value = value * 2 + ((quint8(bytes[i / 8]) & (0x80 >> (i % 8))) ? 1 : 0);
    }
    return value;
}

QByteArray Layer3Frame(int version, int bitrateIndex, int sampleRateIndex, bool mono, bool crc,
                       const SideInfo& side, char fill) {
    QByteArray frame = MakeFrame(version, 1, bitrateIndex, sampleRateIndex, 0, mono ? 3 : 0, fill);
    if (crc) {
        frame[1] = char(frame[1] & ~1);
    }
    const SideInfoLayout layout = LayoutOf(frame);
    const int sideStart = crc ? 6 : 4;
    frame.replace(4, sideStart - 4, QByteArray(sideStart - 4, '\0'));
    frame.replace(sideStart, layout.mainDataAt - sideStart,
                  QByteArray(layout.mainDataAt - sideStart, char(0xFF)));
    const auto put = [&frame](int at, int count, int value) {
        for (int i = at + count - 1; i >= at; --i, value /= 2) {
            frame[i / 8] = char(value % 2 ? frame[i / 8] | (0x80 >> (i % 8))
                                          : frame[i / 8] & ~(0x80 >> (i % 8)));
        }
    };
    put(layout.mainDataBeginAt, layout.mainDataBeginBits, side.mainDataBegin);
    for (size_t i = 0; i < layout.globalGainAt.size(); ++i) {
        put(layout.part23LengthAt[i], 12,
            i < side.part23Lengths.size() ? side.part23Lengths[i] : 0);
        put(layout.globalGainAt[i], 8, i < side.globalGains.size() ? side.globalGains[i] : 0);
    }
    return frame;
}

QByteArray Mp3Frames(int count) {
    QByteArray frames;
    for (int i = 0; i < count; ++i) {
        frames += Mp3Frame(char(i % 200));
    }
    return frames;
}

QByteArray Id3v2Tag(const QByteArray& title, int padding) {
    return Id3v2Of(3, PlainFrame(3, "TIT2", title) + QByteArray(padding, '\0'));
}

QByteArray Id3v1Tag(const QByteArray& title) {
    QByteArray tag("TAG");
    tag.append(title.left(30)).append(QByteArray(30 - std::min<int>(30, title.size()), '\0'));
    tag.append(QByteArray(128 - tag.size() - 1, '\0')).append(char(12));  // genre
    return tag;
}

QString TaggedCopy(const QString& path, const std::vector<std::pair<QString, QString>>& frames,
                   const QString& v1Album) {
    WriteAll(path, ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3"))));
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    for (const auto& [id, text] : frames) {
        const TagLib::String value(text.toStdString(), TagLib::String::UTF8);
        const TagLib::String name(id.section(u':', 1).toStdString(), TagLib::String::UTF8);
        if (id.startsWith(QLatin1String("TXXX"))) {
            tag->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(name, value));
        } else if (id.startsWith(QLatin1String("COMM"))) {
            auto* comment = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
            comment->setLanguage("eng");
            comment->setDescription(name);
            comment->setText(value);
            tag->addFrame(comment);
        } else {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(
                TagLib::ByteVector(id.toLatin1().constData(), 4), TagLib::String::UTF8);
            frame->setText(value);
            tag->addFrame(frame);
        }
    }
    if (!v1Album.isEmpty()) {
        file.ID3v1Tag(true)->setAlbum(TagLib::String(v1Album.toStdString(), TagLib::String::UTF8));
    }
    if (!file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone)) {
        throw std::runtime_error("cannot tag " + path.toStdString());
    }
    return path;
}

quint16 BitwiseCrc16(const QByteArray& bytes) {
    quint16 crc = 0;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        }
    }
    return crc;
}

quint32 BigEndian(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | quint8(bytes.at(at + i));
    }
    return value;
}

Tape& Tape::Tone(double seconds, double left, double right) {
    const size_t start = samples.size() / 2;
    for (size_t i = start; i < start + size_t(std::llround(seconds * kRate)); ++i) {
        const double wave = std::sin(double(i) * 440 * 2 * M_PI / kRate);
        samples.insert(samples.end(), {float(left * wave), float(right * wave)});
    }
    return *this;
}

QString LameEncoded(const QString& path, const Tape& tape) {
    QByteArray pcm;
    for (const float sample : tape.samples) {
        const auto value = qint16(std::clamp(std::lround(sample * 32767.0f), -32768L, 32767L));
        pcm.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    const QString raw = WriteAll(path + QStringLiteral(".raw"), pcm);
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               {QStringLiteral("--quiet"), QStringLiteral("-r"), QStringLiteral("-s"),
                QStringLiteral("44.1"), QStringLiteral("-b"), QStringLiteral("128"), raw, path});
    if (!lame.waitForFinished(60000) || lame.exitCode() != 0) {
        throw std::runtime_error("lame cannot encode " + path.toStdString());
    }
    QFile::remove(raw);
    return path;
}

}  // namespace testing_files
