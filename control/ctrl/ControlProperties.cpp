#include "ctrl/ControlProperties.h"

namespace tavrin {

void saveProperties(const ControlProperties& p, automation::PropertyWriter& out) {
    out.writeU32(kPropertyFormatVersion);
    out.writeBool(p.enabled);
    out.writeI2(p.adapter);
    out.writeString(p.adapterPrefix);
    out.writeString(p.commSettings);
    out.writeI2(p.dataMode);
    out.writeI2(p.errorChecking);
    out.writeI2(p.function);
    out.writeI2(p.memQty);
    out.writeString(p.memStart);
    out.writeString(p.nodeAddress);
    out.writeBool(p.slaveEnabled);
    out.writeString(p.slaveMemStart);
    out.writeI2(p.timeoutConnect);
    out.writeI2(p.timeoutTrans);
    out.writeBool(p.autoPollEnabled);
    out.writeI4(p.autoPollInterval);
    out.writeI2(p.addressType);
}

bool loadProperties(automation::PropertyReader& in, ControlProperties& props) {
    ControlProperties p;
    std::uint32_t version = 0;
    const bool read = in.readU32(version) && in.readBool(p.enabled) && in.readI2(p.adapter) &&
                      in.readString(p.adapterPrefix) && in.readString(p.commSettings) &&
                      in.readI2(p.dataMode) && in.readI2(p.errorChecking) &&
                      in.readI2(p.function) && in.readI2(p.memQty) && in.readString(p.memStart) &&
                      in.readString(p.nodeAddress) && in.readBool(p.slaveEnabled) &&
                      in.readString(p.slaveMemStart) && in.readI2(p.timeoutConnect) &&
                      in.readI2(p.timeoutTrans) && in.readBool(p.autoPollEnabled) &&
                      in.readI4(p.autoPollInterval) &&
                      (version <= kFormatWithoutAddressType || in.readI2(p.addressType));
    if (!read) {
        return false;
    }
    props = p;
    return true;
}

} // namespace tavrin
