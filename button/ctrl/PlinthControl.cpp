#include "ctrl/PlinthControl.h"

#include "ctrl/DispIds.h"
#include "ctrl/ObjectDispatch.h"
#include "persist/PropertyExchange.h"
#include "plinth/PlinthBtn.h"
#include "widget/PlinthBtnPrivate.h"

#include <array>
#include <vector>

namespace plinth {

namespace {

using automation::DispId;
using automation::Status;
using automation::Variant;
namespace d = dispid;

// By-reference arguments after a handler: the value it left, or the old one when it left
// something that is not a number.
template <class Int>
void takeBack(const Variant& v, Int& out) {
    std::int32_t value = 0;
    if (automation::toI4(v, value)) {
        out = static_cast<Int>(value);
    }
}

void takeBack(const Variant& v, bool& out) {
    bool value = false;
    if (automation::toBool(v, value)) {
        out = value;
    }
}

void takeBack(const Variant& v, float& out) {
    float value = 0;
    if (automation::toR4(v, value)) {
        out = value;
    }
}

Variant i2(int v) {
    return Variant::i2(static_cast<std::int16_t>(v));
}

} // namespace

PlinthControl::PlinthControl() : m_widget(new PlinthBtn), m_owned(true) {
    connectEvents();
}

PlinthControl::PlinthControl(PlinthBtn* borrowed) : m_widget(borrowed), m_owned(false) {
    connectEvents();
}

PlinthControl::~PlinthControl() {
    m_connections.reset();
    if (m_owned && m_widget) {
        delete m_widget.data();
    }
}

void PlinthControl::setSite(automation::ContainerSite* site) {
    m_site = site;
    if (site == nullptr || !m_widget) {
        return;
    }
    m_widget->setDesignMode(!site->userMode());
    // A new button takes the name the form gives it as its caption.
    if (!PlinthBtnAccess::of(*m_widget).captionStdSet) {
        const std::string name = site->displayName();
        if (!name.empty()) {
            m_widget->setCaptionStd(QString::fromStdString(name));
        }
    }
}

bool PlinthControl::userMode() const {
    return m_site == nullptr || m_site->userMode();
}

void PlinthControl::save(automation::PropertyWriter& out) {
    if (m_widget) {
        saveButton(PlinthBtnAccess::of(*m_widget).persisted(), out);
    }
    m_modified = false;
}

Status PlinthControl::load(automation::PropertyReader& in) {
    if (!m_widget) {
        return automation::platformError(automation::kErrInvalidCall);
    }
    PersistedButton state;
    if (Status s = loadButton(in, state); !s) {
        return s;
    }
    PlinthBtnAccess::of(*m_widget).apply(state);
    m_modified = false;
    return {};
}

void PlinthControl::changed(DispId id) {
    m_modified = true;
    if (m_site != nullptr) {
        m_site->onPropertyChanged(id);
    }
}

void PlinthControl::fire(DispId id, std::span<Variant> args) {
    if (m_sink != nullptr) {
        m_sink->onEvent(id, args);
    }
}

void PlinthControl::fireDrag(DispId id, PlinthDataObject* data, DragArguments a, const int* state) {
    auto object = std::make_shared<DataObjectDispatch>(data);
    std::vector<Variant> args{
        Variant::object(object), Variant::i4(a.effect), i2(a.button), i2(a.shift),
        Variant::r4(a.x),        Variant::r4(a.y)};
    if (state != nullptr) {
        args.push_back(i2(*state));
    }
    fire(id, args);
    object->detach(); // the data is the drag's, gone after the event
    takeBack(args[1], a.effect);
    takeBack(args[2], a.button);
    takeBack(args[3], a.shift);
    takeBack(args[4], a.x);
    takeBack(args[5], a.y);
}

void PlinthControl::connectEvents() {
    PlinthBtn* w = m_widget.data();
    QObject* c = m_connections.get();
    QObject::connect(w, &QAbstractButton::clicked, c, [this] { fire(d::Click, {}); });
    QObject::connect(w, &PlinthBtn::dblClick, c, [this] { fire(d::DblClick, {}); });
    QObject::connect(w, &PlinthBtn::keyDown, c, [this](int& keyCode, int shift) {
        std::array args{i2(keyCode), i2(shift)};
        fire(d::KeyDown, args);
        takeBack(args[0], keyCode);
    });
    QObject::connect(w, &PlinthBtn::keyPress, c, [this](int& keyAscii) {
        std::array args{i2(keyAscii)};
        fire(d::KeyPress, args);
        takeBack(args[0], keyAscii);
    });
    QObject::connect(w, &PlinthBtn::keyUp, c, [this](int& keyCode, int shift) {
        std::array args{i2(keyCode), i2(shift)};
        fire(d::KeyUp, args);
        takeBack(args[0], keyCode);
    });
    const auto mouse = [this](DispId id) {
        return [this, id](int button, int shift, int x, int y) {
            std::array args{i2(button), i2(shift), Variant::r4(static_cast<float>(x)),
                            Variant::r4(static_cast<float>(y))};
            fire(id, args);
        };
    };
    QObject::connect(w, &PlinthBtn::mouseDown, c, mouse(d::MouseDown));
    QObject::connect(w, &PlinthBtn::mouseMove, c, mouse(d::MouseMove));
    QObject::connect(w, &PlinthBtn::mouseUp, c, mouse(d::MouseUp));
    const auto vkey = [this](DispId id) {
        return [this, id](int code, int shift, int oem, bool repeat) {
            std::array args{i2(code), i2(shift), i2(oem), Variant::boolean(repeat)};
            fire(id, args);
        };
    };
    QObject::connect(w, &PlinthBtn::vKeyDown, c, vkey(d::VKeyDown));
    QObject::connect(w, &PlinthBtn::vKeyUp, c, vkey(d::VKeyUp));
    QObject::connect(w, &PlinthBtn::focusMove, c, [this](bool& cancel) {
        std::array args{Variant::boolean(cancel)};
        fire(d::FocusMove, args);
        takeBack(args[0], cancel);
    });
    QObject::connect(w, &PlinthBtn::beforePopup, c, [this](bool& cancel) {
        std::array args{Variant::boolean(cancel)};
        fire(d::BeforePopup, args);
        takeBack(args[0], cancel);
    });
    QObject::connect(w, &PlinthBtn::menuClicked, c, [this](int menuId) {
        std::array args{i2(menuId)};
        fire(d::MenuClicked, args);
    });
    QObject::connect(w, &PlinthBtn::oleCompleteDrag, c, [this](int effect) {
        std::array args{Variant::i4(effect)};
        fire(d::OLECompleteDrag, args);
    });
    QObject::connect(w, &PlinthBtn::oleStartDrag, c,
                     [this](PlinthDataObject* data, int& allowedEffects) {
                         auto object = std::make_shared<DataObjectDispatch>(data);
                         std::array args{Variant::object(object), Variant::i4(allowedEffects)};
                         fire(d::OLEStartDrag, args);
                         object->detach();
                         takeBack(args[1], allowedEffects);
                     });
    QObject::connect(w, &PlinthBtn::oleGiveFeedback, c, [this](int& effect, bool& defaultCursors) {
        std::array args{Variant::i4(effect), Variant::boolean(defaultCursors)};
        fire(d::OLEGiveFeedback, args);
        takeBack(args[0], effect);
        takeBack(args[1], defaultCursors);
    });
    QObject::connect(w, &PlinthBtn::oleDragOver, c,
                     [this](PlinthDataObject* data, int& effect, int& button, int& shift, float& x,
                            float& y, int state) {
                         fireDrag(d::OLEDragOver, data, {effect, button, shift, x, y}, &state);
                     });
    QObject::connect(
        w, &PlinthBtn::oleDragDrop, c,
        [this](PlinthDataObject* data, int& effect, int& button, int& shift, float& x, float& y) {
            fireDrag(d::OLEDragDrop, data, {effect, button, shift, x, y}, nullptr);
        });
}

} // namespace plinth
