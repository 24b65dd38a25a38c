#include "mp3/XingHeader.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "mp3/Crc16.h"
#include "mp3/JoinedStream.h"

namespace {

using namespace testing_files;

const quint8* Bytes(const QByteArray& bytes) {
    return reinterpret_cast<const quint8*>(bytes.constData());
}

void Put(QByteArray& bytes, qsizetype at, const QByteArray& part) {
    bytes.replace(at, part.size(), part);
}

QByteArray BigEndianBytes(quint32 value, int size = 4) {
    QByteArray bytes;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
        bytes.append(char(value >> shift));
    }
    return bytes;
}

constexpr quint32 kDelay = 0x245;

// A Layer III frame (417 bytes for MPEG-1, 208 otherwise) with a header at `at`: stale counts
// (frames 1, bytes 2), a seek table of 0x77s, quality 0x55, then the 36-byte extension of
// `encoder` with kDelay and the given padding, its other bytes 0x5A.
QByteArray HeaderFrame(int version, int channelMode, bool crc, int at, quint32 flags = 0xF,
                       const QByteArray& encoder = "LAME", int padding = 1234) {
    QByteArray frame = MakeFrame(version, 1, version == 3 ? 9 : 8, 0, 0, channelMode, 0);
    frame.resize(version == 3 ? 417 : 208, '\0');  // MPEG-2.5 frames count 4 bytes to the reader
    if (crc) {
        frame[1] = char(frame[1] & ~1);
    }
    Put(frame, at, "Info" + BigEndianBytes(flags));
    qsizetype next = at + 8;
    for (const auto& [flag, field] :
         {std::pair{0x1u, BigEndianBytes(1)}, std::pair{0x2u, BigEndianBytes(2)},
          std::pair{0x4u, QByteArray(100, 0x77)}, std::pair{0x8u, BigEndianBytes(0x55)}}) {
        if (flags & flag) {
            Put(frame, next, field);
            next += field.size();
        }
    }
    QByteArray extension = encoder + "3.100" + QByteArray(27, 0x5A);
    Put(extension, 21, BigEndianBytes((kDelay << 12) | padding, 3));
    Put(frame, next, extension);
    return frame;
}

TEST(Crc16Test, AgreesWithTheCheckValueAndABitwiseCrcAtEveryLengthAndSplit) {
    EXPECT_EQ(mp3::Crc16(Bytes("123456789"), 9), 0xBB3D);
    // Long enough for the carry-less multiplication's 64-byte steps, with every kind of tail.
    QByteArray data;
    for (int i = 0; i < 1300; ++i) {
        data.append(char(i * 131 + (i >> 3)));
    }
    for (qsizetype length = 0; length <= data.size(); length += 7) {
        const QByteArray part = data.left(length);
        EXPECT_EQ(mp3::Crc16(Bytes(part), length), BitwiseCrc16(part)) << length;
        const qsizetype split = length / 3;
        EXPECT_EQ(mp3::Crc16(Bytes(part) + split, length - split, mp3::Crc16(Bytes(part), split)),
                  BitwiseCrc16(part))
            << length;
        EXPECT_EQ(
            mp3::Crc16Combine(mp3::Crc16(Bytes(part), split),
                              mp3::Crc16(Bytes(part) + split, length - split), length - split),
            BitwiseCrc16(part))
            << length;
    }
    // Runs far longer than any frame, as a part's frames are.
    const QByteArray many = data.repeated(4000);
    EXPECT_EQ(mp3::Crc16Combine(mp3::Crc16(Bytes(data), 1300), mp3::Crc16(Bytes(many), many.size()),
                                many.size()),
              mp3::Crc16(Bytes(data + many), many.size() + 1300));
}

