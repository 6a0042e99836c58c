// The command-line options of the emulated modem (--modem and --modem-*).
#pragma once

#include "ModemConfig.h"

#include <string>
#include <string_view>

namespace dlcsim {

// --modem-* options, which all take a value (--modem itself is a flag).
bool isModemOption(std::string_view option);
// False with `error` set when the value is bad.
bool parseModemOption(std::string_view option, std::string_view value, ModemConfig& modem,
                      std::string& error);

// "COMMAND=ANSWER", e.g. "dial=busy"; "all=silence" for every command.
bool parseModemAnswer(std::string_view text, ModemConfig& modem, std::string& error);
// "echo", "double", "split", "noise", "carrier-drop=N" or "carrier-drop-before=N".
bool parseModemFault(std::string_view text, ModemConfig& modem, std::string& error);

std::string modemUsage();

} // namespace dlcsim
