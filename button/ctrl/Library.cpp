// The exported C entry points of libplinth.so (Plinth.h). The widget classes are exported
// by their own declarations; everything else stays hidden.
#include "ctrl/CInterface.h"

#define PLINTH_C_EXPORT extern "C" __attribute__((visibility("default")))

PLINTH_C_EXPORT int PlinthInterfaceVersion() {
    return 0x10000;
}

PLINTH_C_EXPORT int32_t DllRegisterServer(void) {
    return plinth::capi::registerServer();
}

PLINTH_C_EXPORT int32_t DllUnregisterServer(void) {
    return plinth::capi::unregisterServer();
}

PLINTH_C_EXPORT int32_t DllGetClassObject(const char* className, PlinthClassFactory** factory) {
    return plinth::capi::getClassObject(className, factory);
}

PLINTH_C_EXPORT int32_t DllCanUnloadNow(void) {
    return plinth::capi::canUnloadNow();
}

PLINTH_C_EXPORT int32_t PlinthFindConstant(const char* name, int32_t* value) {
    return plinth::capi::findConstant(name, value);
}

PLINTH_C_EXPORT int32_t PlinthGetEnumMember(const char* enumName, uint32_t index,
                                            const char** memberName, int32_t* value) {
    return plinth::capi::enumMember(enumName, index, memberName, value);
}

PLINTH_C_EXPORT void PlinthVariantClear(PlinthVariant* variant) {
    plinth::capi::variantClear(variant);
}

PLINTH_C_EXPORT void PlinthFreeMemory(void* memory) {
    plinth::capi::freeMemory(memory);
}
