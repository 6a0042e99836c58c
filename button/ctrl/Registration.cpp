#include "ctrl/Registration.h"

#include "automation/Variant.h"
#include "ctrl/AtomicFileEdit.h"

#include <array>
#include <cstdlib>

namespace plinth {

namespace {

constexpr std::array<std::string_view, 1> kClassNames{"Grolle.PlinthBtn"};

bool updateRegistry(const std::filesystem::path* library) {
    const auto path = registryPath();
    if (!path) {
        return false;
    }
    return editFileAtomically(
        *path, [&](const std::string& text) { return editedRegistry(text, kClassNames, library); });
}

} // namespace

std::span<const std::string_view> registeredClassNames() {
    return kClassNames;
}

std::optional<std::filesystem::path> registryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') {
        return std::filesystem::path(config) / "tavrin" / "registry";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".config" / "tavrin" / "registry";
    }
    return std::nullopt;
}

std::string editedRegistry(std::string_view text, std::span<const std::string_view> names,
                           const std::filesystem::path* library) {
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const std::size_t eq = line.find('=');
        bool ours = false;
        if (!line.starts_with('#') && eq != std::string_view::npos) {
            for (std::string_view name : names) {
                ours = ours || automation::detail::equalsIgnoringCase(line.substr(0, eq), name);
            }
        }
        if (!ours) {
            out.append(line).push_back('\n');
        }
    }
    if (library != nullptr) {
        for (std::string_view name : names) {
            out.append(name).append("=").append(library->string()).push_back('\n');
        }
    }
    return out;
}

bool registerLibrary(const std::filesystem::path& library) {
    return updateRegistry(&library);
}

bool unregisterLibrary() {
    return updateRegistry(nullptr);
}

} // namespace plinth
