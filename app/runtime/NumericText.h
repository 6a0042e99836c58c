// Numeric text as the forms read it: the IsNumeric test, the CDbl/CSng/CInt/CLng
// conversions and the Val leading-number read. Failures are values, never exceptions.
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace torvik::runtime {

// Accepted by the strict conversions: blanks around, a leading sign, decimal digits with ','
// thousands separators in the integer part, '.' decimal point, exponent E or D, or a
// hexadecimal "&H..." / octal "&O..." integer (up to 16 bits it is a 16-bit two's complement
// value, so "&HFFFF" is -1; up to 32 bits a 32-bit one). Text that does not fit a double is
// not numeric.
bool isNumeric(QStringView text);

std::optional<double> toDouble(QStringView text); // CDbl
std::optional<float> toSingle(QStringView text);  // CSng: out of single range fails

// CInt / CLng: fractions round half to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2); a result
// outside the type's range fails.
std::optional<std::int16_t> toInt16(QStringView text);
std::optional<std::int32_t> toInt32(QStringView text);

// Val: blanks, tabs and line feeds anywhere are skipped, then the longest leading number is
// read ("12abc" -> 12, "1,5" -> 1, "abc" -> 0). Fails only when the number overflows a double.
std::optional<double> val(QStringView text);

} // namespace torvik::runtime
