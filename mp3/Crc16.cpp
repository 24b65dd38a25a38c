#include <QtGlobal>
#include <array>
#include <cstring>

#include "mp3/XingHeader.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSARO_CLMUL
#endif

namespace mp3 {
namespace {

// kCrcTables[k][b]: the CRC of byte b followed by k zero bytes. With them the CRC takes 16 bytes
// a step (slicing-by-16), several times faster than a byte a step: it runs over every byte of
// the output.
constexpr int kCrcSlice = 16;
using CrcTables = std::array<std::array<quint16, 256>, kCrcSlice>;

constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (int b = 0; b < 256; ++b) {
        quint16 crc = quint16(b);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        }
        tables[0][b] = crc;
    }
    for (int k = 1; k < kCrcSlice; ++k) {
        for (int b = 0; b < 256; ++b) {
            const quint16 previous = tables[k - 1][b];
            tables[k][b] = quint16((previous >> 8) ^ tables[0][previous & 0xFF]);
        }
    }
    return tables;
}
constexpr CrcTables kCrcTables = MakeCrcTables();

quint16 TableCrc16(const quint8* data, qsizetype length, quint16 crc) {
    const auto& t = kCrcTables;
    for (; length >= kCrcSlice; data += kCrcSlice, length -= kCrcSlice) {
        // The running CRC only meets the first two bytes; the other lookups do not wait on it
        // and, unrolled, run side by side (twice as fast as the plain loop).
        quint16 rest = 0;
#pragma GCC unroll 16
        for (int k = 2; k < kCrcSlice; ++k) {
            rest ^= t[kCrcSlice - 1 - k][data[k]];
        }
        crc = t[kCrcSlice - 1][(data[0] ^ crc) & 0xFF] ^ t[kCrcSlice - 2][data[1] ^ (crc >> 8)] ^
              rest;
    }
    for (; length > 0; ++data, --length) {
        crc = quint16((crc >> 8) ^ t[0][(crc ^ *data) & 0xFF]);
    }
    return crc;
}

#ifdef TESSARO_CLMUL
// With carry-less multiplication the CRC runs at memory speed: the message, as a polynomial over
// GF(2), is folded 64 bytes a step into four 128-bit remainders congruent to it modulo the CRC's
// polynomial P = x^16 + x^15 + x^2 + 1, and the table finishes the 16 bytes left. The folding
// works in the plain bit order, so each 16-byte block is turned around: bytes last to first, and
// the bits of each byte, which the CRC takes lowest first.

// x^k mod P, plain bit order.
constexpr quint64 PowerModP(int k) {
    quint32 remainder = 1;
    for (int i = 0; i < k; ++i) {
        remainder <<= 1;
        if (remainder & 0x10000) {
            remainder ^= 0x18005;
        }
    }
    return remainder;
}

// Multiplying a 128-bit remainder by x^bits modulo P: the constants for its two halves.
struct Fold {
    quint64 high, low;  // x^(bits + 64) mod P and x^bits mod P
};
constexpr Fold FoldBy(int bits) {
    return {PowerModP(bits + 64), PowerModP(bits)};
}
constexpr Fold kFold128 = FoldBy(128), kFold256 = FoldBy(256), kFold384 = FoldBy(384),
               kFold512 = FoldBy(512);

// Turns a block around, both ways: bytes last to first and the bits of each byte.
__attribute__((target("pclmul,ssse3"))) __m128i TurnAround(__m128i block) {
    const __m128i lastToFirst = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i reversed = _mm_set_epi8(15, 7, 11, 3, 13, 5, 9, 1, 14, 6, 10, 2, 12, 4, 8, 0);
    const __m128i reversedHigh =
        _mm_set_epi8(-16, 112, -80, 48, -48, 80, -112, 16, -32, 96, -96, 32, -64, 64, -128, 0);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    block = _mm_shuffle_epi8(block, lastToFirst);
    const __m128i low = _mm_shuffle_epi8(reversedHigh, _mm_and_si128(block, nibble));
    const __m128i high =
        _mm_shuffle_epi8(reversed, _mm_and_si128(_mm_srli_epi16(block, 4), nibble));
    return _mm_or_si128(low, high);
}

__attribute__((target("pclmul,ssse3"))) __m128i Load(const quint8* data) {
    return TurnAround(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data)));
}

// A remainder times x^bits, congruent modulo P, in 128 bits again.
__attribute__((target("pclmul,ssse3"))) __m128i Times(__m128i remainder, const Fold& fold) {
    const __m128i constants = _mm_set_epi64x(qint64(fold.low), qint64(fold.high));
    return _mm_xor_si128(_mm_clmulepi64_si128(remainder, constants, 0x01),
                         _mm_clmulepi64_si128(remainder, constants, 0x10));
}

// For length >= 64.
__attribute__((target("pclmul,ssse3"))) quint16 ClmulCrc16(const quint8* data, qsizetype length,
                                                           quint16 crc) {
    // A CRC carried over from earlier bytes is the same as those two bits flipped at the start.
    quint8 first[16];
    std::memcpy(first, data, 16);
    first[0] ^= quint8(crc);
    first[1] ^= quint8(crc >> 8);
    __m128i lanes[4] = {Load(first), Load(data + 16), Load(data + 32), Load(data + 48)};
    for (data += 64, length -= 64; length >= 64; data += 64, length -= 64) {
        for (int i = 0; i < 4; ++i) {
            lanes[i] = _mm_xor_si128(Times(lanes[i], kFold512), Load(data + 16 * i));
        }
    }
    __m128i remainder =
        _mm_xor_si128(_mm_xor_si128(Times(lanes[0], kFold384), Times(lanes[1], kFold256)),
                      _mm_xor_si128(Times(lanes[2], kFold128), lanes[3]));
    for (; length >= 16; data += 16, length -= 16) {
        remainder = _mm_xor_si128(Times(remainder, kFold128), Load(data));
    }
    // The remainder, as 16 bytes, has the CRC of all that was folded into it.
    quint8 folded[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), TurnAround(remainder));
    return TableCrc16(data, length, TableCrc16(folded, 16, 0));
}

const bool kHasClmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
#endif

}  // namespace

quint16 Crc16(const quint8* data, qsizetype length, quint16 crc) {
#ifdef TESSARO_CLMUL
    if (kHasClmul && length >= 64) {
        return ClmulCrc16(data, length, crc);
    }
#endif
    return TableCrc16(data, length, crc);
}

}  // namespace mp3
