// Taking a reply in, one received byte at a time.
#pragma once

#include "frame/ModbusFrame.h"

#include <cstdint>

namespace tavrin::frame {

// Appends one received byte to the reply (Reset for receiving beforehand) and tells whether
// the reply is now whole. Bytes before an ASCII frame's ':' are line noise and dropped; a reply
// that has grown to the buffer's size is discarded and reception starts over.
bool acceptByte(ModbusFrame& reply, std::uint8_t byte);

} // namespace tavrin::frame
