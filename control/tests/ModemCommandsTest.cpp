// The modem dialogue's pure parts: which answer word decides a wait, and the commands a
// dial sends for the host's four arguments.
#include "modem/AnswerSearch.h"
#include "modem/DialCommands.h"
#include "tavrin/TavrinEnums.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace tavrin::modem {
namespace {

struct SearchCase {
    std::string text; // all that arrived during the wait
    const char* expected;
    std::optional<std::uint16_t> result; // nullopt: keep waiting
};

// Answers as a Hayes modem frames them (CR LF around verbose words, the command's echo in
// front while echo is on); the results are the modem results of the failure words.
const SearchCase kSearches[] = {
    {"\r\nOK\r\n", "OK", 0},
    {"AT\r\r\nOK\r\n", "OK", 0},
    {"\r\nCONNECT 38400\r\n", "CONNECT", 0},
    {"\r\nERROR\r\n", "OK", MDM_RES_MODEM_RESP_ERROR},
    {"\r\nNO CARRIER\r\n", "CONNECT", MDM_RES_MODEM_RESP_NO_CARRIER},
    {"\r\nNO DIAL TONE\r\n", "CONNECT", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    {"\r\nNO DIALTONE\r\n", "CONNECT", MDM_RES_MODEM_RESP_NO_DIAL_TONE},
    {"\r\nBUSY\r\n", "CONNECT", MDM_RES_MODEM_RESP_BUSY},
    {"\r\nNO ANSWER\r\n", "CONNECT", MDM_RES_MODEM_RESP_NO_ANSWER},
    // Several words: the expected one first, then the failures in their order.
    {"\r\nERROR\r\n\r\nOK\r\n", "OK", 0},
    {"\r\nERROR\r\n\r\nNO CARRIER\r\n", "CONNECT", MDM_RES_MODEM_RESP_NO_CARRIER},
    {"\r\nNO ANSWER\r\n\r\nBUSY\r\n", "CONNECT", MDM_RES_MODEM_RESP_BUSY},
    // Not yet an answer.
    {"\r\nOK\r\n", "CONNECT", std::nullopt},
    {"\r\nCONN", "CONNECT", std::nullopt},
    {std::string("\x00\xFF\x7F\x1B", 4), "OK", std::nullopt},
    {"\r\nok\r\n", "OK", std::nullopt},
    {"", "OK", std::nullopt},
};

TEST(ModemAnswerSearch, DecidesByTheWordsInTheirOrder) {
    for (const SearchCase& c : kSearches) {
        EXPECT_EQ(searchAnswer(c.text, c.expected), c.result) << c.text << " / " << c.expected;
    }
}

struct DialCase {
    const char* init1;
    const char* init2;
    const char* phoneSystem;
    const char* number;
    DialCommands expected;
};

const DialCase kDials[] = {
    {"", "", "", "", {kDefaultInitString, "", "ATDT"}},
    {"&F", "X4", "T", "5551234", {"AT&F", "ATX4", "ATDT5551234"}},
    {"ATZ", "ATX4", "t", "1", {"ATZ", "ATX4", "ATDT1"}},
    // Lower-case prefixes are prefixes too: "ATat&f" would make the modem answer a call.
    {"at&f", "At&c1", "", "1", {"at&f", "At&c1", "ATDT1"}},
    {"Z", "", "p", "0,5551234", {"ATZ", "", "ATDP0,5551234"}},
    {"Z", "", "P", "1", {"ATZ", "", "ATDP1"}},
    // Only the letter P dials pulse.
    {"Z", "", "pulse", "1", {"ATZ", "", "ATDT1"}},
    {"E0", "T", "", "", {"ATE0", "ATT", "ATDT"}},
};

TEST(ModemDialCommands, FollowTheHostsArguments) {
    for (const DialCase& c : kDials) {
        const DialCommands got = dialCommands(c.init1, c.init2, c.phoneSystem, c.number);
        EXPECT_EQ(got.initString1, c.expected.initString1) << c.init1;
        EXPECT_EQ(got.initString2, c.expected.initString2) << c.init2;
        EXPECT_EQ(got.dialCommand, c.expected.dialCommand) << c.phoneSystem << c.number;
    }
}

} // namespace
} // namespace tavrin::modem
