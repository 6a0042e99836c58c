// A second process for the engine tests: one port session driven by commands read line by
// line from stdin, one answer line each on stdout. Ends (closing its port) at end of input.
//   engine_helper <prefix> <number> <settings>
//     read <node> <count>   reads the measured value <count> times; answers
//                           "<successes> <first failing Result, or 0>"
//     owns                  "yes" when this process owns the port
//     close                 closes the port ("ok")
//     ask <pid> <handle>    asks the descriptor server of process <pid> on this port for its
//                           descriptor <handle> directly, none of a guest's own checks made;
//                           "descriptor" when one came, else "refused"
//     user <uid>            acts as that user from now on (effective user id only, so that a
//                           process started as root can come back with "user 0"); "ok"
#include "engine/PortSession.h"
#include "portshare/DescriptorSocket.h"
#include "portshare/ShareNames.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string run(tavrin::PortSession& session, const tavrin::PortSettings& port,
                const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "read") {
        std::string node;
        long count = 0;
        in >> node >> count;
        tavrin::Transaction t;
        t.request.function = 4;
        t.request.nodeAddress = node;
        t.request.memStart = "30001";
        t.request.memQty = 2;
        t.timeoutTrans = 1000;
        long good = 0;
        unsigned firstFailure = 0;
        for (long i = 0; i < count; ++i) {
            tavrin::DataArea data;
            std::int16_t qty = 2;
            const std::uint16_t result = session.run(port, t, data, qty);
            if (result == 0) {
                ++good;
            } else if (firstFailure == 0) {
                firstFailure = result;
            }
        }
        return std::to_string(good) + " " + std::to_string(firstFailure);
    }
    if (command == "owns") {
        return session.port().ownsPort() ? "yes" : "no";
    }
    if (command == "close") {
        session.disconnect();
        return "ok";
    }
    if (command == "ask") {
        std::int32_t pid = 0;
        std::uint32_t handle = 0;
        in >> pid >> handle;
        const auto names = tavrin::shareNamesFor(port.adapterPrefix + std::to_string(port.adapter));
        tavrin::UniqueFd connection = tavrin::connectTo(tavrin::descriptorSocketName(names, pid));
        const bool got =
            connection.valid() && tavrin::sendWord(connection.get(), handle) &&
            tavrin::receiveDescriptor(connection.get(),
                                      std::chrono::steady_clock::now() + std::chrono::seconds(2))
                .valid();
        return got ? "descriptor" : "refused";
    }
    if (command == "user") {
        long uid = -1;
        in >> uid;
        return ::setresuid(static_cast<uid_t>(-1), static_cast<uid_t>(uid),
                           static_cast<uid_t>(-1)) == 0
                   ? "ok"
                   : "fail";
    }
    return "unknown command";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: engine_helper <prefix> <number> <settings>\n";
        return 2;
    }
    const tavrin::PortSettings port{argv[1], std::atol(argv[2]), argv[3]};
    tavrin::PortSession session;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << run(session, port, line) << std::endl;
    }
    return 0;
}
