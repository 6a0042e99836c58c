// The objects the button hands to its host: its font, and the data of a drag for the time
// of one event.
#pragma once

#include "automation/Dispatch.h"

#include <QPointer>
#include <memory>

class PlinthBtn;

namespace plinth {

class PlinthDataObject;

// The button's stock font as a live object: writes change the button's font.
std::shared_ptr<automation::Dispatch> makeFontObject(PlinthBtn* button);
// A font described by another object (a font of this library or of the host) or by Qt's
// font text ("Family,pointSize,..."); type mismatch for anything else.
automation::Status fontFromVariant(const automation::Variant& value, const QFont& base, QFont& out);

class DataObjectDispatch final : public automation::Dispatch {
public:
    explicit DataObjectDispatch(PlinthDataObject* data) : m_data(data) {}

    // After its event: later calls fail instead of touching data that is gone.
    void detach() { m_data = nullptr; }

    automation::Status invoke(automation::DispId id, automation::InvokeKind kind,
                              std::span<automation::Variant> args,
                              automation::Variant& result) override;
    std::optional<automation::DispId> idOfName(std::string_view name) const override;
    std::string typeName() const override { return "Grolle.DataObject"; }

private:
    PlinthDataObject* m_data;
};

} // namespace plinth