TEST(XingHeaderTest, FoundBehindTheSideInformationOnly) {
    struct Case {
        const char* name;
        int version, channelMode;
        bool crc;
        int at;
    };
    for (const Case& c : {
             Case{"MPEG-1 stereo", 3, 0, false, 36},
             Case{"MPEG-1 mono", 3, 3, false, 21},
             Case{"MPEG-2 joint stereo", 2, 1, false, 21},
             Case{"MPEG-2 mono", 2, 3, false, 13},
             Case{"MPEG-2.5 dual channel", 0, 2, false, 21},
             Case{"MPEG-2.5 mono", 0, 3, false, 13},
             Case{"MPEG-1 stereo, behind the CRC", 3, 0, true, 38},
             Case{"MPEG-1 stereo, CRC not counted as LAME does", 3, 0, true, 36},
             Case{"MPEG-2 mono, behind the CRC", 2, 3, true, 15},
             Case{"MPEG-2 mono, CRC not counted as LAME does", 2, 3, true, 13},
         }) {
        const QByteArray frame = HeaderFrame(c.version, c.channelMode, c.crc, c.at);
        const auto header = mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()));
        ASSERT_TRUE(header) << c.name;
        EXPECT_EQ(header->EncoderPadding(Bytes(frame)), 1234) << c.name;
        for (const int at : {c.at - 1, c.at + 1}) {
            const QByteArray moved = HeaderFrame(c.version, c.channelMode, c.crc, at);
            EXPECT_FALSE(mp3::XingHeader::Find(Bytes(moved), qint32(moved.size())))
                << c.name << " at " << at;
        }
    }
    // Where a mono frame has it, in a stereo frame.
    const QByteArray stereo = HeaderFrame(3, 0, false, 21);
    EXPECT_FALSE(mp3::XingHeader::Find(Bytes(stereo), qint32(stereo.size())));
}

TEST(XingHeaderTest, NotFoundForOtherTagsOrFieldsCutShort) {
    QByteArray vbri = HeaderFrame(3, 0, false, 36);
    Put(vbri, 36, "VBRI");
    QByteArray reserved = HeaderFrame(2, 0, false, 21);
    reserved[1] = char((reserved[1] & ~0x18) | 0x08);  // MPEG version 1, reserved
    const QByteArray whole = HeaderFrame(3, 0, false, 36);
    for (const QByteArray& frame :
         {vbri, reserved, whole.left(36 + 8 + 4 + 4 + 100 + 3), whole.left(3)}) {
        EXPECT_FALSE(mp3::XingHeader::Find(Bytes(frame), qint32(frame.size())));
    }
    // An extension cut short, or of an encoder not known, is not taken: no padding is read.
    const QByteArray cutExtension = whole.left(36 + 120 + 35);
    const QByteArray otherEncoder = HeaderFrame(3, 0, false, 36, 0xF, "GOGO");
    for (const QByteArray& frame : {cutExtension, otherEncoder}) {
        const auto header = mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->EncoderPadding(Bytes(frame)), 0);
    }
}

const quint32 kBytes = 3170;

// A seek table unlike any the frames give.
mp3::SeekTable SeekTableOf(quint8 first) {
    mp3::SeekTable table;
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = quint8(first + i);
    }
    return table;
}

QByteArray Described(const QByteArray& frame, bool oneBitrate = true) {
    QByteArray described = frame;
    const auto header = mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()));
    EXPECT_TRUE(header);
    header->Describe(reinterpret_cast<quint8*>(described.data()),
                     {6, kBytes, SeekTableOf(7), 0xBEEF, 0xABC, oneBitrate});
    return described;
}

TEST(XingHeaderTest, DescribeWritesEveryFieldOfAFullHeaderAndKeepsTheRest) {
    const QByteArray frame = HeaderFrame(3, 1, false, 36, 0xF, "Lavf");
    const QByteArray described = Described(frame);
    const int lame = 36 + 120;
    EXPECT_EQ(BigEndian(described, 36 + 8), 6u);
    EXPECT_EQ(BigEndian(described, 36 + 12), kBytes);
    EXPECT_EQ(described.mid(36 + 16, 100),
              QByteArray(reinterpret_cast<const char*>(SeekTableOf(7).data()), 100));
    EXPECT_EQ(BigEndian(described, lame + 21, 3), (kDelay << 12) | 0xABC);
    EXPECT_EQ(BigEndian(described, lame + 28), kBytes);
    EXPECT_EQ(BigEndian(described, lame + 32, 2), 0xBEEFu);
    EXPECT_EQ(BigEndian(described, lame + 34, 2), BitwiseCrc16(described.left(lame + 34)));
    // The peak and ReplayGain fields, which told of one input, say "not known".
    EXPECT_EQ(described.mid(lame + 11, 8), QByteArray(8, '\0'));
    // Tag, flags, quality and the rest of the extension stay.
    QByteArray masked = described;
    Put(masked, 36 + 8, frame.mid(36 + 8, 108));
    Put(masked, lame + 11, frame.mid(lame + 11, 8));
    Put(masked, lame + 21, frame.mid(lame + 21, 3));
    Put(masked, lame + 28, frame.mid(lame + 28, 8));
    EXPECT_EQ(masked, frame);
}

