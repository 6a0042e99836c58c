// Writing a good reply into the control's data area.
#pragma once

#include "frame/DataBytes.h"
#include "frame/ModbusFrame.h"

#include <cstdint>

namespace tavrin::frame {

// What the request asked for, as far as the reply's meaning depends on it.
struct ReplyContext {
    std::uint8_t functionCode = 0;
    std::uint16_t mappedStart = 0; // Enron register number for codes 3 and 4
    std::int32_t elementCount = 0; // bits, registers or references requested
    std::int16_t addressType = 0;
};

// Clears the whole area, then stores the reply's data. Elements that fall outside the area
// or outside the received payload stay 0. Some replies set memQty (the host's MemQty).
void ParseReply(const ReplyContext& request, const ModbusFrame& reply, DataBytes& area,
                std::int16_t& memQty);

} // namespace tavrin::frame
