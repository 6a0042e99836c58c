// What each stored property holds and which values it takes; property writes through any
// interface and the loading of stored forms check against this one table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plinth {

enum class ValueKind : std::uint8_t { Boolean, Text, Int16, Enumeration, Colour, Picture };

struct PropertyRule {
    std::string_view name;
    ValueKind kind;
    std::string_view enumName; // of an Enumeration
    std::int32_t low;          // of an Int16
    std::int32_t high;
};

// In the order forms exchange them.
std::span<const PropertyRule> propertyRules();
const PropertyRule* findRule(std::string_view property);

// Enumerations take their published values, Int16 values their range, colours RGB or an
// existing system colour; other kinds take anything.
bool isAllowedValue(const PropertyRule& rule, std::int64_t value);
// False for a property that has no rule.
bool isAllowedValue(std::string_view property, std::int64_t value);

} // namespace plinth
