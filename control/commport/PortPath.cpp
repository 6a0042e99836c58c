#include "commport/PortPath.h"

namespace tavrin {
namespace {

std::optional<std::string> nonEmpty(const EnvLookup& env, const char* variable) {
    auto value = env(variable);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::string> portsFolder(const EnvLookup& env) {
    if (auto folder = nonEmpty(env, "TAVRIN_PORTS")) {
        return folder;
    }
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    if (auto config = nonEmpty(env, "XDG_CONFIG_HOME"); config && config->front() == '/') {
        return *config + "/tavrin/ports";
    }
    if (auto home = nonEmpty(env, "HOME")) {
        return *home + "/.config/tavrin/ports";
    }
    return std::nullopt;
}

std::optional<std::string> devicePathFor(const PortName& name,
                                         const std::optional<std::string>& folder,
                                         const EntryExists& exists) {
    if (folder) {
        std::string link = *folder + "/" + name.text;
        if (exists(link)) {
            return link;
        }
    }
    // Device names are case-blind where these port names come from, so "com1" is COM1 too.
    if (equalsIgnoringCase(name.prefix, "COM")) {
        return "/dev/ttyS" + std::to_string(name.number - 1);
    }
    return std::nullopt;
}

} // namespace tavrin
