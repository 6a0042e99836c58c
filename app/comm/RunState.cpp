#include "comm/RunState.h"

#include <algorithm>

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

std::optional<RunState::Listed> RunState::takeNext() {
    if (selection.empty())
        return std::nullopt;
    // A position left beyond a list that shrank reads its last entry, which ends the round.
    const auto at = std::min(static_cast<std::size_t>(std::max<std::int16_t>(pollPosition, 0)),
                             selection.size() - 1);
    const Listed next{selection[at], selection[at] >= lastListed};
    pollPosition = next.roundEnd ? std::int16_t{0} : static_cast<std::int16_t>(at + 1);
    return next;
}

} // namespace torvik::comm
