#include "config/Conversions.h"

#include "runtime/Format.h"

#include <QLocale>
#include <array>
#include <bit>
#include <cmath>

namespace torvik::mdlFileMgr {

QString SerialNo2Hex(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Counting by division gives what repeated subtraction of 16^i gives, without looping
    // for huge values. Only position 7 can count past 15, and it is written whole; below 16^15
    // its count stays under 16^8 = 2^32.
    constexpr double limit = 1152921504606846976.0; // 16^15
    if (value >= limit)
        return QStringLiteral("0");
    QString out;
    double rest = value;
    for (int i = 7; i >= 0; --i) {
        const double place = std::ldexp(1.0, 4 * i);
        double count = 0;
        if (rest >= place) {
            count = std::floor(rest / place);
            rest -= count * place;
        }
        out += runtime::hexText(static_cast<std::int64_t>(count));
    }
    return out;
}

QString SerialNo2Hex(QStringView text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return QStringLiteral("0");
    return SerialNo2Hex(value);
}

void msbin2ieee_d(std::span<const std::uint8_t> src, std::span<std::uint8_t> dest) {
    constexpr std::size_t size = 8;
    if (src.size() < size || dest.size() < size)
        return;
    std::array<std::uint8_t, size> out{};
    bool allZero = true;
    for (std::size_t i = 0; i < size; ++i)
        allZero = allZero && src[i] == 0;
    if (!allZero) {
        const unsigned sign = src[6] & 0x80u;
        // The value is 1.m × 2^(e - 129); IEEE stores e - 129 + 1023.
        unsigned exponent = src[7] + 894u;

        // 55 mantissa bits (byte 6 low seven bits on top) shifted right by 3 into 52 bits.
        unsigned carry = src[6] & 0x07u;
        out[6] = static_cast<std::uint8_t>((src[6] & 0x7Fu) >> 3);
        for (std::size_t i = 6; i-- > 0;) {
            out[i] = static_cast<std::uint8_t>((carry << 5) | (src[i] >> 3u));
            carry = src[i] & 0x07u;
        }
        // Half up on the three bits shifted out (binary 100 and above), not half to even.
        if (carry >= 4) {
            for (std::size_t i = 0; i < 7; ++i) {
                if (out[i] != 0xFF) {
                    ++out[i];
                    break;
                }
                out[i] = 0;
            }
            if (out[6] > 0x0F) { // the mantissa overflowed into the implied one
                out[6] = 0;
                ++exponent;
            }
        }
        out[6] = static_cast<std::uint8_t>(out[6] + ((exponent & 0x0Fu) << 4));
        out[7] = static_cast<std::uint8_t>((exponent >> 4) + sign);
    }
    for (std::size_t i = 0; i < size; ++i)
        dest[i] = out[i];
}

double CVD(std::span<const std::uint8_t> src) {
    std::array<std::uint8_t, 8> bytes{};
    msbin2ieee_d(src, bytes);
    // The bytes are little-endian, as the machines this runs on.
    static_assert(std::endian::native == std::endian::little);
    return std::bit_cast<double>(bytes);
}

} // namespace torvik::mdlFileMgr
