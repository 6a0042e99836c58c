// Reading, writing and persisting the control's properties.
#include "commport/CommSettings.h"
#include "ctrl/CTAVRINCtrl.h"
#include "ctrl/DispIds.h"
#include "ctrl/ResultText.h"

#include <algorithm>

namespace tavrin {

namespace {

using automation::Error;
using automation::Status;
using automation::Variant;

constexpr std::int32_t kErrorFunction = 20002;
constexpr std::int32_t kErrorCommSettings = 20004;
constexpr std::int32_t kErrorAutoPollInterval = 20011;
constexpr std::int32_t kAutoPollIntervalMax = 32000;

bool validFunction(std::int16_t f) {
    return (f >= 0 && f <= 8) || f == 15 || f == 16 || f == 17 || (f >= 20 && f <= 23) || f == 65 ||
           f == 100 || f == 255 || f == 4314 || f == 10005;
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
    return text;
}

// Bytes of the data area as text: 0x80..0xFF are taken as Latin-1 so the result is always
// valid UTF-8 for the host.
std::string latin1ToUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text.push_back(c);
        } else {
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

} // namespace

bool CTAVRINCtrl::userMode() const {
    return m_site == nullptr || m_site->userMode();
}

void CTAVRINCtrl::changed(automation::DispId id) {
    m_modified = true;
    if (m_site != nullptr) {
        m_site->onPropertyChanged(id);
    }
}

void CTAVRINCtrl::updateAutoPoll() {
    m_thread.setAutoPoll(m_props.autoPollEnabled && m_props.enabled, m_props.autoPollInterval);
}

std::string CTAVRINCtrl::dataString() const {
    // Word 0 counts the characters; each later word gives its high byte, then its low byte.
    // The count goes up to whole words and stops at the end of the area (words 1..127).
    std::lock_guard lock(m_stateMutex);
    const auto count = static_cast<std::int16_t>(wordAt(m_data.bytes(), 0));
    if (count < 1) {
        return {};
    }
    const std::size_t words =
        std::min<std::size_t>((static_cast<std::size_t>(count) + 1) / 2, kDataAreaWords - 1);
    std::string bytes;
    for (std::size_t w = 1; w <= words; ++w) {
        const std::uint16_t word = wordAt(m_data.bytes(), w);
        bytes.push_back(static_cast<char>(word >> 8));
        bytes.push_back(static_cast<char>(word & 0xFF));
    }
    return latin1ToUtf8(bytes);
}

Status CTAVRINCtrl::putProperty(automation::DispId id, const Variant& value) {
    // Each write stores under the state lock (the communications thread reads the
    // properties under it) and announces the change outside it.
    const auto store = [this](auto& field, auto v) {
        std::lock_guard lock(m_stateMutex);
        field = std::move(v);
    };
    switch (id) {
    case dispid::AdapterPrefix:
        if (value.asBstr() != m_props.adapterPrefix) {
            store(m_props.adapterPrefix, value.asBstr());
            store(m_reopenPort, true);
            changed(id);
        }
        return {};
    case dispid::CommSettings: {
        std::string text = upperCased(value.asBstr());
        if (text == m_props.commSettings) {
            return {};
        }
        if (!parseCommSettings(text)) {
            return Error{kErrorCommSettings, "Invalid Comm Port Settings!"};
        }
        store(m_props.commSettings, std::move(text));
        store(m_reapplySettings, true);
        changed(id);
        return {};
    }
    case dispid::DataString:
    case dispid::ErrorChecking:
    case dispid::TimeoutConnect:
        return {}; // accepted and ignored
    case dispid::DataMode:
        store(m_props.dataMode, value.asI2());
        changed(id);
        return {};
    case dispid::Function:
        if (value.asI2() == m_props.function) {
            return {};
        }
        if (!validFunction(value.asI2())) {
            return Error{kErrorFunction, "Illegal value specified for Function property!"};
        }
        store(m_props.function, value.asI2());
        changed(id);
        return {};
    case dispid::MemQty:
        if (value.asI2() != m_props.memQty) {
            store(m_props.memQty, value.asI2());
            changed(id);
        }
        return {};
    case dispid::MemStart: {
        std::string text = upperCased(value.asBstr());
        if (text != m_props.memStart) {
            store(m_props.memStart, std::move(text));
            changed(id);
        }
        return {};
    }
    case dispid::NodeAddress:
        if (value.asBstr() != m_props.nodeAddress) {
            store(m_props.nodeAddress, value.asBstr());
            changed(id);
        }
        return {};
    case dispid::SlaveEnabled:
        store(m_props.slaveEnabled, value.asBool());
        changed(id);
        return {};
    case dispid::SlaveMemStart:
        if (value.asBstr() != m_props.slaveMemStart) {
            store(m_props.slaveMemStart, value.asBstr());
            changed(id);
        }
        return {};
    case dispid::TimeoutTrans:
        if (value.asI2() > 0 && value.asI2() != m_props.timeoutTrans) {
            store(m_props.timeoutTrans, value.asI2());
            changed(id);
        }
        return {};
    case dispid::AutoPollEnabled:
        return putAutoPollEnabled(value.asBool());
    case dispid::AutoPollInterval:
        return putAutoPollInterval(value.asI4());
    case dispid::Adapter:
        if (value.asI2() != m_props.adapter || m_reopenPort) {
            store(m_props.adapter, value.asI2());
            store(m_reopenPort, true);
            changed(id);
        }
        return {};
    case dispid::AddressType:
        store(m_props.addressType, value.asI2());
        changed(id);
        return {};
    case dispid::Enabled:
        return putEnabled(value.asBool());
    default:
        return automation::platformError(automation::kErrSetNotSupported);
    }
}

Status CTAVRINCtrl::putAutoPollEnabled(bool value) {
    if (value == m_props.autoPollEnabled) {
        return {};
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_props.autoPollEnabled = value;
    }
    updateAutoPoll();
    // Not a design change: no modified flag and no notification.
    if (value && userMode()) {
        AsyncRefresh();
    }
    return {};
}

Status CTAVRINCtrl::putAutoPollInterval(std::int32_t value) {
    if (value < 0 || value > kAutoPollIntervalMax) {
        return Error{kErrorAutoPollInterval, "AutoPollInterval property must be in range 0.." +
                                                 std::to_string(kAutoPollIntervalMax) + "!"};
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_props.autoPollInterval = value;
    }
    updateAutoPoll();
    changed(dispid::AutoPollInterval);
    return {};
}

Status CTAVRINCtrl::putEnabled(bool value) {
    if (value == m_props.enabled) {
        return {};
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_props.enabled = value;
    }
    updateAutoPoll();
    changed(dispid::Enabled);
    return {};
}

void CTAVRINCtrl::save(automation::PropertyWriter& out) {
    saveProperties(m_props, out);
    m_modified = false;
}

Status CTAVRINCtrl::load(automation::PropertyReader& in) {
    ControlProperties loaded;
    if (!loadProperties(in, loaded)) {
        return Error{automation::kErrTypeMismatch, "The saved properties are incomplete."};
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_props = std::move(loaded);
        m_reopenPort = true;
        m_reapplySettings = true;
    }
    m_modified = false;
    updateAutoPoll();
    return {};
}

} // namespace tavrin
