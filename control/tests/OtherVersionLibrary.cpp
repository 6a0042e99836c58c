// A library with every entry point of the control but another major interface version, as a
// host meets it after an upgrade of one side only. Hosts must refuse it before calling
// anything else; every other entry point fails if called all the same.
#include "tavrin/Tavrin.h"

#define TAVRIN_EXPORT extern "C" __attribute__((visibility("default")))

TAVRIN_EXPORT int TavrinInterfaceVersion(void) {
    return TAVRIN_INTERFACE_VERSION + 0x10000;
}
TAVRIN_EXPORT int32_t DllRegisterServer(void) {
    return TAVRIN_E_IO;
}
TAVRIN_EXPORT int32_t DllUnregisterServer(void) {
    return TAVRIN_E_IO;
}
TAVRIN_EXPORT int32_t DllGetClassObject(const char*, TavrinClassFactory** factory) {
    if (factory != nullptr)
        *factory = nullptr;
    return TAVRIN_E_CLASSNOTAVAILABLE;
}
TAVRIN_EXPORT int32_t DllCanUnloadNow(void) {
    return TAVRIN_OK;
}
TAVRIN_EXPORT int TavrinGetNotifyFd(void) {
    return -1;
}
TAVRIN_EXPORT int32_t TavrinPumpNotifications(void) {
    return 0;
}
TAVRIN_EXPORT void TavrinVariantClear(TavrinVariant*) {}
TAVRIN_EXPORT void TavrinFreeMemory(void*) {}
