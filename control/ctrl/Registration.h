// Self-registration: the registry file maps the control's class names to the library that
// implements them, so a host finds the control by name. Each line is "name=path"; lines
// of other libraries and comments ("#") are kept as they are.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavrin {

// The names this library registers: the ProgID and the type-library name.
std::span<const std::string_view> registeredClassNames();

// $XDG_CONFIG_HOME/tavrin/registry, or ~/.config/tavrin/registry; nothing without either.
std::optional<std::filesystem::path> registryPath();

// The registry text with every line for `names` removed (names match without regard to
// case) and, when `library` is given, one line per name added for it.
std::string editedRegistry(std::string_view text, std::span<const std::string_view> names,
                           const std::filesystem::path* library);

bool registerLibrary(const std::filesystem::path& library);
bool unregisterLibrary();

} // namespace tavrin
