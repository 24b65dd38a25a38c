#pragma once

#include <QtGlobal>

namespace mp3 {

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0), the checksum of the LAME
// extension. Pass the previous result as crc to continue over more bytes.
quint16 Crc16(const quint8* data, qsizetype length, quint16 crc = 0);
// The Crc16 of bytes A followed by bytes B, from A's and B's and B's length alone: for a run of
// bytes never read, from CRCs taken where they were.
quint16 Crc16Combine(quint16 first, quint16 second, qint64 secondLength);

}  // namespace mp3
