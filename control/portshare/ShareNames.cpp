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
    return {name("FM"),         name("MXFM"),          name("MXPORT"),
            name("EVHOSTEXIT"), name("EVHOSTCANEXIT"), name("LINE")};
}

} // namespace tavrin