TEST(XingHeaderTest, DescribeWritesOnlyTheFieldsTheFlagsAnnounce) {
    // Bytes and seek table only: they move up to where the frame count would be.
    const QByteArray frame = HeaderFrame(3, 0, false, 36, 0x6);
    const QByteArray described = Described(frame);
    EXPECT_EQ(BigEndian(described, 36 + 8), kBytes);
    EXPECT_EQ(quint8(described[36 + 12 + 99]), 7 + 99);
    EXPECT_EQ(described.left(36 + 8), frame.left(36 + 8));
    // The extension behind them is LAME's: its gain fields and padding change, the rest up to
    // its CRCs stays.
    const int lame = 36 + 112;
    EXPECT_EQ(described.mid(lame, 11), frame.mid(lame, 11));
    EXPECT_EQ(described.mid(lame + 19, 2), frame.mid(lame + 19, 2));
    EXPECT_EQ(BigEndian(described, lame + 21, 3), (kDelay << 12) | 0xABC);
}

TEST(XingHeaderTest, ACountTooLargeForItsFieldIsLeftOutAndTheRestMovesUp) {
    constexpr quint64 kPast = quint64(1) << 32;
    struct Case {
        quint32 flags;  // of the header as found
        quint64 frames, bytes;
        quint32 described;  // its flags once described
    };
    for (const Case& c : {Case{0xF, 0xFFFFFFFF, 0xFFFFFFFF, 0xF}, Case{0xF, kPast, kBytes, 0xE},
                          Case{0xF, 6, kPast, 0xD}, Case{0xF, kPast + 6, kPast + 9, 0xC},
                          Case{0xD, 6, kPast, 0xD}}) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames, " << c.bytes << " bytes");
        QByteArray frame = HeaderFrame(3, 0, false, 36, c.flags);
        Put(frame, 413, "tail");
        QByteArray described = frame;
        mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()))
            ->Describe(reinterpret_cast<quint8*>(described.data()),
                       {c.frames, c.bytes, SeekTableOf(7), 0xBEEF, 0xABC, true});
        ASSERT_EQ(described.size(), frame.size());
        EXPECT_EQ(BigEndian(described, 36 + 4), c.described);
        // Readers take each field right behind those the flags announce before it.
        qsizetype at = 36 + 8;
        for (const auto& [flag, count] : {std::pair{0x1u, c.frames}, std::pair{0x2u, c.bytes}}) {
            if (c.described & flag) {
                EXPECT_EQ(BigEndian(described, at), count);
                at += 4;
            }
        }
        EXPECT_EQ(quint8(described[at + 99]), 7 + 99);
        EXPECT_EQ(BigEndian(described, at + 100), 0x55u);
        const qsizetype lame = at + 104;
        EXPECT_EQ(described.mid(lame, 9), "LAME3.100");
        EXPECT_EQ(BigEndian(described, lame + 21, 3), (kDelay << 12) | 0xABC);
        EXPECT_EQ(BigEndian(described, lame + 28), c.bytes < kPast ? c.bytes : 0);
        EXPECT_EQ(BigEndian(described, lame + 34, 2), BitwiseCrc16(described.left(lame + 34)));
        // Up to the frame's end, where zeros take the place of what moved.
        const qsizetype moved = frame.indexOf("LAME") - lame;
        EXPECT_EQ(described.right(4 + moved), "tail" + QByteArray(moved, '\0'));
    }
}

