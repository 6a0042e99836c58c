// Makes sure a control's port is usable before a request is served.
#ifndef TAVRIN_COMMPORT_ENSUREPORTOPEN_H
#define TAVRIN_COMMPORT_ENSUREPORTOPEN_H

#include "commport/CommPort.h"

#include <string_view>

namespace tavrin {

// What the control asked of the port since the last request; EnsurePortOpen clears what it
// has done. A new control starts with reopenPort set, so that its name is taken up.
struct PortRequestFlags {
    bool reopenPort = true;
    bool reapplySettings = true;
};

// Reopens under a new name when asked, opens as owner or else attaches as guest, and applies
// changed settings (whose failure does not fail the call). False: the port cannot be used
// now (the request then reports that the port could not be opened).
bool EnsurePortOpen(CommPort& port, PortRequestFlags& flags, std::string_view adapterPrefix,
                    long adapter, std::string_view commSettings);

} // namespace tavrin

#endif
