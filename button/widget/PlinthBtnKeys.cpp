// PlinthBtn and the keyboard: the key events of the focused button, Enter and Space, focus
// movement by the arrow keys, and the virtual key that presses the button from anywhere in
// its window.
#include "model/VirtualKeys.h"
#include "plinth/PlinthBtn.h"
#include "plinth/PlinthEnums.h"
#include "widget/PlinthBtnPrivate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <vector>

using plinth::PlinthBtnPrivate;

namespace {

plinth::KeyStroke strokeOf(const QKeyEvent* e) {
    return plinth::virtualKeyOf(e->key(), e->modifiers().testFlag(Qt::KeypadModifier));
}

// The scan code forms know: X reports the kernel's key number plus 8, and the kernel's
// numbers are the PC scan codes for the keys of a standard keyboard.
int oemCodeOf(const QKeyEvent* e) {
    const auto code = static_cast<int>(e->nativeScanCode());
    return QGuiApplication::platformName() == QLatin1String("xcb") && code >= 8 ? code - 8 : code;
}

// The modifier bits after a modifier key itself goes down or up (the event's own modifiers
// may or may not include it, depending on the platform).
int modifiersAfter(const QKeyEvent* e) {
    int bits = PlinthBtnPrivate::modifierBits(e->modifiers());
    int own = 0;
    switch (e->key()) {
    case Qt::Key_Shift:
        own = plinth::kShiftMask;
        break;
    case Qt::Key_Control:
        own = plinth::kCtrlMask;
        break;
    case Qt::Key_Alt:
        own = plinth::kAltMask;
        break;
    default:
        return bits;
    }
    return e->type() == QEvent::KeyPress ? bits | own : bits & ~own;
}

bool conditionHolds(int condition, bool held) {
    switch (condition) {
    case kxvkacs_オフ:
        return !held;
    case kxvkacs_オン:
        return held;
    default:
        return true;
    }
}

} // namespace

namespace plinth {

bool PlinthBtnPrivate::virtualKeyMatches(const QKeyEvent* e) const {
    const KeyStroke stroke = strokeOf(e);
    if (p.VKeyNo == 0 || stroke.code != p.VKeyNo) {
        return false;
    }
    if ((p.VKeyEx == kxvkex_非拡張キー && stroke.extended) ||
        (p.VKeyEx == kxvkex_拡張キー && !stroke.extended)) {
        return false;
    }
    const Qt::KeyboardModifiers m = e->modifiers();
    return conditionHolds(p.VKeyAlt, m.testFlag(Qt::AltModifier)) &&
           conditionHolds(p.VKeyCtrl, m.testFlag(Qt::ControlModifier)) &&
           conditionHolds(p.VKeyShift, m.testFlag(Qt::ShiftModifier));
}

bool PlinthBtnPrivate::handleVirtualKey(QObject*, QKeyEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // The button's key wins over a shortcut of the window that uses the same key.
        if (p.VKeyNo != 0 && q->isVisible() && q->isEnabled() && virtualKeyMatches(e)) {
            e->accept();
            return true;
        }
        return false;
    }
    const KeyStroke stroke = strokeOf(e);
    const int shift = modifierBits(e->modifiers());
    const QPointer<PlinthBtn> alive(q);
    if (e->type() == QEvent::KeyPress) {
        if (vkeyHeld != 0 && stroke.code == vkeyHeld) {
            emit q->vKeyDown(stroke.code, shift, oemCodeOf(e), true); // held: repeats
            return true;
        }
        if (p.VKeyNo == 0 || !q->isVisible() || !q->isEnabled() || !virtualKeyMatches(e)) {
            return false;
        }
        vkeyHeld = stroke.code;
        emit q->vKeyDown(stroke.code, shift, oemCodeOf(e), e->isAutoRepeat());
        if (alive && vkeyHeld != 0) {
            q->setDown(true);
        }
        return true;
    }
    if (vkeyHeld == 0 || stroke.code != vkeyHeld) {
        return false;
    }
    if (e->isAutoRepeat()) {
        return true; // the key is still held down
    }
    vkeyHeld = 0;
    emit q->vKeyUp(stroke.code, shift, oemCodeOf(e), false);
    if (alive.isNull() || !q->isDown()) {
        return true;
    }
    q->setDown(false);
    clicked = false;
    q->click();
    if (alive) {
        afterUserClick();
    }
    return true;
}

void PlinthBtnPrivate::releaseKeys() {
    const bool held = vkeyHeld != 0 || spaceDown;
    vkeyHeld = 0;
    spaceDown = false;
    if (held) {
        q->setDown(false);
    }
}

