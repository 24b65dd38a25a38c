#include "mp3/Crc16.h"

#include <array>
#include <cstring>

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
// polynomial P = x^16 + x^15 + x^2 + 1, and the table finishes the 16 bytes left. The CRC takes
// each byte lowest bit first, so a block as it lies in memory is the polynomial with its bits
// reversed, and so is the remainder; the constants are reversed to match, and no block needs
// turning around.

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

// A polynomial of degree below 64 with its 64 bits reversed.
constexpr quint64 Reversed64(quint64 value) {
    quint64 reversed = 0;
    for (int i = 0; i < 64; ++i) {
        reversed |= ((value >> i) & 1) << (63 - i);
    }
    return reversed;
}

// Multiplying a 128-bit remainder by x^bits modulo P: the constants for its two halves, the
// high half (in memory the low one) first. The carry-less product of two halves reversed over 64
// bits is their product reversed over 127, one bit short of 128: the constants are one power of x
// lower to make up for it.
struct Fold {
    quint64 high, low;  // x^(bits + 63) mod P and x^(bits - 1) mod P, reversed
};
constexpr Fold FoldBy(int bits) {
    return {Reversed64(PowerModP(bits + 63)), Reversed64(PowerModP(bits - 1))};
}
constexpr Fold kFold128 = FoldBy(128), kFold256 = FoldBy(256), kFold384 = FoldBy(384),
               kFold512 = FoldBy(512);

__attribute__((target("pclmul,sse2"))) __m128i Load(const quint8* data) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
}

// A remainder times x^bits, congruent modulo P, in 128 bits again.
__attribute__((target("pclmul,sse2"))) __m128i Times(__m128i remainder, const Fold& fold) {
    const __m128i constants = _mm_set_epi64x(qint64(fold.low), qint64(fold.high));
    return _mm_xor_si128(_mm_clmulepi64_si128(remainder, constants, 0x00),
                         _mm_clmulepi64_si128(remainder, constants, 0x11));
}

// For length >= 64.
__attribute__((target("pclmul,sse2"))) quint16 ClmulCrc16(const quint8* data, qsizetype length,
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), remainder);
    return TableCrc16(data, length, TableCrc16(folded, 16, 0));
}

const bool kHasClmul = __builtin_cpu_supports("pclmul");
#endif

// The CRC register as a vector over GF(2): a step over a zero byte is linear in it, a matrix
// whose column k is what the step makes of bit k alone.
using CrcMatrix = std::array<quint16, 16>;

quint16 Times(const CrcMatrix& matrix, quint16 vector) {
    quint16 product = 0;
    for (int k = 0; vector != 0; ++k, vector >>= 1) {
        if (vector & 1) {
            product ^= matrix[size_t(k)];
        }
    }
    return product;
}

CrcMatrix Squared(const CrcMatrix& matrix) {
    CrcMatrix square{};
    for (size_t k = 0; k < square.size(); ++k) {
        square[k] = Times(matrix, matrix[k]);
    }
    return square;
}

constexpr CrcMatrix ZeroByteStep() {
    CrcMatrix step{};
    for (size_t k = 0; k < step.size(); ++k) {
        const quint16 bit = quint16(1U << k);
        step[k] = quint16((bit >> 8) ^ kCrcTables[0][bit & 0xFF]);
    }
    return step;
}

}  // namespace

quint16 Crc16Combine(quint16 first, quint16 second, qint64 secondLength) {
    // With an initial value of 0 the CRC of A then B is that of A then as many zero bytes as B
    // has, plus B's own; the zero bytes are taken in powers of two.
    CrcMatrix step = ZeroByteStep();
    for (; secondLength > 0; secondLength >>= 1) {
        if (secondLength & 1) {
            first = Times(step, first);
        }
        step = Squared(step);
    }
    return first ^ second;
}

quint16 Crc16(const quint8* data, qsizetype length, quint16 crc) {
#ifdef TESSARO_CLMUL
    if (kHasClmul && length >= 64) {
        return ClmulCrc16(data, length, crc);
    }
#endif
    return TableCrc16(data, length, crc);
}

}  // namespace mp3
