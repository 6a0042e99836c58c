#include "runtime/NumericText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace torvik::runtime {
namespace {

enum class Outcome { Value, NotNumeric, Overflow };

struct Parsed {
    Outcome outcome = Outcome::NotNumeric;
    double value = 0.0;
};

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t asciiLower(char16_t c) {
    return static_cast<char16_t>(c | 0x20);
}

bool isRadixDigit(char16_t c, int radix) {
    if (radix == 8)
        return c >= u'0' && c <= u'7';
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int radixDigitValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    return asciiLower(c) - u'a' + 10;
}

bool isStrictBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

// The integer after "&H" / "&O": a 16-bit pattern reads as a 16-bit two's complement number,
// a 32-bit one as a 32-bit number; anything wider overflows.
Parsed radixNumber(QStringView digits, int radix) {
    constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;
    std::uint64_t v = 0;
    bool overflow = false;
    for (QChar ch : digits) {
        const char16_t c = ch.unicode();
        v = v * static_cast<unsigned>(radix) + static_cast<unsigned>(radixDigitValue(c));
        if (v > kMax32) {
            overflow = true;
            v = kMax32 + 1; // keep it from wrapping while the rest of the digits are consumed
        }
    }
    if (overflow)
        return {Outcome::Overflow, 0.0};
    if (v <= 0xFFFFu)
        return {Outcome::Value, static_cast<double>(static_cast<std::int16_t>(v))};
    return {Outcome::Value, static_cast<double>(static_cast<std::int32_t>(v))};
}

// Digits of a decimal number gathered without separators, as from_chars wants them.
struct DecimalParts {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    long exponent = 0;
};

Parsed decimalNumber(const DecimalParts& p) {
    std::string text = p.intDigits.empty() ? std::string("0") : p.intDigits;
    if (!p.fracDigits.empty())
        text += '.' + p.fracDigits;
    if (p.exponent != 0)
        text += 'e' + std::to_string(p.exponent);
    double v = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // from_chars reports both ends of the range; only the large end is an overflow, a
        // number too small for a double is zero. Order of magnitude = significant integer
        // digits + exponent, counting the fraction's leading zeros as negative places.
        const auto firstInt = p.intDigits.find_first_not_of('0');
        long order = p.exponent;
        if (firstInt != std::string::npos) {
            order += static_cast<long>(p.intDigits.size() - firstInt);
        } else {
            const auto firstFrac = p.fracDigits.find_first_not_of('0');
            order -= static_cast<long>(firstFrac == std::string::npos ? 0 : firstFrac);
        }
        if (order > 0)
            return {Outcome::Overflow, 0.0};
        v = 0.0;
    } else if (ec != std::errc{} || ptr != text.data() + text.size()) {
        return {Outcome::NotNumeric, 0.0};
    }
    return {Outcome::Value, p.negative ? -v : v};
}

// Exponent digits saturate: past a few thousand the result is 0 or an overflow either way.
void addExponentDigit(long& exponent, char16_t c) {
    if (exponent < 100000)
        exponent = exponent * 10 + (c - u'0');
}

Parsed parseStrict(QStringView s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto at = [&](qsizetype k) -> char16_t { return k < n ? s[k].unicode() : u'\0'; };
    auto skipBlanks = [&] {
        while (i < n && isStrictBlank(at(i)))
            ++i;
    };
    skipBlanks();
    Parsed result;
    if (at(i) == u'&') {
        const char16_t kind = asciiLower(at(i + 1));
        const int radix = kind == u'h' ? 16 : kind == u'o' ? 8 : 0;
        if (radix == 0)
            return {};
        i += 2;
        const qsizetype start = i;
        while (i < n && isRadixDigit(at(i), radix))
            ++i;
        if (i == start)
            return {};
        result = radixNumber(s.sliced(start, i - start), radix);
    } else {
        DecimalParts p;
        if (at(i) == u'+' || at(i) == u'-')
            p.negative = at(i++) == u'-';
        while (isDigit(at(i)) || (at(i) == u',' && !p.intDigits.empty())) {
            if (at(i) != u',')
                p.intDigits += static_cast<char>(at(i));
            ++i;
        }
        if (at(i) == u'.') {
            ++i;
            while (isDigit(at(i)))
                p.fracDigits += static_cast<char>(at(i++));
        }
        if (p.intDigits.empty() && p.fracDigits.empty())
            return {};
        const char16_t e = asciiLower(at(i));
        if (e == u'e' || e == u'd') {
            ++i;
            bool negativeExponent = false;
            if (at(i) == u'+' || at(i) == u'-')
                negativeExponent = at(i++) == u'-';
            if (!isDigit(at(i)))
                return {};
            while (isDigit(at(i)))
                addExponentDigit(p.exponent, at(i++));
            if (negativeExponent)
                p.exponent = -p.exponent;
        }
        result = decimalNumber(p);
    }
    skipBlanks();
    if (i != n)
        return {};
    return result;
}

