// The commands a dial sends, made from the host's four ModemDial arguments.
#pragma once

#include <string>

namespace tavrin::modem {

// Used when the host gives no first initialisation string: factory settings, no echo,
// DCD follows the carrier, DTR off hangs up, verbose answers, no auto-answer, escape guard
// time 1 s (S12 counts fiftieths), 60 s for the carrier, extended answers.
inline constexpr const char* kDefaultInitString = "AT&FE0&C1&D2Q0V1S0=0S12=50S7=60X4";

struct DialCommands {
    std::string initString1; // never empty
    std::string initString2; // empty: not sent
    std::string dialCommand; // "ATD" + "P" or "T" + the number
};

// InitString1 and InitString2 get "AT" put in front unless they begin with it (in either
// case); an empty
// InitString1 is the default string, an empty InitString2 stays empty. PhoneSystem "P"
// (in any case) dials pulse, anything else tone.
DialCommands dialCommands(const std::string& initString1, const std::string& initString2,
                          const std::string& phoneSystem, const std::string& dialString);

} // namespace tavrin::modem