bool PlinthBtnPrivate::handleFocusKey(QKeyEvent* e) {
    const bool shiftHeld = e->modifiers().testFlag(Qt::ShiftModifier);
    switch (e->key()) {
    case Qt::Key_Space:
        if (!p.ClickAtSpaceKey) {
            return false;
        }
        if (!e->isAutoRepeat() && !spaceDown) {
            spaceDown = true;
            q->setDown(true);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (p.TreatEnterAsTab) {
            moveFocus(!shiftHeld, kxlfc_リターン);
            return true;
        }
        if (!p.ClickAtEnterKey) {
            return false;
        }
        if (!e->isAutoRepeat()) {
            clicked = false;
            q->click();
            afterUserClick();
        }
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (p.LostFocusAtHorzArrow != kxlf_オン) {
            return false;
        }
        moveFocus(e->key() == Qt::Key_Right,
                  e->key() == Qt::Key_Right ? kxlfc_右矢印 : kxlfc_左矢印);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (p.LostFocusAtVertArrow != kxlf_オン) {
            return false;
        }
        moveFocus(e->key() == Qt::Key_Down, e->key() == Qt::Key_Down ? kxlfc_下矢印 : kxlfc_上矢印);
        return true;
    case Qt::Key_Escape:
        if (!spaceDown) {
            return false;
        }
        spaceDown = false; // Escape lets go of a Space press without a click
        q->setDown(false);
        return true;
    case Qt::Key_Menu:
        showMenu(q->mapToGlobal(q->rect().center()));
        return true;
    case Qt::Key_F10:
        if (!shiftHeld) {
            return false;
        }
        showMenu(q->mapToGlobal(q->rect().center()));
        return true;
    default:
        return false;
    }
}

namespace {

// One filter on the application serves every button. The virtual key and the modifier keys
// count anywhere in a button's window; a filter per button would be asked about every event
// of the application once per button.
class WindowKeys final : public QObject {
public:
    using QObject::QObject;

    void add(PlinthBtn* button) { m_buttons.push_back(button); }
    void remove(PlinthBtn* button) { std::erase(m_buttons, button); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            break;
        default:
            return false;
        }
        // Key events reach the window first and then its focus widget; count them once, at
        // the widget, and only for the buttons of its window.
        if (!watched->isWidgetType()) {
            return false;
        }
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        // The newest button first; a handler may delete buttons while the key is offered.
        std::vector<QPointer<PlinthBtn>> here;
        for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it) {
            if ((*it)->window() == window) {
                here.emplace_back(*it);
            }
        }
        auto* key = static_cast<QKeyEvent*>(e);
        if (e->type() != QEvent::ShortcutOverride) {
            const int bits = modifiersAfter(key);
            for (const QPointer<PlinthBtn>& button : here) {
                if (button) {
                    PlinthBtnAccess::of(*button).setModifiers(bits);
                }
            }
        }
        for (const QPointer<PlinthBtn>& button : here) {
            if (button && PlinthBtnAccess::of(*button).handleVirtualKey(watched, key)) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<PlinthBtn*> m_buttons; // in the order they were made
};

QPointer<WindowKeys> sharedWindowKeys; // the application owns it

} // namespace

void PlinthBtnPrivate::watchWindowKeys() {
    if (!sharedWindowKeys) {
        sharedWindowKeys = new WindowKeys(qApp);
        qApp->installEventFilter(sharedWindowKeys);
    }
    sharedWindowKeys->add(q);
}

void PlinthBtnPrivate::unwatchWindowKeys() {
    if (sharedWindowKeys) {
        sharedWindowKeys->remove(q);
    }
}

} // namespace plinth

void PlinthBtn::keyPressEvent(QKeyEvent* e) {
    const QPointer<PlinthBtn> alive(this);
    const int shift = PlinthBtnPrivate::modifierBits(e->modifiers());
    int keyCode = strokeOf(e).code;
    if (keyCode != 0) {
        emit keyDown(keyCode, shift);
        if (alive.isNull()) {
            return;
        }
        if (keyCode == 0) {
            e->accept(); // the handler took the key
            return;
        }
    }
    const QString text = e->text();
    if (!text.isEmpty() && text.front().unicode() != 0) {
        int keyAscii = text.front().unicode();
        emit keyPress(keyAscii);
        if (alive.isNull()) {
            return;
        }
        if (keyAscii == 0) {
            e->accept();
            return;
        }
    }
    if (d->handleFocusKey(e)) {
        e->accept();
    } else {
        e->ignore(); // on to the window: a dialog's Escape, its default button
    }
}

void PlinthBtn::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) {
        e->accept();
        return;
    }
    const QPointer<PlinthBtn> alive(this);
    int keyCode = strokeOf(e).code;
    if (keyCode != 0) {
        emit keyUp(keyCode, PlinthBtnPrivate::modifierBits(e->modifiers()));
        if (alive.isNull()) {
            return;
        }
    }
    if (e->key() == Qt::Key_Space && d->spaceDown) {
        d->spaceDown = false;
        if (isDown()) {
            setDown(false);
            d->clicked = false;
            click();
            if (alive) {
                d->afterUserClick();
            }
        }
        e->accept();
        return;
    }
    e->ignore();
}
