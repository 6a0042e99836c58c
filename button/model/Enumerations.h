// The button's published enumerations as data: for hosts that look a constant up by name
// at run time, and for the range checks of property writes and loading.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace plinth {

struct EnumMember {
    std::string_view name;
    std::int32_t value;
};

struct EnumInfo {
    std::string_view name;
    std::span<const EnumMember> members; // in declaration order
};

std::span<const EnumInfo> publishedEnums();

// Enumeration names are matched without regard to ASCII case, as late-bound hosts resolve
// identifiers; constant names exactly (their Japanese part has no case).
const EnumInfo* findEnum(std::string_view name);
std::optional<std::int32_t> findConstant(std::string_view name);

bool hasMember(const EnumInfo& info, std::int32_t value);
// By the enumeration's name; false for an unknown enumeration.
bool isEnumValue(std::string_view enumName, std::int32_t value);

} // namespace plinth