TEST(XingHeaderTest, ALabelAndMethodOfConstantBitrateOnlyForOneBitrate) {
    for (const int method : {1, 2, 4, 8}) {
        QByteArray frame = HeaderFrame(3, 0, false, 36);
        frame[36 + 120 + 9] = char(0x30 | method);  // revision 3
        EXPECT_EQ(Described(frame, true).mid(36, 4), "Info");
        EXPECT_EQ(Described(frame, true)[36 + 129], frame[36 + 129]);
        const QByteArray varying = Described(frame, false);
        EXPECT_EQ(varying.mid(36, 4), "Xing");
        // CBR, and CBR in two passes, become ABR; the VBR methods stay.
        EXPECT_EQ(varying[36 + 129], char(0x30 | (method == 1 || method == 8 ? 2 : method)))
            << method;
    }
}

TEST(XingHeaderTest, ANewFrameHasTheModelsFormatAndRoomForTheFields) {
    struct Case {
        QByteArray model;
        bool keepLength;
        int length;  // 0: no frame
        bool seekTable;
    };
    for (const Case& c : {
             // MPEG-1 stereo at 32 kbit/s is raised to 48 for the 152 bytes of fields.
             Case{MakeFrame(3, 1, 1, 0, 1, 1), false, 156, true},
             Case{MakeFrame(3, 1, 9, 0, 1, 3), false, 417, true},  // no padding slot
             Case{MakeFrame(3, 1, 9, 0, 1, 3), true, 418, true},   // padding kept
             Case{MakeFrame(0, 1, 1, 2, 0, 3), true, 72, false},   // no room for the seek table
             Case{MakeFrame(0, 1, 1, 2, 0, 3), false, 144, true},
             Case{MakeFrame(3, 1, 0, 0), false, 156, true},  // free format
             Case{MakeFrame(3, 1, 15, 0), false, 0, false},
             Case{MakeFrame(3, 0, 9, 0), false, 0, false},  // reserved layer
         }) {
        const QByteArray frame = mp3::XingHeader::NewFrame(Bytes(c.model), c.keepLength);
        ASSERT_EQ(frame.size(), c.length) << c.model.left(4).toHex().toStdString();
        if (c.length == 0) {
            continue;
        }
        EXPECT_EQ(quint8(frame[1]), quint8(c.model[1]) | 1) << "no CRC";
        EXPECT_EQ(quint8(frame[3]), quint8(c.model[3]));
        const auto header = mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()));
        ASSERT_TRUE(header);
        const mp3::XingHeader::Stream stream{0, 0, {}, 0, 0, false};
        EXPECT_TRUE(header->Counts(Bytes(frame), stream));
        const qsizetype at = frame.indexOf("Xing");
        EXPECT_EQ(BigEndian(frame, at + 4), c.seekTable ? 7u : 3u);
        EXPECT_EQ(frame.left(at).mid(4), QByteArray(at - 4, '\0')) << "no side information";
    }
}

// The stream a join of `files` makes, and the frame that leads it in the end.
struct Joined {
    QByteArray bytes;
    QByteArray header;
};
Joined Join(const std::vector<std::vector<QByteArray>>& files) {
    mp3::JoinedStream stream;
    Joined joined;
    for (const std::vector<QByteArray>& frames : files) {
        for (size_t i = 0; i < frames.size(); ++i) {
            const auto step = stream.AddFrame(Bytes(frames[i]), qint32(frames[i].size()), i == 0);
            joined.bytes.prepend(step.insertFront);
            joined.bytes += step.copy ? frames[i] : QByteArray();
        }
    }
    joined.header = stream.HeaderFrame();
    return joined;
}

