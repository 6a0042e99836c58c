#include "comm/RunState.h"

namespace torvik::comm {

void RunState::clearSelection() {
    selection.clear();
}

void RunState::setSelection(std::vector<std::int16_t> ticked) {
    selection = std::move(ticked);
    pollPosition = 0;
    if (!selection.empty())
        lastListed = selection.back();
}

} // namespace torvik::comm
