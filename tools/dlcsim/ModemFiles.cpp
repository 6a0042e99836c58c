#include "ModemFiles.h"

#include <cinttypes>

namespace dlcsim {

std::unique_ptr<ModemLog> ModemLog::open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOLBF, 0); // whole lines at once, for readers while we run
    return std::unique_ptr<ModemLog>(new ModemLog(file));
}

void ModemLog::write(TimePoint when, std::string_view kind, std::string_view text) {
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
    std::fprintf(m_file.get(), "%" PRId64 ".%06" PRId64 " %.*s %.*s\n",
                 static_cast<std::int64_t>(us / 1000000), static_cast<std::int64_t>(us % 1000000),
                 static_cast<int>(kind.size()), kind.data(), static_cast<int>(text.size()),
                 text.data());
}

std::string formatModemLines(const ModemLines& lines) {
    const auto bit = [](bool on) { return on ? "1" : "0"; };
    return std::string("cts=") + bit(lines.cts) + " dsr=" + bit(lines.dsr) +
           " ri=" + bit(lines.ring) + " dcd=" + bit(lines.carrier) + "\n";
}

bool writeModemLines(const std::string& path, const ModemLines& lines) {
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    const std::string text = formatModemLines(lines);
    const bool written = std::fputs(text.c_str(), file) >= 0;
    const bool closed = std::fclose(file) == 0;
    return written && closed && std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace dlcsim
