// Number-to-text conversions of the operator program: the value formats shown on the
// screens and written to the data files, the plain text of a number and hexadecimal text.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

namespace torvik::runtime {

// Significant decimal digits a value carries before it is turned into text: a single
// precision number is good for 7, a double for 15. Every conversion first rounds the binary
// value to that many digits, so the format and the plain text of one value always agree.
enum class Precision { Single = 7, Double = 15 };

// Formats with a digit pattern made of '0' (digit always shown), '#' (digit shown when
// significant), ',' in the integer part (group thousands) and '.' (decimal point):
// "##0.00", "##0", "#,##0", "0000", "00", "0.0". Half-way cases round away from zero, on
// the decimal digits of the value (2.675 gives 2.68, 0.125 gives 0.13, -0.5 gives -1 with
// "0"). A negative value keeps its sign even when it rounds to zero ("-0.00").
// A pattern with any other character gives the plain text of the value.
QString formatNumber(double value, QStringView pattern, Precision precision = Precision::Double);

// The default text of a number: the shortest decimal that carries its 7 or 15 significant
// digits, "1" for 1.0, "0.1", "-5"; exponent form ("1E+20", "1.5E-05") below 1E-4 and from
// 1E+7 (single) or 1E+15 (double) on.
QString plainText(double value, Precision precision = Precision::Double);

// Width of the two's complement shown for a negative value in hexText.
enum class HexWidth { Bits16 = 16, Bits32 = 32 };

// Upper-case hexadecimal digits without leading zeros: 255 gives "FF", 0 gives "0"; a
// negative value shows its two's complement in the given width (-1 gives "FFFFFFFF").
QString hexText(std::int64_t value, HexWidth width = HexWidth::Bits32);

} // namespace torvik::runtime
