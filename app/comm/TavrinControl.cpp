#include "comm/TavrinControl.h"

#include "comm/TavrinDispIds.h"
#include "comm/TavrinLibrary.h"

#include <QByteArray>
#include <QDebug>
#include <exception>
#include <vector>

namespace torvik::comm {
namespace {

// Host values as interface variants. Strings point into `storage`, which must outlive the call.
TavrinVariant toVariant(const TavrinValue& value, std::vector<QByteArray>& storage) {
    TavrinVariant out{};
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                out.vt = TAVRIN_VT_EMPTY;
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                out.vt = TAVRIN_VT_I2;
                out.value.i2 = v;
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                out.vt = TAVRIN_VT_I4;
                out.value.i4 = v;
            } else if constexpr (std::is_same_v<T, float>) {
                out.vt = TAVRIN_VT_R4;
                out.value.r4 = v;
            } else if constexpr (std::is_same_v<T, double>) {
                out.vt = TAVRIN_VT_R8;
                out.value.r8 = v;
            } else if constexpr (std::is_same_v<T, bool>) {
                out.vt = TAVRIN_VT_BOOL;
                out.value.boolean = v ? TAVRIN_VARIANT_TRUE : TAVRIN_VARIANT_FALSE;
            } else {
                storage.push_back(v.toUtf8());
                out.vt = TAVRIN_VT_BSTR;
                out.value.str = storage.back().data();
                out.length = static_cast<std::uint32_t>(storage.back().size());
            }
        },
        value);
    return out;
}

TavrinValue fromVariant(const TavrinVariant& v) {
    switch (v.vt) {
    case TAVRIN_VT_I2:
        return v.value.i2;
    case TAVRIN_VT_I4:
        return v.value.i4;
    case TAVRIN_VT_R4:
        return v.value.r4;
    case TAVRIN_VT_R8:
        return v.value.r8;
    case TAVRIN_VT_BOOL:
        return v.value.boolean != TAVRIN_VARIANT_FALSE;
    case TAVRIN_VT_BSTR:
        return v.value.str != nullptr
                   ? QString::fromUtf8(v.value.str, static_cast<qsizetype>(v.length))
                   : QString();
    default:
        return std::monostate{};
    }
}

// The control answers each member in its declared type; these accept the neighbouring
// numeric types too, so a host reading an I2 property as I4 still gets the number.
template <class T>
bool convert(const TavrinValue& value, T& out) {
    return std::visit(
        [&](const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, QString>) {
                if constexpr (std::is_same_v<V, QString>) {
                    out = v;
                    return true;
                }
                return false;
            } else if constexpr (std::is_same_v<V, std::monostate> || std::is_same_v<V, QString>) {
                return false;
            } else if constexpr (std::is_same_v<T, bool>) {
                out = v != V{};
                return true;
            } else {
                out = static_cast<T>(v);
                return true;
            }
        },
        value);
}

} // namespace

TavrinControl::TavrinControl(std::shared_ptr<TavrinLibrary> library, ::TavrinControl* handle)
    : m_library(std::move(library)), m_handle(handle) {
    const TavrinEventSink sink{this, &TavrinControl::onEvent};
    m_handle->vtbl->Advise(m_handle, &sink);
}

TavrinControl::~TavrinControl() {
    // No event may reach this object once it is gone: disconnect the sink, then release
    // (which ends a transaction in progress and drops its queued events).
    m_handle->vtbl->Advise(m_handle, nullptr);
    m_handle->vtbl->Release(m_handle);
}

void TavrinControl::onEvent(void* context, std::int32_t dispid, const TavrinVariant* args,
                            std::uint32_t argc) {
    // Called from inside the library: nothing may unwind through it.
    try {
        auto* self = static_cast<TavrinControl*>(context);
        if (dispid != dispid::Complete || argc < 1)
            return;
        std::int16_t result = 0;
        if (!convert(fromVariant(args[0]), result))
            return;
        emit self->Complete(result);
    } catch (const std::exception& e) {
        qWarning() << "Complete handler failed:" << e.what();
    } catch (...) {
        qWarning() << "Complete handler failed";
    }
}

InvokeResult TavrinControl::invoke(std::int32_t dispid, std::int32_t kind,
                                   std::span<const TavrinValue> args) {
    std::vector<QByteArray> storage;
    storage.reserve(args.size());
    std::vector<TavrinVariant> in;
    in.reserve(args.size());
    for (const TavrinValue& a : args)
        in.push_back(toVariant(a, storage));

    TavrinVariant out{};
    char* message = nullptr;
    InvokeResult result;
    result.error = m_handle->vtbl->Invoke(m_handle, dispid, kind, in.empty() ? nullptr : in.data(),
                                          static_cast<std::uint32_t>(in.size()), &out, &message);
    const TavrinEntryPoints& entry = m_library->entry();
    if (message != nullptr) {
        result.message = QString::fromUtf8(message);
        entry.TavrinFreeMemory(message);
    }
    result.value = fromVariant(out);
    entry.TavrinVariantClear(&out);
    m_lastError = result.ok() ? QString() : result.message;
    return result;
}

