// Conversions of load-cell data: the serial number as the eight hexadecimal digits written to
// the device, and the eight-byte Microsoft Binary Format real read from it.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>

namespace torvik::mdlFileMgr {

// Eight upper-case hexadecimal digits, most significant first (1234567 gives "0012D687").
// A fraction is dropped, a negative value gives "00000000", and from 16^8 on the first
// position carries the whole excess ("100000000" for 16^8). "0" when the value is not a
// finite number, or too large for its leading count to be written (16^15 and above).
QString SerialNo2Hex(double value);
// The same for a number written as decimal text (surrounding blanks allowed); "0" for
// anything else.
QString SerialNo2Hex(QStringView text);

// Converts src[0..7] (mantissa bytes 0..6 below an implied one, sign in bit 7 of byte 6,
// exponent with bias 129 in byte 7) into the IEEE 754 double little-endian in dest[0..7].
// The three mantissa bits that do not fit round half up. Leaves dest untouched when either
// array is shorter than eight bytes.
void msbin2ieee_d(std::span<const std::uint8_t> src, std::span<std::uint8_t> dest);

// src[0..7] as a double through msbin2ieee_d; 0 when src is shorter than eight bytes.
double CVD(std::span<const std::uint8_t> src);

} // namespace torvik::mdlFileMgr
