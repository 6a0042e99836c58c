#include "model/Enumerations.h"

#include "plinth/PlinthEnums.h"

#include <algorithm>
#include <array>

namespace plinth {

namespace {

// Each entry takes its name and value from the same identifier, so the table cannot drift
// from the header hosts compile against.
#define PLINTH_MEMBER(constant)                                                                    \
    EnumMember {                                                                                   \
#constant, constant                                                                        \
    }

constexpr std::array kAlignmentConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxa_中央),
    PLINTH_MEMBER(kxa_上),
    PLINTH_MEMBER(kxa_下),
    PLINTH_MEMBER(kxa_左),
    PLINTH_MEMBER(kxa_右),
});

constexpr std::array kAlignmentHConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxah_左揃え),
    PLINTH_MEMBER(kxah_右揃え),
    PLINTH_MEMBER(kxah_中央揃え),
});

constexpr std::array kAlignmentVConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxav_上揃え),
    PLINTH_MEMBER(kxav_中央揃え),
    PLINTH_MEMBER(kxav_下揃え),
});

constexpr std::array kAlignPictConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxap_中央),
    PLINTH_MEMBER(kxap_端側),
    PLINTH_MEMBER(kxap_文字側),
});

constexpr std::array kButtonStyleConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxbs_Win31風),
    PLINTH_MEMBER(kxbs_Win95風),
    PLINTH_MEMBER(kxbs_二重枠),
    PLINTH_MEMBER(kxbs_非表示),
});

constexpr std::array kCaptionAlignmentHConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcah_左揃え),
    PLINTH_MEMBER(kxcah_右揃え),
    PLINTH_MEMBER(kxcah_中央揃え),
    PLINTH_MEMBER(kxcah_均等割付),
});

constexpr std::array kCaptionAlignmentVConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcav_上揃え),
    PLINTH_MEMBER(kxcav_中央揃え),
    PLINTH_MEMBER(kxcav_下揃え),
    PLINTH_MEMBER(kxcav_均等割付),
});

constexpr std::array kCaptionDirectionConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcd_横書き),
    PLINTH_MEMBER(kxcd_縦書き),
    PLINTH_MEMBER(kxcd_縦書き_縦ﾌｫﾝﾄ用),
});

constexpr std::array kCaptionFocusBorderConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcfb_なし),
    PLINTH_MEMBER(kxcfb_標準),
    PLINTH_MEMBER(kxcfb_細線),
    PLINTH_MEMBER(kxcfb_太線),
    PLINTH_MEMBER(kxcfb_細破線),
    PLINTH_MEMBER(kxcfb_太破線),
    PLINTH_MEMBER(kxcfb_浅凹),
    PLINTH_MEMBER(kxcfb_深凹),
});

constexpr std::array kCaptionModeConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcm_不変),
    PLINTH_MEMBER(kxcm_択一),
    PLINTH_MEMBER(kxcm_組合せ),
});

constexpr std::array kFocusBorderConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxfb_なし),
    PLINTH_MEMBER(kxfb_標準),
    PLINTH_MEMBER(kxfb_細線),
    PLINTH_MEMBER(kxfb_太線),
    PLINTH_MEMBER(kxfb_細破線),
    PLINTH_MEMBER(kxfb_太破線),
});

constexpr std::array kFont3DConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxf3d_なし),
    PLINTH_MEMBER(kxf3d_凸型),
    PLINTH_MEMBER(kxf3d_凸型影付き),
    PLINTH_MEMBER(kxf3d_凹型),
    PLINTH_MEMBER(kxf3d_凹型影付き),
    PLINTH_MEMBER(kxf3d_影付き),
    PLINTH_MEMBER(kxf3d_縁取り),
});

constexpr std::array kLostFocusAtArrowConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxlf_オフ),
    PLINTH_MEMBER(kxlf_オン),
});

constexpr std::array kLostFocusCauseConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxlfc_通常),
    PLINTH_MEMBER(kxlfc_左矢印),
    PLINTH_MEMBER(kxlfc_右矢印),
    PLINTH_MEMBER(kxlfc_上矢印),
    PLINTH_MEMBER(kxlfc_下矢印),
    PLINTH_MEMBER(kxlfc_リターン),
    PLINTH_MEMBER(kxlfc_入力完了),
});

