// What ticking or unticking a selection box does on the measurement, information and custom
// tabs: the selection list is rebuilt from the ticked boxes and Start and the assign button
// follow whether anything is ticked.
#pragma once

#include "comm/RunState.h"
#include "screens/comm/CommWidgets.h"

#include <functional>
#include <span>

class QCheckBox;

namespace torvik::screens::comm {

// `emptyRow(i)` clears the value boxes of row i, ticked or not.
void selectionRule(torvik::comm::RunState& run, RunControls& controls,
                   std::span<QCheckBox* const> boxes,
                   const std::function<void(std::size_t)>& emptyRow);

} // namespace torvik::screens::comm
