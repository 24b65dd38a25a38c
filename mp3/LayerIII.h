#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

#include "mp3/FrameHeader.h"

// What a Layer III frame holds behind its header: the side information, which tells how each
// granule of each channel is coded and where the frame's main data begins, and the main data
// area. The main data may begin in the areas of the frames before (their reserved bytes), as
// far back as main_data_begin reaches.
namespace mp3 {

// Where the side information starts: behind the header and its CRC, if any.
qint32 SideInfoStart(const FrameHeader& header);
// Bytes of side information, by version and channels.
qint32 SideInfoLength(const FrameHeader& header);
// Where the frame's main data area starts, behind the side information.
qint32 MainDataStart(const FrameHeader& header);
// How far back main data may begin: main_data_begin has 9 bits in MPEG-1, 8 in the others.
qint32 FarthestBack(const FrameHeader& header);
// Where the 8-bit global_gain of each granule and channel stands, in bits from the frame's
// start: granule by granule, and channel by channel within one. MPEG-1 has two granules a
// frame, MPEG-2 and 2.5 one.
std::vector<qint32> GlobalGainBits(const FrameHeader& header);

// Of a frame that holds its header and side information whole: main_data_begin, how many bytes
// before its own area its main data begins; and the same set to `back`, every other bit left as
// it is.
qint32 MainDataBegin(const QByteArray& frame);
void SetMainDataBegin(QByteArray* frame, qint32 back);
// The bytes of its main data: its part2_3_length fields added up, rounded up to whole bytes.
qint32 MainDataLength(const QByteArray& frame);
// The bytes of its main data area, behind the side information.
qint32 MainDataRoom(const QByteArray& frame);

// Of a Layer III frame of `length` bytes: adds `steps` (1.5 dB each) to every global_gain, each
// kept within 0..255, and sets its CRC anew when it has one. Nothing else changes: players then
// decode the same audio that much louder or softer. A frame too short to hold its side
// information is left as it is (false): its fields would lie in the bytes behind it.
[[nodiscard]] bool AddGlobalGain(quint8* frame, qint32 length, int steps);
// The CRC a protected frame carries behind its header: CRC-16 (polynomial 0x8005, initial value
// 0xFFFF) of the header's last two bytes and the side information.
quint16 FrameCrc(const quint8* frame);

}  // namespace mp3
