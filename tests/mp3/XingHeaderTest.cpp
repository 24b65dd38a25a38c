#include "mp3/XingHeader.h"

#include <gtest/gtest.h>

#include "TestFiles.h"

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
    QByteArray data;
    for (int i = 0; i < 300; ++i) {
        data.append(char(i * 131 + (i >> 3)));
    }
    for (qsizetype length = 0; length <= data.size(); length += 7) {
        const QByteArray part = data.left(length);
        EXPECT_EQ(mp3::Crc16(Bytes(part), length), BitwiseCrc16(part)) << length;
        const qsizetype split = length / 3;
        EXPECT_EQ(mp3::Crc16(Bytes(part) + split, length - split, mp3::Crc16(Bytes(part), split)),
                  BitwiseCrc16(part))
            << length;
    }
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

// Frames of 418, 417, 1000, 200, 300 and 418 bytes behind a 417-byte header frame.
const std::vector<quint32> kOffsets{0, 417, 835, 1252, 2252, 2452, 2752};
const quint32 kBytes = 3170;

QByteArray Described(const QByteArray& frame, quint16 musicCrc = 0xBEEF, int padding = 0xABC) {
    QByteArray described = frame;
    const auto header = mp3::XingHeader::Find(Bytes(frame), qint32(frame.size()));
    EXPECT_TRUE(header);
    EXPECT_TRUE(header->Describe(reinterpret_cast<quint8*>(described.data()),
                                 {kOffsets, kBytes, musicCrc, padding}));
    return described;
}

TEST(XingHeaderTest, DescribeWritesEveryFieldOfAFullHeaderAndKeepsTheRest) {
    const QByteArray frame = HeaderFrame(3, 1, false, 36, 0xF, "Lavf");
    const QByteArray described = Described(frame);
    const int lame = 36 + 120;
    EXPECT_EQ(BigEndian(described, 36 + 8), 6u);
    EXPECT_EQ(BigEndian(described, 36 + 12), kBytes);
    for (int i = 0; i < 100; ++i) {
        const quint32 offset = kOffsets[size_t(i * 7 / 100)];
        EXPECT_EQ(quint8(described[36 + 16 + i]), offset * 256 / kBytes) << i;
    }
    EXPECT_EQ(BigEndian(described, lame + 21, 3), (kDelay << 12) | 0xABC);
    EXPECT_EQ(BigEndian(described, lame + 28), kBytes);
    EXPECT_EQ(BigEndian(described, lame + 32, 2), 0xBEEFu);
    EXPECT_EQ(BigEndian(described, lame + 34, 2), BitwiseCrc16(described.left(lame + 34)));
    // Tag, flags, quality and the rest of the extension stay.
    QByteArray masked = described;
    Put(masked, 36 + 8, frame.mid(36 + 8, 108));
    Put(masked, lame + 21, frame.mid(lame + 21, 3));
    Put(masked, lame + 28, frame.mid(lame + 28, 8));
    EXPECT_EQ(masked, frame);
}

TEST(XingHeaderTest, DescribeWritesOnlyTheFieldsTheFlagsAnnounce) {
    // Bytes and seek table only: they move up to where the frame count would be.
    const QByteArray frame = HeaderFrame(3, 0, false, 36, 0x6);
    const QByteArray described = Described(frame);
    EXPECT_EQ(BigEndian(described, 36 + 8), kBytes);
    EXPECT_EQ(quint8(described[36 + 12 + 99]), kOffsets[6] * 256 / kBytes);
    EXPECT_EQ(described.left(36 + 8), frame.left(36 + 8));
    // The extension behind them is LAME's: its padding changes, the rest up to its CRCs stays.
    const int lame = 36 + 112;
    EXPECT_EQ(described.mid(lame, 21), frame.mid(lame, 21));
    EXPECT_EQ(BigEndian(described, lame + 21, 3), (kDelay << 12) | 0xABC);
}

TEST(XingHeaderTest, DescribeChangesNothingWhenTheCountsAreRightAlready) {
    QByteArray frame = HeaderFrame(3, 0, false, 36);
    Put(frame, 36 + 8, BigEndianBytes(6) + BigEndianBytes(kBytes));
    QByteArray bytesOnly = HeaderFrame(2, 3, false, 13, 0x2);
    Put(bytesOnly, 13 + 8, BigEndianBytes(kBytes));
    for (const QByteArray& original : {frame, bytesOnly}) {
        QByteArray copy = original;
        const auto header = mp3::XingHeader::Find(Bytes(copy), qint32(copy.size()));
        ASSERT_TRUE(header);
        EXPECT_FALSE(header->Describe(reinterpret_cast<quint8*>(copy.data()),
                                      {kOffsets, kBytes, 0xBEEF, 0xABC}));
        EXPECT_EQ(copy, original);
    }
    // One count wrong is enough for all to be written.
    Put(frame, 36 + 8, BigEndianBytes(7));
    EXPECT_EQ(BigEndian(Described(frame), 36 + 8), 6u);
}

TEST(XingUpdateTest, PaddingIsTheLastFilesAndNothingChangesWithoutAHeaderFirst) {
    const QByteArray first = HeaderFrame(3, 0, false, 36, 0xF, "LAME", 1000);
    const QByteArray second = HeaderFrame(3, 0, false, 36, 0xF, "LAME", 777);
    const QByteArray noExtension = HeaderFrame(3, 0, false, 36, 0x7, "none");
    const QByteArray audio = Mp3Frame(0x22);
    const auto update = [&](const std::vector<QByteArray>& files) {
        mp3::XingUpdate xing;
        for (const QByteArray& file : files) {
            xing.AddFrame(Bytes(file), qint32(file.size()), true);
            xing.AddFrame(Bytes(audio), qint32(audio.size()), false);
        }
        return xing.UpdatedFirstFrame();
    };
    const int padding = 36 + 120 + 22;
    EXPECT_EQ(BigEndian(update({first, second}), padding, 2) & 0xFFF, 777u);
    EXPECT_EQ(BigEndian(update({first, second, noExtension}), padding, 2) & 0xFFF, 0u);
    EXPECT_EQ(BigEndian(update({first, second, audio}), padding, 2) & 0xFFF, 0u);
    EXPECT_TRUE(update({audio, first}).isEmpty());
}

TEST(XingUpdateTest, AStreamTooLongForTheFieldsLeavesTheHeaderAlone) {
    const QByteArray first = HeaderFrame(3, 0, false, 36);
    const QByteArray chunk(1 << 20, 0x33);
    mp3::XingUpdate xing;
    xing.AddFrame(Bytes(first), qint32(first.size()), true);
    for (int i = 0; i < 4095; ++i) {
        xing.AddFrame(Bytes(chunk), qint32(chunk.size()), false);
    }
    EXPECT_FALSE(xing.UpdatedFirstFrame().isEmpty()) << "4 GiB less 1 MiB still fits";
    xing.AddFrame(Bytes(chunk), qint32(chunk.size()), false);
    EXPECT_TRUE(xing.UpdatedFirstFrame().isEmpty());
}

}  // namespace
