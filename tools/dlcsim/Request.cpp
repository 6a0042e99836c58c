#include "Request.h"

namespace dlcsim {
namespace {

std::uint16_t word(std::span<const std::uint8_t> pdu, std::size_t at) {
    return static_cast<std::uint16_t>((pdu[at] << 8) | pdu[at + 1]);
}

const char* name(std::uint8_t function) {
    switch (function) {
    case fn::kReadCoils:
        return "read coils";
    case fn::kReadInputStatus:
        return "read input status";
    case fn::kReadHolding:
        return "read holding regs";
    case fn::kReadInput:
        return "read input regs";
    case fn::kWriteCoil:
        return "write coil";
    case fn::kWriteRegister:
        return "write holding reg";
    case fn::kWriteCoils:
        return "write coils";
    case fn::kWriteRegisters:
        return "write holding regs";
    case fn::kReportSlaveId:
        return "report slave id";
    default:
        return "function";
    }
}

} // namespace

ParsedRequest parseRequest(std::span<const std::uint8_t> pdu) {
    Request r;
    r.function = pdu[0];
    switch (r.function) {
    case fn::kReadCoils:
    case fn::kReadInputStatus:
    case fn::kReadHolding:
    case fn::kReadInput:
    case fn::kWriteCoil:
    case fn::kWriteRegister:
        if (pdu.size() != 5) {
            return Malformed{};
        }
        r.start = word(pdu, 1);
        r.quantity = word(pdu, 3);
        return r;
    case fn::kWriteCoils:
    case fn::kWriteRegisters:
        if (pdu.size() < 6 || pdu.size() != 6U + pdu[5]) {
            return Malformed{};
        }
        r.start = word(pdu, 1);
        r.quantity = word(pdu, 3);
        r.data = pdu.subspan(6);
        return r;
    case fn::kReportSlaveId:
        if (pdu.size() != 1) {
            return Malformed{};
        }
        return r;
    default:
        return UnknownFunction{r.function};
    }
}

std::string describe(const Request& r) {
    std::string text = name(r.function);
    switch (r.function) {
    case fn::kReportSlaveId:
        return text;
    case fn::kWriteCoil:
        return text + " addr " + std::to_string(r.start) +
               (r.quantity == 0xFF00 ? " on"
                : r.quantity == 0    ? " off"
                                     : " bad value");
    case fn::kWriteRegister:
        return text + " addr " + std::to_string(r.start) + " value " + std::to_string(r.quantity);
    default:
        return text + " addr " + std::to_string(r.start) + " qty " + std::to_string(r.quantity);
    }
}

} // namespace dlcsim
