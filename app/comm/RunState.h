// The run state the four tabs share: the selection list and its poll position, the stop,
// abort and ready flags, the receive flags, the data-saving flags and the error-log ring.
// The main screen owns one; the runs and the tab controls read and write it.
#pragma once

#include "comm/ErrorLog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvik::comm {

struct RunState {
    // Ascending indexes (load cells, items or rows) to poll, the position of the next one and
    // the last index put in.
    std::vector<std::int16_t> selection;
    std::int16_t pollPosition = 0;
    std::int16_t lastListed = 0;

    bool stop = false;
    bool abort = false;
    bool ready = false;
    std::array<bool, 9> received{}; // per index 0..8; true = no reply outstanding
    bool roundComplete = false;
    bool recordPending = false;
    bool firstRecord = false;

    ErrorLogRing errorLog;

    void clearSelection();
    // Rebuilds the list from the ticked indexes (ascending) and starts at its beginning.
    void setSelection(std::vector<std::int16_t> ticked);

    // The entry at the poll position, which moves on; after the last listed entry it goes
    // back to 0 and the round has ended. Nothing when the list is empty.
    struct Listed {
        std::int16_t index = 0;
        bool roundEnd = false;
    };
    std::optional<Listed> takeNext();
};

} // namespace torvik::comm
