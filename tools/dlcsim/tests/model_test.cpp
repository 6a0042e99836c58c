// The device model without I/O: request in, reply out.
#include "Bus.h"
#include "Options.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace dlcsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

const TimePoint kStart{};

Config twoCells() {
    Config c;
    c.cells = {CellSettings{1000, 1, 12.5}, CellSettings{0x00BC614E, 2, -3.25}};
    return c;
}

struct Case {
    const char* name;
    Bytes request; // address, function, data
    Bytes reply;   // empty: no reply
};

// Register contents from the cell's register map (12.5f = 0x41480000, 500.0f = 0x43FA0000,
// 2.0f = 0x40000000, "DLCS" = 44 4C 43 53); exception codes and quantity limits from the
// Modbus application protocol (1 function, 2 address, 3 value).
const Case kCases[] = {
    {"measured value", {1, 4, 0, 0, 0, 2}, {1, 4, 4, 0x41, 0x48, 0, 0}},
    {"value and status", {1, 4, 0, 0, 0, 3}, {1, 4, 6, 0x41, 0x48, 0, 0, 0, 0}},
    {"rated capacity", {1, 4, 0, 3, 0, 2}, {1, 4, 4, 0x43, 0xFA, 0, 0}},
    {"serial input copy", {2, 4, 0, 5, 0, 2}, {2, 4, 4, 0x00, 0xBC, 0x61, 0x4E}},
    {"serial holding copy", {2, 3, 0, 1, 0, 2}, {2, 3, 4, 0x00, 0xBC, 0x61, 0x4E}},
    {"model text", {1, 4, 0, 7, 0, 2}, {1, 4, 4, 0x44, 0x4C, 0x43, 0x53}},
    {"temperature 20.25", {1, 4, 0, 47, 0, 1}, {1, 4, 2, 0x07, 0xE9}},
    {"rated output", {1, 4, 0, 48, 0, 2}, {1, 4, 4, 0x40, 0x00, 0, 0}},
    {"slave address", {2, 3, 0, 0, 0, 1}, {2, 3, 2, 0, 2}},
    {"baud setting 384", {1, 3, 0, 3, 0, 1}, {1, 3, 2, 0x01, 0x80}},
    {"free input register", {1, 4, 0, 50, 0, 1}, {1, 4, 2, 0x01, 51}},
    {"free holding register", {2, 3, 0, 4, 0, 1}, {2, 3, 2, 0x02, 5}},
    // Cell 1: coil n on when n is odd (coil 1 is the synchronisation coil, off);
    // input n on when n % 3 == 1.
    {"coils", {1, 1, 0, 0, 0, 8}, {1, 1, 1, 0x54}},
    {"input status", {1, 2, 0, 0, 0, 8}, {1, 2, 1, 0x49}},
    {"last register", {1, 3, 0, 99, 0, 1}, {1, 3, 2, 0x01, 100}},
    {"write free register", {1, 6, 0, 4, 0xBE, 0xEF}, {1, 6, 0, 4, 0xBE, 0xEF}},
    {"write address", {1, 16, 0, 0, 0, 1, 2, 0, 9}, {1, 16, 0, 0, 0, 1}},
    {"report slave id",
     {1, 17},
     {1, 17, 13, 1, 0xFF, 'D', 'L', 'C', 'S', 'I', 'M', '-', '5', '0', '0', 'K'}},

    {"unknown function", {1, 0x41}, {1, 0xC1, 1}},
    {"read exception status unknown", {1, 7}, {1, 0x87, 1}},
    {"past the map", {1, 4, 0, 99, 0, 2}, {1, 0x84, 2}},
    {"start past the map", {1, 3, 0, 100, 0, 1}, {1, 0x83, 2}},
    {"quantity 0", {1, 4, 0, 0, 0, 0}, {1, 0x84, 3}},
    {"quantity 126", {1, 3, 0, 0, 0, 126}, {1, 0x83, 3}},
    {"coil quantity 2001", {1, 1, 0, 0, 0x07, 0xD1}, {1, 0x81, 3}},
    {"coil value not on or off", {1, 5, 0, 0, 0x12, 0x34}, {1, 0x85, 3}},
    {"serial is read-only", {1, 6, 0, 1, 0, 5}, {1, 0x86, 2}},
    {"address out of range", {1, 6, 0, 0, 0x01, 0x2C}, {1, 0x86, 3}},
    {"coil byte count wrong", {1, 15, 0, 1, 0, 9, 1, 0xFF}, {1, 0x8F, 3}},
    {"unicast assignment, wrong serial",
     {1, 16, 0, 0, 0, 3, 6, 0, 5, 0, 0, 0x03, 0xE9},
     {1, 0x90, 3}},

    {"broadcast read never answered", {0, 4, 0, 0, 0, 2}, {}},
    {"broadcast write never answered", {0, 6, 0, 4, 0, 1}, {}},
    {"broadcast unknown function", {0, 0x41}, {}},
    {"no such address", {9, 4, 0, 0, 0, 2}, {}},
    {"malformed length", {1, 3, 0, 0, 0, 1, 0}, {}},
};

