// The C face of the control (Tavrin.h): vtables over the automation layer. The exported
// entry points in Library.cpp forward here.
#pragma once

#include "tavrin/Tavrin.h"

#include <cstdint>

namespace tavrin::capi {

std::int32_t getClassObject(const char* className, TavrinClassFactory** factory);
std::int32_t canUnloadNow();
std::int32_t registerServer();
std::int32_t unregisterServer();
int notifyFd();
std::int32_t pumpNotifications();
std::int32_t findConstant(const char* name, std::int32_t* value);
std::int32_t enumMember(const char* enumName, std::uint32_t index, const char** memberName,
                        std::int32_t* value);
void variantClear(TavrinVariant* variant);
void freeMemory(void* memory);
std::int32_t setFrameTap(const TavrinFrameTap* tap);
std::uint64_t framesDropped();

} // namespace tavrin::capi
