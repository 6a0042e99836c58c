#include "TavrinHost.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <poll.h>

namespace tavrin::test {

TavrinLibrary::TavrinLibrary(const char* path) : m_handle(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

TavrinLibrary::~TavrinLibrary() {
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
    }
}

void* TavrinLibrary::rawSymbol(const char* name) const {
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

TavrinVariant i2(std::int16_t v) {
    TavrinVariant out{};
    out.vt = TAVRIN_VT_I2;
    out.value.i2 = v;
    return out;
}

TavrinVariant i4(std::int32_t v) {
    TavrinVariant out{};
    out.vt = TAVRIN_VT_I4;
    out.value.i4 = v;
    return out;
}

TavrinVariant text(const char* s) {
    TavrinVariant out{};
    out.vt = TAVRIN_VT_BSTR;
    out.value.str = const_cast<char*>(s);
    out.length = static_cast<std::uint32_t>(std::strlen(s));
    return out;
}

TavrinVariant boolean(bool v) {
    TavrinVariant out{};
    out.vt = TAVRIN_VT_BOOL;
    out.value.boolean = v ? TAVRIN_VARIANT_TRUE : TAVRIN_VARIANT_FALSE;
    return out;
}

HostedControl::HostedControl(const TavrinLibrary& library, const char* className) {
    auto getClassObject = library.symbol<TavrinDllGetClassObjectFn>("DllGetClassObject");
    m_freeMemory = library.symbol<TavrinFreeMemoryFn>("TavrinFreeMemory");
    m_variantClear = library.symbol<TavrinVariantClearFn>("TavrinVariantClear");
    m_notifyFd = library.symbol<TavrinGetNotifyFdFn>("TavrinGetNotifyFd");
    m_pump = library.symbol<TavrinPumpNotificationsFn>("TavrinPumpNotifications");
    TavrinClassFactory* factory = nullptr;
    if (getClassObject == nullptr || m_freeMemory == nullptr || m_variantClear == nullptr ||
        m_notifyFd == nullptr || m_pump == nullptr ||
        getClassObject(className, &factory) != TAVRIN_OK) {
        return;
    }
    if (factory->vtbl->CreateInstance(factory, &m_control) != TAVRIN_OK) {
        m_control = nullptr;
    }
    factory->vtbl->Release(factory);
    if (m_control != nullptr) {
        m_sink = TavrinEventSink{this, &HostedControl::onEvent};
        m_control->vtbl->Advise(m_control, &m_sink);
    }
}

HostedControl::~HostedControl() {
    if (m_control != nullptr) {
        m_control->vtbl->Advise(m_control, nullptr);
        m_control->vtbl->Release(m_control);
    }
}

void HostedControl::onEvent(void* context, std::int32_t dispid, const TavrinVariant* args,
                            std::uint32_t argc) {
    auto* self = static_cast<HostedControl*>(context);
    self->m_events.emplace_back(dispid,
                                argc > 0 && args[0].vt == TAVRIN_VT_I2 ? args[0].value.i2 : -1);
}

std::int32_t HostedControl::id(const char* name) const {
    std::int32_t dispid = 0;
    return m_control->vtbl->GetIDOfName(m_control, name, &dispid) == TAVRIN_OK ? dispid : 0;
}

std::int32_t HostedControl::eventId(const char* name) const {
    std::int32_t dispid = 0;
    return m_control->vtbl->GetEventIDOfName(m_control, name, &dispid) == TAVRIN_OK ? dispid : 0;
}

std::int32_t HostedControl::put(const char* name, TavrinVariant value, std::string* error) {
    char* message = nullptr;
    const std::int32_t rc = m_control->vtbl->Invoke(m_control, id(name), TAVRIN_INVOKE_PROPERTYPUT,
                                                    &value, 1, nullptr, &message);
    if (message != nullptr) {
        if (error != nullptr) {
            *error = message;
        }
        m_freeMemory(message);
    }
    return rc;
}

std::int32_t HostedControl::call(const char* name, std::vector<TavrinVariant> args,
                                 TavrinVariant* result) {
    return m_control->vtbl->Invoke(m_control, id(name), TAVRIN_INVOKE_METHOD, args.data(),
                                   static_cast<std::uint32_t>(args.size()), result, nullptr);
}

std::int32_t HostedControl::getI2(const char* name) {
    TavrinVariant out{};
    if (m_control->vtbl->Invoke(m_control, id(name), TAVRIN_INVOKE_PROPERTYGET, nullptr, 0, &out,
                                nullptr) != TAVRIN_OK ||
        out.vt != TAVRIN_VT_I2) {
        m_variantClear(&out);
        return -1;
    }
    return out.value.i2;
}

double HostedControl::getDouble(const char* method, std::int16_t index) {
    TavrinVariant out{};
    if (call(method, {i2(index)}, &out) != TAVRIN_OK) {
        return -1;
    }
    double value = -1;
    if (out.vt == TAVRIN_VT_R4) {
        value = out.value.r4;
    } else if (out.vt == TAVRIN_VT_R8) {
        value = out.value.r8;
    }
    m_variantClear(&out);
    return value;
}

std::size_t HostedControl::count(const char* event) const {
    const std::int32_t wanted = eventId(event);
    std::size_t n = 0;
    for (const auto& e : m_events) {
        n += e.first == wanted ? 1 : 0;
    }
    return n;
}

bool HostedControl::waitForEvents(const char* event, std::size_t wanted,
                                  std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const int fd = m_notifyFd();
    while (count(event) < wanted) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || fd < 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            return false;
        }
        m_pump();
    }
    return true;
}

} // namespace tavrin::test
