// Read-modify-write of a small text file shared with other processes: edits are
// serialised by a lock file beside it, and the new content replaces the old in one rename,
// so a reader sees either the old file or the new one, never a half-written one.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace plinth {

// Creates the folder and the file as needed; false when any step fails (the file is then
// unchanged).
bool editFileAtomically(const std::filesystem::path& path,
                        const std::function<std::string(const std::string&)>& edit);

} // namespace plinth
