#include "model/ButtonProperties.h"

#include "model/PropertyRules.h"
#include "plinth/PlinthEnums.h"

#include <algorithm>
#include <iterator>

namespace plinth {

ContentLayout layoutFromAlignment(std::int32_t alignment, std::int32_t alignPict) {
    // Per caption place: the newer caption position, the caption's alignment towards its
    // edge, and the picture's alignment towards the far edge and towards the caption.
    struct Row {
        std::int32_t captionPosition;
        std::int32_t captionH, captionV;
        std::int32_t edgeH, edgeV;
        std::int32_t besideH, besideV;
    };
    static constexpr Row kRows[] = {
        // kxa_中央: everything in the middle
        {kxcp_中央, kxcah_中央揃え, kxcav_中央揃え, kxah_中央揃え, kxav_中央揃え, kxah_中央揃え,
         kxav_中央揃え},
        // kxa_上: caption on top, the picture below it
        {kxcp_上, kxcah_中央揃え, kxcav_上揃え, kxah_中央揃え, kxav_下揃え, kxah_中央揃え,
         kxav_上揃え},
        // kxa_下
        {kxcp_下, kxcah_中央揃え, kxcav_下揃え, kxah_中央揃え, kxav_上揃え, kxah_中央揃え,
         kxav_下揃え},
        // kxa_左: caption on the left, the picture right of it
        {kxcp_左, kxcah_左揃え, kxcav_中央揃え, kxah_右揃え, kxav_中央揃え, kxah_左揃え,
         kxav_中央揃え},
        // kxa_右
        {kxcp_右, kxcah_右揃え, kxcav_中央揃え, kxah_左揃え, kxav_中央揃え, kxah_右揃え,
         kxav_中央揃え},
    };
    const Row& row = kRows[alignment >= 0 && alignment <= kxa_右 ? alignment : kxa_中央];
    ContentLayout layout;
    layout.CaptionPosition = row.captionPosition;
    layout.CaptionAlignmentH = row.captionH;
    layout.CaptionAlignmentV = row.captionV;
    switch (alignPict) {
    case kxap_端側:
        layout.AlignmentH = row.edgeH;
        layout.AlignmentV = row.edgeV;
        break;
    case kxap_文字側:
        layout.AlignmentH = row.besideH;
        layout.AlignmentV = row.besideV;
        break;
    default:
        layout.AlignmentH = kxah_中央揃え;
        layout.AlignmentV = kxav_中央揃え;
        break;
    }
    return layout;
}

void applyVersion3Values(ButtonProperties& p) {
    // Everything the version-4 block holds: defaults, the face colours of the pressed and
    // toggled states from the system's button face, the places from the older alignment.
    ButtonProperties fresh;
    fresh.layout = layoutFromAlignment(p.Alignment, p.AlignPict);
    p.layout = fresh.layout;
    p.CaptionDirection = fresh.CaptionDirection;
    p.CaptionFocusBorder = fresh.CaptionFocusBorder;
    p.CaptionRatio = fresh.CaptionRatio;
    p.CaptionSize = fresh.CaptionSize;
    p.CaptionFocusColor = fresh.CaptionFocusColor;
    p.HalfToneColor = fresh.HalfToneColor;
    p.CaptionAccelerator = fresh.CaptionAccelerator;
    p.CaptionMultiLine = fresh.CaptionMultiLine;
    p.CausesFocusMovement = fresh.CausesFocusMovement;
    p.KillClickFocus = fresh.KillClickFocus;
    p.TreatEnterAsTab = fresh.TreatEnterAsTab;
    p.DownPicture = {};
    p.DisabledPicture = {};
    p.OnPicture = {};
    p.DownColor = kColourButtonFace;
    p.OnColor = kColourButtonFace;
    p.OLEDropMode = fresh.OLEDropMode;
    p.menu = fresh.menu;
}

void applyVersion2Values(ButtonProperties& p) {
    // The version-3 block as the older button drew itself: a black frame, white and grey
    // bevels, no outline for the double frame and cut corners for the oldest look.
    const ButtonProperties fresh;
    p.BackColor = fresh.BackColor;
    p.ForeColor = fresh.ForeColor;
    p.DisabledColor = fresh.DisabledColor;
    p.CaptionPointedColor = fresh.CaptionPointedColor;
    p.BorderColor = rgbColour(0, 0, 0);
    p.LightColor = rgbColour(255, 255, 255);
    p.ShadowColor = rgbColour(128, 128, 128);
    p.BorderWidth = fresh.BorderWidth;
    p.InnerBorderWidth = fresh.InnerBorderWidth;
    p.OuterBorderWidth = fresh.OuterBorderWidth;
    p.Outline = p.ButtonStyle != kxbs_二重枠;
    p.RoundedCorners = p.ButtonStyle == kxbs_Win31風;
    p.VKeyEx = fresh.VKeyEx;
    p.VKeyAlt = fresh.VKeyAlt;
    p.VKeyCtrl = fresh.VKeyCtrl;
    p.VKeyShift = fresh.VKeyShift;
    p.ClickAtEnterKey = fresh.ClickAtEnterKey;
    p.ClickAtSpaceKey = fresh.ClickAtSpaceKey;
    p.LostFocusAtHorzArrow = fresh.LostFocusAtHorzArrow;
    p.LostFocusAtVertArrow = fresh.LostFocusAtVertArrow;
    p.Font3D = fresh.Font3D;
    p.Toggle = fresh.Toggle;
    p.Value = fresh.Value;
    applyVersion3Values(p);
}

bool hasValidValues(const ButtonProperties& p) {
    const struct {
        std::string_view name;
        std::int64_t value;
    } values[] = {
        {"MousePointer", p.MousePointer},
        {"FocusColor", p.FocusColor},
        {"VKeyNo", p.VKeyNo},
        {"CaptionMode", p.CaptionMode},
        {"ButtonStyle", p.ButtonStyle},
        {"FocusBorder", p.FocusBorder},
        {"Alignment", p.Alignment},
        {"AlignPict", p.AlignPict},
        {"BackColor", p.BackColor},
        {"ForeColor", p.ForeColor},
        {"DisabledColor", p.DisabledColor},
        {"CaptionPointedColor", p.CaptionPointedColor},
        {"BorderColor", p.BorderColor},
        {"LightColor", p.LightColor},
        {"ShadowColor", p.ShadowColor},
        {"BorderWidth", p.BorderWidth},
        {"InnerBorderWidth", p.InnerBorderWidth},
        {"OuterBorderWidth", p.OuterBorderWidth},
        {"VKeyEx", p.VKeyEx},
        {"VKeyAlt", p.VKeyAlt},
        {"VKeyCtrl", p.VKeyCtrl},
        {"VKeyShift", p.VKeyShift},
        {"LostFocusAtHorzArrow", p.LostFocusAtHorzArrow},
        {"LostFocusAtVertArrow", p.LostFocusAtVertArrow},
        {"Font3D", p.Font3D},
        {"CaptionAlignmentH", p.layout.CaptionAlignmentH},
        {"CaptionAlignmentV", p.layout.CaptionAlignmentV},
        {"CaptionDirection", p.CaptionDirection},
        {"CaptionFocusBorder", p.CaptionFocusBorder},
        {"CaptionPosition", p.layout.CaptionPosition},
        {"CaptionRatio", p.CaptionRatio},
        {"CaptionSize", p.CaptionSize},
        {"AlignmentH", p.layout.AlignmentH},
        {"AlignmentV", p.layout.AlignmentV},
        {"CaptionFocusColor", p.CaptionFocusColor},
        {"DownColor", p.DownColor},
        {"OnColor", p.OnColor},
        {"OLEDropMode", p.OLEDropMode},
    };
    return std::all_of(std::begin(values), std::end(values),
                       [](const auto& v) { return isAllowedValue(v.name, v.value); });
}

} // namespace plinth
