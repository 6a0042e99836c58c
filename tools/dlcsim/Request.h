// A request PDU taken apart, as a slave sees it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace dlcsim {

namespace fn {
inline constexpr std::uint8_t kReadCoils = 1;
inline constexpr std::uint8_t kReadInputStatus = 2;
inline constexpr std::uint8_t kReadHolding = 3;
inline constexpr std::uint8_t kReadInput = 4;
inline constexpr std::uint8_t kWriteCoil = 5;
inline constexpr std::uint8_t kWriteRegister = 6;
inline constexpr std::uint8_t kWriteCoils = 15;
inline constexpr std::uint8_t kWriteRegisters = 16;
inline constexpr std::uint8_t kReportSlaveId = 17;
} // namespace fn

namespace exc {
inline constexpr std::uint8_t kIllegalFunction = 1;
inline constexpr std::uint8_t kIllegalAddress = 2;
inline constexpr std::uint8_t kIllegalValue = 3;
} // namespace exc

struct Request {
    std::uint8_t function = 0;
    std::uint16_t start = 0;
    std::uint16_t quantity = 0;         // for 5 and 6: the value written
    std::span<const std::uint8_t> data; // 15, 16: the bytes after the byte count
};

struct UnknownFunction {
    std::uint8_t function = 0;
};
struct Malformed {}; // a known function whose length does not fit it

using ParsedRequest = std::variant<Request, UnknownFunction, Malformed>;

// pdu: function code and data, at least one byte.
ParsedRequest parseRequest(std::span<const std::uint8_t> pdu);

// "read input regs addr 0 qty 2"
std::string describe(const Request& request);

} // namespace dlcsim
