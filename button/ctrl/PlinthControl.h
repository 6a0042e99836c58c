// The button as a form control: late-bound calls by member number (DispIds.h), its events
// towards the container's sink, the container link and the stored form. It drives a
// PlinthBtn widget, which it owns or borrows.
#pragma once

#include "automation/Control.h"

#include <QObject>
#include <QPointer>
#include <memory>

class PlinthBtn;

namespace plinth {

class PlinthDataObject;

class PlinthControl final : public automation::Control {
public:
    // A new button of its own (a top-level widget until the host gives it a parent).
    PlinthControl();
    // The automation interface of a button that stays its owner's.
    explicit PlinthControl(PlinthBtn* borrowed);
    ~PlinthControl() override;
    PlinthControl(const PlinthControl&) = delete;
    PlinthControl& operator=(const PlinthControl&) = delete;

    // nullptr once the widget's parent destroyed it.
    PlinthBtn* widget() const { return m_widget.data(); }

    automation::Status invoke(automation::DispId id, automation::InvokeKind kind,
                              std::span<automation::Variant> args,
                              automation::Variant& result) override;
    std::optional<automation::DispId> idOfName(std::string_view name) const override;
    std::string typeName() const override { return "Grolle.PlinthBtn"; }
    std::optional<automation::DispId> eventIdOfName(std::string_view name) const override;
    void advise(automation::EventSink* sink) override { m_sink = sink; }
    void setSite(automation::ContainerSite* site) override;
    void save(automation::PropertyWriter& out) override;
    automation::Status load(automation::PropertyReader& in) override;
    bool isModified() const override { return m_modified; }

private:
    void connectEvents();
    // Sends an event to the sink; by-reference arguments come back in `args`.
    void fire(automation::DispId id, std::span<automation::Variant> args);
    // The by-reference arguments of OLEDragOver and OLEDragDrop.
    struct DragArguments {
        int& effect;
        int& button;
        int& shift;
        float& x;
        float& y;
    };
    void fireDrag(automation::DispId id, PlinthDataObject* data, DragArguments args,
                  const int* state);
    void changed(automation::DispId id);
    bool userMode() const;

    automation::Status dispatchProperty(automation::DispId id, std::string_view property,
                                        automation::InvokeKind kind,
                                        std::span<automation::Variant> args,
                                        automation::Variant& result);
    automation::Status dispatchSpecial(automation::DispId id, automation::InvokeKind kind,
                                       std::span<automation::Variant> args,
                                       automation::Variant& result);
    automation::Status dispatchMenu(automation::DispId id, automation::InvokeKind kind,
                                    std::span<automation::Variant> args,
                                    automation::Variant& result);

    QPointer<PlinthBtn> m_widget;
    bool m_owned;
    // The context of the event connections: they end with the control, also on a borrowed
    // widget that lives on.
    std::unique_ptr<QObject> m_connections = std::make_unique<QObject>();
    automation::EventSink* m_sink = nullptr;
    automation::ContainerSite* m_site = nullptr;
    bool m_modified = false;
};

} // namespace plinth
