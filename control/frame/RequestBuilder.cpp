#include "frame/RequestBuilder.h"

#include "frame/AddressMap.h"
#include "frame/AsciiFrame.h"
#include "frame/FunctionMap.h"
#include "frame/ListText.h"
#include "frame/RtuFrame.h"
#include "tavrin/TavrinEnums.h"

#include <algorithm>

namespace tavrin::frame {
namespace {

// A byte-count field is one byte; a request whose count does not fit would announce a
// different length than it carries, and its data would have to come from beyond the area.
constexpr std::int64_t kMaxByteCount = 255;

// Reads are pointless as broadcasts: nobody may answer them.
bool refusedAsBroadcast(std::int32_t function) {
    switch (function) {
    case FUNC_MB_FORCE_SINGLE_COIL:
    case FUNC_MB_PRESET_SINGLE_REGISTER:
    case FUNC_MB_FORCE_MULTIPLE_COILS:
    case FUNC_MB_PRESET_MULTIPLE_REGISTERS:
    case FUNC_MB_WRITE_GENERAL_REFERENCE:
    case FUNC_MB_MASK_WRITE_4X:
    case FUNC_MB_READ_WRITE_4X:
    case FUNC_MB_SCATTERED_WRITE:
    case FUNC_MB_CUSTOM_FUNCTION:
        return false;
    default:
        return true;
    }
}

// (N-1) div 8 + 1 with C's truncation toward zero: 0 coils still take one byte.
std::int32_t coilBytes(std::int32_t n) {
    return (n - 1) / 8 + 1;
}

std::uint8_t low8(std::int64_t v) {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) & 0xFFU);
}

std::uint16_t low16(std::int64_t v) {
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFU);
}

class Builder {
public:
    Builder(const TransactionProperties& p, const DataBytes& area, CodecState& state,
            FunctionCode fc, ModbusFrame& frame, Request& out)
        : m_p(p), m_area(area), m_state(state), m_fc(fc), m_frame(frame), m_out(out) {}

    int build();

private:
    void addWord(std::uint16_t w) {
        m_frame.AddByte(static_cast<std::uint8_t>(w >> 8));
        m_frame.AddByte(static_cast<std::uint8_t>(w & 0xFFU));
    }
    void addAreaWord(std::size_t i) { addWord(wordAt(m_area, i)); }
    void expectByteCount(std::int64_t count) { m_frame.setExpectedByteCount(low8(count)); }
    std::uint16_t map(std::string_view reference) const {
        return MapAddress(m_p.addressType, m_fc.code, leadingNumber(reference));
    }
    bool enron() const { return m_p.addressType == ADDR_TYPE_ENRON_MODBUS; }

    int singleRegister();
    int multipleCoils();
    int multipleRegisters();
    int fileRecords();
    int readWrite();
    int deviceId();
    int scattered();
    int custom();

    const TransactionProperties& m_p;
    const DataBytes& m_area;
    CodecState& m_state;
    FunctionCode m_fc;
    ModbusFrame& m_frame;
    Request& m_out;
    std::int32_t m_qty = m_p.memQty;
    std::uint16_t m_address = map(m_p.memStart);
};

int Builder::build() {
    m_out.reply = {m_fc.code, m_address, m_qty, m_p.addressType};
    switch (m_p.function) {
    case FUNC_MB_READ_COIL_STATUS:
    case FUNC_MB_READ_INPUT_STATUS:
        m_frame.AddByte(m_fc.code);
        addWord(m_address);
        addWord(low16(m_qty));
        expectByteCount(coilBytes(m_qty));
        return RES_AX_SUCCESS;
    case FUNC_MB_READ_HOLDING_REGISTERS:
    case FUNC_MB_READ_INPUT_REGISTERS:
        m_frame.AddByte(m_fc.code);
        addWord(m_address);
        addWord(low16(m_qty));
        // Enron tables hold 32-bit and text values; their replies are sized by the slave.
        expectByteCount(enron() ? 0 : 2 * m_qty);
        return RES_AX_SUCCESS;
    case FUNC_MB_FORCE_SINGLE_COIL:
        m_frame.AddByte(m_fc.code);
        addWord(m_address);
        m_frame.AddByte(wordAt(m_area, 0) != 0 ? 0xFF : 0x00);
        m_frame.AddByte(0x00);
        return RES_AX_SUCCESS;
    case FUNC_MB_PRESET_SINGLE_REGISTER:
        return singleRegister();
    case FUNC_MB_DIAGNOSTIC_TEST:
        m_frame.AddByte(m_fc.code);
        addWord(m_address); // the sub-function, sent as written
        addAreaWord(0);
        return RES_AX_SUCCESS;
    case FUNC_MB_READ_EXCEPTION_STATUS:
        m_frame.AddByte(m_fc.code);
        m_out.reply.elementCount = 8; // one status byte
        return RES_AX_SUCCESS;
    case FUNC_MB_FORCE_MULTIPLE_COILS:
        return multipleCoils();
    case FUNC_MB_PRESET_MULTIPLE_REGISTERS:
        return multipleRegisters();
    case FUNC_MB_READ_GENERAL_REFERENCE:
    case FUNC_MB_WRITE_GENERAL_REFERENCE:
        return fileRecords();
    case FUNC_MB_MASK_WRITE_4X:
        m_frame.AddByte(m_fc.code);
        addWord(m_address);
        addAreaWord(0); // and-mask
        addAreaWord(1); // or-mask
        return RES_AX_SUCCESS;
    case FUNC_MB_READ_WRITE_4X:
        return readWrite();
    case FUNC_MB_READ_DEVICE_ID:
        return deviceId();
    case FUNC_MB_SCATTERED_READ:
    case FUNC_MB_SCATTERED_WRITE:
        return scattered();
    case FUNC_MB_CUSTOM_FUNCTION:
        return custom();
    default: // 0, 17 and 65: the function code alone
        m_frame.AddByte(m_fc.code);
        return RES_AX_SUCCESS;
    }
}