TEST(JoinedStreamTest, InputHeadersAreLeftOutAndTheFirstLeads) {
    const QByteArray info = HeaderFrame(3, 0, false, 36, 0xF, "LAME", 1000);
    QByteArray vbri = MakeFrame(3, 1, 9, 0, 0, 0, 0);
    Put(vbri, 36, "VBRI");
    const QByteArray a = Mp3Frame(0x21), b = Mp3Frame(0x22, 1), slow = MakeFrame(3, 1, 5, 0);
    struct Case {
        std::vector<std::vector<QByteArray>> files;
        QByteArray bytes;   // the stream with its leading frame as first written
        const char* label;  // of the header in the end; none for no new header
        quint32 frames;
    };
    const QByteArray inserted = mp3::XingHeader::NewFrame(Bytes(a), false);
    // "Xing" with every field announced in a frame too short for them: no audio, and nothing
    // it tells can be trusted.
    QByteArray broken = MakeFrame(3, 1, 1, 0, 0, 0, 0);
    Put(broken, 36, "Xing");
    Put(broken, 40, QByteArray::fromHex("0000000F"));
    ASSERT_FALSE(mp3::XingHeader::Find(Bytes(broken), qint32(broken.size())));
    // Behind version, delay and quality, the byte and frame counts of a "VBRI" header.
    const auto counting = [&](quint32 bytes, quint32 frames) {
        return QByteArray(vbri).replace(
            40, 14, QByteArray(6, 1) + BigEndianBytes(bytes) + BigEndianBytes(frames));
    };
    const quint32 all = 417 * 2 + quint32(slow.size());
    EXPECT_FALSE(mp3::XingHeader::VbriCounts(Bytes(counting(all, 2)), 36 + 17, 2, all));
    for (const Case& c : {
             Case{{{info, a}, {info, b}}, info + a + b, "Info", 2},
             Case{{{info, a}, {vbri, slow}}, info + a + slow, "Xing", 2},
             Case{{{vbri, a}, {info, b}}, vbri + a + b, "Info", 2},
             // Alone, as it is only while it counts its audio.
             Case{{{counting(all, 2), a, slow}}, counting(all, 2) + a + slow, nullptr, 0},
             Case{{{counting(all + 1, 2), a, slow}}, counting(all + 1, 2) + a + slow, "Xing", 2},
             Case{{{counting(all, 3), a, slow}}, counting(all, 3) + a + slow, "Xing", 2},
             Case{{{vbri, a, slow}}, vbri + a + slow, "Xing", 2},
             Case{{{a, b}, {info, b}}, a + b + b, nullptr, 0},  // one bitrate, no header
             // A header comes in front once a second input joins the varying bitrate.
             Case{{{a, slow}}, a + slow, nullptr, 0},
             Case{{{a, slow}, {info, a}}, inserted + a + slow + a, "Xing", 3},
             Case{{{a}, {b}, {a, slow, b}}, inserted + a + b + a + slow + b, "Xing", 5},
             Case{{{broken}, {a, slow}}, inserted + a + slow, "Xing", 2},
             Case{{{broken, a}, {broken, slow}}, inserted + a + slow, "Xing", 2},
         }) {
        const Joined joined = Join(c.files);
        EXPECT_EQ(joined.bytes, c.bytes);
        if (!c.label) {
            EXPECT_TRUE(joined.header.isEmpty());
            continue;
        }
        // In the place of the frame written first.
        ASSERT_EQ(joined.header.size(), c.bytes.startsWith(inserted) ? inserted.size() : 417);
        EXPECT_EQ(joined.header.mid(36, 4), c.label);
        EXPECT_EQ(BigEndian(joined.header, 36 + 8), c.frames);
        EXPECT_EQ(BigEndian(joined.header, 36 + 12), quint32(c.bytes.size()));
    }
}

TEST(JoinedStreamTest, PaddingIsTheLastFilesAndASingleInputDescribedAlreadyStays) {
    const QByteArray first = HeaderFrame(3, 0, false, 36, 0xF, "LAME", 1000);
    const QByteArray second = HeaderFrame(3, 0, false, 36, 0xF, "LAME", 777);
    const QByteArray noExtension = HeaderFrame(3, 0, false, 36, 0x7, "none");
    const QByteArray audio = Mp3Frame(0x22);
    const auto padding = [&](const std::vector<QByteArray>& leads) {
        std::vector<std::vector<QByteArray>> files;
        for (const QByteArray& lead : leads) {
            files.push_back({lead, audio});
        }
        return BigEndian(Join(files).header, 36 + 120 + 22, 2) & 0xFFF;
    };
    EXPECT_EQ(padding({first, second}), 777u);
    EXPECT_EQ(padding({first, second, noExtension}), 0u);
    EXPECT_EQ(padding({first, second, audio}), 0u);
    QByteArray described = first;
    Put(described, 36 + 8, BigEndianBytes(1) + BigEndianBytes(417 * 2));
    EXPECT_TRUE(Join({{described, audio}}).header.isEmpty());
    EXPECT_EQ(BigEndian(Join({{first, audio, audio}}).header, 36 + 8), 2u);
}

