#include "commport/PortOptions.h"

#include "commport/PortPath.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

namespace tavrin {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<bool> flag(std::string_view value) {
    std::string v(value);
    std::transform(v.begin(), v.end(), v.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (v == "1" || v == "yes" || v == "on" || v == "true") {
        return true;
    }
    if (v == "0" || v == "no" || v == "off" || v == "false") {
        return false;
    }
    return std::nullopt;
}

} // namespace

PortOptions parsePortOptions(std::string_view text) {
    PortOptions options;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        line = trimmed(line.substr(0, line.find('#')));
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, eq));
        const std::string_view value = trimmed(line.substr(eq + 1));
        if (key == "echo") {
            options.echo = flag(value).value_or(options.echo);
        }
    }
    return options;
}

PortOptions readPortOptions(const PortName& name) {
    const auto folder = currentPortsFolder();
    if (!folder) {
        return {};
    }
    std::ifstream file(*folder + "/" + name.text + ".conf");
    if (!file) {
        return {};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parsePortOptions(text.str());
}

} // namespace tavrin
