#include "ctrl/DataArea.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tavrin {

void PrintTo(const AutomationError& error, std::ostream* os) {
    *os << error.number << " \"" << error.message << '"';
}

namespace {

using Index = DataArea::Index;

template <class T>
std::optional<AutomationError> errorOf(const Outcome<T>& outcome) {
    if (outcome) {
        return std::nullopt;
    }
    return outcome.error();
}

class DataAreaTest : public ::testing::Test {
protected:
    std::uint16_t word(std::size_t i) const { return wordAt(m_area.bytes(), i); }
    void setWord(std::size_t i, std::uint16_t value) { setWordAt(m_area.bytes(), i, value); }

    DataArea m_area;
};

// Worked examples of how the views overlap in the one area: a word seen as bytes and
// bits, a 32-bit value seen as its two words and in swapped order, a float's bit pattern.
TEST_F(DataAreaTest, WordIsSeenAsLowByteFirstAndAsSixteenBits) {
    ASSERT_TRUE(m_area.setDataWord(0, 0x1234));
    EXPECT_EQ(m_area.dataByte(0).value(), 0x34);
    EXPECT_EQ(m_area.dataByte(1).value(), 0x12);
    for (Index bit = 0; bit < 16; ++bit) {
        EXPECT_EQ(m_area.dataBit(bit).value(), ((0x1234 >> bit) & 1) != 0) << "bit " << bit;
    }
    EXPECT_EQ(m_area.dataBit(16).value(), false);
}

TEST_F(DataAreaTest, BitWriteTouchesOnlyItsBit) {
    setWord(1, 0xFFFF);
    ASSERT_TRUE(m_area.setDataBit(16 + 5, false));
    EXPECT_EQ(word(1), 0xFFDF);
    ASSERT_TRUE(m_area.setDataBit(16 + 5, true));
    EXPECT_EQ(word(1), 0xFFFF);
    ASSERT_TRUE(m_area.setDataBit(2031, true));
    EXPECT_EQ(word(126), 0x8000);
    EXPECT_EQ(word(0), 0);
}

TEST_F(DataAreaTest, ByteKeepsTheLowEightBitsAndReadsBackUnsigned) {
    ASSERT_TRUE(m_area.setDataByte(3, 0x1AB));
    EXPECT_EQ(m_area.bytes()[3], 0xAB);
    EXPECT_EQ(m_area.dataByte(3).value(), 0xAB);
    ASSERT_TRUE(m_area.setDataByte(4, -1));
    EXPECT_EQ(m_area.dataByte(4).value(), 255);
    EXPECT_EQ(m_area.bytes()[2], 0);
    EXPECT_EQ(m_area.bytes()[5], 0);
}

TEST_F(DataAreaTest, WordIsSigned) {
    ASSERT_TRUE(m_area.setDataWord(126, -2));
    EXPECT_EQ(word(126), 0xFFFE);
    EXPECT_EQ(m_area.dataWord(126).value(), -2);
}

TEST_F(DataAreaTest, LongTakesTheLowHalfFromTheFirstWord) {
    ASSERT_TRUE(m_area.setDataLong(0, 65538));
    EXPECT_EQ(m_area.dataWord(0).value(), 2);
    EXPECT_EQ(m_area.dataWord(1).value(), 1);
    EXPECT_EQ(m_area.dataLongSwap(0).value(), 131073);

    ASSERT_TRUE(m_area.setDataLongSwap(62, std::numeric_limits<std::int32_t>::min()));
    EXPECT_EQ(word(124), 0x8000);
    EXPECT_EQ(word(125), 0x0000);
    EXPECT_EQ(m_area.dataLongSwap(62).value(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(m_area.dataLong(62).value(), 0x8000);
}

TEST_F(DataAreaTest, FloatViewsStoreTheBitPattern) {
    ASSERT_TRUE(m_area.setDataFloatSwap(0, 1.0f));
    EXPECT_EQ(word(0), 0x3F80);
    EXPECT_EQ(word(1), 0x0000);
    EXPECT_EQ(m_area.dataFloatSwap(0).value(), 1.0f);

    ASSERT_TRUE(m_area.setDataFloat(1, -2.5f)); // 0xC0200000
    EXPECT_EQ(word(2), 0x0000);
    EXPECT_EQ(word(3), 0xC020);
    EXPECT_EQ(m_area.dataLong(1).value(), std::bit_cast<std::int32_t>(-2.5f));
}

// A device may report a signalling NaN with a payload or a negative zero; a conversion
// through double would quiet the NaN and a numeric copy could lose the sign, so reading
// and writing back must give the same words.
TEST_F(DataAreaTest, FloatPatternsSurviveAReadAndWriteBack) {
    const std::vector<std::uint32_t> patterns = {0x7F800001, 0xFFC00123, 0x80000000, 0x00000001};
    for (std::uint32_t pattern : patterns) {
        ASSERT_TRUE(m_area.setDataLong(0, static_cast<std::int32_t>(pattern)));
        ASSERT_TRUE(m_area.setDataFloat(1, m_area.dataFloat(0).value()));
        EXPECT_EQ(static_cast<std::uint32_t>(m_area.dataLong(1).value()), pattern) << pattern;

        ASSERT_TRUE(m_area.setDataLongSwap(2, static_cast<std::int32_t>(pattern)));
        ASSERT_TRUE(m_area.setDataFloatSwap(3, m_area.dataFloatSwap(2).value()));
        EXPECT_EQ(static_cast<std::uint32_t>(m_area.dataLongSwap(3).value()), pattern) << pattern;
    }
}

// Expected nibbles worked out by hand from the rule: the value's printf "%04d" / "%08ld"
// text, first 4 / 8 characters, low 4 bits of each ('-' is 0x2D, so 0xD); reading adds
// the nibbles up as decimal digits, 0xD counting 13.
struct BcdCase {
    std::int32_t value;
    std::uint32_t stored;
    std::int32_t readBack;
};

TEST_F(DataAreaTest, WordBcdFollowsTheTextRule) {
    // clang-format off
    const std::vector<BcdCase> cases = {
        {1234, 0x1234, 1234},
        {0, 0x0000, 0},
        {5, 0x0005, 5},
        {9999, 0x9999, 9999},
        {12345, 0x1234, 1234},   // "12345": leading digits kept
        {32767, 0x3276, 3276},
        {-1, 0xD001, 13001},     // "-001"
        {-999, 0xD999, 13999},
        {-32768, 0xD327, 13327}, // "-32768" cut to "-327"
    };
    // clang-format on
    for (const BcdCase& c : cases) {
        ASSERT_TRUE(m_area.setDataWordBCD(7, static_cast<std::int16_t>(c.value)));
        EXPECT_EQ(word(7), c.stored) << c.value;
        EXPECT_EQ(m_area.dataWordBCD(7).value(), c.readBack) << c.value;
    }
}

TEST_F(DataAreaTest, WordBcdRoundTripsEveryFourDigitValue) {
    for (std::int16_t value = 0; value <= 9999; ++value) {
        ASSERT_TRUE(m_area.setDataWordBCD(0, value));
        ASSERT_EQ(m_area.dataWordBCD(0).value(), value);
    }
}

TEST_F(DataAreaTest, LongBcdFollowsTheTextRule) {
    const std::vector<BcdCase> cases = {
        {12345678, 0x12345678, 12345678},
        {99999999, 0x99999999, 99999999},
        {7, 0x00000007, 7},
        {123456789, 0x12345678, 12345678},        // leading eight digits kept
        {-1, 0xD0000001, 130000001},              // "-0000001"
        {-2147483647 - 1, 0xD2147483, 132147483}, // "-2147483648" cut to "-2147483"
        {2147483647, 0x21474836, 21474836},
    };
    for (const BcdCase& c : cases) {
        ASSERT_TRUE(m_area.setDataLongBCD(62, c.value));
        EXPECT_EQ(word(124), c.stored & 0xFFFF) << c.value;
        EXPECT_EQ(word(125), c.stored >> 16) << c.value;
        EXPECT_EQ(m_area.dataLongBCD(62).value(), c.readBack) << c.value;
    }
}

TEST_F(DataAreaTest, BcdReadsNibblesAboveNineAsTheyAre) {
    setWord(0, 0xFFFF); // 15 * 1111
    EXPECT_EQ(m_area.dataWordBCD(0).value(), 16665);
    setWord(1, 0x00AB); // 10 * 10 + 11
    EXPECT_EQ(m_area.dataWordBCD(1).value(), 111);
    setWord(2, 0xFFFF);
    setWord(3, 0xFFFF); // 15 * 11111111
    EXPECT_EQ(m_area.dataLongBCD(1).value(), 166666665);
}

TEST_F(DataAreaTest, SlaveAreaIsSeparate) {
    m_area.slaveWords()[127] = 0xFFFF;
    EXPECT_EQ(m_area.slaveDataWord(127).value(), -1);
    EXPECT_EQ(m_area.dataWord(126).value(), 0);
}

// Every view against every 16-bit index. The last valid index follows from the 254 bytes
// the views cover; the number in each message is the published one
// (2016, 252, 126, 126, 63 for DataLong and DataLongSwap alike, 63, 63, 63).
struct View {
    std::string name;
    int last;
    std::string message;
    std::function<std::optional<AutomationError>(DataArea&, Index)> get;
    std::function<std::optional<AutomationError>(DataArea&, Index)> set; // empty: read-only
};

void PrintTo(const View& view, std::ostream* os) {
    *os << view.name;
}

std::string rangeMessage(const std::string& view, int shown) {
    return view + " array index must be in range 0.." + std::to_string(shown) + "!";
}

const std::vector<View>& views() {
    static const std::vector<View> all = {
        {"DataBit", 2031, rangeMessage("DataBit", 2016),
         [](DataArea& a, Index i) { return errorOf(a.dataBit(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataBit(i, true)); }},
        {"DataByte", 253, rangeMessage("DataByte", 252),
         [](DataArea& a, Index i) { return errorOf(a.dataByte(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataByte(i, 0x5A)); }},
        {"DataWord", 126, rangeMessage("DataWord", 126),
         [](DataArea& a, Index i) { return errorOf(a.dataWord(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataWord(i, -1)); }},
        {"DataWordBCD", 126, rangeMessage("DataWordBCD", 126),
         [](DataArea& a, Index i) { return errorOf(a.dataWordBCD(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataWordBCD(i, -1)); }},
        {"DataLong", 62, rangeMessage("DataLong", 63),
         [](DataArea& a, Index i) { return errorOf(a.dataLong(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataLong(i, -1)); }},
        {"DataLongSwap", 62, rangeMessage("DataLong", 63),
         [](DataArea& a, Index i) { return errorOf(a.dataLongSwap(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataLongSwap(i, -1)); }},
        {"DataLongBCD", 62, rangeMessage("DataLongBCD", 63),
         [](DataArea& a, Index i) { return errorOf(a.dataLongBCD(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataLongBCD(i, -1)); }},
        {"DataFloat", 62, rangeMessage("DataFloat", 63),
         [](DataArea& a, Index i) { return errorOf(a.dataFloat(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataFloat(i, -1.0f)); }},
        {"DataFloatSwap", 62, rangeMessage("DataFloatSwap", 63),
         [](DataArea& a, Index i) { return errorOf(a.dataFloatSwap(i)); },
         [](DataArea& a, Index i) { return errorOf(a.setDataFloatSwap(i, -1.0f)); }},
        {"SlaveDataWord",
         127,
         rangeMessage("SlaveDataWord", 127),
         [](DataArea& a, Index i) { return errorOf(a.slaveDataWord(i)); },
         {}},
    };
    return all;
}

class ViewLimits : public DataAreaTest, public ::testing::WithParamInterface<View> {};

TEST_P(ViewLimits, AcceptsExactlyItsRangeAndRefusesTheRestUntouched) {
    const View& view = GetParam();
    const AutomationError refused{kErrorInvalidPropertyArrayIndex, view.message};
    for (std::size_t b = 0; b < kDataAreaBytes; ++b) {
        m_area.bytes()[b] = static_cast<std::uint8_t>(b * 7 + 1);
    }
    for (int i = std::numeric_limits<Index>::min(); i <= std::numeric_limits<Index>::max(); ++i) {
        const auto index = static_cast<Index>(i);
        const bool valid = i >= 0 && i <= view.last;
        const DataBytes before = m_area.bytes();

        const auto getError = view.get(m_area, index);
        ASSERT_EQ(getError, valid ? std::nullopt : std::optional(refused)) << "get " << i;
        if (view.set) {
            const auto setError = view.set(m_area, index);
            ASSERT_EQ(setError, valid ? std::nullopt : std::optional(refused)) << "set " << i;
        }
        if (!valid) {
            ASSERT_EQ(m_area.bytes(), before) << "refused index " << i << " wrote";
        }
    }
    // The views end at byte 253: the area's last word is never written through them.
    EXPECT_EQ(m_area.bytes()[254], static_cast<std::uint8_t>(254 * 7 + 1));
    EXPECT_EQ(m_area.bytes()[255], static_cast<std::uint8_t>(255 * 7 + 1));
}

INSTANTIATE_TEST_SUITE_P(AllViews, ViewLimits, ::testing::ValuesIn(views()),
                         [](const auto& param) { return param.param.name; });

} // namespace
} // namespace tavrin
