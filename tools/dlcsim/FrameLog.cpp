#include "FrameLog.h"

#include <cinttypes>

namespace dlcsim {
namespace {

void appendTime(std::string& line, TimePoint t) {
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count();
    char text[40];
    std::snprintf(text, sizeof text, "%" PRId64 ".%06" PRId64,
                  static_cast<std::int64_t>(us / 1000000), static_cast<std::int64_t>(us % 1000000));
    line += text;
}

} // namespace

std::string formatLogLine(TimePoint first, TimePoint last, Direction direction,
                          std::span<const std::uint8_t> bytes, std::string_view verdict) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(40 + 3 * bytes.size() + verdict.size());
    appendTime(line, first);
    line += ' ';
    appendTime(line, last);
    line += direction == Direction::Rx ? " rx |" : " tx |";
    for (std::uint8_t b : bytes) {
        line += ' ';
        line += kDigits[b >> 4];
        line += kDigits[b & 0x0FU];
    }
    line += " | ";
    line += verdict;
    return line;
}

std::unique_ptr<FrameLog> FrameLog::open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return nullptr;
    }
    // Whole lines reach the file at once, so a reader never sees half a frame.
    std::setvbuf(file, nullptr, _IOLBF, 0);
    return std::unique_ptr<FrameLog>(new FrameLog(file));
}

void FrameLog::write(TimePoint first, TimePoint last, Direction direction,
                     std::span<const std::uint8_t> bytes, std::string_view verdict) {
    const std::string line = formatLogLine(first, last, direction, bytes, verdict);
    std::fprintf(m_file.get(), "%s\n", line.c_str());
}

} // namespace dlcsim