template <class T>
Fetched<T> TavrinControl::fetch(std::int32_t dispid, std::int32_t kind,
                                std::span<const TavrinValue> args) {
    const InvokeResult r = invoke(dispid, kind, args);
    Fetched<T> out;
    out.error = r.error;
    // A reply of another type than the member declares is a type mismatch (13).
    if (r.ok() && !convert(r.value, out.value))
        out.error = 13;
    return out;
}

std::int32_t TavrinControl::setI2(std::int32_t dispid, std::int16_t value) {
    const TavrinValue v = value;
    return invoke(dispid, TAVRIN_INVOKE_PROPERTYPUT, {&v, 1}).error;
}
std::int32_t TavrinControl::setI4(std::int32_t dispid, std::int32_t value) {
    const TavrinValue v = value;
    return invoke(dispid, TAVRIN_INVOKE_PROPERTYPUT, {&v, 1}).error;
}
std::int32_t TavrinControl::setText(std::int32_t dispid, const QString& value) {
    const TavrinValue v = value;
    return invoke(dispid, TAVRIN_INVOKE_PROPERTYPUT, {&v, 1}).error;
}
std::int32_t TavrinControl::setBool(std::int32_t dispid, bool value) {
    const TavrinValue v = value;
    return invoke(dispid, TAVRIN_INVOKE_PROPERTYPUT, {&v, 1}).error;
}

Fetched<std::int16_t> TavrinControl::getI2(std::int32_t dispid) {
    return fetch<std::int16_t>(dispid, TAVRIN_INVOKE_PROPERTYGET, {});
}
Fetched<std::int32_t> TavrinControl::getI4(std::int32_t dispid) {
    return fetch<std::int32_t>(dispid, TAVRIN_INVOKE_PROPERTYGET, {});
}
Fetched<QString> TavrinControl::getText(std::int32_t dispid) {
    return fetch<QString>(dispid, TAVRIN_INVOKE_PROPERTYGET, {});
}
Fetched<bool> TavrinControl::getBool(std::int32_t dispid) {
    return fetch<bool>(dispid, TAVRIN_INVOKE_PROPERTYGET, {});
}

std::int32_t TavrinControl::AsyncRefresh() {
    return invoke(dispid::AsyncRefresh, TAVRIN_INVOKE_METHOD, {}).error;
}
std::int32_t TavrinControl::SyncRefresh() {
    return invoke(dispid::SyncRefresh, TAVRIN_INVOKE_METHOD, {}).error;
}
std::int32_t TavrinControl::Disconnect() {
    return invoke(dispid::Disconnect, TAVRIN_INVOKE_METHOD, {}).error;
}
bool TavrinControl::Busy() {
    return getBool(dispid::Busy).value;
}
std::int16_t TavrinControl::Result() {
    return getI2(dispid::Result).value;
}
QString TavrinControl::ResultString() {
    return getText(dispid::ResultString).value;
}

Fetched<float> TavrinControl::GetDataFloatSwapM(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<float>(dispid::GetDataFloatSwapM, TAVRIN_INVOKE_METHOD, {&i, 1});
}
Fetched<std::int32_t> TavrinControl::GetDataLongSwapM(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<std::int32_t>(dispid::GetDataLongSwapM, TAVRIN_INVOKE_METHOD, {&i, 1});
}
Fetched<std::int16_t> TavrinControl::GetDataByteM(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<std::int16_t>(dispid::GetDataByteM, TAVRIN_INVOKE_METHOD, {&i, 1});
}
Fetched<std::int16_t> TavrinControl::GetDataWordM(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<std::int16_t>(dispid::GetDataWordM, TAVRIN_INVOKE_METHOD, {&i, 1});
}
Fetched<bool> TavrinControl::GetDataBitM(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<bool>(dispid::GetDataBitM, TAVRIN_INVOKE_METHOD, {&i, 1});
}
Fetched<std::int16_t> TavrinControl::DataWord(std::int16_t index) {
    const TavrinValue i = index;
    return fetch<std::int16_t>(dispid::DataWord, TAVRIN_INVOKE_PROPERTYGET, {&i, 1});
}
std::int32_t TavrinControl::SetDataWordM(std::int16_t index, std::int16_t value) {
    const TavrinValue args[] = {index, value};
    return invoke(dispid::SetDataWordM, TAVRIN_INVOKE_METHOD, args).error;
}
std::int32_t TavrinControl::SetDataByteM(std::int16_t index, std::int16_t value) {
    const TavrinValue args[] = {index, value};
    return invoke(dispid::SetDataByteM, TAVRIN_INVOKE_METHOD, args).error;
}

} // namespace torvik::comm
