// The C face of the button (Plinth.h): vtables over the automation layer. The exported
// entry points in Library.cpp forward here.
#pragma once

#include "plinth/Plinth.h"

#include <cstdint>

namespace plinth::capi {

std::int32_t getClassObject(const char* className, PlinthClassFactory** factory);
std::int32_t canUnloadNow();
std::int32_t registerServer();
std::int32_t unregisterServer();
std::int32_t findConstant(const char* name, std::int32_t* value);
std::int32_t enumMember(const char* enumName, std::uint32_t index, const char** memberName,
                        std::int32_t* value);
void variantClear(PlinthVariant* variant);
void freeMemory(void* memory);

} // namespace plinth::capi
