// What the emulated modem leaves for its observers: a log of the dialogue, and a file that
// always holds its lines, for a master's test on a line that has no modem lines of its own
// (a pseudo-terminal) to read.
#pragma once

#include "Clock.h"
#include "Modem.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace dlcsim {

// One line per event: "<monotonic seconds> rx|tx|state <text>".
class ModemLog {
public:
    // nullptr with errno set when `path` cannot be written.
    static std::unique_ptr<ModemLog> open(const std::string& path);
    void write(TimePoint when, std::string_view kind, std::string_view text);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit ModemLog(std::FILE* file) : m_file(file) {}
    std::unique_ptr<std::FILE, Closer> m_file;
};

// "cts=1 dsr=1 ri=0 dcd=0": the whole file replaced at each change, so a reader never sees
// half of it.
std::string formatModemLines(const ModemLines& lines);
bool writeModemLines(const std::string& path, const ModemLines& lines);

} // namespace dlcsim
