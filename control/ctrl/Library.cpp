// The exported entry points of libtavrin.so (Tavrin.h); everything else stays hidden.
#include "ctrl/CInterface.h"

#define TAVRIN_EXPORT extern "C" __attribute__((visibility("default")))

TAVRIN_EXPORT int TavrinInterfaceVersion(void) {
    return TAVRIN_INTERFACE_VERSION;
}

TAVRIN_EXPORT int32_t DllRegisterServer(void) {
    return tavrin::capi::registerServer();
}

TAVRIN_EXPORT int32_t DllUnregisterServer(void) {
    return tavrin::capi::unregisterServer();
}

TAVRIN_EXPORT int32_t DllGetClassObject(const char* className, TavrinClassFactory** factory) {
    return tavrin::capi::getClassObject(className, factory);
}

TAVRIN_EXPORT int32_t DllCanUnloadNow(void) {
    return tavrin::capi::canUnloadNow();
}

TAVRIN_EXPORT int TavrinGetNotifyFd(void) {
    return tavrin::capi::notifyFd();
}

TAVRIN_EXPORT int32_t TavrinPumpNotifications(void) {
    return tavrin::capi::pumpNotifications();
}

TAVRIN_EXPORT int32_t TavrinFindConstant(const char* name, int32_t* value) {
    return tavrin::capi::findConstant(name, value);
}

TAVRIN_EXPORT int32_t TavrinGetEnumMember(const char* enumName, uint32_t index,
                                          const char** memberName, int32_t* value) {
    return tavrin::capi::enumMember(enumName, index, memberName, value);
}

TAVRIN_EXPORT void TavrinVariantClear(TavrinVariant* variant) {
    tavrin::capi::variantClear(variant);
}

TAVRIN_EXPORT void TavrinFreeMemory(void* memory) {
    tavrin::capi::freeMemory(memory);
}

TAVRIN_EXPORT int32_t TavrinSetFrameTap(const TavrinFrameTap* tap) {
    return tavrin::capi::setFrameTap(tap);
}

TAVRIN_EXPORT uint64_t TavrinGetFramesDropped(void) {
    return tavrin::capi::framesDropped();
}
