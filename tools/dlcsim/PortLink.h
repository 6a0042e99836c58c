// The symbolic link in the ports folder through which masters find the simulated port.
#pragma once

#include <optional>
#include <string>

namespace dlcsim {

// $TAVRIN_PORTS, else $XDG_CONFIG_HOME/tavrin/ports, else ~/.config/tavrin/ports.
std::string portsFolder();

class PortLink {
public:
    // Creates folder/name -> target, creating the folder when missing. An existing link
    // is replaced only when it leads nowhere (left behind by a run that was killed).
    static std::optional<PortLink> create(const std::string& folder, const std::string& name,
                                          const std::string& target, std::string& error);

    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&& other) noexcept;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;
    // Removes the link if it still leads to our target.
    ~PortLink();

private:
    void remove();
    PortLink(std::string path, std::string target)
        : m_path(std::move(path)), m_target(std::move(target)) {}

    std::string m_path;
    std::string m_target;
};

} // namespace dlcsim
