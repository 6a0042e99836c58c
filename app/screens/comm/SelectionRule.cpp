#include "screens/comm/SelectionRule.h"

#include <QCheckBox>
#include <QPushButton>

namespace torvik::screens::comm {

void selectionRule(torvik::comm::RunState& run, RunControls& controls,
                   std::span<QCheckBox* const> boxes,
                   const std::function<void(std::size_t)>& emptyRow) {
    run.clearSelection();
    std::vector<std::int16_t> ticked;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i]->isChecked())
            ticked.push_back(static_cast<std::int16_t>(i));
        emptyRow(i);
    }
    const bool any = !ticked.empty();
    controls.manual->setEnabled(any);
    controls.start->setEnabled(any);
    if (any)
        run.setSelection(std::move(ticked));
}

} // namespace torvik::screens::comm
