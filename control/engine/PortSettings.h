// Where a control's port is: its AdapterPrefix, Adapter and CommSettings properties.
#ifndef TAVRIN_ENGINE_PORTSETTINGS_H
#define TAVRIN_ENGINE_PORTSETTINGS_H

#include <string>

namespace tavrin {

struct PortSettings {
    std::string adapterPrefix = "COM";
    long adapter = 1;
    std::string commSettings = "9600,E,8,1";
};

} // namespace tavrin

#endif
