#include "commport/EnsurePortOpen.h"

namespace tavrin {

bool EnsurePortOpen(CommPort& port, PortRequestFlags& flags, std::string_view adapterPrefix,
                    long adapter, std::string_view commSettings) {
    if (flags.reopenPort) {
        flags.reopenPort = false;
        port.close();
        if (!port.setPortName(adapterPrefix, adapter)) {
            return false;
        }
    }
    if (!port.isOpen() && !port.open() && !port.attach()) {
        return false;
    }
    if (flags.reapplySettings) {
        flags.reapplySettings = false;
        if (port.setSettings(commSettings)) {
            port.applySettings();
        }
    }
    return true;
}

} // namespace tavrin
