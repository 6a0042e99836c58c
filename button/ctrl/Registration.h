// Self-registration: the registry file maps class names to the library that implements
// them, so a host finds the button by its ProgID. The file is the one the system's controls
// share; each line is "name=path", and lines of other libraries and comments ("#") are kept
// as they are.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plinth {

// The names this library registers: its ProgID.
std::span<const std::string_view> registeredClassNames();

// $XDG_CONFIG_HOME/tavrin/registry, or ~/.config/tavrin/registry; nothing without either.
std::optional<std::filesystem::path> registryPath();

// The registry text with every line for `names` removed (names match without regard to
// case) and, when `library` is given, one line per name added for it.
std::string editedRegistry(std::string_view text, std::span<const std::string_view> names,
                           const std::filesystem::path* library);

bool registerLibrary(const std::filesystem::path& library);
bool unregisterLibrary();

} // namespace plinth
