// The right-hand column the measurement, information and custom tabs share: options,
// counters, run buttons and the data-saving captions.
#pragma once

#include "screens/comm/CommWidgets.h"

#include <QString>

class QBoxLayout;
class QLayout;
class QVBoxLayout;

namespace torvik::screens::comm {

// Creates the buttons, counters and captions of `run` on `page`, named "cmdStart" + suffix
// and so on (suffix "", "Info", "Custom" or "Test"); the test tab neither saves nor assigns.
void makeRunControls(QWidget* page, const QString& suffix, bool saveAndAssign, RunControls& run);

// Lays them out as a column: counters, then the buttons, then the saving captions.
void addRunColumn(QVBoxLayout& column, const RunControls& run, QLabel* lblErrorNote = nullptr);

// The page of a tab whose rows stand left of its run column, the message line below both.
void layOutRowsBesideColumn(QWidget& page, QLayout* rows, QVBoxLayout* column, QLabel* messageLine);

} // namespace torvik::screens::comm