TEST(BusRequests, AnswerAsTheRegisterMapSays) {
    for (const Case& c : kCases) {
        Bus bus(twoCells(), kStart);
        EXPECT_EQ(bus.handle(c.request, kStart).reply, c.reply) << c.name;
    }
}

Bytes assign(std::uint8_t address, std::uint32_t serial) {
    return {0,
            16,
            0,
            0,
            0,
            3,
            6,
            0,
            address,
            static_cast<std::uint8_t>(serial >> 24),
            static_cast<std::uint8_t>(serial >> 16),
            static_cast<std::uint8_t>(serial >> 8),
            static_cast<std::uint8_t>(serial)};
}

TEST(BusAssignment, OnlyTheCellWithTheSerialTakesTheAddress) {
    Bus bus(twoCells(), kStart);
    const Outcome out = bus.handle(assign(7, 0x00BC614E), kStart);
    EXPECT_TRUE(out.reply.empty());
    EXPECT_TRUE(out.broadcast);
    EXPECT_EQ(bus.cells()[0].address(), 1);
    EXPECT_EQ(bus.cells()[1].address(), 7);
    EXPECT_TRUE(bus.handle(Bytes{2, 3, 0, 0, 0, 1}, kStart).reply.empty());
    EXPECT_EQ(bus.handle(Bytes{7, 3, 0, 0, 0, 1}, kStart).reply, (Bytes{7, 3, 2, 0, 7}));
}

TEST(BusAssignment, UnknownSerialOrPlainAddressBroadcastChangesNobody) {
    Bus bus(twoCells(), kStart);
    bus.handle(assign(7, 4242), kStart);
    bus.handle(assign(0, 1000), kStart);         // not a valid address
    bus.handle(Bytes{0, 6, 0, 0, 0, 9}, kStart); // would give every cell address 9
    EXPECT_EQ(bus.cells()[0].address(), 1);
    EXPECT_EQ(bus.cells()[1].address(), 2);
}

TEST(BusAssignment, CellWithoutAddressAnswersOnlyBroadcasts) {
    Config c = twoCells();
    c.cells[1].address = 0;
    Bus bus(c, kStart);
    EXPECT_TRUE(bus.handle(Bytes{0, 4, 0, 0, 0, 2}, kStart).reply.empty());
    bus.handle(assign(5, 0x00BC614E), kStart);
    EXPECT_EQ(bus.handle(Bytes{5, 3, 0, 0, 0, 1}, kStart).reply, (Bytes{5, 3, 2, 0, 5}));
}

float measured(Bus& bus, std::uint8_t address, TimePoint at) {
    const Bytes r = bus.handle(Bytes{address, 4, 0, 0, 0, 2}, at).reply;
    const std::uint32_t bits = (std::uint32_t{r[3]} << 24) | (std::uint32_t{r[4]} << 16) |
                               (std::uint32_t{r[5]} << 8) | r[6];
    return std::bit_cast<float>(bits);
}

