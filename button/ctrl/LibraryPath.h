// Where the library that contains this code was loaded from, for registration.
#pragma once

#include <filesystem>
#include <optional>

namespace plinth {

std::optional<std::filesystem::path> thisLibraryPath();

} // namespace plinth
