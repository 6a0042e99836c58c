// Coercions a late-bound callee applies to the arguments it is handed. Expected values are
// those of the platform's own conversion routine: banker's rounding from floats, range
// errors as overflow, unparsable text as type mismatch, Booleans as -1/0.
#include "automation/Variant.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace automation {

void PrintTo(const Variant& v, std::ostream* os) {
    *os << "vt " << static_cast<int>(v.type());
    std::string text;
    if (toString(v, text)) {
        *os << " \"" << text << '"';
    }
}

namespace {

struct Case {
    const char* what;
    Variant in;
    VarType to;
    std::optional<Variant> out; // nothing: the conversion fails with `error`
    std::int32_t error = 0;
};

const Case kCases[] = {
    {"I4 within 16 bits", Variant::i4(-32768), VarType::I2, Variant::i2(-32768)},
    {"I4 beyond 16 bits", Variant::i4(32768), VarType::I2, std::nullopt, kErrOverflow},
    {"half rounds to even, down", Variant::r8(2.5), VarType::I2, Variant::i2(2)},
    {"half rounds to even, up", Variant::r8(3.5), VarType::I2, Variant::i2(4)},
    {"negative half", Variant::r8(-2.5), VarType::I4, Variant::i4(-2)},
    {"rounding past the range", Variant::r8(32767.5), VarType::I2, std::nullopt, kErrOverflow},
    {"NaN", Variant::r8(std::numeric_limits<double>::quiet_NaN()), VarType::I4, std::nullopt,
     kErrOverflow},
    {"True is -1", Variant::boolean(true), VarType::I2, Variant::i2(-1)},
    {"numeric text", Variant::bstr(" -12 "), VarType::I2, Variant::i2(-12)},
    {"text with a fraction", Variant::bstr("1.5e1"), VarType::I4, Variant::i4(15)},
    {"text with a plus sign", Variant::bstr("+7"), VarType::I4, Variant::i4(7)},
    {"empty text", Variant::bstr(""), VarType::I2, std::nullopt, kErrTypeMismatch},
    {"words", Variant::bstr("12abc"), VarType::I4, std::nullopt, kErrTypeMismatch},
    {"two signs", Variant::bstr("--1"), VarType::I4, std::nullopt, kErrTypeMismatch},
    {"Empty is zero", Variant(), VarType::I4, Variant::i4(0)},
    {"error value", Variant::error(-2147352572), VarType::I2, std::nullopt, kErrTypeMismatch},
    {"double beyond float", Variant::r8(1e39), VarType::R4, std::nullopt, kErrOverflow},
    {"double to float", Variant::r8(0.25), VarType::R4, Variant::r4(0.25f)},
    {"non-zero is True", Variant::i4(2), VarType::Bool, Variant::boolean(true)},
    {"text True in any case", Variant::bstr("tRUE"), VarType::Bool, Variant::boolean(true)},
    {"text False", Variant::bstr("False"), VarType::Bool, Variant::boolean(false)},
    {"numeric text to Boolean", Variant::bstr("0"), VarType::Bool, Variant::boolean(false)},
    {"other text to Boolean", Variant::bstr("yes"), VarType::Bool, std::nullopt, kErrTypeMismatch},
    {"integer to text", Variant::i2(-5), VarType::Bstr, Variant::bstr("-5")},
    {"float to text, 7 digits", Variant::r4(0.1f), VarType::Bstr, Variant::bstr("0.1")},
    {"double to text", Variant::r8(1e20), VarType::Bstr, Variant::bstr("1E+20")},
    {"Boolean to text", Variant::boolean(true), VarType::Bstr, Variant::bstr("True")},
};

TEST(VariantTest, ChangeTypeConvertsOrFailsAsThePlatformDoes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Variant out;
        const Status s = changeType(c.in, c.to, out);
        if (c.out) {
            ASSERT_TRUE(s) << s.error().message;
            EXPECT_EQ(out, *c.out);
        } else {
            ASSERT_FALSE(s);
            EXPECT_EQ(s.error().number, c.error);
        }
    }
}

TEST(VariantTest, TypeNumbersAreThePlatformsOwn) {
    EXPECT_EQ(static_cast<int>(Variant::i2(0).type()), 2);
    EXPECT_EQ(static_cast<int>(Variant::i4(0).type()), 3);
    EXPECT_EQ(static_cast<int>(Variant::r4(0).type()), 4);
    EXPECT_EQ(static_cast<int>(Variant::r8(0).type()), 5);
    EXPECT_EQ(static_cast<int>(Variant::bstr("").type()), 8);
    EXPECT_EQ(static_cast<int>(Variant::error(0).type()), 10);
    EXPECT_EQ(static_cast<int>(Variant::boolean(true).type()), 11);
    EXPECT_EQ(static_cast<int>(Variant().type()), 0);
}

} // namespace
} // namespace automation
