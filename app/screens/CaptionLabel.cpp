#include "screens/CaptionLabel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

namespace torvik::screens {
namespace {

class CaptionClick : public QObject {
public:
    CaptionClick(QLabel& label, QAbstractButton& button) : QObject(&label), m_button(&button) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_button && m_button->isEnabled() &&
            m_button->isVisible())
            m_button->click();
        return true;
    }

private:
    QPointer<QAbstractButton> m_button;
};

} // namespace

void makeCaption(QLabel& label, QAbstractButton& button) {
    label.installEventFilter(new CaptionClick(label, button));
}

} // namespace torvik::screens
