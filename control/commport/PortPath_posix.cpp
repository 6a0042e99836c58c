#include "commport/PortPath.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tavrin {

std::optional<std::string> currentPortsFolder() {
    const EnvLookup env = [](const char* variable) -> std::optional<std::string> {
        // getenv only reads; the environment is not changed by this library.
        const char* value = std::getenv(variable);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    return portsFolder(env);
}

std::optional<std::string> resolveDevicePath(const PortName& name) {
    const EntryExists exists = [](const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    };
    return devicePathFor(name, currentPortsFolder(), exists);
}

} // namespace tavrin
