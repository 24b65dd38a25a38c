#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "merge/MergeJob.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {

inline void PrintTo(const JoinRecord& record, std::ostream* out) {
    *out << "{first frame " << record.firstFrame << ", " << record.frames << " frames, delay "
         << record.delay << ", padding " << record.padding << "}";
}

}  // namespace tessaro

namespace testing_files {

QString Fixture(const QString& name);
QByteArray ReadAll(const QString& path);
// Where the leading ID3v2 tag ends in a file that starts with `start` (its first 10 bytes at
// least); 0 without one.
qint64 TagEnd(const QByteArray& start);
// The bytes of the file behind its leading ID3v2 tag (all of them without one): a joined file's
// audio, and the tags behind it.
QByteArray ReadBehindTag(const QString& path);
// Writes the file whole and returns its path.
QString WriteAll(const QString& path, const QByteArray& bytes);
// Makes an empty file (or folder) in `folder` whose name is the bytes `name`, which need not be
// UTF-8, and returns its path as Qt reads it (U+FFFD for each byte that is not UTF-8). Qt cannot
// remove such a file, so it goes, with the folders it leaves empty, when the test program ends.
QString MakeNotUtf8Name(const QString& folder, const QByteArray& name, bool asFolder = false);
// Writes `bytes` over the file in place, a clock tick after its last change, and puts its access
// and modification times back.
void RewriteKeepingTimes(const QString& path, const QByteArray& bytes);
// The names of the entries of a folder, hidden ones included.
QStringList FolderEntries(const QString& folder);

// The bytes of the binary formats, built independently of the code under test.
QByteArray U32Le(quint32 value);
QByteArray Utf16Le(const QString& text);
// Four bytes big-endian, seven bits a byte where `syncSafe`.
QByteArray SizeBytes(quint32 size, bool syncSafe);
// An ID3v2.3 or 2.4 frame holding `text` behind an ISO-8859-1 encoding byte.
QByteArray PlainFrame(int version, const char* id, const QByteArray& text);
// An ID3v2 tag of `version` holding `frames`, its header flags `flags`.
QByteArray Id3v2Of(int version, const QByteArray& frames, char flags = 0);

// The tag of an MPEG file as TagLib reads it, texts in UTF-8; all empty when there is none.
struct TagValues {
    std::string album, artist, title, comment;
    unsigned year = 0;

    bool operator==(const TagValues& other) const;
};
std::ostream& operator<<(std::ostream& out, const TagValues& tag);
TagValues ReadTag(const QString& path);
// The chapters and tables of contents of an MPEG file's ID3v2 tag as TagLib reads them, in the
// tag's order; texts in UTF-8.
struct ChapterTables {
    struct Chapter {
        std::string id, title;
        quint32 startMs, endMs;
        bool titled;  // whether it holds a TIT2 frame
        // The address of its WXXX frame and of its APIC frame's picture where its MIME type is
        // "-->" (a linked picture); empty for none.
        std::string page, picture;
    };
    struct Table {
        std::string id, title;
        bool topLevel, ordered;
        std::vector<std::string> children;
    };
    std::vector<Chapter> chapters;
    std::vector<Table> tables;
};
ChapterTables ReadChapterTables(const QString& path);
// The IDs of the frames of an MPEG file's ID3v2 tag as TagLib reads them, in the tag's order.
std::vector<std::string> FrameIds(const QString& path);

// One synthesized frame: a header from the given fields, then a body of the length the header
// describes, filled with `fill` (which must not be 0xFF so that no false sync appears in it).
QByteArray MakeFrame(int version, int layer, int bitrateIndex, int sampleRateIndex, int padding = 0,
                     int channelMode = 0, char fill = 0x11);
// MPEG-1 Layer III, 128 kbit/s, 44100 Hz: 417 bytes, 418 with padding.
QByteArray Mp3Frame(char fill = 0x11, int padding = 0);
// `count` such frames back to back, each filled with its own byte.
QByteArray Mp3Frames(int count);
// Where a Layer III frame's side-information fields stand, in bits from its start, worked out
// field by field in the order the standard lists them; and where its main data area starts.
struct SideInfoLayout {
    int mainDataBeginAt = 0, mainDataBeginBits = 0;
    // Of each granule and channel, granule by granule.
    std::vector<int> part23LengthAt, globalGainAt;
    int mainDataAt = 0;  // bytes
};
SideInfoLayout LayoutOf(const QByteArray& frame);
// The side-information fields a test sets, granule by granule and channel by channel; 0 where
// not given.
struct SideInfo {
    int mainDataBegin = 0;
    std::vector<int> part23Lengths, globalGains;
};
// A Layer III frame of MakeFrame's header, mono or stereo, with a CRC word of 0 when `crc`: the
// fields of `side` are written bit by bit, every other side-information bit set, so that a field
// read one bit off shows. Its main data area is filled with `fill`.
QByteArray Layer3Frame(int version, int bitrateIndex, int sampleRateIndex, bool mono, bool crc,
                       const SideInfo& side, char fill = 0x11);
// The `count` bits of `bytes` from bit `at` on, most significant first.
int Bits(const QByteArray& bytes, int at, int count);

// An ID3v2.3 tag holding one title frame, followed by `padding` zero bytes.
QByteArray Id3v2Tag(const QByteArray& title, int padding);
// A 128-byte ID3v1 tag.
QByteArray Id3v1Tag(const QByteArray& title);
// Copies the 128 kbit/s fixture to `path` with an ID3v2 tag that holds `frames` (frame id, text;
// "TXXX:name" and "COMM:description" for those) and, when given, an ID3v1 tag with `v1Album`.
// Returns `path`.
QString TaggedCopy(const QString& path, const std::vector<std::pair<QString, QString>>& frames,
                   const QString& v1Album = QString());

// Stereo audio at 44.1 kHz as a test puts it together, stretch by stretch: channels interleaved,
// 1.0 being full scale.
struct Tape {
    static constexpr int kRate = 44100;

