// A second process for the control's end-to-end tests: a host that loads libtavrin.so at run
// time and drives one control through the C interface, by commands read line by line from
// stdin, one answer line each on stdout. Ends (releasing the control) at end of input.
//   control_helper <prefix> <number> <settings>
//     read <node> <count>   reads the measured value <count> times, each by AsyncRefresh and
//                           Complete; answers "<successes> <first failing Result, or 0>"
//     close                 Disconnect ("ok")
#include "TavrinHost.h"

#include <iostream>
#include <sstream>
#include <string>

namespace {

using namespace tavrin::test;

std::string run(HostedControl& control, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "read") {
        std::string node;
        long count = 0;
        in >> node >> count;
        control.put("NodeAddress", text(node.c_str()));
        long good = 0;
        int firstFailure = 0;
        for (long i = 0; i < count; ++i) {
            const std::size_t before = control.count("Complete");
            int result = -1;
            if (control.call("AsyncRefresh") == TAVRIN_OK &&
                control.waitForEvents("Complete", before + 1)) {
                result = control.events().back().second;
            }
            if (result == 0) {
                ++good;
            } else if (firstFailure == 0) {
                firstFailure = result;
            }
        }
        return std::to_string(good) + " " + std::to_string(firstFailure);
    }
    if (command == "close") {
        return control.call("Disconnect") == TAVRIN_OK ? "ok" : "failed";
    }
    return "unknown command";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: control_helper <prefix> <number> <settings>\n";
        return 2;
    }
    TavrinLibrary library(TAVRIN_LIBRARY_PATH);
    if (!library.loaded()) {
        std::cerr << "control_helper: cannot load " << TAVRIN_LIBRARY_PATH << "\n";
        return 1;
    }
    HostedControl control(library);
    if (!control.valid() || control.put("AdapterPrefix", text(argv[1])) != TAVRIN_OK ||
        control.put("Adapter", i2(static_cast<std::int16_t>(std::stoi(argv[2])))) != TAVRIN_OK ||
        control.put("CommSettings", text(argv[3])) != TAVRIN_OK ||
        control.put("Function", i2(4)) != TAVRIN_OK ||
        control.put("MemStart", text("30001")) != TAVRIN_OK ||
        control.put("MemQty", i2(2)) != TAVRIN_OK ||
        control.put("TimeoutTrans", i2(1000)) != TAVRIN_OK) {
        std::cerr << "control_helper: cannot set up the control\n";
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << run(control, line) << std::endl;
    }
    return 0;
}
