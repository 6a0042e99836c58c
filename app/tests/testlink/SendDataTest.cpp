// The data text of the test tab and the decimal count behind the corrected value.
#include "comm/SendData.h"

#include <gtest/gtest.h>

namespace torvik::comm {
namespace {

TEST(MakeSendData, DigitsDecimalsAndSign) {
    // i, f and p are the list positions of the integer-digit, decimal-digit and sign lists:
    // i + 2 integer digits, f + 1 decimals; p 0 signs both ways, 1 only "-", 2 counts "-" as
    // one of the integer digits. The first three rows are the worked examples of the format;
    // the others follow from its steps by hand.
    const struct {
        const char* value;
        int i, f, p;
        const char* text;
    } cases[] = {
        {"123.456", 0, 0, 0, "+23.5"}, // two integer digits kept, one decimal, rounded
        {"-7.25", 0, 1, 2, "-7.25"},   // the sign takes one of the two digits
        {"12", 0, 1, 1, "12.00"},      // a whole number still gets its decimals
        {"-17.25", 0, 1, 2, "-7.25"},
        {"-17.25", 0, 1, 0, "-17.25"},
        {"-17.25", 0, 1, 1, "-17.25"},
        {"17.25", 0, 1, 2, "17.25"}, // only a negative value gives up a digit
        {"123.456", 1, 2, 1, "123.456"},
        {"1234567890.5", 7, 0, 1, "234567890.5"},
        {"3", 0, 0, 0, "+3.0"}, // the integer part is never padded
        {"0.5", 0, 0, 0, "+0.5"},
        {"0.25", 0, 0, 1, "0.3"}, // half up
        {"-0.001", 0, 0, 0, "-0.0"},
        {"not a number", 0, 0, 0, "+0.0"},
        // A fraction that rounds to a whole carries into the integer part, which then keeps
        // its last digits like any other.
        {"23.96", 0, 0, 0, "+24.0"},
        {"99.96", 0, 0, 1, "0.0"},
        // A fraction below 0.0001 is written as digits, never in exponent form.
        {"12.00005", 0, 5, 1, "12.000050"},
        {"0.00001", 0, 5, 1, "0.000010"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " i " << c.i << " f " << c.f << " p " << c.p);
        EXPECT_EQ(MakeSendData(QString::fromLatin1(c.value), c.i, c.f, c.p),
                  QString::fromLatin1(c.text));
    }
}

TEST(GetFloatCnt, CharactersAfterTheFirstPoint) {
    const struct {
        const char* text;
        int count;
    } cases[] = {{"12.345", 3}, {"12", 0}, {"", 0}, {".5", 1}, {"1.2.3", 3}, {"7.", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(GetFloatCnt(QString::fromLatin1(c.text)), c.count) << c.text;
}

TEST(CorrectedValue, KeepsTheDecimalsTheValueHad) {
    const struct {
        const char* value;
        const char* coefficient;
        const char* shown;
    } cases[] = {
        {"12.30", "1.0", "12.30"},  // 12.3 would lose the value's second decimal
        {"10.00", "2", "20.00"},    // so would 20
        {"12.34", "1.1", "13.574"}, // the product's own decimals are kept
        {"12.5", "0.5", "6.25"},    {"-3.50", "1.0", "-3.50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CorrectedValue(QString::fromLatin1(c.value), QString::fromLatin1(c.coefficient),
                                 u"##0.00"),
                  QString::fromLatin1(c.shown))
            << c.value << " x " << c.coefficient;
}

} // namespace
} // namespace torvik::comm
