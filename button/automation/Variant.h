// The value type of late-bound calls: the platform's variant with its type numbers, which
// hosts rely on (a script passes 3 for a 32-bit integer, 11 for a Boolean whose True is -1),
// and the coercions a late-bound callee applies to what it is handed. Objects (a font, the
// data of a drag) travel as shared references to their dispatch interface.
#pragma once

#include "automation/Error.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace plinth::automation {

class Dispatch;

enum class VarType : std::uint16_t {
    Empty = 0,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    Bstr = 8,
    Dispatch = 9,
    Error = 10,
    Bool = 11,
};

// The platform's Boolean: True is all bits set.
inline constexpr std::int16_t kVariantTrue = -1;
inline constexpr std::int16_t kVariantFalse = 0;

class Variant {
public:
    Variant() = default;

    static Variant i2(std::int16_t v) { return Variant(Storage(std::in_place_index<1>, v)); }
    static Variant i4(std::int32_t v) { return Variant(Storage(std::in_place_index<2>, v)); }
    static Variant r4(float v) { return Variant(Storage(std::in_place_index<3>, v)); }
    static Variant r8(double v) { return Variant(Storage(std::in_place_index<4>, v)); }
    static Variant bstr(std::string v) {
        return Variant(Storage(std::in_place_index<5>, std::move(v)));
    }
    // An error value: what a host passes for an omitted optional argument.
    static Variant error(std::int32_t scode) {
        return Variant(Storage(std::in_place_index<6>, ErrorValue{scode}));
    }
    static Variant boolean(bool v) {
        return Variant(Storage(std::in_place_index<7>, BoolValue{v}));
    }
    static Variant object(std::shared_ptr<Dispatch> v) {
        return Variant(Storage(std::in_place_index<8>, std::move(v)));
    }

    VarType type() const {
        constexpr std::array kTypes{VarType::Empty, VarType::I2,   VarType::I4,
                                    VarType::R4,    VarType::R8,   VarType::Bstr,
                                    VarType::Error, VarType::Bool, VarType::Dispatch};
        return kTypes[m_value.index()];
    }

    // Accessors for a value of exactly that type (check type() first).
    std::int16_t asI2() const { return std::get<1>(m_value); }
    std::int32_t asI4() const { return std::get<2>(m_value); }
    float asR4() const { return std::get<3>(m_value); }
    double asR8() const { return std::get<4>(m_value); }
    const std::string& asBstr() const { return std::get<5>(m_value); }
    std::int32_t asError() const { return std::get<6>(m_value).scode; }
    bool asBool() const { return std::get<7>(m_value).value; }
    const std::shared_ptr<Dispatch>& asObject() const { return std::get<8>(m_value); }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    struct ErrorValue {
        std::int32_t scode;
        friend bool operator==(const ErrorValue&, const ErrorValue&) = default;
    };
    struct BoolValue {
        bool value;
        friend bool operator==(const BoolValue&, const BoolValue&) = default;
    };
    using Storage = std::variant<std::monostate, std::int16_t, std::int32_t, float, double,
                                 std::string, ErrorValue, BoolValue, std::shared_ptr<Dispatch>>;

    explicit Variant(Storage value) : m_value(std::move(value)) {}

    Storage m_value;
};

