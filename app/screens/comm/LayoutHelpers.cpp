#include "screens/comm/LayoutHelpers.h"

#include "screens/CaptionLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace torvik::screens::comm {
namespace {

int charsWide(const QWidget& w, int chars) {
    return w.fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars;
}

void pair(QAbstractButton* box, QLabel* label) {
    label->setBuddy(box);
    makeCaption(*label, *box);
}

} // namespace

QString indexedName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* makeDisplay(QWidget* parent, const QString& name, const QString& text, int chars) {
    QLineEdit* box = makeInput(parent, name, text, chars);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    // Numbers need little room; a wide page must not stretch them into long bars.
    box->setMaximumWidth(charsWide(*box, chars * 3 / 2 + 2));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return box;
}

QLineEdit* makeInput(QWidget* parent, const QString& name, const QString& text, int chars) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMinimumWidth(charsWide(*box, chars));
    box->setMaximumWidth(charsWide(*box, chars + 4));
    return box;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumWidth(charsWide(*button, 11));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& text) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(name);
    return option;
}

QComboBox* makeCombo(QWidget* parent, const QString& name, const QStringList& items, int chars) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setMinimumContentsLength(chars);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return combo;
}

QLabel* makeMessageLine(QWidget* parent, const QString& name) {
    QLabel* line = makeLabel(parent, name, QStringLiteral("切断中です。しばらくお待ちください。"));
    line->setFrameShape(QFrame::Panel);
    line->setFrameShadow(QFrame::Sunken);
    line->setMinimumHeight(line->fontMetrics().height() + 8);
    line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    line->setMargin(2);
    return line;
}

void pairWithLabel(QCheckBox* box, QLabel* label) {
    pair(box, label);
}
void pairWithLabel(QRadioButton* box, QLabel* label) {
    pair(box, label);
}

QLabel* makeHeading(QWidget* parent, const QString& name, const QString& text) {
    QLabel* heading = makeLabel(parent, name, text);
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return heading;
}

QLabel* makeRowNumber(QWidget* parent, const QString& name, const QString& text) {
    QLabel* number = makeLabel(parent, name, text);
    number->setAlignment(Qt::AlignCenter);
    number->setMinimumWidth(charsWide(*number, 3));
    QFont bold = number->font();
    bold.setBold(true);
    number->setFont(bold);
    return number;
}

void paintText(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->repaint();
}

void selectEntry(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void addCounter(QGridLayout& grid, int row, QLabel* caption, QLineEdit* box) {
    grid.addWidget(caption, row, 0);
    grid.addWidget(box, row, 1);
    grid.setColumnStretch(2, 1);
}

} // namespace torvik::screens::comm