// Half-way cases go to the even neighbour, as the forms' integer conversions do.
template <typename Int>
std::optional<Int> roundToInteger(double v) {
    const double lower = std::floor(v);
    const double frac = v - lower;
    double r = lower;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(lower, 2.0) != 0.0))
        r = lower + 1.0;
    if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          r <= static_cast<double>(std::numeric_limits<Int>::max())))
        return std::nullopt;
    return static_cast<Int>(r);
}

} // namespace

bool isNumeric(QStringView text) {
    return parseStrict(text).outcome == Outcome::Value;
}

std::optional<double> toDouble(QStringView text) {
    const Parsed p = parseStrict(text);
    if (p.outcome != Outcome::Value)
        return std::nullopt;
    return p.value;
}

std::optional<float> toSingle(QStringView text) {
    const auto d = toDouble(text);
    if (!d)
        return std::nullopt;
    const auto f = static_cast<float>(*d);
    if (std::isinf(f))
        return std::nullopt;
    return f;
}

std::optional<std::int16_t> toInt16(QStringView text) {
    const auto d = toDouble(text);
    return d ? roundToInteger<std::int16_t>(*d) : std::nullopt;
}

std::optional<std::int32_t> toInt32(QStringView text) {
    const auto d = toDouble(text);
    return d ? roundToInteger<std::int32_t>(*d) : std::nullopt;
}

std::optional<double> val(QStringView text) {
    std::u16string s;
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c.unicode();
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> char16_t { return k < s.size() ? s[k] : u'\0'; };
    if (at(0) == u'&') {
        const char16_t kind = asciiLower(at(1));
        const int radix = kind == u'h' ? 16 : kind == u'o' ? 8 : 0;
        if (radix == 0)
            return 0.0;
        i = 2;
        while (isRadixDigit(at(i), radix))
            ++i;
        const Parsed p =
            radixNumber(QStringView(s).sliced(2, static_cast<qsizetype>(i - 2)), radix);
        if (p.outcome == Outcome::Overflow)
            return std::nullopt;
        return p.value;
    }
    DecimalParts p;
    if (at(i) == u'+' || at(i) == u'-')
        p.negative = at(i++) == u'-';
    while (isDigit(at(i)))
        p.intDigits += static_cast<char>(at(i++));
    if (at(i) == u'.') {
        ++i;
        while (isDigit(at(i)))
            p.fracDigits += static_cast<char>(at(i++));
    }
    if (p.intDigits.empty() && p.fracDigits.empty())
        return 0.0;
    const char16_t e = asciiLower(at(i));
    if (e == u'e' || e == u'd') {
        std::size_t k = i + 1;
        bool negativeExponent = false;
        if (at(k) == u'+' || at(k) == u'-')
            negativeExponent = at(k++) == u'-';
        // An exponent marker without digits is not part of the number.
        while (isDigit(at(k)))
            addExponentDigit(p.exponent, at(k++));
        if (negativeExponent)
            p.exponent = -p.exponent;
    }
    const Parsed r = decimalNumber(p);
    if (r.outcome == Outcome::Overflow)
        return std::nullopt;
    return r.value;
}

} // namespace torvik::runtime
