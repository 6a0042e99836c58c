#include "frame/Reception.h"

namespace tavrin::frame {

bool acceptByte(ModbusFrame& reply, std::uint8_t byte) {
    if (reply.length() >= ModbusFrame::kCapacity) {
        reply.Reset();
    }
    if (reply.framing() == Framing::Ascii) {
        const bool started = reply.length() > 0 && reply.bytes()[0] == ':';
        if (!started && !(reply.length() == 0 && byte == ':')) {
            return false;
        }
    }
    reply.append(byte);
    return reply.IsComplete();
}

} // namespace tavrin::frame
