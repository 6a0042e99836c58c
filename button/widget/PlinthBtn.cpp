// PlinthBtn: construction, drawing, the mouse, focus and the pop-up menu.
#include "plinth/PlinthBtn.h"

#include "model/VirtualKeys.h"
#include "widget/PlinthBtnPrivate.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QPainter>
#include <QPainterPath>
#include <memory>

using plinth::Change;
using plinth::PlinthBtnPrivate;

namespace plinth {

int PlinthBtnPrivate::modifierBits(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? kShiftMask : 0) | (m & Qt::ControlModifier ? kCtrlMask : 0) |
           (m & Qt::AltModifier ? kAltMask : 0);
}

int PlinthBtnPrivate::mouseButtonBits(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

bool PlinthBtnPrivate::reportMouse(void (PlinthBtn::*signal)(int, int, int, int),
                                   Qt::MouseButtons buttons, const QMouseEvent* e) {
    const QPointer<PlinthBtn> alive(q);
    const QPoint at = e->position().toPoint();
    emit(q->*signal)(mouseButtonBits(buttons), modifierBits(e->modifiers()), at.x(), at.y());
    return !alive.isNull();
}

bool PlinthBtnPrivate::setModifiers(int bits) {
    if (bits == modifiers) {
        return false;
    }
    modifiers = bits;
    if (p.CaptionMode != 0) {
        changed(Change::Caption);
    }
    return true;
}

bool PlinthBtnPrivate::hot() const {
    // An inactive window's buttons stay quiet under the mouse unless asked otherwise.
    return q->underMouse() && q->isEnabled() && (p.AlwaysActive || q->isActiveWindow());
}

FaceState PlinthBtnPrivate::faceState() const {
    FaceState s;
    s.pressed = q->isDown();
    s.on = q->isChecked();
    s.enabled = q->isEnabled();
    s.focused = q->hasFocus();
    s.hot = hot();
    s.designMode = designMode;
    return s;
}

bool PlinthBtnPrivate::moveFocus(bool forward, int cause) {
    bool cancel = false;
    const QPointer<PlinthBtn> alive(q);
    emit q->focusMove(cancel);
    if (alive.isNull() || cancel) {
        return false;
    }
    const int before = lostFocusCause;
    lostFocusCause = cause;
    movingFocus = true;
    q->focusNextPrevChild(forward);
    movingFocus = false;
    if (q->hasFocus()) {
        lostFocusCause = before; // nowhere to go: the focus was not lost
        return false;
    }
    return true;
}

void PlinthBtnPrivate::afterUserClick() {
    if (!clicked) {
        return;
    }
    clicked = false;
    if (p.CausesFocusMovement && q->hasFocus()) {
        moveFocus(true, 6); // input complete
    }
}

void PlinthBtnPrivate::showMenu(const QPoint& globalPos) {
    bool cancel = false;
    const QPointer<PlinthBtn> alive(q);
    // Before the menu is built, so a handler can still change the items.
    emit q->beforePopup(cancel);
    if (alive.isNull() || cancel) {
        return;
    }
    auto popup = std::make_unique<QMenu>(q);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    for (int i = 0; i < kMenuItemCount; ++i) {
        const MenuItem& item = p.menu[static_cast<std::size_t>(i)];
        if (item.hidden) {
            continue;
        }
        if (item.separator) {
            popup->addSeparator();
            continue;
        }
        if (item.caption.isEmpty()) {
            continue; // an unused slot
        }
        QAction* action = popup->addAction(item.caption);
        action->setEnabled(item.enabled);
        QObject::connect(action, &QAction::triggered, q, [this, i] { emit q->menuClicked(i); });
    }
    const auto actions = popup->actions();
    const bool anyItem = std::any_of(actions.begin(), actions.end(),
                                     [](const QAction* a) { return !a->isSeparator(); });
    if (!anyItem) {
        return;
    }
    // From here the button (its parent) and the close own it.
    menu = popup.release();
    menu->popup(globalPos);
}

} // namespace plinth

PlinthBtn::PlinthBtn(QWidget* parent)
    : QAbstractButton(parent), d(std::make_unique<PlinthBtnPrivate>(this)) {
    d->applyFocusPolicy();
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true); // MouseMove also while no button is held, as forms expect
    connect(this, &QAbstractButton::clicked, this, [this] { d->clicked = true; });
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        d->p.Value = on;
        update();
    });
    connect(this, &QObject::objectNameChanged, this, [this] {
        if (!d->captionStdSet) {
            d->changed(Change::Geometry);
        }
    });
    // The virtual key and the modifier keys count anywhere in the button's window, not only
    // while it has the focus.
    d->watchWindowKeys();
    d->modifiers = PlinthBtnPrivate::modifierBits(QGuiApplication::queryKeyboardModifiers());
    d->refreshCaption();
}

PlinthBtn::~PlinthBtn() {
    d->unwatchWindowKeys();
}

