// What a ports folder may say about a port beyond where its device is: a file "<name>.conf"
// beside the port's link (COM5.conf for COM5), one "key=value" per line, '#' starting a
// comment. Keys:
//   echo=1   the adapter hands every byte the control sends back to it (two-wire RS-485
//            adapters that echo): the control drops exactly the bytes it sent before it takes
//            the reply. echo=0, or no such line, for adapters that do not.
// Unknown keys and values other than 1/0 (yes/no, on/off, true/false) are ignored.
#ifndef TAVRIN_COMMPORT_PORTOPTIONS_H
#define TAVRIN_COMMPORT_PORTOPTIONS_H

#include "commport/PortName.h"

#include <string_view>

namespace tavrin {

struct PortOptions {
    bool echo = false;
};

PortOptions parsePortOptions(std::string_view text);

// The options file of the named port in the ports folder; defaults when there is none.
PortOptions readPortOptions(const PortName& name);

} // namespace tavrin

#endif