    // Appends `seconds` of a 440 Hz tone at `left` and `right` of full scale, 0 being silence.
    Tape& Tone(double seconds, double left, double right);
    Tape& Tone(double seconds, double level = 0.25) { return Tone(seconds, level, level); }
    Tape& Silence(double seconds) { return Tone(seconds, 0); }

    std::vector<float> samples;
};
// The tape encoded by the lame tool at 128 kbit/s into `path`, as it writes a whole file: its
// header frame tells the encoder's delay and padding. Returns `path`.
QString LameEncoded(const QString& path, const Tape& tape);

// While it lives, writes past `bytes` fail with EFBIG instead of ending the process: the disk
// looks full to this process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved{};
    sighandler_t previousHandler;
};

// Whether the build is instrumented by a sanitizer, whose shadow memory takes far more address
// space than any limit of it leaves.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif
// ThreadSanitizer's runtime, whose threads of its own a limit on threads refuses too.
#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadSanitized = true;
#elif defined(__has_feature)
constexpr bool kThreadSanitized = __has_feature(thread_sanitizer);
#else
constexpr bool kThreadSanitized = false;
#endif

// CRC-16/ARC computed a bit at a time, the plain way, to check the program's table-driven one.
quint16 BitwiseCrc16(const QByteArray& bytes);
// The size-byte big-endian number at bytes[at].
quint32 BigEndian(const QByteArray& bytes, qsizetype at, int size = 4);

// Runs `scenario` in a child process that cannot ignore file permissions: run as root, the
// child first becomes the user "nobody". Returns what the scenario returned, or why it could not
// run.
QString RunWithoutPrivileges(const std::function<QString()>& scenario);

// The join of a workspace's files and tag into `output`, the tag written when `writeTag`.
inline tessaro::JoinRequest JoinOf(const tessaro::TessaroWorkSpace& workspace,
                                   const QString& output, const tessaro::JoinOptions& options = {},
                                   bool writeTag = false) {
    return {workspace.Paths(), output, workspace.Tag(), writeTag, options};
}

// Records what the merge job reports. The hook runs inside the call, while the job waits:
// faults are injected there.
class RecordingHost : public tessaro::MergeHost {
public:
    void MergeProgress(qint32 position, qint32 rangeMax) override {
        progress.emplace_back(position, rangeMax);
        if (duringProgress) {
            duringProgress();
        }
    }
    std::vector<std::pair<qint32, qint32>> progress;
    std::function<void()> duringProgress;
};

}  // namespace testing_files
