// A host that knows only Tavrin.h: the library loaded with dlopen, controls made by class
// name and called by member name, events pumped from the notification descriptor on the
// calling thread. Shared by the C-interface tests and the second-process helper.
#ifndef TAVRIN_TESTS_TAVRINHOST_H
#define TAVRIN_TESTS_TAVRINHOST_H

#include "tavrin/Tavrin.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tavrin::test {

class TavrinLibrary {
public:
    explicit TavrinLibrary(const char* path);
    ~TavrinLibrary();
    TavrinLibrary(const TavrinLibrary&) = delete;
    TavrinLibrary& operator=(const TavrinLibrary&) = delete;

    bool loaded() const { return m_handle != nullptr; }

    template <class Fn>
    Fn symbol(const char* name) const {
        return reinterpret_cast<Fn>(rawSymbol(name));
    }

private:
    void* rawSymbol(const char* name) const;
    void* m_handle;
};

// Values passed in; strings stay the caller's.
TavrinVariant i2(std::int16_t v);
TavrinVariant i4(std::int32_t v);
TavrinVariant text(const char* s);
TavrinVariant boolean(bool v);

// One control, created by class name, released with the object. Call it, and pump, on the
// thread that made it.
class HostedControl {
public:
    explicit HostedControl(const TavrinLibrary& library,
                           const char* className = "TAVRINLib.TAVRIN");
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    bool valid() const { return m_control != nullptr; }

    // Automation error numbers (0 success); `error` receives the message.
    std::int32_t put(const char* name, TavrinVariant value, std::string* error = nullptr);
    std::int32_t call(const char* name, std::vector<TavrinVariant> args = {},
                      TavrinVariant* result = nullptr);
    std::int32_t getI2(const char* name);
    double getDouble(const char* method, std::int16_t index); // e.g. GetDataFloatSwapM

    // (event number, first argument) of every event fired so far.
    const std::vector<std::pair<std::int32_t, std::int32_t>>& events() const { return m_events; }
    std::size_t count(const char* event) const;
    // Pumps this thread's notifications, sleeping on the descriptor, until `count` events
    // named `event` have fired; false at the deadline.
    bool waitForEvents(const char* event, std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    static void onEvent(void* context, std::int32_t dispid, const TavrinVariant* args,
                        std::uint32_t argc);
    std::int32_t id(const char* name) const;
    std::int32_t eventId(const char* name) const;

    TavrinControl* m_control = nullptr;
    TavrinFreeMemoryFn m_freeMemory = nullptr;
    TavrinVariantClearFn m_variantClear = nullptr;
    TavrinGetNotifyFdFn m_notifyFd = nullptr;
    TavrinPumpNotificationsFn m_pump = nullptr;
    TavrinEventSink m_sink{};
    std::vector<std::pair<std::int32_t, std::int32_t>> m_events;
};

} // namespace tavrin::test

#endif