QSize PlinthBtn::sizeHint() const {
    // The platform's standard button is 75 x 23 pixels.
    return plinth::faceSizeHint(d->p, currentCaption(), font()).expandedTo(QSize(75, 23));
}

QSize PlinthBtn::minimumSizeHint() const {
    const int frame = 2 * plinth::frameWidth(d->p) + 8;
    return {frame, frame};
}

bool PlinthBtn::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate) {
        // Qt tells a window's children of its activation by these, not by ActivationChange.
        // Modifier keys may have been pressed or let go while another window was active.
        d->setModifiers(PlinthBtnPrivate::modifierBits(QGuiApplication::queryKeyboardModifiers()));
        if (e->type() == QEvent::WindowDeactivate) {
            d->releaseKeys();
        }
        update(); // the mouse-over look follows the window's activation
    }
    if (e->type() == QEvent::Shortcut) {
        // The accelerator letter of the caption: a click at once, as the keyboard's.
        if (!isEnabled()) {
            return true;
        }
        if (focusPolicy() & Qt::TabFocus) {
            setFocus(Qt::ShortcutFocusReason);
        }
        d->clicked = false;
        click();
        d->afterUserClick();
        return true;
    }
    return QAbstractButton::event(e);
}

void PlinthBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    plinth::FaceInput in;
    in.props = &d->p;
    in.caption = currentCaption();
    in.font = font();
    in.palette = palette();
    const QWidget* container = parentWidget();
    in.containerBackground = container != nullptr
                                 ? container->palette().color(container->backgroundRole())
                                 : palette().color(QPalette::Window);
    in.state = d->faceState();
    plinth::paintFace(painter, rect(), in);
}

bool PlinthBtn::hitButton(const QPoint& pos) const {
    if (!d->p.RoundedCorners) {
        return rect().contains(pos);
    }
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 5, 5);
    return shape.contains(QPointF(pos));
}

void PlinthBtn::mousePressEvent(QMouseEvent* e) {
    if (!d->reportMouse(&PlinthBtn::mouseDown, e->button(), e)) {
        return;
    }
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    d->pressPos = e->position().toPoint();
    d->dragConsidered = false;
    d->clicked = false;
    QAbstractButton::mousePressEvent(e);
}

void PlinthBtn::mouseMoveEvent(QMouseEvent* e) {
    d->setModifiers(PlinthBtnPrivate::modifierBits(e->modifiers()));
    if (!d->reportMouse(&PlinthBtn::mouseMove, e->buttons(), e)) {
        return;
    }
    if ((e->buttons() & Qt::LeftButton) && isDown() && !d->dragConsidered &&
        (e->position().toPoint() - d->pressPos).manhattanLength() >=
            QApplication::startDragDistance()) {
        d->dragConsidered = true;
        if (d->startDrag()) {
            return;
        }
    }
    QAbstractButton::mouseMoveEvent(e);
}

void PlinthBtn::mouseReleaseEvent(QMouseEvent* e) {
    // The platform's order: MouseUp, then Click.
    if (!d->reportMouse(&PlinthBtn::mouseUp, e->button(), e)) {
        return;
    }
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    const QPointer<PlinthBtn> alive(this);
    d->clicked = false;
    QAbstractButton::mouseReleaseEvent(e);
    if (alive) {
        d->afterUserClick();
    }
}

void PlinthBtn::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!d->reportMouse(&PlinthBtn::mouseDown, e->button(), e)) {
        return;
    }
    const QPointer<PlinthBtn> alive(this);
    emit dblClick();
    if (alive.isNull()) {
        return;
    }
    // The second press of a double click presses the button again, as a fast operator means.
    if (e->button() == Qt::LeftButton) {
        d->pressPos = e->position().toPoint();
        d->dragConsidered = false;
        QAbstractButton::mousePressEvent(e);
    }
}

void PlinthBtn::focusInEvent(QFocusEvent* e) {
    QAbstractButton::focusInEvent(e);
    update();
}

void PlinthBtn::focusOutEvent(QFocusEvent* e) {
    if (!d->movingFocus) {
        d->lostFocusCause = 0; // lost by a click elsewhere, Tab or another window
    }
    if (d->spaceDown) {
        d->spaceDown = false;
        setDown(false);
    }
    QAbstractButton::focusOutEvent(e);
    update();
}

void PlinthBtn::enterEvent(QEnterEvent* e) {
    d->setModifiers(PlinthBtnPrivate::modifierBits(QGuiApplication::queryKeyboardModifiers()));
    QAbstractButton::enterEvent(e);
    update();
}

void PlinthBtn::leaveEvent(QEvent* e) {
    QAbstractButton::leaveEvent(e);
    update();
}

void PlinthBtn::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        updateGeometry();
        update();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            d->spaceDown = false;
            d->vkeyHeld = 0;
        }
        update();
        break;
    default:
        break;
    }
    QAbstractButton::changeEvent(e);
}

void PlinthBtn::contextMenuEvent(QContextMenuEvent* e) {
    d->showMenu(e->globalPos());
    e->accept();
}
