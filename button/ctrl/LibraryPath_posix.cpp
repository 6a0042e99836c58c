#include "ctrl/LibraryPath.h"

#include <dlfcn.h>
#include <system_error>

namespace plinth {

std::optional<std::filesystem::path> thisLibraryPath() {
    Dl_info info{};
    // Any function of ours names the object it lives in.
    if (::dladdr(reinterpret_cast<void*>(&thisLibraryPath), &info) == 0 ||
        info.dli_fname == nullptr) {
        return std::nullopt;
    }
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    if (ec) {
        return std::nullopt;
    }
    return path;
}

} // namespace plinth
