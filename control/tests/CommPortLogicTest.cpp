// The port's pure rules: settings grammar, port names, where a name leads, timeouts and
// line timing.
#include "commport/CommSettings.h"
#include "commport/LineTiming.h"
#include "commport/PortName.h"
#include "commport/PortOptions.h"
#include "commport/PortPath.h"
#include "commport/PortTimeouts.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace tavrin {
namespace {

using namespace std::chrono_literals;

TEST(CommSettingsGrammar, Table) {
    // Expected values follow the grammar field by field: baud = leading number (empty: 19200),
    // parity by first letter (empty: none), data bits by first digit 4-8 (empty: 8), stop
    // bits 1 or 2 (nothing after the third comma: 1).
    struct Case {
        const char* text;
        bool ok;
        CommSettings expected;
    };
    const Case cases[] = {
        {"9600,E,8,1", true, {9600, Parity::Even, 8, StopBits::One}},
        {"19200,N,8,2", true, {19200, Parity::None, 8, StopBits::Two}},
        {"1200,o,7,1", true, {1200, Parity::Odd, 7, StopBits::One}},
        {"38400,Even,8,1", true, {38400, Parity::Even, 8, StopBits::One}},
        {",E,8,1", true, {19200, Parity::Even, 8, StopBits::One}},   // empty baud
        {"9600,E,8,", true, {9600, Parity::Even, 8, StopBits::One}}, // ends in third comma
        {"9600,,,", true, {9600, Parity::None, 8, StopBits::One}},   // empty fields
        {",,,", true, {19200, Parity::None, 8, StopBits::One}},
        {"9600x,n,4,1", true, {9600, Parity::None, 4, StopBits::One}}, // leading number; 4 bits
        {"abc,N,8,1", true, {0, Parity::None, 8, StopBits::One}},      // no number: rate 0
        {"99999999999,N,8,1", true, {0xFFFFFFFFu, Parity::None, 8, StopBits::One}}, // saturates
        {"9600,E,8,1.0", true, {9600, Parity::Even, 8, StopBits::One}},
        {"9600,E,8", false, {}}, // only two commas
        {"9600,E", false, {}},
        {"9600", false, {}},
        {"", false, {}},
        {"9600,", false, {}},      // nothing after the first comma
        {"9600,E,", false, {}},    // nothing after the second comma
        {"9600,M,8,1", false, {}}, // mark parity is not offered
        {"9600,E,9,1", false, {}}, // data bits 9
        {"9600,E,3,1", false, {}},
        {"9600,E,x,1", false, {}},
        {"9600,E,8,1.5", false, {}}, // 1.5 stop bits
        {"9600,E,8,0", false, {}},
        {"9600,E,8,3", false, {}},
        {"9600,E,8,x", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseCommSettings(c.text);
        ASSERT_EQ(parsed.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*parsed, c.expected);
        }
    }
}

TEST(PortNames, Table) {
    // Prefix = everything before the first digit, the rest all digits, number 1-255.
    struct Case {
        const char* prefix;
        long adapter;
        const char* expected; // nullptr: refused
    };
    const Case cases[] = {
        {"COM", 1, "COM1"},
        {"COM", 255, "COM255"},
        {"COM", 0, nullptr},
        {"COM", 256, nullptr},
        {"COM", 65535, nullptr},
        {"USB", 3, "USB3"},
        {"", 7, "7"},
        {"COM1x", 2, nullptr},      // digits then letters
        {"../../etc/", 1, nullptr}, // a slash would leave the ports folder
        {"COM", -1, "COM-1"},       // "-" is part of the prefix; no link will carry that name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.prefix) + std::to_string(c.adapter));
        const auto name = portNameFrom(c.prefix, c.adapter);
        ASSERT_EQ(name.has_value(), c.expected != nullptr);
        if (name) {
            EXPECT_EQ(name->text, c.expected);
        }
    }
    EXPECT_FALSE(parsePortName("COM"));
    EXPECT_EQ(parsePortName("COM007")->text, "COM7");
}

TEST(PortPaths, FolderChoiceFollowsTheEnvironment) {
    using Env = std::map<std::string, std::string>;
    const auto lookup = [](const Env& env) {
        return [env](const char* v) -> std::optional<std::string> {
            auto it = env.find(v);
            return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
    };
    EXPECT_EQ(portsFolder(lookup({{"TAVRIN_PORTS", "/p"}, {"XDG_CONFIG_HOME", "/x"}})), "/p");
    EXPECT_EQ(portsFolder(lookup({{"TAVRIN_PORTS", ""}, {"XDG_CONFIG_HOME", "/x"}})),
              "/x/tavrin/ports");
    EXPECT_EQ(portsFolder(lookup({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/h"}})),
              "/h/.config/tavrin/ports");
    EXPECT_EQ(portsFolder(lookup({})), std::nullopt);
}

TEST(PortPaths, LinkInTheFolderWinsElseComIsTtyS) {
    const std::optional<std::string> folder = "/ports";
    const auto links = [](std::set<std::string> present) {
        return [present](const std::string& p) { return present.count(p) != 0; };
    };
    const auto com3 = *parsePortName("COM3");
    const auto usb1 = *parsePortName("USB1");
    EXPECT_EQ(devicePathFor(com3, folder, links({"/ports/COM3"})), "/ports/COM3");
    EXPECT_EQ(devicePathFor(com3, folder, links({})), "/dev/ttyS2");
    EXPECT_EQ(devicePathFor(*parsePortName("com1"), std::nullopt, links({})), "/dev/ttyS0");
    EXPECT_EQ(devicePathFor(usb1, folder, links({"/ports/USB1"})), "/ports/USB1");
    EXPECT_EQ(devicePathFor(usb1, folder, links({})), std::nullopt);
}

TEST(PortTimeouts, Table) {
    // q = max(baud,12) div 12, t = max(1000 div q, 2), multiplier 2t; constants 50 and 10000.
    struct Case {
        std::uint32_t baud;
        std::uint32_t multiplier;
    };
    const Case cases[] = {{9600, 4}, {19200, 4}, {1200, 20}, {300, 80}, {0, 2000}, {115200, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        const PortTimeouts t = timeoutsFor(c.baud);
        EXPECT_EQ(t.readInterval, 0xFFFFFFFFu);
        EXPECT_EQ(t.readMultiplier, c.multiplier);
        EXPECT_EQ(t.writeMultiplier, c.multiplier);
        EXPECT_EQ(t.readConstant, 50u);
        EXPECT_EQ(t.writeConstant, 10000u);
    }
    EXPECT_EQ(timeoutsFor(9600).readBound(8), 82ms);
    EXPECT_EQ(timeoutsFor(1200).writeBound(8), 10160ms);
}

TEST(LineTiming, SilenceBetweenFrames) {
    // 3.5 characters of 11 bits (8E1, 8N2) or 10 bits (8N1); fixed 1.75 ms above 19200 baud.
    struct Case {
        CommSettings settings;
        std::chrono::nanoseconds silence;
    };
    const Case cases[] = {
        {{9600, Parity::Even, 8, StopBits::One}, 4'010'417ns}, // 11/9600 s * 3.5
        {{9600, Parity::None, 8, StopBits::One}, 3'645'833ns}, // 10/9600 s * 3.5
        {{9600, Parity::None, 8, StopBits::Two}, 4'010'417ns},
        {{19200, Parity::Even, 8, StopBits::One}, 2'005'208ns},
        {{38400, Parity::Even, 8, StopBits::One}, 1'750'000ns},
        {{115200, Parity::None, 8, StopBits::One}, 1'750'000ns},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings.baudRate);
        EXPECT_NEAR(double(silenceInterval(c.settings).count()), double(c.silence.count()), 2.0);
    }
    EXPECT_EQ(silenceInterval({38400, Parity::Even, 8, StopBits::One}, 1.5), 750'000ns);
    // The wire itself has no floor: 11 bits at 38400 baud take 286 us, not 500.
    EXPECT_EQ(wireCharacterTime({38400, Parity::Even, 8, StopBits::One}), 286'458ns);
    EXPECT_EQ(wireCharacterTime({115200, Parity::None, 8, StopBits::One}), 86'805ns);
}

TEST(PortOptions, EchoSettingOfTheOptionsFile) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"echo=1\n", true},
        {"  echo = yes  # this adapter echoes\r\n", true},
        {"# echo=1\n", false},
        {"echo=1\necho=0\n", false}, // the last line says
        {"echo=maybe\n", false},     // not understood: as if not there
        {"speed=fast\nECHO=1\necho=on", true},
    };
    for (const auto& [text, echo] : cases) {
        EXPECT_EQ(parsePortOptions(text).echo, echo) << text;
    }
}

} // namespace
} // namespace tavrin
