#include "model/PropertyRules.h"

#include "model/ButtonProperties.h"
#include "model/Enumerations.h"
#include "model/OleColor.h"

#include <algorithm>
#include <array>
#include <limits>

namespace plinth {

namespace {

constexpr std::int32_t kMax16 = std::numeric_limits<std::int16_t>::max();

constexpr auto kRules = std::to_array<PropertyRule>({
    {"MouseIcon", ValueKind::Picture, {}, 0, 0},
    {"MousePointer", ValueKind::Enumeration, "MousePointerConstants", 0, 0},
    {"Show", ValueKind::Boolean, {}, 0, 1},
    {"Thru", ValueKind::Boolean, {}, 0, 1},
    {"AlwaysActive", ValueKind::Boolean, {}, 0, 1},
    {"CaptionStd", ValueKind::Text, {}, 0, 0},
    {"CaptionAlt", ValueKind::Text, {}, 0, 0},
    {"CaptionAltC", ValueKind::Text, {}, 0, 0},
    {"CaptionAltCS", ValueKind::Text, {}, 0, 0},
    {"CaptionAltS", ValueKind::Text, {}, 0, 0},
    {"CaptionCtrl", ValueKind::Text, {}, 0, 0},
    {"CaptionCtrlS", ValueKind::Text, {}, 0, 0},
    {"CaptionShift", ValueKind::Text, {}, 0, 0},
    {"FocusColor", ValueKind::Colour, {}, 0, 0},
    {"HintText", ValueKind::Text, {}, 0, 0},
    {"VKeyName", ValueKind::Text, {}, 0, 0},
    {"VKeyNo", ValueKind::Int16, {}, 0, kMaxVKeyNo},
    {"CaptionMode", ValueKind::Enumeration, "CaptionModeConstants", 0, 0},
    {"ButtonStyle", ValueKind::Enumeration, "ButtonStyleConstants", 0, 0},
    {"FocusBorder", ValueKind::Enumeration, "FocusBorderConstants", 0, 0},
    {"Alignment", ValueKind::Enumeration, "AlignmentConstants", 0, 0},
    {"AlignPict", ValueKind::Enumeration, "AlignPictConstants", 0, 0},
    {"Picture", ValueKind::Picture, {}, 0, 0},
    {"BackColor", ValueKind::Colour, {}, 0, 0},
    {"ForeColor", ValueKind::Colour, {}, 0, 0},
    {"DisabledColor", ValueKind::Colour, {}, 0, 0},
    {"CaptionPointedColor", ValueKind::Colour, {}, 0, 0},
    {"BorderColor", ValueKind::Colour, {}, 0, 0},
    {"LightColor", ValueKind::Colour, {}, 0, 0},
    {"ShadowColor", ValueKind::Colour, {}, 0, 0},
    {"BorderWidth", ValueKind::Int16, {}, 0, kMax16},
    {"InnerBorderWidth", ValueKind::Int16, {}, 0, kMax16},
    {"OuterBorderWidth", ValueKind::Int16, {}, 0, kMax16},
    {"Outline", ValueKind::Boolean, {}, 0, 1},
    {"RoundedCorners", ValueKind::Boolean, {}, 0, 1},
    {"VKeyEx", ValueKind::Enumeration, "VKeyExConstants", 0, 0},
    {"VKeyAlt", ValueKind::Enumeration, "VKeyACSConstants", 0, 0},
    {"VKeyCtrl", ValueKind::Enumeration, "VKeyACSConstants", 0, 0},
    {"VKeyShift", ValueKind::Enumeration, "VKeyACSConstants", 0, 0},
    {"ClickAtEnterKey", ValueKind::Boolean, {}, 0, 1},
    {"ClickAtSpaceKey", ValueKind::Boolean, {}, 0, 1},
    {"LostFocusAtHorzArrow", ValueKind::Enumeration, "LostFocusAtArrowConstants", 0, 0},
    {"LostFocusAtVertArrow", ValueKind::Enumeration, "LostFocusAtArrowConstants", 0, 0},
    {"Font3D", ValueKind::Enumeration, "Font3DConstants", 0, 0},
    {"Toggle", ValueKind::Boolean, {}, 0, 1},
    {"Value", ValueKind::Boolean, {}, 0, 1},
    {"CaptionAlignmentH", ValueKind::Enumeration, "CaptionAlignmentHConstants", 0, 0},
    {"CaptionAlignmentV", ValueKind::Enumeration, "CaptionAlignmentVConstants", 0, 0},
    {"CaptionDirection", ValueKind::Enumeration, "CaptionDirectionConstants", 0, 0},
    {"CaptionFocusBorder", ValueKind::Enumeration, "CaptionFocusBorderConstants", 0, 0},
    {"CaptionPosition", ValueKind::Enumeration, "ButtonCaptionConstants", 0, 0},
    {"CaptionRatio", ValueKind::Int16, {}, 1, kMax16},
    {"CaptionSize", ValueKind::Int16, {}, 0, kMax16},
    {"AlignmentH", ValueKind::Enumeration, "AlignmentHConstants", 0, 0},
    {"AlignmentV", ValueKind::Enumeration, "AlignmentVConstants", 0, 0},
    {"CaptionFocusColor", ValueKind::Colour, {}, 0, 0},
    {"HalfToneColor", ValueKind::Boolean, {}, 0, 1},
    {"CaptionAccelerator", ValueKind::Boolean, {}, 0, 1},
    {"CaptionMultiLine", ValueKind::Boolean, {}, 0, 1},
    {"CausesFocusMovement", ValueKind::Boolean, {}, 0, 1},
    {"KillClickFocus", ValueKind::Boolean, {}, 0, 1},
    {"TreatEnterAsTab", ValueKind::Boolean, {}, 0, 1},
    {"DownPicture", ValueKind::Picture, {}, 0, 0},
    {"DisabledPicture", ValueKind::Picture, {}, 0, 0},
    {"OnPicture", ValueKind::Picture, {}, 0, 0},
    {"DownColor", ValueKind::Colour, {}, 0, 0},
    {"OnColor", ValueKind::Colour, {}, 0, 0},
    {"OLEDropMode", ValueKind::Enumeration, "OLEDropModeConstants", 0, 0},
});

} // namespace

std::span<const PropertyRule> propertyRules() {
    return kRules;
}

const PropertyRule* findRule(std::string_view property) {
    const auto* found = std::find_if(kRules.begin(), kRules.end(),
                                     [&](const PropertyRule& r) { return r.name == property; });
    return found != kRules.end() ? found : nullptr;
}

bool isAllowedValue(const PropertyRule& rule, std::int64_t value) {
    switch (rule.kind) {
    case ValueKind::Int16:
        return value >= rule.low && value <= rule.high;
    case ValueKind::Enumeration:
        return value >= std::numeric_limits<std::int32_t>::min() &&
               value <= std::numeric_limits<std::int32_t>::max() &&
               isEnumValue(rule.enumName, static_cast<std::int32_t>(value));
    case ValueKind::Colour:
        return value >= 0 && value <= std::numeric_limits<std::uint32_t>::max() &&
               isValidOleColor(static_cast<OleColor>(value));
    default:
        return true;
    }
}

bool isAllowedValue(std::string_view property, std::int64_t value) {
    const PropertyRule* rule = findRule(property);
    return rule != nullptr && isAllowedValue(*rule, value);
}

} // namespace plinth
