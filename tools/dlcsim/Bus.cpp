#include "Bus.h"

#include "Request.h"

#include <vector>

namespace dlcsim {
namespace {

// Quantity limits of the Modbus application protocol, chosen there so that a reply
// fits in the 253-byte PDU.
constexpr std::uint16_t kMaxReadBits = 2000;
constexpr std::uint16_t kMaxReadRegisters = 125;
constexpr std::uint16_t kMaxWriteBits = 1968;
constexpr std::uint16_t kMaxWriteRegisters = 123;
constexpr std::uint16_t kCoilOn = 0xFF00;

struct Answer {
    std::uint8_t exception = 0;
    std::vector<std::uint8_t> pdu;
};

Answer refuse(std::uint8_t code) {
    return Answer{code, {}};
}

bool inTable(const Request& r, std::size_t count) {
    return std::size_t{r.start} + count <= kTableSize;
}

std::vector<std::uint16_t> wordsOf(std::span<const std::uint8_t> data) {
    std::vector<std::uint16_t> words(data.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>((data[2 * i] << 8) | data[2 * i + 1]);
    }
    return words;
}

Answer fromWrite(WriteResult result, std::vector<std::uint8_t> echo) {
    switch (result) {
    case WriteResult::IllegalAddress:
        return refuse(exc::kIllegalAddress);
    case WriteResult::IllegalValue:
        return refuse(exc::kIllegalValue);
    case WriteResult::Ok:
        break;
    }
    return Answer{0, std::move(echo)};
}

bool isAssignment(const Request& r) {
    return r.function == fn::kWriteRegisters && r.start == reg::kHoldAddress && r.quantity == 3;
}

std::uint32_t assignedSerial(const std::vector<std::uint16_t>& words) {
    return (std::uint32_t{words[1]} << 16) | words[2];
}

Answer execute(Cell& cell, const Request& r, std::span<const std::uint8_t> pdu, TimePoint now) {
    std::vector<std::uint8_t> echo(pdu.begin(),
                                   pdu.begin() + std::min<std::ptrdiff_t>(5, std::ssize(pdu)));
    switch (r.function) {
    case fn::kReadCoils:
    case fn::kReadInputStatus: {
        if (r.quantity < 1 || r.quantity > kMaxReadBits) {
            return refuse(exc::kIllegalValue);
        }
        if (!inTable(r, r.quantity)) {
            return refuse(exc::kIllegalAddress);
        }
        const std::size_t bytes = (r.quantity + 7U) / 8U;
        Answer a{0, {r.function, static_cast<std::uint8_t>(bytes)}};
        a.pdu.resize(2 + bytes);
        for (std::size_t i = 0; i < r.quantity; ++i) {
            const std::size_t at = r.start + i;
            const bool on = r.function == fn::kReadCoils ? cell.coil(at) : cell.inputStatus(at);
            if (on) {
                a.pdu[2 + i / 8] = static_cast<std::uint8_t>(a.pdu[2 + i / 8] | (1U << (i % 8)));
            }
        }
        return a;
    }
    case fn::kReadHolding:
    case fn::kReadInput: {
        if (r.quantity < 1 || r.quantity > kMaxReadRegisters) {
            return refuse(exc::kIllegalValue);
        }
        if (!inTable(r, r.quantity)) {
            return refuse(exc::kIllegalAddress);
        }
        std::vector<std::uint16_t> regs(r.quantity);
        if (r.function == fn::kReadInput) {
            cell.readInputRegisters(r.start, now, regs);
        } else {
            cell.readHoldingRegisters(r.start, regs);
        }
        Answer a{0, {r.function, static_cast<std::uint8_t>(2 * regs.size())}};
        for (std::uint16_t v : regs) {
            a.pdu.push_back(static_cast<std::uint8_t>(v >> 8));
            a.pdu.push_back(static_cast<std::uint8_t>(v & 0xFFU));
        }
        return a;
    }
    case fn::kWriteCoil:
        if (r.quantity != 0 && r.quantity != kCoilOn) {
            return refuse(exc::kIllegalValue);
        }
        if (!inTable(r, 1)) {
            return refuse(exc::kIllegalAddress);
        }
        cell.writeCoil(r.start, r.quantity == kCoilOn, now);
        return Answer{0, echo};
    case fn::kWriteRegister: {
        if (!inTable(r, 1)) {
            return refuse(exc::kIllegalAddress);
        }
        const std::uint16_t value = r.quantity;
        return fromWrite(cell.writeHoldingRegisters(r.start, std::span(&value, 1)), echo);
    }
    case fn::kWriteCoils:
        if (r.quantity < 1 || r.quantity > kMaxWriteBits ||
            r.data.size() != (r.quantity + 7U) / 8U) {
            return refuse(exc::kIllegalValue);
        }
        if (!inTable(r, r.quantity)) {
            return refuse(exc::kIllegalAddress);
        }
        for (std::size_t i = 0; i < r.quantity; ++i) {
            cell.writeCoil(r.start + i, ((r.data[i / 8] >> (i % 8)) & 1U) != 0, now);
        }
        return Answer{0, echo};
    case fn::kWriteRegisters: {
        if (r.quantity < 1 || r.quantity > kMaxWriteRegisters || r.data.size() != 2U * r.quantity) {
            return refuse(exc::kIllegalValue);
        }
        if (!inTable(r, r.quantity)) {
            return refuse(exc::kIllegalAddress);
        }
        const std::vector<std::uint16_t> words = wordsOf(r.data);
        if (isAssignment(r)) {
            // Sent to one cell, the assignment still has to carry that cell's serial number.
            if (assignedSerial(words) != cell.serial()) {
                return refuse(exc::kIllegalValue);
            }
            return fromWrite(
                cell.writeHoldingRegisters(reg::kHoldAddress, std::span(words).first(1)), echo);
        }
        return fromWrite(cell.writeHoldingRegisters(r.start, words), echo);
    }
    case fn::kReportSlaveId: {
        const std::string& id = cell.modelText();
        Answer a{0, {r.function, static_cast<std::uint8_t>(2 + id.size()), cell.address(), 0xFF}};
        a.pdu.insert(a.pdu.end(), id.begin(), id.end());
        return a;
    }
    default:
        return refuse(exc::kIllegalFunction);
    }
}

bool touchesAddressRegister(const Request& r) {
    return (r.function == fn::kWriteRegister || r.function == fn::kWriteRegisters) &&
           r.start == reg::kHoldAddress;
}

} // namespace

Bus::Bus(const Config& config, TimePoint start) {
    m_cells.reserve(config.cells.size());
    for (std::size_t i = 0; i < config.cells.size(); ++i) {
        m_cells.emplace_back(static_cast<int>(i + 1), config.cells[i], config, start);
    }
}

Outcome Bus::handle(std::span<const std::uint8_t> message, TimePoint now) {
    if (message.size() < 2) {
        return Outcome{{}, 0, false, true, "too short"};
    }
    const std::uint8_t address = message[0];
    if (address == 0) {
        return broadcast(message.subspan(1), now);
    }
    for (Cell& cell : m_cells) {
        if (cell.address() == address) {
            return unicast(cell, message, now);
        }
    }
    return Outcome{
        {}, 0, false, false, "for address " + std::to_string(address) + ": no such cell"};
}

Outcome Bus::unicast(Cell& cell, std::span<const std::uint8_t> message, TimePoint now) {
    const std::uint8_t address = message[0];
    const auto pdu = message.subspan(1);
    const std::string who = " cell " + std::to_string(cell.number());
    const ParsedRequest parsed = parseRequest(pdu);
    Outcome out;
    out.cell = cell.number();
    Answer answer;
    if (const auto* unknown = std::get_if<UnknownFunction>(&parsed)) {
        answer = refuse(exc::kIllegalFunction);
        out.verdict = "function " + std::to_string(unknown->function) + who;
    } else if (const auto* r = std::get_if<Request>(&parsed)) {
        answer = execute(cell, *r, pdu, now);
        std::string text = describe(*r);
        // Put the cell after the function's name: "read input regs cell 1 addr 0 qty 2".
        const std::size_t cut = text.find(" addr");
        out.verdict = cut == std::string::npos ? text + who : text.insert(cut, who);
    } else {
        out.cell = 0;
        out.malformed = true;
        out.verdict = "malformed request for" + who;
        return out;
    }
    out.reply.push_back(address);
    if (answer.exception != 0) {
        out.reply.push_back(static_cast<std::uint8_t>(pdu[0] | 0x80U));
        out.reply.push_back(answer.exception);
        out.verdict += " -> exception " + std::to_string(answer.exception);
    } else {
        out.reply.insert(out.reply.end(), answer.pdu.begin(), answer.pdu.end());
    }
    return out;
}

Outcome Bus::broadcast(std::span<const std::uint8_t> pdu, TimePoint now) {
    Outcome out;
    out.broadcast = true;
    const ParsedRequest parsed = parseRequest(pdu);
    const auto* r = std::get_if<Request>(&parsed);
    if (r == nullptr) {
        out.malformed = std::holds_alternative<Malformed>(parsed);
        out.verdict = "broadcast function " + std::to_string(pdu[0]) + " ignored";
        return out;
    }
    const bool isWrite = r->function == fn::kWriteCoil || r->function == fn::kWriteRegister ||
                         r->function == fn::kWriteCoils || r->function == fn::kWriteRegisters;
    if (!isWrite) {
        out.verdict = "broadcast " + describe(*r) + " ignored";
        return out;
    }
    if (isAssignment(*r) && r->data.size() == 6) {
        const std::vector<std::uint16_t> words = wordsOf(r->data);
        const std::uint32_t serial = assignedSerial(words);
        out.verdict = "broadcast assign address " + std::to_string(words[0]) + " to serial " +
                      std::to_string(serial);
        for (Cell& cell : m_cells) {
            if (cell.serial() == serial) {
                const std::uint16_t newAddress = words[0];
                const bool ok =
                    cell.writeHoldingRegisters(reg::kHoldAddress, std::span(&newAddress, 1)) ==
                    WriteResult::Ok;
                out.verdict += ok ? " cell " + std::to_string(cell.number())
                                  : " cell " + std::to_string(cell.number()) + ": bad address";
                return out;
            }
        }
        out.verdict += ": no such cell";
        return out;
    }
    if (touchesAddressRegister(*r)) {
        // Every cell would take the same address: only the assignment may change it.
        out.verdict = "broadcast " + describe(*r) + " ignored";
        return out;
    }
    const bool sync =
        r->function == fn::kWriteCoil && r->start == reg::kSyncCoil && r->quantity == kCoilOn;
    // Every cell sees the same instant, so their latched values belong together.
    for (Cell& cell : m_cells) {
        execute(cell, *r, pdu, now);
    }
    out.verdict = sync ? "broadcast sync" : "broadcast " + describe(*r);
    return out;
}

} // namespace dlcsim
