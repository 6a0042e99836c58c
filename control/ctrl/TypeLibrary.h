// The control's published enumerations as data, for hosts that bind late: they look a
// constant up by name at run time instead of compiling against TavrinEnums.h.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tavrin {

struct EnumMember {
    std::string_view name;
    std::int32_t value;
};

struct EnumInfo {
    std::string_view name;
    std::span<const EnumMember> members; // in declaration order; values may repeat
};

std::span<const EnumInfo> publishedEnums();

// Names are matched without regard to ASCII case, as late-bound hosts resolve identifiers.
const EnumInfo* findEnum(std::string_view name);
std::optional<std::int32_t> findConstant(std::string_view name);

} // namespace tavrin