TEST(JoinedStreamTest, ALongStreamsSeekTableIsAsRightAsOneKeptFrameByFrame) {
    // 300,000 frames, the first half twice as long as the second: past the offsets kept.
    const QByteArray first = HeaderFrame(3, 0, false, 36);
    const QByteArray fast = Mp3Frame(0x21), slow = MakeFrame(3, 1, 5, 0);
    mp3::JoinedStream stream;
    stream.AddFrame(Bytes(first), qint32(first.size()), true);
    std::vector<quint32> offsets;
    quint32 bytes = 0;
    for (int i = 0; i < 300000; ++i) {
        const QByteArray& frame = i < 150000 ? fast : slow;
        stream.AddFrame(Bytes(frame), qint32(frame.size()), false);
        offsets.push_back(bytes);
        bytes += quint32(frame.size());
    }
    const QByteArray header = stream.HeaderFrame();
    ASSERT_EQ(BigEndian(header, 36 + 8), 300000u);
    for (int i = 0; i < 100; ++i) {
        const double at = first.size() + offsets[size_t(i) * 3000];
        const double entry = quint8(header[36 + 16 + i]);
        EXPECT_NEAR(entry, at * 256 / (bytes + first.size()), 0.51) << i;
    }
}

TEST(JoinedStreamTest, PastFourGiBTheByteCountIsLeftOutAndFramesAndSeekTableStayRight) {
    // Frames said to be up to 1 MiB long: only their headers are read, so 6 GiB cost nothing.
    const QByteArray first = HeaderFrame(3, 0, false, 36);
    QByteArray chunk = Mp3Frame();
    chunk.resize(1 << 20, 0x33);
    mp3::JoinedStream stream;
    stream.AddFrame(Bytes(first), qint32(first.size()), true);
    std::vector<quint64> offsets;  // of the audio frames, from the header frame's start
    quint64 bytes = quint64(first.size());
    const auto add = [&](quint64 until) {
        while (bytes < until) {
            const qint32 length = qint32(std::min<quint64>(quint64(chunk.size()), until - bytes));
            stream.AddFrame(Bytes(chunk), length, false);
            offsets.push_back(bytes);
            bytes += quint64(length);
        }
    };
    add(0xFFFFFFFF);
    const QByteArray fits = stream.HeaderFrame();
    EXPECT_EQ(BigEndian(fits, 36 + 4), 0xFu);
    EXPECT_EQ(BigEndian(fits, 36 + 12), 0xFFFFFFFFu);
    EXPECT_EQ(BigEndian(fits, 36 + 120 + 28), 0xFFFFFFFFu);

    for (const quint64 until : {quint64(1) << 32, quint64(6) << 30}) {
        SCOPED_TRACE(until);
        add(until);
        const QByteArray header = stream.HeaderFrame();
        ASSERT_EQ(header.size(), first.size());
        EXPECT_EQ(BigEndian(header, 36 + 4), 0xDu) << "no byte count";
        EXPECT_EQ(BigEndian(header, 36 + 8), offsets.size());
        for (size_t i = 0; i < 100; ++i) {
            const double at = double(offsets[i * offsets.size() / 100]);
            EXPECT_NEAR(quint8(header[36 + 12 + qsizetype(i)]), at * 256 / double(bytes), 0.51)
                << i;
        }
        EXPECT_EQ(header.mid(36 + 116, 4), "LAME");
        EXPECT_EQ(BigEndian(header, 36 + 116 + 28), 0u) << "no music length";
    }
}

}  // namespace
