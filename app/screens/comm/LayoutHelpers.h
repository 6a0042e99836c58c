// Small builders for the tab pages: each widget gets its object name (arrays as name_index)
// and the design text; sizes are given in characters of the current font.
#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QColor;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace torvik::screens::comm {

QString indexedName(const char* name, int index); // "chkSelect_3"

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text);
// A read-only display box (values and counters) or an input field, `chars` wide.
QLineEdit* makeDisplay(QWidget* parent, const QString& name, const QString& text, int chars);
QLineEdit* makeInput(QWidget* parent, const QString& name, const QString& text, int chars);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text);
QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& text = {});
QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& text = {});
QComboBox* makeCombo(QWidget* parent, const QString& name, const QStringList& items, int chars);
// A message line across the page: one line, sunken, never squeezing the page.
QLabel* makeMessageLine(QWidget* parent, const QString& name);
// A check box or option without text whose caption is the label beside it: a click on the
// label works the box.
void pairWithLabel(QCheckBox* box, QLabel* label);
void pairWithLabel(QRadioButton* box, QLabel* label);

// The column headings and the number labels of a row table.
QLabel* makeHeading(QWidget* parent, const QString& name, const QString& text);
QLabel* makeRowNumber(QWidget* parent, const QString& name, const QString& text);

// The text colour of a row label (a run paints the label of the row it is polling) and an
// immediate repaint, so the colour shows while the run waits.
void paintText(QLabel* label, const QColor& colour);

// Selects list entry `index`, or no entry when the list has none at that position (a stored
// choice the list cannot show is not replaced by another).
void selectEntry(QComboBox* combo, int index);

// Counters, as "caption [box]" lines of a grid.
void addCounter(QGridLayout& grid, int row, QLabel* caption, QLineEdit* box);

} // namespace torvik::screens::comm
