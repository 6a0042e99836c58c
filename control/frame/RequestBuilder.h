// Turning the control's transaction properties and data area into one request frame.
#pragma once

#include "frame/CodecState.h"
#include "frame/DataBytes.h"
#include "frame/ModbusFrame.h"
#include "frame/ParseReply.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tavrin::frame {

// The properties one transaction is built from, as the host set them.
struct TransactionProperties {
    std::int32_t function = 1;
    std::string nodeAddress = "1";
    std::string memStart = "40001";
    std::int16_t memQty = 1;
    std::int16_t addressType = 0;
    std::int16_t dataMode = 0;
};

struct Request {
    // RES_AX_SUCCESS with a finished frame, or the Result of a refusal and no frame.
    int result = 0;
    std::unique_ptr<ModbusFrame> frame;
    std::uint8_t node = 0; // 0: broadcast, no reply to wait for
    ReplyContext reply;
    // The new MemQty, for requests whose element count comes from MemStart (20, 21).
    std::optional<std::int16_t> memQty;
};

Request buildRequest(const TransactionProperties& properties, const DataBytes& area,
                     CodecState& state);

} // namespace tavrin::frame