constexpr std::array kMousePointerConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxmp_既定値),
    PLINTH_MEMBER(kxmp_矢印),
    PLINTH_MEMBER(kxmp_クロス),
    PLINTH_MEMBER(kxmp_Iビーム),
    PLINTH_MEMBER(kxmp_アイコン),
    PLINTH_MEMBER(kxmp_サイズ_上下左右),
    PLINTH_MEMBER(kxmp_サイズ_右上_左下),
    PLINTH_MEMBER(kxmp_サイズ_上下),
    PLINTH_MEMBER(kxmp_サイズ_左上_右下),
    PLINTH_MEMBER(kxmp_サイズ_左右),
    PLINTH_MEMBER(kxmp_上矢印),
    PLINTH_MEMBER(kxmp_砂時計),
    PLINTH_MEMBER(kxmp_禁止),
    PLINTH_MEMBER(kxmp_矢印と砂時計),
    PLINTH_MEMBER(kxmp_矢印と疑問符),
    PLINTH_MEMBER(kxmp_サイズ_全方向),
    PLINTH_MEMBER(kxmp_ユーザー定義),
});

constexpr std::array kVKeyACSConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxvkacs_無視),
    PLINTH_MEMBER(kxvkacs_オフ),
    PLINTH_MEMBER(kxvkacs_オン),
});

constexpr std::array kVKeyExConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxvkex_全キー),
    PLINTH_MEMBER(kxvkex_非拡張キー),
    PLINTH_MEMBER(kxvkex_拡張キー),
});

constexpr std::array kButtonCaptionConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxcp_左),
    PLINTH_MEMBER(kxcp_右),
    PLINTH_MEMBER(kxcp_上),
    PLINTH_MEMBER(kxcp_下),
    PLINTH_MEMBER(kxcp_中央),
});

constexpr std::array kOLEDropModeConstants = std::to_array<EnumMember>({
    PLINTH_MEMBER(kxodrop_なし),
    PLINTH_MEMBER(kxodrop_手動),
});

#undef PLINTH_MEMBER

constexpr std::array kEnums = std::to_array<EnumInfo>({
    EnumInfo{"AlignmentConstants", kAlignmentConstants},
    EnumInfo{"AlignmentHConstants", kAlignmentHConstants},
    EnumInfo{"AlignmentVConstants", kAlignmentVConstants},
    EnumInfo{"AlignPictConstants", kAlignPictConstants},
    EnumInfo{"ButtonStyleConstants", kButtonStyleConstants},
    EnumInfo{"CaptionAlignmentHConstants", kCaptionAlignmentHConstants},
    EnumInfo{"CaptionAlignmentVConstants", kCaptionAlignmentVConstants},
    EnumInfo{"CaptionDirectionConstants", kCaptionDirectionConstants},
    EnumInfo{"CaptionFocusBorderConstants", kCaptionFocusBorderConstants},
    EnumInfo{"CaptionModeConstants", kCaptionModeConstants},
    EnumInfo{"FocusBorderConstants", kFocusBorderConstants},
    EnumInfo{"Font3DConstants", kFont3DConstants},
    EnumInfo{"LostFocusAtArrowConstants", kLostFocusAtArrowConstants},
    EnumInfo{"LostFocusCauseConstants", kLostFocusCauseConstants},
    EnumInfo{"MousePointerConstants", kMousePointerConstants},
    EnumInfo{"VKeyACSConstants", kVKeyACSConstants},
    EnumInfo{"VKeyExConstants", kVKeyExConstants},
    EnumInfo{"ButtonCaptionConstants", kButtonCaptionConstants},
    EnumInfo{"OLEDropModeConstants", kOLEDropModeConstants},
});

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::span<const EnumInfo> publishedEnums() {
    return kEnums;
}

const EnumInfo* findEnum(std::string_view name) {
    const auto* found = std::find_if(kEnums.begin(), kEnums.end(), [&](const EnumInfo& info) {
        return equalsIgnoringCase(info.name, name);
    });
    return found != kEnums.end() ? found : nullptr;
}

std::optional<std::int32_t> findConstant(std::string_view name) {
    for (const EnumInfo& info : kEnums) {
        for (const EnumMember& member : info.members) {
            if (equalsIgnoringCase(member.name, name)) {
                return member.value;
            }
        }
    }
    return std::nullopt;
}

bool hasMember(const EnumInfo& info, std::int32_t value) {
    return std::any_of(info.members.begin(), info.members.end(),
                       [&](const EnumMember& m) { return m.value == value; });
}

bool isEnumValue(std::string_view enumName, std::int32_t value) {
    const EnumInfo* info = findEnum(enumName);
    return info != nullptr && hasMember(*info, value);
}

} // namespace plinth
