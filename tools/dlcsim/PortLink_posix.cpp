#include "PortLink.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace dlcsim {
namespace {

bool makeFolders(const std::string& path, std::string& error) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') {
            continue;
        }
        const std::string prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create " + prefix + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

std::optional<std::string> linkTarget(const std::string& path) {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size() - 1);
    if (n < 0) {
        return std::nullopt;
    }
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

} // namespace

std::string portsFolder() {
    if (const char* ports = std::getenv("TAVRIN_PORTS"); ports != nullptr && *ports != '\0') {
        return ports;
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        return std::string(xdg) + "/tavrin/ports";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/tavrin/ports";
}

std::optional<PortLink> PortLink::create(const std::string& folder, const std::string& name,
                                         const std::string& target, std::string& error) {
    if (!makeFolders(folder, error)) {
        return std::nullopt;
    }
    const std::string path = folder + "/" + name;
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        struct stat st {};
        const bool dangling = errno == EEXIST && ::lstat(path.c_str(), &st) == 0 &&
                              S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0;
        if (!dangling) {
            error = "cannot create " + path + ": " + std::strerror(errno) +
                    (errno == EEXIST ? " (remove it or choose another name)" : "");
            return std::nullopt;
        }
        if (::unlink(path.c_str()) != 0 || ::symlink(target.c_str(), path.c_str()) != 0) {
            error = "cannot replace " + path + ": " + std::strerror(errno);
            return std::nullopt;
        }
    }
    return PortLink(path, target);
}

PortLink::PortLink(PortLink&& other) noexcept
    : m_path(std::move(other.m_path)), m_target(std::move(other.m_target)) {
    other.m_path.clear();
}

PortLink& PortLink::operator=(PortLink&& other) noexcept {
    if (this != &other) {
        remove();
        m_path = std::move(other.m_path);
        m_target = std::move(other.m_target);
        other.m_path.clear();
    }
    return *this;
}

PortLink::~PortLink() {
    remove();
}

void PortLink::remove() {
    // Another run may have taken the name since: leave a link that is not ours.
    if (!m_path.empty() && linkTarget(m_path) == m_target) {
        ::unlink(m_path.c_str());
    }
    m_path.clear();
}

} // namespace dlcsim
