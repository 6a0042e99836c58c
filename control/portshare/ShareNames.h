// Names of the system-wide objects through which the sharers of one port meet. Each is a
// kind prefix, the port name and "TAVRIN", with the leading slash of shared-memory names.
#ifndef TAVRIN_PORTSHARE_SHARENAMES_H
#define TAVRIN_PORTSHARE_SHARENAMES_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

struct ShareNames {
    std::string record;       // "/FM<port>TAVRIN": the 11-byte record
    std::string recordLock;   // "/MXFM<port>TAVRIN": guards the record and the sharer table
    std::string portLock;     // "/MXPORT<port>TAVRIN": one transaction at a time on the line
    std::string hostExit;     // "/EVHOSTEXIT<port>TAVRIN": a closing owner asks for a successor
    std::string hostCanExit;  // "/EVHOSTCANEXIT<port>TAVRIN": the successor's answer
    std::string lineActivity; // "/LINE<port>TAVRIN": time of the last byte on the line
    std::string descriptors;  // "/SOCK<port>TAVRIN": with ":<pid>", where a process that
                              // holds the device hands it to other sharers
};

ShareNames shareNamesFor(std::string_view portName);

// The socket of process `pid` that hands out its descriptor of the port's device.
std::string descriptorSocketName(const ShareNames& names, std::int32_t pid);

} // namespace tavrin

#endif
