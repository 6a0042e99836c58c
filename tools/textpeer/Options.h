// The command line of textpeer.
#pragma once

#include "Config.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace textpeer {

struct PeerConfig {
    std::string port;    // COMn (or any name of the ports folder), or a device path
    bool create = false; // make a pseudo-terminal and link it as `port`
    // The test tab's defaults: 9600 baud, even parity, 8 data bits, 1 stop bit.
    dlcsim::LineSettings line{9600, dlcsim::Parity::Even, 8, 1};
    std::string terminator = "\r\n";   // after every command; a response ends with it
    int timeoutMs = 1000;              // no response this long after a send: none came
    int quietMs = 100;                 // a response without the terminator ends after this
    long repeat = 1;                   // times each command is sent; 0: until stopped
    int intervalMs = -1;               // send to send; -1: right after the response
    bool noWait = false;               // send on the interval, responses or not
    std::vector<std::string> commands; // none: one command per line of standard input
};

struct ParsedOptions {
    std::optional<PeerConfig> config; // set when the command line is good and not --help
    bool help = false;
    std::string error;
};

ParsedOptions parseOptions(std::span<const std::string_view> args);

std::string usage();

} // namespace textpeer