namespace detail {

inline std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kBlank = " \t\r\n";
    const auto first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A numeric text as a late-bound callee reads it: blanks around it, an optional sign,
// decimals and an exponent; anything else is a type mismatch.
inline Status parseNumber(std::string_view text, double& out) {
    std::string_view t = trimmed(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || t.front() == '+' || t.front() == '-') {
        return platformError(kErrTypeMismatch);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec == std::errc::result_out_of_range) {
        return platformError(kErrOverflow);
    }
    if (ec != std::errc() || end != t.data() + t.size()) {
        return platformError(kErrTypeMismatch);
    }
    out = negative ? -value : value;
    return {};
}

// Every numeric source as a double: exact for all integer and float inputs.
inline Status numericValue(const Variant& v, double& out) {
    switch (v.type()) {
    case VarType::Empty:
        out = 0;
        return {};
    case VarType::I2:
        out = v.asI2();
        return {};
    case VarType::I4:
        out = v.asI4();
        return {};
    case VarType::R4:
        out = static_cast<double>(v.asR4());
        return {};
    case VarType::R8:
        out = v.asR8();
        return {};
    case VarType::Bool:
        out = v.asBool() ? kVariantTrue : kVariantFalse;
        return {};
    case VarType::Bstr:
        return parseNumber(v.asBstr(), out);
    case VarType::Error:
    case VarType::Dispatch:
        break;
    }
    return platformError(kErrTypeMismatch);
}

// Floats go to integers rounded half to even, as the platform's conversions do (2.5 -> 2,
// 3.5 -> 4); a value outside the target's range, or NaN, overflows.
template <class Int>
Status toInteger(const Variant& v, Int& out) {
    double value = 0;
    if (Status s = numericValue(v, value); !s) {
        return s;
    }
    const double rounded = std::nearbyint(value);
    if (std::isnan(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return platformError(kErrOverflow);
    }
    out = static_cast<Int>(rounded);
    return {};
}

inline std::string formatFloat(double value, int significantDigits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*G", significantDigits, value);
    return text;
}

} // namespace detail

inline Status toI2(const Variant& v, std::int16_t& out) {
    return detail::toInteger(v, out);
}

inline Status toI4(const Variant& v, std::int32_t& out) {
    return detail::toInteger(v, out);
}

inline Status toR8(const Variant& v, double& out) {
    return detail::numericValue(v, out);
}

inline Status toR4(const Variant& v, float& out) {
    double value = 0;
    if (Status s = detail::numericValue(v, value); !s) {
        return s;
    }
    if (std::isfinite(value) &&
        std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        return platformError(kErrOverflow);
    }
    out = static_cast<float>(value);
    return {};
}

// Texts "True"/"False" in any case, or any number (non-zero is True).
inline Status toBool(const Variant& v, bool& out) {
    if (v.type() == VarType::Bool) {
        out = v.asBool();
        return {};
    }
    if (v.type() == VarType::Bstr) {
        const std::string_view t = detail::trimmed(v.asBstr());
        if (detail::equalsIgnoringCase(t, "true")) {
            out = true;
            return {};
        }
        if (detail::equalsIgnoringCase(t, "false")) {
            out = false;
            return {};
        }
    }
    double value = 0;
    if (Status s = detail::numericValue(v, value); !s) {
        return s;
    }
    out = value != 0;
    return {};
}

// Numbers as the platform prints them: integers in decimal, floats with up to 7 (single)
// or 15 (double) significant digits, Booleans as "True"/"False".
inline Status toString(const Variant& v, std::string& out) {
    switch (v.type()) {
    case VarType::Empty:
        out.clear();
        return {};
    case VarType::I2:
        out = std::to_string(v.asI2());
        return {};
    case VarType::I4:
        out = std::to_string(v.asI4());
        return {};
    case VarType::R4:
        out = detail::formatFloat(static_cast<double>(v.asR4()), 7);
        return {};
    case VarType::R8:
        out = detail::formatFloat(v.asR8(), 15);
        return {};
    case VarType::Bstr:
        out = v.asBstr();
        return {};
    case VarType::Bool:
        out = v.asBool() ? "True" : "False";
        return {};
    case VarType::Error:
    case VarType::Dispatch:
        break;
    }
    return platformError(kErrTypeMismatch);
}

// The generic form: `in` converted to type `to`, or the error the conversion raises.
inline Status changeType(const Variant& in, VarType to, Variant& out) {
    Status s;
    switch (to) {
    case VarType::Empty:
        out = Variant();
        return {};
    case VarType::I2: {
        std::int16_t v = 0;
        if ((s = toI2(in, v))) {
            out = Variant::i2(v);
        }
        return s;
    }
    case VarType::I4: {
        std::int32_t v = 0;
        if ((s = toI4(in, v))) {
            out = Variant::i4(v);
        }
        return s;
    }
    case VarType::R4: {
        float v = 0;
        if ((s = toR4(in, v))) {
            out = Variant::r4(v);
        }
        return s;
    }
    case VarType::R8: {
        double v = 0;
        if ((s = toR8(in, v))) {
            out = Variant::r8(v);
        }
        return s;
    }
    case VarType::Bstr: {
        std::string v;
        if ((s = toString(in, v))) {
            out = Variant::bstr(std::move(v));
        }
        return s;
    }
    case VarType::Bool: {
        bool v = false;
        if ((s = toBool(in, v))) {
            out = Variant::boolean(v);
        }
        return s;
    }
    case VarType::Error:
    case VarType::Dispatch:
        if (in.type() == to) {
            out = in;
            return {};
        }
        break;
    }
    return platformError(kErrTypeMismatch);
}

} // namespace plinth::automation
