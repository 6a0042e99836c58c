#include "portshare/ShareNames.h"

namespace tavrin {

ShareNames shareNamesFor(std::string_view portName) {
    const auto name = [portName](std::string_view kind) {
        std::string n = "/";
        n += kind;
        n += portName;
        n += "TAVRIN";
        return n;
    };
    return {name("FM"),   name("MXFM"), name("MXPORT"), name("EVHOSTEXIT"), name("EVHOSTCANEXIT"),
            name("LINE"), name("SOCK")};
}

std::string descriptorSocketName(const ShareNames& names, std::int32_t pid) {
    return names.descriptors + ":" + std::to_string(pid);
}

} // namespace tavrin
