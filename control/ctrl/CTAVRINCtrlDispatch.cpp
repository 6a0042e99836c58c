// Late-bound access to the control: member numbers and names, argument counts and types,
// run-time-only and read-only members.
#include "ctrl/CTAVRINCtrl.h"
#include "ctrl/DispIds.h"
#include "ctrl/ResultText.h"

#include <array>

namespace tavrin {

namespace {

using automation::DispId;
using automation::InvokeKind;
using automation::Status;
using automation::Variant;
using automation::VarType;
namespace d = dispid;

// clang-format off
constexpr std::array kMemberNames = std::to_array<automation::MemberName>({
    {"AdapterPrefix", d::AdapterPrefix}, {"Busy", d::Busy}, {"CommSettings", d::CommSettings},
    {"DataString", d::DataString}, {"DataMode", d::DataMode}, {"ErrorChecking", d::ErrorChecking},
    {"Function", d::Function}, {"MemQty", d::MemQty}, {"MemStart", d::MemStart},
    {"NodeAddress", d::NodeAddress}, {"Result", d::Result}, {"SlaveEnabled", d::SlaveEnabled},
    {"SlaveMemStart", d::SlaveMemStart}, {"TimeoutConnect", d::TimeoutConnect},
    {"TimeoutTrans", d::TimeoutTrans}, {"AutoPollEnabled", d::AutoPollEnabled},
    {"AutoPollInterval", d::AutoPollInterval}, {"Adapter", d::Adapter},
    {"SlaveMemQty", d::SlaveMemQty}, {"AddressType", d::AddressType},
    {"GetDataBitM", d::GetDataBitM}, {"SetDataBitM", d::SetDataBitM},
    {"GetDataFloatM", d::GetDataFloatM}, {"SetDataFloatM", d::SetDataFloatM},
    {"GetDataWordBCDM", d::GetDataWordBCDM}, {"SetDataWordBCDM", d::SetDataWordBCDM},
    {"GetDataByteM", d::GetDataByteM}, {"SetDataByteM", d::SetDataByteM},
    {"GetDataWordM", d::GetDataWordM}, {"SetDataWordM", d::SetDataWordM},
    {"GetDataLongM", d::GetDataLongM}, {"SetDataLongM", d::SetDataLongM},
    {"Disconnect", d::Disconnect}, {"ModemCancel", d::ModemCancel},
    {"ModemHangup", d::ModemHangup}, {"ModemDial", d::ModemDial},
    {"SetDataFloatSwapM", d::SetDataFloatSwapM}, {"GetDataFloatSwapM", d::GetDataFloatSwapM},
    {"GetDataLongBCDM", d::GetDataLongBCDM}, {"SetDataLongBCDM", d::SetDataLongBCDM},
    {"GetDataLongSwapM", d::GetDataLongSwapM}, {"SetDataLongSwapM", d::SetDataLongSwapM},
    {"DataWord", d::DataWord}, {"DataFloat", d::DataFloat}, {"DataLong", d::DataLong},
    {"SlaveDataWord", d::SlaveDataWord}, {"DataBit", d::DataBit}, {"DataByte", d::DataByte},
    {"DataWordBCD", d::DataWordBCD}, {"DataFloatSwap", d::DataFloatSwap},
    {"DataLongBCD", d::DataLongBCD}, {"DataLongSwap", d::DataLongSwap},
    {"Refresh2", d::Refresh2}, {"AsyncRefresh", d::AsyncRefresh}, {"SyncRefresh", d::SyncRefresh},
    {"ResultString", d::ResultString}, {"Enabled", d::Enabled}, {"Refresh", d::Refresh},
    {"AboutBox", d::AboutBox},
});

constexpr std::array kEventNames = std::to_array<automation::MemberName>({
    {"Complete", d::Complete}, {"UnsolicitedMessage", d::UnsolicitedMessage},
    {"DialComplete", d::DialComplete}, {"HangupComplete", d::HangupComplete},
    {"ModemStatusChange", d::ModemStatusChange},
});

struct PropertyInfo {
    DispId id;
    VarType type;
    bool runTimeOnly; // reading it in design mode is refused
    bool readOnly;
};

constexpr std::array kProperties = std::to_array<PropertyInfo>({
    {d::AdapterPrefix, VarType::Bstr, false, false},
    {d::Busy, VarType::Bool, true, true},
    {d::CommSettings, VarType::Bstr, false, false},
    {d::DataString, VarType::Bstr, true, false},
    {d::DataMode, VarType::I2, false, false},
    {d::ErrorChecking, VarType::I2, true, false},
    {d::Function, VarType::I2, false, false},
    {d::MemQty, VarType::I2, false, false},
    {d::MemStart, VarType::Bstr, false, false},
    {d::NodeAddress, VarType::Bstr, false, false},
    {d::Result, VarType::I2, true, true},
    {d::SlaveEnabled, VarType::Bool, false, false},
    {d::SlaveMemStart, VarType::Bstr, false, false},
    {d::TimeoutConnect, VarType::I2, true, false},
    {d::TimeoutTrans, VarType::I2, false, false},
    {d::AutoPollEnabled, VarType::Bool, false, false},
    {d::AutoPollInterval, VarType::I4, false, false},
    {d::Adapter, VarType::I2, false, false},
    {d::SlaveMemQty, VarType::I2, true, true},
    {d::AddressType, VarType::I2, false, false},
    {d::ResultString, VarType::Bstr, true, true},
    {d::Enabled, VarType::Bool, false, false},
});
// clang-format on

const PropertyInfo* propertyInfo(DispId id) {
    for (const PropertyInfo& p : kProperties) {
        if (p.id == id) {
            return &p;
        }
    }
    return nullptr;
}

// The data views and how each member reaches one: as an indexed property, or as the Get/Set
// method pair that does the same.
enum class View : std::uint8_t {
    Word,
    Float,
    Long,
    SlaveWord,
    Bit,
    Byte,
    WordBcd,
    FloatSwap,
    LongBcd,
    LongSwap
};
enum class Access : std::uint8_t { Property, GetMethod, SetMethod };

struct DataMember {
    DispId id;
    View view;
    Access access;
};

constexpr std::array kDataMembers = std::to_array<DataMember>({
    {d::GetDataBitM, View::Bit, Access::GetMethod},
    {d::SetDataBitM, View::Bit, Access::SetMethod},
    {d::GetDataFloatM, View::Float, Access::GetMethod},
    {d::SetDataFloatM, View::Float, Access::SetMethod},
    {d::GetDataWordBCDM, View::WordBcd, Access::GetMethod},
    {d::SetDataWordBCDM, View::WordBcd, Access::SetMethod},
    {d::GetDataByteM, View::Byte, Access::GetMethod},
    {d::SetDataByteM, View::Byte, Access::SetMethod},
    {d::GetDataWordM, View::Word, Access::GetMethod},
    {d::SetDataWordM, View::Word, Access::SetMethod},
    {d::GetDataLongM, View::Long, Access::GetMethod},
    {d::SetDataLongM, View::Long, Access::SetMethod},
    {d::SetDataFloatSwapM, View::FloatSwap, Access::SetMethod},
    {d::GetDataFloatSwapM, View::FloatSwap, Access::GetMethod},
    {d::GetDataLongBCDM, View::LongBcd, Access::GetMethod},
    {d::SetDataLongBCDM, View::LongBcd, Access::SetMethod},
    {d::GetDataLongSwapM, View::LongSwap, Access::GetMethod},
    {d::SetDataLongSwapM, View::LongSwap, Access::SetMethod},
    {d::DataWord, View::Word, Access::Property},
    {d::DataFloat, View::Float, Access::Property},
    {d::DataLong, View::Long, Access::Property},
    {d::SlaveDataWord, View::SlaveWord, Access::Property},
    {d::DataBit, View::Bit, Access::Property},
    {d::DataByte, View::Byte, Access::Property},
    {d::DataWordBCD, View::WordBcd, Access::Property},
    {d::DataFloatSwap, View::FloatSwap, Access::Property},
    {d::DataLongBCD, View::LongBcd, Access::Property},
    {d::DataLongSwap, View::LongSwap, Access::Property},
});

const DataMember* dataMember(DispId id) {
    for (const DataMember& m : kDataMembers) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

Status coerce(const Variant& v, std::int16_t& out) {
    return automation::toI2(v, out);
}
Status coerce(const Variant& v, std::int32_t& out) {
    return automation::toI4(v, out);
}
Status coerce(const Variant& v, float& out) {
    return automation::toR4(v, out);
}
Status coerce(const Variant& v, bool& out) {
    return automation::toBool(v, out);
}
Status coerce(const Variant& v, std::string& out) {
    return automation::toString(v, out);
}

Variant variantOf(std::int16_t v) {
    return Variant::i2(v);
}
Variant variantOf(std::int32_t v) {
    return Variant::i4(v);
}
Variant variantOf(float v) {
    return Variant::r4(v);
}
Variant variantOf(bool v) {
    return Variant::boolean(v);
}

automation::Error toAutomation(const AutomationError& e) {
    return {e.number, e.message};
}

// One read (args: index) or write (args: index, value) of a view, under the state lock.
template <class T>
Status viewCall(std::mutex& mutex, DataArea& data,
                Outcome<T> (DataArea::*get)(DataArea::Index) const,
                Outcome<void> (DataArea::*set)(DataArea::Index, T), bool write,
                std::span<const Variant> args, Variant& result) {
    if (args.size() != (write ? 2u : 1u)) {
        return automation::platformError(automation::kErrWrongArgumentCount);
    }
    DataArea::Index index = 0;
    if (Status s = coerce(args[0], index); !s) {
        return s;
    }
    if (!write) {
        std::lock_guard lock(mutex);
        const Outcome<T> value = (data.*get)(index);
        if (!value) {
            return toAutomation(value.error());
        }
        result = variantOf(value.value());
        return {};
    }
    T value{};
    if (Status s = coerce(args[1], value); !s) {
        return s;
    }
    if (set == nullptr) {
        return automation::platformError(automation::kErrSetNotSupported);
    }
    std::lock_guard lock(mutex);
    if (const Outcome<void> stored = (data.*set)(index, value); !stored) {
        return toAutomation(stored.error());
    }
    return {};
}

} // namespace

std::optional<DispId> CTAVRINCtrl::idOfName(std::string_view name) const {
    return automation::findMember(kMemberNames, name);
}

std::optional<DispId> CTAVRINCtrl::eventIdOfName(std::string_view name) const {
    return automation::findMember(kEventNames, name);
}

Status CTAVRINCtrl::invoke(DispId id, InvokeKind kind, std::span<const Variant> args,
                           Variant& result) {
    result = Variant();
    if (propertyInfo(id) != nullptr) {
        return dispatchProperty(id, kind, args, result);
    }
    if (dataMember(id) != nullptr) {
        return dispatchData(id, kind, args, result);
    }
    if (kind == InvokeKind::PropertyPut) {
        return automation::platformError(automation::kErrMemberNotFound);
    }
    return dispatchMethod(id, args, result);
}

Status CTAVRINCtrl::dispatchProperty(DispId id, InvokeKind kind, std::span<const Variant> args,
                                     Variant& result) {
    const PropertyInfo& info = *propertyInfo(id);
    if (kind == InvokeKind::PropertyPut) {
        if (args.size() != 1) {
            return automation::platformError(automation::kErrWrongArgumentCount);
        }
        if (info.readOnly) {
            return automation::platformError(automation::kErrSetNotSupported);
        }
        Variant value;
        if (Status s = automation::changeType(args[0], info.type, value); !s) {
            return s;
        }
        return putProperty(id, value);
    }
    if (!args.empty()) {
        return automation::platformError(automation::kErrWrongArgumentCount);
    }
    if (info.runTimeOnly && !userMode()) {
        return automation::platformError(automation::kErrGetNotSupported);
    }
    const ControlProperties& p = m_props;
    switch (id) {
    case d::AdapterPrefix:
        result = Variant::bstr(p.adapterPrefix);
        break;
    case d::Busy:
        result = Variant::boolean(m_busy.load());
        break;
    case d::CommSettings:
        result = Variant::bstr(p.commSettings);
        break;
    case d::DataString:
        result = Variant::bstr(dataString());
        break;
    case d::DataMode:
        result = Variant::i2(p.dataMode);
        break;
    case d::ErrorChecking:
    case d::TimeoutConnect:
    case d::SlaveMemQty:
        result = Variant::i2(0);
        break;
    case d::Function:
        result = Variant::i2(p.function);
        break;
    case d::MemQty: {
        std::lock_guard lock(m_stateMutex); // a reply may change it
        result = Variant::i2(p.memQty);
        break;
    }
    case d::MemStart:
        result = Variant::bstr(p.memStart);
        break;
    case d::NodeAddress:
        result = Variant::bstr(p.nodeAddress);
        break;
    case d::Result:
        result = Variant::i2(m_result);
        break;
    case d::SlaveEnabled:
        result = Variant::boolean(p.slaveEnabled);
        break;
    case d::SlaveMemStart:
        result = Variant::bstr(p.slaveMemStart);
        break;
    case d::TimeoutTrans:
        result = Variant::i2(p.timeoutTrans);
        break;
    case d::AutoPollEnabled:
        result = Variant::boolean(p.autoPollEnabled);
        break;
    case d::AutoPollInterval:
        result = Variant::i4(p.autoPollInterval);
        break;
    case d::Adapter:
        result = Variant::i2(p.adapter);
        break;
    case d::AddressType:
        result = Variant::i2(p.addressType);
        break;
    case d::ResultString:
        result = Variant::bstr(ResultString(m_result));
        break;
    case d::Enabled:
        result = Variant::boolean(p.enabled);
        break;
    default:
        break;
    }
    return {};
}

Status CTAVRINCtrl::dispatchData(DispId id, InvokeKind kind, std::span<const Variant> args,
                                 Variant& result) {
    const DataMember* found = dataMember(id);
    if (found == nullptr) {
        return automation::platformError(automation::kErrMemberNotFound);
    }
    const DataMember& member = *found;
    bool write = false;
    switch (member.access) {
    case Access::Property:
        write = kind == InvokeKind::PropertyPut;
        break;
    case Access::GetMethod:
    case Access::SetMethod:
        if (kind == InvokeKind::PropertyPut) {
            return automation::platformError(automation::kErrMemberNotFound);
        }
        write = member.access == Access::SetMethod;
        break;
    }
    Status s;
    DataArea& a = m_data;
    std::mutex& m = m_stateMutex;
    switch (member.view) {
    case View::Word:
        s = viewCall(m, a, &DataArea::dataWord, &DataArea::setDataWord, write, args, result);
        break;
    case View::Float:
        s = viewCall(m, a, &DataArea::dataFloat, &DataArea::setDataFloat, write, args, result);
        break;
    case View::Long:
        s = viewCall(m, a, &DataArea::dataLong, &DataArea::setDataLong, write, args, result);
        break;
    case View::SlaveWord:
        s = viewCall<std::int16_t>(m, a, &DataArea::slaveDataWord, nullptr, write, args, result);
        break;
    case View::Bit:
        s = viewCall(m, a, &DataArea::dataBit, &DataArea::setDataBit, write, args, result);
        break;
    case View::Byte:
        s = viewCall(m, a, &DataArea::dataByte, &DataArea::setDataByte, write, args, result);
        break;
    case View::WordBcd:
        s = viewCall(m, a, &DataArea::dataWordBCD, &DataArea::setDataWordBCD, write, args, result);
        break;
    case View::FloatSwap:
        s = viewCall(m, a, &DataArea::dataFloatSwap, &DataArea::setDataFloatSwap, write, args,
                     result);
        break;
    case View::LongBcd:
        s = viewCall(m, a, &DataArea::dataLongBCD, &DataArea::setDataLongBCD, write, args, result);
        break;
    case View::LongSwap:
        s = viewCall(m, a, &DataArea::dataLongSwap, &DataArea::setDataLongSwap, write, args,
                     result);
        break;
    }
    // A write through the indexed property is a property write like any other.
    if (s && write && member.access == Access::Property) {
        changed(id);
    }
    return s;
}

Status CTAVRINCtrl::dispatchMethod(DispId id, std::span<const Variant> args, Variant& result) {
    const auto arity = [&](std::size_t n) -> Status {
        if (args.size() != n) {
            return automation::platformError(automation::kErrWrongArgumentCount);
        }
        return {};
    };
    switch (id) {
    case d::AsyncRefresh:
    case d::Refresh2:
    case d::Refresh:
    case d::SyncRefresh:
    case d::Disconnect:
    case d::ModemCancel:
    case d::ModemHangup:
    case d::AboutBox:
        if (Status s = arity(0); !s) {
            return s;
        }
        break;
    case d::ModemDial:
        if (Status s = arity(4); !s) {
            return s;
        }
        break;
    default:
        return automation::platformError(automation::kErrMemberNotFound);
    }
    switch (id) {
    case d::AsyncRefresh:
    case d::Refresh2:
    case d::Refresh:
        AsyncRefresh();
        break;
    case d::SyncRefresh:
        SyncRefresh();
        break;
    case d::Disconnect:
        Disconnect();
        break;
    case d::ModemCancel:
        ModemCancel();
        break;
    case d::ModemHangup:
        ModemHangup();
        break;
    case d::ModemDial: {
        // InitString1, InitString2, PhoneSystem, DialString.
        std::array<std::string, 4> text;
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (Status s = coerce(args[k], text[k]); !s) {
                return s;
            }
        }
        ModemDial(modem::dialCommands(text[0], text[1], text[2], text[3]));
        break;
    }
    case d::AboutBox:
        // A library has no window to show: the About text is returned for the host to show.
        result = Variant::bstr("TAVRIN Modbus serial master control, interface version 2.1");
        break;
    default:
        break;
    }
    return {};
}

} // namespace tavrin
