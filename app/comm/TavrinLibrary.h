// The loaded control library: the shared object and the entry points the host uses. Owned
// through shared_ptr by the host and by every control made from it, so the code stays mapped
// until the last control has been released.
#pragma once

#include "tavrin/Tavrin.h"

#include <QString>
#include <memory>

namespace torvik::comm {

struct TavrinEntryPoints {
    TavrinDllGetClassObjectFn DllGetClassObject = nullptr;
    TavrinGetNotifyFdFn TavrinGetNotifyFd = nullptr;
    TavrinPumpNotificationsFn TavrinPumpNotifications = nullptr;
    TavrinVariantClearFn TavrinVariantClear = nullptr;
    TavrinFreeMemoryFn TavrinFreeMemory = nullptr;
    // Optional: a library without the frame tap still hosts controls.
    TavrinSetFrameTapFn TavrinSetFrameTap = nullptr;
    TavrinGetFramesDroppedFn TavrinGetFramesDropped = nullptr;
};

class TavrinLibrary {
public:
    // Null with `error` set when the file cannot be loaded or lacks an entry point.
    static std::shared_ptr<TavrinLibrary> open(const QString& path, QString& error);

    ~TavrinLibrary();
    TavrinLibrary(const TavrinLibrary&) = delete;
    TavrinLibrary& operator=(const TavrinLibrary&) = delete;

    const TavrinEntryPoints& entry() const { return m_entry; }

private:
    explicit TavrinLibrary(void* handle) : m_handle(handle) {}

    void* m_handle;
    TavrinEntryPoints m_entry;
};

} // namespace torvik::comm
