// The persisted state of the command button: every property with its default, in the order
// forms exchange them. Enumerations are held as their published numbers (PlinthEnums.h).
#pragma once

#include "model/OleColor.h"
#include "model/PictureData.h"

#include <QString>
#include <array>
#include <cstdint>

namespace plinth {

inline constexpr int kMenuItemCount = 20;

struct MenuItem {
    QString caption;
    bool enabled = true;
    bool hidden = false;
    bool separator = false;

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// Caption and picture places of the newer layout model.
struct ContentLayout {
    std::int32_t CaptionPosition = 4;   // ButtonCaptionConstants: in the middle, over the picture
    std::int32_t CaptionAlignmentH = 2; // centred
    std::int32_t CaptionAlignmentV = 1; // middle
    std::int32_t AlignmentH = 2;        // the picture centred
    std::int32_t AlignmentV = 1;

    friend bool operator==(const ContentLayout&, const ContentLayout&) = default;
};

// Older forms hold only Alignment (where the caption stands) and AlignPict (the picture
// centred, at the button's edge away from the caption, or beside the caption).
ContentLayout layoutFromAlignment(std::int32_t alignment, std::int32_t alignPict);

struct ButtonProperties {
    PictureData MouseIcon;
    std::int32_t MousePointer = 0;
    bool Show = true;
    bool Thru = true;
    bool AlwaysActive = false;
    QString CaptionStd;
    QString CaptionAlt;
    QString CaptionAltC;
    QString CaptionAltCS;
    QString CaptionAltS;
    QString CaptionCtrl;
    QString CaptionCtrlS;
    QString CaptionShift;
    OleColor FocusColor = rgbColour(128, 128, 128); // 8421504
    QString HintText;
    QString VKeyName = QStringLiteral("none");
    std::int16_t VKeyNo = 0;
    std::int32_t CaptionMode = 0;
    std::int32_t ButtonStyle = 1;
    std::int32_t FocusBorder = 1;
    std::int32_t Alignment = 0;
    std::int32_t AlignPict = 0;
    PictureData Picture;

    // From version 3 on.
    OleColor BackColor = kColourButtonFace;
    OleColor ForeColor = kColourButtonText;
    OleColor DisabledColor = kColourGrayText;
    OleColor CaptionPointedColor = kColourButtonText;
    OleColor BorderColor = kColourWindowFrame;
    OleColor LightColor = kColourButtonHighlight;
    OleColor ShadowColor = kColourButtonShadow;
    std::int16_t BorderWidth = 1;
    std::int16_t InnerBorderWidth = 1;
    std::int16_t OuterBorderWidth = 1;
    bool Outline = true;
    bool RoundedCorners = false;
    std::int32_t VKeyEx = 0;
    std::int32_t VKeyAlt = 0;
    std::int32_t VKeyCtrl = 0;
    std::int32_t VKeyShift = 0;
    bool ClickAtEnterKey = true;
    bool ClickAtSpaceKey = true;
    std::int32_t LostFocusAtHorzArrow = 1;
    std::int32_t LostFocusAtVertArrow = 1;
    std::int32_t Font3D = 0;
    bool Toggle = false;
    bool Value = false;

    // From version 4 on.
    ContentLayout layout;
    std::int32_t CaptionDirection = 0;
    std::int32_t CaptionFocusBorder = 0;
    std::int16_t CaptionRatio = 100;
    std::int16_t CaptionSize = 0;
    OleColor CaptionFocusColor = kColourWindowText;
    bool HalfToneColor = false;
    bool CaptionAccelerator = false;
    bool CaptionMultiLine = false;
    bool CausesFocusMovement = false;
    bool KillClickFocus = false;
    bool TreatEnterAsTab = false;
    PictureData DownPicture;
    PictureData DisabledPicture;
    PictureData OnPicture;
    OleColor DownColor = kColourButtonFace;
    OleColor OnColor = kColourButtonFace;
    std::int32_t OLEDropMode = 0;
    std::array<MenuItem, kMenuItemCount> menu{};

    friend bool operator==(const ButtonProperties&, const ButtonProperties&) = default;
};

// The values a form of version 2 gets for the properties it does not hold, from the ones it
// does (ButtonStyle, Alignment, AlignPict).
void applyVersion2Values(ButtonProperties& p);
// The same for a form of version 3.
void applyVersion3Values(ButtonProperties& p);

// Limits of the numeric properties; enumerations take only their published values.
inline constexpr std::int16_t kMaxVKeyNo = 255;

// False when a value lies outside its property's range (a damaged form).
bool hasValidValues(const ButtonProperties& p);

} // namespace plinth
