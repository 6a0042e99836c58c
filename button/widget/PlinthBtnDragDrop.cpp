// PlinthBtn and drag and drop: Qt's drag events as the OLE events of forms. Effects are the
// platform's drop-effect bits, which are Qt's drop-action bits: 1 copy, 2 move, 4 link.
#include "plinth/PlinthBtn.h"
#include "plinth/PlinthEnums.h"
#include "widget/PlinthBtnPrivate.h"

#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>

using plinth::PlinthBtnPrivate;

namespace {

constexpr int kEffectMask = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// OLEDragOver's state argument.
constexpr int kStateEnter = 0;
constexpr int kStateLeave = 1;
constexpr int kStateOver = 2;

int effectsOf(Qt::DropActions actions) {
    return static_cast<int>(actions.toInt()) & kEffectMask;
}

} // namespace

namespace plinth {

bool PlinthBtnPrivate::startDrag() {
    auto data = std::make_unique<PlinthDataObject>();
    int allowed = Qt::CopyAction | Qt::MoveAction;
    const QPointer<PlinthBtn> alive(q);
    emit q->oleStartDrag(data.get(), allowed);
    if (alive.isNull()) {
        return true;
    }
    allowed &= kEffectMask;
    if (allowed == 0 || data->isEmpty()) {
        return false; // the handler wants no drag: the press stays a press
    }
    q->setDown(false); // a press that became a drag does not click
    auto* drag = new QDrag(q);
    drag->setMimeData(data->takeMimeData().release());
    QObject::connect(drag, &QDrag::actionChanged, q, [this](Qt::DropAction action) {
        int effect = effectsOf(action);
        bool defaultCursors = true;
        emit q->oleGiveFeedback(effect, defaultCursors);
    });
    const QPointer<QDrag> guard(drag);
    const Qt::DropAction result = drag->exec(Qt::DropActions(allowed), Qt::CopyAction);
    if (guard) {
        guard->deleteLater();
    }
    if (alive) {
        emit q->oleCompleteDrag(effectsOf(result));
    }
    return true;
}

void PlinthBtnPrivate::answerDrop(QDropEvent* e, int effect) {
    effect &= effectsOf(e->possibleActions());
    if (effect == 0) {
        e->ignore();
        return;
    }
    if ((effect & effectsOf(e->proposedAction())) != 0) {
        e->acceptProposedAction();
        return;
    }
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction}) {
        if ((effect & effectsOf(action)) != 0) {
            e->setDropAction(action);
            e->accept();
            return;
        }
    }
}

void PlinthBtnPrivate::endDropVisit() {
    dropObject.reset();
    dropData.clear();
}

} // namespace plinth

namespace {

template <class Event>
void dragOver(PlinthBtn* button, PlinthBtnPrivate& d, Event* e, int state) {
    if (d.p.OLEDropMode != kxodrop_手動) {
        e->ignore();
        return;
    }
    if (state == kStateEnter || d.dropData != e->mimeData()) {
        d.dropData = e->mimeData();
        d.dropObject = std::make_unique<plinth::PlinthDataObject>(e->mimeData());
    }
    int effect = effectsOf(e->possibleActions());
    int buttons = PlinthBtnPrivate::mouseButtonBits(e->buttons());
    int shift = PlinthBtnPrivate::modifierBits(e->modifiers());
    auto x = static_cast<float>(e->position().x());
    auto y = static_cast<float>(e->position().y());
    const QPointer<PlinthBtn> alive(button);
    emit button->oleDragOver(d.dropObject.get(), effect, buttons, shift, x, y, state);
    if (alive) {
        d.answerDrop(e, effect);
    }
}

} // namespace

void PlinthBtn::dragEnterEvent(QDragEnterEvent* e) {
    dragOver(this, *d, e, kStateEnter);
}

void PlinthBtn::dragMoveEvent(QDragMoveEvent* e) {
    dragOver(this, *d, e, kStateOver);
}

void PlinthBtn::dragLeaveEvent(QDragLeaveEvent* e) {
    if (d->dropObject && d->p.OLEDropMode == kxodrop_手動) {
        int effect = 0;
        int buttons = 0;
        int shift = PlinthBtnPrivate::modifierBits(QGuiApplication::queryKeyboardModifiers());
        const QPointF at = mapFromGlobal(QCursor::pos());
        auto x = static_cast<float>(at.x());
        auto y = static_cast<float>(at.y());
        const QPointer<PlinthBtn> alive(this);
        emit oleDragOver(d->dropObject.get(), effect, buttons, shift, x, y, kStateLeave);
        if (alive.isNull()) {
            return;
        }
    }
    d->endDropVisit();
    e->accept();
}

void PlinthBtn::dropEvent(QDropEvent* e) {
    if (d->p.OLEDropMode != kxodrop_手動) {
        e->ignore();
        return;
    }
    if (!d->dropObject || d->dropData != e->mimeData()) {
        d->dropObject = std::make_unique<plinth::PlinthDataObject>(e->mimeData());
    }
    int effect = effectsOf(e->possibleActions());
    int buttons = PlinthBtnPrivate::mouseButtonBits(e->buttons());
    int shift = PlinthBtnPrivate::modifierBits(e->modifiers());
    auto x = static_cast<float>(e->position().x());
    auto y = static_cast<float>(e->position().y());
    const QPointer<PlinthBtn> alive(this);
    emit oleDragDrop(d->dropObject.get(), effect, buttons, shift, x, y);
    if (alive.isNull()) {
        return;
    }
    d->answerDrop(e, effect);
    d->endDropVisit();
}
