// The text-command table of the test tab: the built-in table and the hexadecimal forms of the
// settings file's entries.
#pragma once

#include "config/ProgramValues.h"

#include <optional>

namespace torvik::mdlFileMgr {

// Restores entries 0 to 10 of the built-in table; entry 11 keeps what the settings file gave.
void CommandInit(ProgramValues& values);
void CommandInit();

// A hexadecimal command: one number of hexadecimal digits, at most FF, becomes the character
// with that code. Anything else fails.
std::optional<QString> hexCommand(QStringView text);

// A hexadecimal response: each pair of hexadecimal digits becomes one character, a last single
// digit is dropped; a pair that is not hexadecimal fails.
std::optional<QString> hexResponse(QStringView text);

} // namespace torvik::mdlFileMgr