// Enron register numbers select the value width: below 3000 none (a trigger), 3000-4999
// 16-bit, from 5000 on 32-bit.
int Builder::singleRegister() {
    m_frame.AddByte(m_fc.code);
    addWord(m_address);
    const std::int32_t reg = leadingNumber(m_p.memStart);
    if (!enron() || (reg >= 3000 && reg < 5000)) {
        addAreaWord(0);
    } else if (reg >= 5000) {
        addAreaWord(0);
        addAreaWord(1);
        // node, code, address, 4 value bytes
        m_frame.SetExpectedLength(8);
    }
    return RES_AX_SUCCESS;
}

int Builder::multipleCoils() {
    const std::int32_t bytes = coilBytes(m_qty);
    if (m_qty < 0 || bytes > kMaxByteCount) {
        return RES_AX_INVALID_FUNCTION;
    }
    m_frame.AddByte(m_fc.code);
    addWord(m_address);
    addWord(low16(m_qty));
    m_frame.AddByte(low8(bytes));
    for (std::int32_t i = 0; i < bytes; ++i) {
        m_frame.AddByte(m_area[static_cast<std::size_t>(i)]);
    }
    return RES_AX_SUCCESS;
}

int Builder::multipleRegisters() {
    const std::int32_t reg = leadingNumber(m_p.memStart);
    const bool none = enron() && reg < 3000;
    const bool wide = enron() && reg >= 5000;
    const std::int64_t bytes = std::int64_t{m_qty} * (wide ? 4 : 2);
    if (!none && (m_qty < 0 || bytes > kMaxByteCount)) {
        return RES_AX_INVALID_FUNCTION;
    }
    m_frame.AddByte(m_fc.code);
    addWord(m_address);
    addWord(low16(m_qty));
    if (none) {
        return RES_AX_SUCCESS;
    }
    m_frame.AddByte(low8(bytes));
    const auto words = static_cast<std::size_t>(bytes / 2);
    for (std::size_t i = 0; i < words; ++i) {
        addAreaWord(i);
    }
    return RES_AX_SUCCESS;
}

// MemStart: groups of reference type, file number, record number and record length.
int Builder::fileRecords() {
    const auto items = listItems(m_p.memStart);
    if (items.empty() || items.size() % 4 != 0) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    const std::size_t groups = items.size() / 4;
    std::int64_t words = 0;
    for (std::size_t g = 0; g < groups; ++g) {
        words += low16(leadingNumber(items[4 * g + 3]));
    }
    const bool write = m_p.function == FUNC_MB_WRITE_GENERAL_REFERENCE;
    // 7 bytes per group header, and for a write the record data itself
    const std::int64_t byteCount = 7 * static_cast<std::int64_t>(groups) + (write ? 2 * words : 0);
    if (byteCount > kMaxByteCount) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    m_frame.AddByte(m_fc.code);
    m_frame.AddByte(low8(byteCount));
    std::size_t next = 0;
    for (std::size_t g = 0; g < groups; ++g) {
        m_frame.AddByte(low8(leadingNumber(items[4 * g])));
        for (std::size_t k = 1; k < 4; ++k) {
            addWord(low16(leadingNumber(items[4 * g + k])));
        }
        if (write) {
            for (std::uint16_t n = low16(leadingNumber(items[4 * g + 3])); n > 0; --n) {
                addAreaWord(next++);
            }
        }
    }
    const auto qty = static_cast<std::int16_t>(words);
    m_out.memQty = qty;
    m_out.reply.elementCount = qty;
    if (!write) {
        expectByteCount(2 * (qty + static_cast<std::int64_t>(groups)));
    }
    return RES_AX_SUCCESS;
}