TEST(BusSynchronisation, LatchesOneInstantForAllCellsUntilTheNext) {
    Config c;
    c.motion = Motion::Ramp; // cell k reads 100k + k t
    c.cells = {CellSettings{1, 1, {}}, CellSettings{2, 2, {}}};
    Bus bus(c, kStart);
    const auto at = [](double s) {
        return kStart +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    EXPECT_FLOAT_EQ(measured(bus, 1, at(1)), 101.0F); // live before any synchronisation

    bus.handle(Bytes{0, 5, 0, 0, 0xFF, 0}, at(2));
    for (double t : {3.0, 4.0}) {
        EXPECT_FLOAT_EQ(measured(bus, 1, at(t)), 102.0F) << t;
        EXPECT_FLOAT_EQ(measured(bus, 2, at(t)), 204.0F) << t;
    }
    EXPECT_EQ(bus.handle(Bytes{1, 4, 0, 2, 0, 1}, at(4)).reply, (Bytes{1, 4, 2, 0, 1}));

    bus.handle(Bytes{0, 5, 0, 0, 0xFF, 0}, at(5));
    EXPECT_FLOAT_EQ(measured(bus, 1, at(6)), 105.0F);
    EXPECT_FLOAT_EQ(measured(bus, 2, at(6)), 210.0F);
}

TEST(BusValues, CountKindAndDefaultMotionDifferPerCell) {
    Config c;
    c.valueKind = ValueKind::Count;
    c.cells = {CellSettings{1, 1, -5.0}, CellSettings{2, 2, {}}, CellSettings{3, 3, {}}};
    Bus bus(c, kStart);
    EXPECT_EQ(bus.handle(Bytes{1, 4, 0, 0, 0, 2}, kStart).reply,
              (Bytes{1, 4, 4, 0xFF, 0xFF, 0xFF, 0xFB}));
    // Rated output as a count: 50000 = 0x0000C350.
    EXPECT_EQ(bus.handle(Bytes{1, 4, 0, 48, 0, 2}, kStart).reply,
              (Bytes{1, 4, 4, 0, 0, 0xC3, 0x50}));
    const auto later = kStart + std::chrono::milliseconds(700);
    EXPECT_NE(bus.cells()[1].value(later), bus.cells()[2].value(later));
    EXPECT_NE(bus.cells()[1].value(kStart), bus.cells()[1].value(later));
}

// Free contents and temperatures from the command line, as the custom and information reads of
// the bench program see them; the expected bytes are the preset values as Modbus sends them.
TEST(BusPresets, OptionsFillTheFreeTablesAndTheTemperature) {
    const std::vector<std::string_view> args = {
        "--link",          "COM5",     "--cells",           "2",        "--preset",
        "40010=0A05,1234", "--preset", "cell=2:30060=FFFF", "--preset", "00005=0,1,0",
        "--preset",        "10003=1",  "--temperature",     "-2.5,20"};
    const ParsedOptions p = parseOptions(args);
    ASSERT_TRUE(p.config.has_value()) << p.error;
    const Case cases[] = {
        {"holding preset, cell 1", {1, 3, 0, 9, 0, 2}, {1, 3, 4, 0x0A, 0x05, 0x12, 0x34}},
        {"holding preset, cell 2", {2, 3, 0, 9, 0, 2}, {2, 3, 4, 0x0A, 0x05, 0x12, 0x34}},
        {"input preset only on cell 2", {2, 4, 0, 59, 0, 1}, {2, 4, 2, 0xFF, 0xFF}},
        {"cell 1 keeps its pattern", {1, 4, 0, 59, 0, 1}, {1, 4, 2, 0x01, 60}},
        {"coils 5 to 7", {1, 1, 0, 4, 0, 3}, {1, 1, 1, 0x02}},
        {"input 3 on", {2, 2, 0, 2, 0, 1}, {2, 2, 1, 0x01}},
        {"-2.50 degrees is -250", {1, 4, 0, 47, 0, 1}, {1, 4, 2, 0xFF, 0x06}},
        {"20.00 degrees is 2000", {2, 4, 0, 47, 0, 1}, {2, 4, 2, 0x07, 0xD0}},
        {"the map stays the map", {1, 3, 0, 0, 0, 1}, {1, 3, 2, 0, 1}},
    };
    Bus bus(*p.config, kStart);
    for (const Case& c : cases) {
        EXPECT_EQ(bus.handle(c.request, kStart).reply, c.reply) << c.name;
    }
}

TEST(BusPresets, RefusesWhatTheTablesCannotHold) {
    const struct {
        std::vector<std::string_view> extra;
        const char* error;
    } cases[] = {
        {{"--preset", "30005=1"}, "register map's own"},
        {{"--preset", "40004=1"}, "register map's own"},
        {{"--preset", "00001=1"}, "register map's own"},
        {{"--preset", "4001=1"}, "five-digit"},
        {{"--preset", "40101=1"}, "five-digit"},
        {{"--preset", "50010=1"}, "starts with"},
        {{"--preset", "40100=1,2"}, "past the table"},
        {{"--preset", "40010=12345"}, "hexadecimal"},
        {{"--preset", "40010=xyz"}, "hexadecimal"},
        {{"--preset", "40010"}, "REF=VALUE"},
        {{"--preset", "00005=2"}, "0 or 1"},
        {{"--preset", "cell=3:40010=1"}, "cell 3"},
        {{"--temperature", "-400"}, "bad temperature"},
        {{"--temperature", "1,2,3"}, "one per cell"},
    };
    for (const auto& c : cases) {
        std::vector<std::string_view> args = {"--link", "COM5", "--cells", "2"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ParsedOptions p = parseOptions(args);
        EXPECT_FALSE(p.config.has_value()) << c.extra.back();
        EXPECT_NE(p.error.find(c.error), std::string::npos) << c.extra.back() << ": " << p.error;
    }
}

} // namespace
} // namespace dlcsim
