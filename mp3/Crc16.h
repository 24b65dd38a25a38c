#pragma once

#include <QtGlobal>

namespace mp3 {

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0), the checksum of the LAME
// extension. Pass the previous result as crc to continue over more bytes.
quint16 Crc16(const quint8* data, qsizetype length, quint16 crc = 0);

}  // namespace mp3
