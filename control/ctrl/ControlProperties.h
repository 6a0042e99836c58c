// The control's persisted properties with their defaults, and their stream form: the
// version word, the stock Enabled, then the properties in this order. AddressType joined
// in format 2.1; older streams load it as 0.
#pragma once

#include "automation/Error.h"
#include "automation/PropertyStream.h"

#include <cstdint>
#include <string>

namespace tavrin {

inline constexpr std::uint32_t kPropertyFormatVersion = 0x20001; // major 2, minor 1
inline constexpr std::uint32_t kFormatWithoutAddressType = 0x20000;

struct ControlProperties {
    bool enabled = true;
    std::int16_t adapter = 1;
    std::string adapterPrefix = "COM";
    std::string commSettings = "9600,E,8,1";
    std::int16_t dataMode = 0;
    std::int16_t errorChecking = 0;
    std::int16_t function = 1;
    std::int16_t memQty = 1;
    std::string memStart = "40001";
    std::string nodeAddress = "1";
    bool slaveEnabled = false;
    std::string slaveMemStart = "0";
    std::int16_t timeoutConnect = 100;
    std::int16_t timeoutTrans = 150;
    bool autoPollEnabled = false;
    std::int32_t autoPollInterval = 50;
    std::int16_t addressType = 0;

    friend bool operator==(const ControlProperties&, const ControlProperties&) = default;
};

void saveProperties(const ControlProperties& props, automation::PropertyWriter& out);

// Reads a whole stream into `props`; false (with `props` untouched) when it is short.
bool loadProperties(automation::PropertyReader& in, ControlProperties& props);

} // namespace tavrin
