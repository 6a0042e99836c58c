// The state behind PlinthBtn: the stored properties and what the button tracks while it is
// used (modifier keys, a key holding it down, the focus move in progress, a drag).
#pragma once

#include "model/ButtonProperties.h"
#include "persist/PropertyExchange.h"
#include "plinth/PlinthBtn.h"
#include "plinth/PlinthDataObject.h"
#include "widget/ButtonPainter.h"

#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <cstdint>
#include <memory>

namespace plinth {

// What a property write affects, from the least to the most.
enum class Change : std::uint8_t { Look, Caption, Geometry };

class PlinthBtnPrivate {
public:
    explicit PlinthBtnPrivate(PlinthBtn* owner) : q(owner) {}

    void changed(Change change);
    // The range check of the C++ setters: a refused value leaves a warning.
    bool accept(const char* property, std::int64_t value) const;

    void applyCursor();
    void applyFocusPolicy();
    void refreshCaption();
    QString standardCaption() const;
    FaceState faceState() const;
    bool hot() const;

    // Modifier keys as the event bits; true when they changed.
    bool setModifiers(int modifiers);
    static int modifierBits(Qt::KeyboardModifiers modifiers);
    // Mouse buttons as the event bits: 1 left, 2 right, 4 middle.
    static int mouseButtonBits(Qt::MouseButtons buttons);
    // Sends MouseDown, MouseMove or MouseUp; false when a handler destroyed the button.
    bool reportMouse(void (PlinthBtn::*signal)(int, int, int, int), Qt::MouseButtons buttons,
                     const QMouseEvent* e);

    // Moves the focus to the next or previous control after asking FocusMove; false when a
    // handler cancelled or the focus could not move.
    bool moveFocus(bool forward, int cause);
    // After a click by the user: moves on when CausesFocusMovement asks for it.
    void afterUserClick();
    void showMenu(const QPoint& globalPos);
    // A drag from the button when OLEStartDrag gives it data; false when there is none and
    // the press goes on as a click.
    bool startDrag();
    // Effect of a drag over or drop, as the handler left it, applied to the Qt event.
    void answerDrop(QDropEvent* e, int effect);
    void endDropVisit();

    // Keys of the focused button (Enter, Space, arrows, the menu key); true when used.
    bool handleFocusKey(QKeyEvent* e);
    // The virtual key, seen by the filter on the application that all buttons share; the
    // button joins it when made and leaves it when destroyed.
    bool handleVirtualKey(QObject* watched, QKeyEvent* e);
    void watchWindowKeys();
    void unwatchWindowKeys();
    bool virtualKeyMatches(const QKeyEvent* e) const;
    // When the window loses activation: the release of a held key goes to another window,
    // so the press it held ends here, without a click.
    void releaseKeys();

    PersistedButton persisted() const;
    void apply(const PersistedButton& state);

    PlinthBtn* q;
    ButtonProperties p;
    bool captionStdSet = false; // until set, the caption is the name the container gives
    bool designMode = false;
    int modifiers = 0;
    int lostFocusCause = 0;
    bool movingFocus = false;
    bool clicked = false;      // set by clicked(), read after the event that caused it
    bool spaceDown = false;    // Space is holding the button down
    std::int16_t vkeyHeld = 0; // the virtual key holding the button down

    // Drag and drop.
    QPoint pressPos;
    bool dragConsidered = false; // OLEStartDrag already asked during this press
    QPointer<const QMimeData> dropData;
    std::unique_ptr<PlinthDataObject> dropObject;

    QPointer<QMenu> menu;
};

// The widget's font size in points. A size given in pixels (a style sheet's "12px") has no
// point size of its own in Qt; forms and scripts get it converted at the screen's DPI.
double fontPointSize(const QWidget& widget);

// What the automation layer of this library reaches beyond the public widget interface.
struct PlinthBtnAccess {
    static PlinthBtnPrivate& of(PlinthBtn& button) { return *button.d; }
    static const PlinthBtnPrivate& of(const PlinthBtn& button) { return *button.d; }
};

} // namespace plinth
