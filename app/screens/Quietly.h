// A handler that meets an unexpected error ends there and keeps what it has done; nothing may
// escape into Qt's event loop.
#pragma once

#include <utility>

namespace torvik::screens {

template <typename F>
void quietly(F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (...) {
    }
}

// The same for a function: on an error it gives its initial result.
template <typename R, typename F>
R quietlyOr(R initial, F&& function) noexcept {
    try {
        return std::forward<F>(function)();
    } catch (...) {
        return initial;
    }
}

} // namespace torvik::screens
