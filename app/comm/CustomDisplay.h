// The texts a custom-read row shows for the reply to its register range: bits, hexadecimal,
// real, integer or characters.
#pragma once

#include "comm/DlcDecoding.h"

#include <QString>

namespace torvik::comm {

enum class CustomFormat { Bits, Hexadecimal, Real, Integer, Ascii };

// The largest value the integer display shows: 2^96 - 1, the range of the decimal type whose
// text the display has always been.
inline constexpr const char* kLargestCustomInteger = "79228162514264337593543950335";

// The text of a reply of `length` elements (the row's length text: coils or inputs for Bits,
// registers otherwise):
// - Bits: "01 " for an element that is on, "00 " for one that is off.
// - Hexadecimal: four upper-case digits a register, high byte first, no separators.
// - Real: length "2", the float of two registers, high word first, in the value format;
//   length "4", the eight bytes in data-area order (byte 2k the low byte of register k) as a
//   Microsoft Binary Format double, eight decimals.
// - Integer: all registers as one unsigned big-endian number, decimal, exact; empty above
//   kLargestCustomInteger.
// - Ascii: two characters a register, high byte first, unprintable bytes as the fill
//   character.
// Empty when the display has no rule for the length (a real of another length, a length that
// is not a number or more than the control's data-area views reach: 127 registers, 2032 bits).
QString customText(const ReplyData& reply, CustomFormat format, const QString& length,
                   const DecodeSettings& settings);

} // namespace torvik::comm
