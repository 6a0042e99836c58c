// The error a property access or method call of the control raises towards its host.
// Only numbers and texts cross the control's interface, never exceptions: the automation
// layer turns this into the host's error object.
#pragma once

#include "ctrl/Expected.h"

#include <cstdint>
#include <string>

namespace tavrin {

struct AutomationError {
    std::int32_t number;
    std::string message;

    friend bool operator==(const AutomationError&, const AutomationError&) = default;
};

// The host platform's "invalid property array index" number; hosts test for it by value.
inline constexpr std::int32_t kErrorInvalidPropertyArrayIndex = 381;

// What every fallible call of the control returns: its value, or the error for the host.
template <class T>
using Outcome = Expected<T, AutomationError>;

} // namespace tavrin
