// A second process for the port tests: drives one CommPort by commands read line by line
// from stdin and answers each with one line on stdout. Ends (closing its port) at the end
// of its input.
//   commport_helper <prefix> <number> <settings>
#include "commport/CommPort.h"
#include "portshare/NamedMutex.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using tavrin::CommPort;
using Clock = std::chrono::steady_clock;

std::vector<std::byte> fromHex(const std::string& hex) {
    std::vector<std::byte> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::byte>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string toHex(std::span<const std::byte> bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::byte b : bytes) {
        const auto v = std::to_integer<unsigned>(b);
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

std::string run(CommPort& port, std::unique_ptr<tavrin::NamedMutex>& held,
                const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "open") {
        return port.open() ? "ok" : "fail";
    }
    if (command == "attach") {
        return port.attach() ? "ok" : "fail";
    }
    if (command == "close") {
        port.close();
        return "ok";
    }
    if (command == "owns") {
        return port.ownsPort() ? "yes" : "no";
    }
    if (command == "waitowns") {
        long ms = 0;
        in >> ms;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto seen = port.hostBeats();
            if (port.ownsPort()) {
                return "yes";
            }
            if (!port.waitForHostBeat(seen, deadline)) {
                return port.ownsPort() ? "yes" : "no";
            }
        }
    }
    if (command == "write") {
        std::string hex;
        in >> hex;
        const auto bytes = fromHex(hex);
        auto lock = port.lockPort();
        const auto result = port.writeAll(bytes, Clock::now() + std::chrono::seconds(2));
        return result.status == tavrin::IoStatus::Ok
                   ? "ok"
                   : "status " + std::to_string(int(result.status));
    }
    if (command == "read") {
        std::size_t count = 0;
        long ms = 0;
        in >> count >> ms;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        std::vector<std::byte> got;
        while (got.size() < count) {
            std::byte buffer[64];
            const auto r = port.readSome(
                std::span(buffer).first(std::min(sizeof buffer, count - got.size())), deadline);
            if (r.status != tavrin::IoStatus::Ok) {
                break;
            }
            got.insert(got.end(), buffer, buffer + r.bytes);
        }
        return toHex(got);
    }
    if (command == "record") {
        const auto record = port.shareRecord();
        if (!record) {
            return "none";
        }
        return std::to_string(record->counter) + " " + std::to_string(record->ownerHandle) + " " +
               std::to_string(record->ownerPid);
    }
    if (command == "lockmutex") {
        std::string name;
        in >> name;
        held = tavrin::NamedMutex::open(name);
        return held && held->lock() != tavrin::LockResult::Failed ? "locked" : "fail";
    }
    if (command == "pid") {
        return std::to_string(::getpid());
    }
    return "unknown";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: commport_helper <prefix> <number> <settings>\n";
        return 2;
    }
    CommPort port;
    if (!port.setPortName(argv[1], std::stol(argv[2])) || !port.setSettings(argv[3])) {
        std::cerr << "bad port name or settings\n";
        return 2;
    }
    std::unique_ptr<tavrin::NamedMutex> held;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << run(port, held, line) << std::endl;
    }
    return 0;
}
