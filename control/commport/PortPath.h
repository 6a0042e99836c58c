// Where a port name leads on this machine: a link in the ports folder, or for COMn the
// built-in serial port /dev/ttyS(n-1).
#ifndef TAVRIN_COMMPORT_PORTPATH_H
#define TAVRIN_COMMPORT_PORTPATH_H

#include "commport/PortName.h"

#include <functional>
#include <optional>
#include <string>

namespace tavrin {

// Reads one environment variable; nothing when it is unset.
using EnvLookup = std::function<std::optional<std::string>(const char*)>;
// True when the path names an entry (a link may dangle: it still counts, and opening it then
// fails like a missing device).
using EntryExists = std::function<bool(const std::string&)>;

// $TAVRIN_PORTS, else $XDG_CONFIG_HOME/tavrin/ports, else $HOME/.config/tavrin/ports.
std::optional<std::string> portsFolder(const EnvLookup& env);

std::optional<std::string> devicePathFor(const PortName& name,
                                         const std::optional<std::string>& folder,
                                         const EntryExists& exists);

// Both of the above against the real environment and file system.
std::optional<std::string> resolveDevicePath(const PortName& name);
// The ports folder of the real environment.
std::optional<std::string> currentPortsFolder();

} // namespace tavrin

#endif
