#include "runtime/Format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace torvik::runtime {
namespace {

// A finite value as significant decimal digits: value = 0.digits × 10^pointPos, with no
// leading or trailing zeros in digits (zero has no digits).
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPos = 0;
};

void stripTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.pointPos = 0;
}

// Rounds the binary value to the precision's significant digits (nearest, as the C library
// does). Everything after this step works on decimal digits only.
Decimal toDecimal(double value, Precision precision) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0.0;
    if (value == 0.0)
        return d;
    const int significant = static_cast<int>(precision);
    // "d.ddd...e-308": one digit, point, 14 digits, exponent of up to four characters.
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                   std::chars_format::scientific, significant - 1);
    const std::string text(buf.data(), res.ptr);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    }
    d.pointPos = std::stoi(text.substr(e + 1)) + 1;
    stripTrailingZeros(d);
    return d;
}

// Rounds to `decimals` places after the point, a half going away from zero.
void roundHalfAway(Decimal& d, int decimals) {
    const long keep = static_cast<long>(d.pointPos) + decimals;
    if (keep >= static_cast<long>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.pointPos = 0;
        return;
    }
    const auto kept = static_cast<std::size_t>(keep);
    const bool up = d.digits[kept] >= '5';
    d.digits.resize(kept);
    if (up) {
        auto i = kept;
        while (i > 0 && d.digits[i - 1] == '9')
            d.digits[--i] = '0';
        if (i > 0) {
            ++d.digits[i - 1];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    stripTrailingZeros(d);
}

char digitAt(const Decimal& d, long index) {
    if (index < 0 || index >= static_cast<long>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

std::string integerDigits(const Decimal& d) {
    std::string out;
    for (long i = 0; i < d.pointPos; ++i)
        out.push_back(digitAt(d, i));
    return out;
}

std::string fractionDigits(const Decimal& d, long count) {
    std::string out;
    for (long j = 0; j < count; ++j)
        out.push_back(digitAt(d, d.pointPos + j));
    return out;
}

QString nonFiniteText(double value) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

struct Pattern {
    int minIntegerDigits = 0;
    bool grouping = false;
    bool point = false;
    int mandatoryDecimals = 0;
    int optionalDecimals = 0;
};

bool parsePattern(QStringView text, Pattern& p) {
    bool lastWasComma = false;
    for (const QChar c : text) {
        if (c == u'.') {
            if (p.point || lastWasComma)
                return false;
            p.point = true;
        } else if (c == u',') {
            // A comma only groups between integer placeholders; anywhere else it would
            // scale the value, which no caller needs.
            if (p.point)
                return false;
            p.grouping = true;
        } else if (c == u'0') {
            ++(p.point ? p.mandatoryDecimals : p.minIntegerDigits);
        } else if (c == u'#') {
            if (p.point)
                ++p.optionalDecimals;
        } else {
            return false;
        }
        lastWasComma = c == u',';
    }
    return !lastWasComma;
}

std::string grouped(const std::string& digits) {
    std::string out;
    const auto n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

} // namespace

QString formatNumber(double value, QStringView pattern, Precision precision) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    Pattern p;
    if (!parsePattern(pattern, p))
        return plainText(value, precision);

    Decimal d = toDecimal(value, precision);
    const int decimals = p.mandatoryDecimals + p.optionalDecimals;
    roundHalfAway(d, decimals);

    std::string integer = integerDigits(d);
    if (static_cast<int>(integer.size()) < p.minIntegerDigits)
        integer.insert(0, static_cast<std::size_t>(p.minIntegerDigits) - integer.size(), '0');
    if (p.grouping)
        integer = grouped(integer);

    std::string out = d.negative ? "-" : "";
    out += integer;
    if (p.point) {
        std::string fraction = fractionDigits(d, decimals);
        while (static_cast<int>(fraction.size()) > p.mandatoryDecimals && fraction.back() == '0')
            fraction.pop_back();
        out += '.';
        out += fraction;
    }
    return QString::fromLatin1(out);
}

QString plainText(double value, Precision precision) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const Decimal d = toDecimal(value, precision);
    if (d.digits.empty())
        return QStringLiteral("0");

    std::string out = d.negative ? "-" : "";
    const int exponent = d.pointPos - 1;
    if (exponent >= -4 && exponent < static_cast<int>(precision)) {
        const std::string integer = integerDigits(d);
        out += integer.empty() ? "0" : integer;
        const long fractionCount = static_cast<long>(d.digits.size()) - d.pointPos;
        if (fractionCount > 0)
            out += "." + fractionDigits(d, fractionCount);
    } else {
        out += d.digits.front();
        if (d.digits.size() > 1)
            out += "." + d.digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    }
    return QString::fromLatin1(out);
}

QString hexText(std::int64_t value, HexWidth width) {
    auto bits = static_cast<std::uint64_t>(value);
    if (value < 0)
        bits &= (std::uint64_t{1} << static_cast<int>(width)) - 1;
    return QString::number(bits, 16).toUpper();
}

} // namespace torvik::runtime
