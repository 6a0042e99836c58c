#include "modem/DialCommands.h"

#include <algorithm>

namespace tavrin::modem {
namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

// Modems take the attention prefix in either case. Putting "AT" in front of "at&f" would
// make its "a" the answer command: the modem would go off hook and wait for a caller.
std::string withAttention(const std::string& text) {
    return text.empty() || upper(text.substr(0, 2)) == "AT" ? text : "AT" + text;
}

} // namespace

DialCommands dialCommands(const std::string& initString1, const std::string& initString2,
                          const std::string& phoneSystem, const std::string& dialString) {
    DialCommands c;
    c.initString1 =
        initString1.empty() ? std::string(kDefaultInitString) : withAttention(initString1);
    c.initString2 = withAttention(initString2);
    c.dialCommand = std::string("ATD") + (upper(phoneSystem) == "P" ? "P" : "T") + dialString;
    return c;
}

} // namespace tavrin::modem
