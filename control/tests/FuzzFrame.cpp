// libFuzzer target: arbitrary bytes as replies to every kind of request in both framings.
// Input layout: function index, data mode, address type, MemQty (2 bytes, big-endian),
// MemStart length n, n MemStart characters, then the received bytes.
#include "frame/AsciiFrame.h"
#include "frame/ParseReply.h"
#include "frame/Reception.h"
#include "frame/ReplyResult.h"
#include "frame/RequestBuilder.h"
#include "frame/RtuFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

using namespace tavrin;
using namespace tavrin::frame;

// Every Function value plus a few the property refuses.
constexpr std::int32_t kFunctions[] = {0,  1,  2,  3,  4,   5,   6,    7,     8, 15, 16,  17,   20,
                                       21, 22, 23, 65, 100, 255, 4314, 10005, 9, 43, 101, 10004};
constexpr std::size_t kHeader = 6;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The frame's accessors on whatever it holds must stay inside its buffers.
void touchAccessors(ModbusFrame& frame) {
    (void)frame.GetAddress();
    (void)frame.GetFunction();
    (void)frame.GetExceptionCode();
    (void)frame.GetByteCount();
    const auto payload = frame.GetPayload();
    check(payload.size() <= ModbusFrame::kCapacity);
    for (std::size_t i = 0; i < payload.size() + 2; ++i) {
        (void)frame.GetByte(i);
        (void)frame.GetWord(i);
        (void)frame.GetBit(8 * i + 7);
    }
}

// ParseReply on an unvalidated frame too, for every code: its bounds must hold regardless.
void parseEveryCode(const ModbusFrame& frame, std::int16_t memQty, std::int16_t addressType) {
    constexpr std::uint8_t kCodes[] = {1,  2,  3,  4,  5,  6,  7,  8,   15, 16,
                                       17, 20, 21, 22, 23, 43, 65, 100, 255};
    for (std::uint8_t code : kCodes) {
        DataBytes area{};
        std::int16_t qty = memQty;
        const auto start = static_cast<std::uint16_t>(memQty);
        ParseReply({code, start, memQty, addressType}, frame, area, qty);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return 0;
    }
    const std::span<const std::uint8_t> input(data, size);
    TransactionProperties p;
    p.function = kFunctions[input[0] % std::size(kFunctions)];
    p.dataMode = static_cast<std::int16_t>(input[1] % 4);
    p.addressType = static_cast<std::int16_t>(input[2] % 6);
    p.memQty = static_cast<std::int16_t>((input[3] << 8) | input[4]);
    const std::size_t textLength = std::min<std::size_t>(input[5], size - kHeader);
    p.memStart.assign(reinterpret_cast<const char*>(data + kHeader), textLength);
    p.nodeAddress = (input[1] & 0x80U) != 0 ? "0" : "1";
    const auto received = input.subspan(kHeader + textLength);

    DataBytes area{};
    for (std::size_t i = 0; i < area.size(); ++i) {
        area[i] = static_cast<std::uint8_t>(i * 7);
    }
    CodecState state;
    Request request = buildRequest(p, area, state);
    if (!request.frame) {
        check(request.result != 0);
        // Still drive both framings with the bytes, as a reply to nothing in particular.
        RtuFrame rtu;
        AsciiFrame ascii;
        ascii.Reset();
        for (std::uint8_t b : received) {
            (void)acceptByte(rtu, b);
            (void)acceptByte(ascii, b);
        }
        touchAccessors(rtu);
        touchAccessors(ascii);
        parseEveryCode(rtu, p.memQty, p.addressType);
        parseEveryCode(ascii, p.memQty, p.addressType);
        return 0;
    }
    check(request.result == 0 && request.frame->length() <= ModbusFrame::kCapacity);
    touchAccessors(*request.frame);

    ModbusFrame& reply = *request.frame;
    reply.Reset();
    std::int16_t memQty = request.memQty.value_or(p.memQty);
    for (std::uint8_t b : received) {
        if (acceptByte(reply, b)) {
            (void)concludeReply(request.reply, reply, area, memQty);
            touchAccessors(reply);
            reply.Reset();
        }
    }
    (void)concludeTimeout(request.reply, reply, area, memQty);
    touchAccessors(reply);
    parseEveryCode(reply, memQty, p.addressType);
    return 0;
}
