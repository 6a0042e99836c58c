// The version box: the program's title and version; a click anywhere on it closes it.
#pragma once

#include <QDialog>

class QWidget;

namespace torvik::screens {

class frmVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmVersion(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Shows the box modally, offset from the top-left corner of the screen that asks for it.
void showVersionBox(QWidget& from);

} // namespace torvik::screens