// MemStart: read start, read quantity, write start, write quantity.
int Builder::readWrite() {
    if (std::count(m_p.memStart.begin(), m_p.memStart.end(), ',') < 3) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    const auto items = listItems(m_p.memStart);
    const std::uint16_t readQty = low16(leadingNumber(items[1]));
    const std::uint16_t writeQty = low16(leadingNumber(items[3]));
    if (2 * std::int64_t{writeQty} > kMaxByteCount) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    const std::uint16_t readAddress = map(items[0]);
    m_frame.AddByte(m_fc.code);
    addWord(readAddress);
    addWord(readQty);
    addWord(map(items[2]));
    addWord(writeQty);
    m_frame.AddByte(low8(2 * writeQty));
    for (std::size_t i = 0; i < writeQty; ++i) {
        addAreaWord(i);
    }
    m_out.reply.mappedStart = readAddress;
    m_out.reply.elementCount = readQty;
    expectByteCount(2 * readQty);
    return RES_AX_SUCCESS;
}

// MemStart: read-device-id code, object id.
int Builder::deviceId() {
    const auto items = listItems(m_p.memStart);
    if (items.size() < 2) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    m_frame.AddByte(m_fc.code);
    m_frame.AddByte(m_fc.subFunction);
    m_frame.AddByte(low8(leadingNumber(items[0])));
    m_frame.AddByte(low8(leadingNumber(items[1])));
    return RES_AX_SUCCESS;
}

// MemStart: the register references to read or write.
int Builder::scattered() {
    const auto items = listItems(m_p.memStart);
    const auto n = static_cast<std::int64_t>(items.size());
    const bool write = m_fc.subFunction == 5;
    // sub-function and counter, then an address (and for a write a value) per reference
    const std::int64_t byteCount = (write ? 4 : 2) * n + 2;
    if (byteCount > kMaxByteCount) {
        return RES_AX_BAD_MEMSTART_FORMAT;
    }
    m_frame.AddByte(m_fc.code);
    m_frame.AddByte(low8(byteCount));
    m_frame.AddByte(m_fc.subFunction);
    if (write) {
        m_frame.AddByte(1);
        m_state.transactionCounter = 2;
    } else {
        m_frame.AddByte(m_state.transactionCounter++);
    }
    for (std::size_t k = 0; k < items.size(); ++k) {
        addWord(map(items[k]));
        if (write) {
            addAreaWord(k);
        }
    }
    m_out.reply.elementCount = static_cast<std::int32_t>(n);
    expectByteCount(2 * n + 2);
    return RES_AX_SUCCESS;
}

// MemStart: the raw bytes after the node address, in hexadecimal.
int Builder::custom() {
    m_frame.setCustomFunction(true);
    m_frame.SetExpectedLength(low8(m_qty + 2));
    for (std::string_view item : listItems(m_p.memStart)) {
        m_frame.AddByte(low8(leadingHexNumber(item)));
    }
    return RES_AX_SUCCESS;
}

std::unique_ptr<ModbusFrame> makeFrame(std::int16_t dataMode) {
    switch (dataMode) {
    case DATA_MODE_MB_RTU:
        return std::make_unique<RtuFrame>();
    case DATA_MODE_MB_ASCII:
        return std::make_unique<AsciiFrame>();
    case DATA_MODE_MB_RTU_BAD: {
        auto frame = std::make_unique<RtuFrame>();
        frame->setBadChecksum(true);
        return frame;
    }
    default:
        // No framing to send in: refused like a function the control cannot perform.
        return nullptr;
    }
}

} // namespace

Request buildRequest(const TransactionProperties& properties, const DataBytes& area,
                     CodecState& state) {
    Request out;
    auto frame = makeFrame(properties.dataMode);
    const auto fc = MapFunction(properties.function);
    if (!frame || !fc) {
        out.result = RES_AX_INVALID_FUNCTION;
        return out;
    }
    out.node = low8(leadingNumber(properties.nodeAddress));
    if (out.node == 0 && refusedAsBroadcast(properties.function)) {
        out.result = RES_AX_ILLEGAL_BROADCAST_FUNCTION;
        return out;
    }
    frame->AddByte(out.node);
    Builder builder(properties, area, state, *fc, *frame, out);
    out.result = builder.build();
    if (out.result != RES_AX_SUCCESS) {
        out.memQty.reset();
        return out;
    }
    frame->Finish();
    // Only a custom byte list can outgrow the buffer; a cut frame would lose its checksum.
    if (frame->overflowed()) {
        out.result = RES_AX_BAD_MEMSTART_FORMAT;
        out.memQty.reset();
        return out;
    }
    out.frame = std::move(frame);
    return out;
}

} // namespace tavrin::frame
