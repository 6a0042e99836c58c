// The screen being left hands its window placement to the screen it opens, so the operator
// sees one window that changes its content rather than windows jumping about.
#pragma once

class QWidget;

namespace torvik::screens {

void handPlacement(const QWidget& from, QWidget& to);

// Hands the placement over, hides the screen being left and shows the other one.
void switchScreen(QWidget& from, QWidget& to);

} // namespace torvik::screens
