// The command line of dlcsim.
#pragma once

#include "Config.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dlcsim {

struct ParsedOptions {
    std::optional<Config> config; // set when the command line is good and not --help
    bool help = false;
    std::string error;
};

ParsedOptions parseOptions(std::span<const std::string_view> args);

// "[cell=K:]drop=P", "crc=P", "garbage=P", "delay=MS[:P]", "exception=CODE:P"
std::optional<FaultRule> parseFault(std::string_view text, std::string& error);

// "[cell=K:]REF=V[,V...]": words in hexadecimal for registers, 0 or 1 for bits.
std::optional<Preset> parsePreset(std::string_view text, std::string& error);

std::string usage();

} // namespace dlcsim
