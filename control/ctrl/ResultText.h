// The sentence a host shows for a transaction's Result (ResultString is computed from
// Result on every read, never stored).
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Known results give their fixed sentence; every other value, including the Modbus
// exception codes without a sentence of their own, gives the "unrecognized error" sentence
// naming the value in lower-case hexadecimal.
std::string ResultString(std::int32_t result);

} // namespace tavrin
