#include "comm/TavrinLibrary.h"

#include <dlfcn.h>

namespace torvik::comm {
namespace {

QString lastDlError() {
    const char* text = ::dlerror();
    return text != nullptr ? QString::fromLocal8Bit(text) : QString();
}

template <class Fn>
bool resolve(void* handle, const char* name, Fn& out, QString& error) {
    ::dlerror();
    void* symbol = ::dlsym(handle, name);
    if (symbol == nullptr) {
        error = QStringLiteral("%1: %2").arg(QString::fromLatin1(name), lastDlError());
        return false;
    }
    // dlsym hands out object pointers; POSIX guarantees they convert to function pointers.
    out = reinterpret_cast<Fn>(symbol);
    return true;
}

} // namespace

std::shared_ptr<TavrinLibrary> TavrinLibrary::open(const QString& path, QString& error) {
    // RTLD_LOCAL: the library's symbols must not leak into (or be bound from) the program.
    void* handle = ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = lastDlError();
        return nullptr;
    }
    std::shared_ptr<TavrinLibrary> library(new TavrinLibrary(handle));
    // Another major version lays out its tables differently: calling it would crash.
    TavrinInterfaceVersionFn version = nullptr;
    if (!resolve(handle, "TavrinInterfaceVersion", version, error))
        return nullptr;
    if (const int found = version(); found >> 16 != TAVRIN_INTERFACE_VERSION >> 16) {
        error = QStringLiteral("interface version %1.%2, this program needs %3.x")
                    .arg(found >> 16)
                    .arg(found & 0xFFFF)
                    .arg(TAVRIN_INTERFACE_VERSION >> 16);
        return nullptr;
    }
    TavrinEntryPoints& e = library->m_entry;
    if (!resolve(handle, "DllGetClassObject", e.DllGetClassObject, error) ||
        !resolve(handle, "TavrinGetNotifyFd", e.TavrinGetNotifyFd, error) ||
        !resolve(handle, "TavrinPumpNotifications", e.TavrinPumpNotifications, error) ||
        !resolve(handle, "TavrinVariantClear", e.TavrinVariantClear, error) ||
        !resolve(handle, "TavrinFreeMemory", e.TavrinFreeMemory, error))
        return nullptr;
    e.TavrinSetFrameTap =
        reinterpret_cast<TavrinSetFrameTapFn>(::dlsym(handle, "TavrinSetFrameTap"));
    e.TavrinGetFramesDropped =
        reinterpret_cast<TavrinGetFramesDroppedFn>(::dlsym(handle, "TavrinGetFramesDropped"));
    return library;
}

TavrinLibrary::~TavrinLibrary() {
    ::dlclose(m_handle);
}

} // namespace torvik::comm
