// The peer's command line: escapes both ways, and what a bad command line is told.
#include "Escapes.h"
#include "Options.h"

#include <gtest/gtest.h>

namespace textpeer {
namespace {

TEST(Escapes, WrittenFormsAreTheCharacters) {
    // The characters the test tab's built-in table answers: the two single-character
    // commands 0x12 and 0x01, and the terminators.
    const struct {
        const char* written;
        std::string bytes;
    } cases[] = {
        {"MSV?33,1,0", "MSV?33,1,0"},
        {R"(\x12)", "\x12"},
        {R"(\x01)", "\x01"},
        {R"(SRB1\r\n)", "SRB1\r\n"},
        {R"(a\tb\\c\"d)", "a\tb\\c\"d"},
        {R"(\xff\x00)", std::string("\xff\x00", 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(unescape(c.written), c.bytes);
        EXPECT_EQ(unescape(escape(c.bytes)), c.bytes); // the printed form reads back
    }
    EXPECT_EQ(escape("+23.5,1,0\r\n"), R"(+23.5,1,0\r\n)");
    EXPECT_EQ(escape(std::string("\x12\x00", 2)), R"(\x12\x00)");
    for (const char* bad : {R"(\)", R"(\q)", R"(\x1)", R"(\xg0)"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(unescape(bad));
    }
}

ParsedOptions parse(std::vector<std::string_view> args) {
    return parseOptions(args);
}

TEST(Options, PortCommandsAndSchedule) {
    const auto p = parse({"--create", "--terminator", "cr", "--repeat", "3", "--interval", "50",
                          "COM6", "MSV?33,1,0", R"(\x12)", "--", "--odd"});
    ASSERT_TRUE(p.config) << p.error;
    EXPECT_TRUE(p.config->create);
    EXPECT_EQ(p.config->port, "COM6");
    EXPECT_EQ(p.config->terminator, "\r");
    EXPECT_EQ(p.config->repeat, 3);
    EXPECT_EQ(p.config->intervalMs, 50);
    EXPECT_EQ(p.config->commands, (std::vector<std::string>{"MSV?33,1,0", "\x12", "--odd"}));
    // The test tab's link defaults.
    EXPECT_EQ(p.config->line.baud, 9600);
    EXPECT_EQ(p.config->line.parity, dlcsim::Parity::Even);

    const auto fromInput = parse({"/dev/ttyUSB0", "--terminator", "NONE"});
    ASSERT_TRUE(fromInput.config) << fromInput.error;
    EXPECT_TRUE(fromInput.config->commands.empty());
    EXPECT_TRUE(fromInput.config->terminator.empty());
}

TEST(Options, BadCommandLinesSayWhy) {
    const struct {
        std::vector<std::string_view> args;
        const char* says;
    } cases[] = {
        {{}, "no port"},
        {{"--create", "/dev/pts/3"}, "not a path"},
        {{"--no-wait", "COM6", "x"}, "--interval"},
        {{"--terminator", "CRCR", "COM6"}, "CRLF, CR, LF or NONE"},
        {{"--timeout", "0", "COM6"}, "milliseconds"},
        {{"--repeat", "-1", "COM6"}, "--repeat"},
        {{"--parity", "X", "COM6"}, "E, N or O"},
        {{"COM6", R"(bad\q)"}, "bad escape"},
        {{"--interval"}, "needs a value"},
        {{"--fast", "COM6"}, "unknown option"},
    };
    for (const auto& c : cases) {
        const auto p = parse(c.args);
        EXPECT_FALSE(p.config) << c.says;
        EXPECT_NE(p.error.find(c.says), std::string::npos) << p.error;
    }
}

} // namespace
} // namespace textpeer
