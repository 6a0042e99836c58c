// One line per frame on the line:
//   <first byte> <last byte> rx|tx | <hex bytes> | <verdict>
// Times are monotonic seconds with microseconds, so gaps between frames can be measured:
// when a byte arrived or was sent or, with line timing, the line's own times (the first
// character's beginning and the last one's end), so that a gap is the line's silence.
#pragma once

#include "Clock.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace dlcsim {

enum class Direction { Rx, Tx };

class FrameLog {
public:
    // Opens (truncates) `path`; nullptr with errno set when it cannot.
    static std::unique_ptr<FrameLog> open(const std::string& path);

    void write(TimePoint first, TimePoint last, Direction direction,
               std::span<const std::uint8_t> bytes, std::string_view verdict);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit FrameLog(std::FILE* file) : m_file(file) {}

    std::unique_ptr<std::FILE, Closer> m_file;
};

std::string formatLogLine(TimePoint first, TimePoint last, Direction direction,
                          std::span<const std::uint8_t> bytes, std::string_view verdict);

} // namespace dlcsim
