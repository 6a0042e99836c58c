// What the codec remembers between transactions of one control.
#pragma once

#include <cstdint>

namespace tavrin::frame {

struct CodecState {
    // Sent with each scattered read so a slave can tell a repeat from a new request; a
    // scattered write sets it to 2 after sending its own fixed 1.
    std::uint8_t transactionCounter = 0;
};

} // namespace tavrin::frame
