// SIGINT, SIGTERM and SIGHUP delivered as a readable descriptor, so the event loop
// sleeps on them together with the line.
#pragma once

#include "UniqueFd.h"

#include <optional>
#include <string>

namespace dlcsim {

class StopSignals {
public:
    // Blocks the signals in the calling thread (call before any other thread starts).
    static std::optional<StopSignals> install(std::string& error);

    int fd() const { return m_fd.get(); }
    // The signal number that arrived, 0 if none.
    int take();

private:
    StopSignals() = default;
    UniqueFd m_fd;
};

} // namespace dlcsim
