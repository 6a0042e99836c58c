#include "screens/Placement.h"

#include <QWidget>

namespace torvik::screens {

void handPlacement(const QWidget& from, QWidget& to) {
    // Position and the maximised/minimised state travel; each screen keeps its own size.
    to.move(from.pos());
    to.setWindowState(from.windowState());
}

void switchScreen(QWidget& from, QWidget& to) {
    handPlacement(from, to);
    from.hide();
    to.show();
    to.raise();
    to.activateWindow();
}

} // namespace torvik::screens
