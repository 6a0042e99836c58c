// The member numbers of the button's dispatch and event interfaces. Forms and scripts call
// by these numbers late-bound, so they never change.
#pragma once

#include "automation/Dispatch.h"

namespace plinth::dispid {

using automation::DispId;

inline constexpr DispId Show = 1;
inline constexpr DispId Thru = 2;
inline constexpr DispId CaptionStd = 3;
inline constexpr DispId CaptionAlt = 4;
inline constexpr DispId CaptionAltC = 5;
inline constexpr DispId CaptionAltCS = 6;
inline constexpr DispId CaptionAltS = 7;
inline constexpr DispId CaptionCtrl = 8;
inline constexpr DispId CaptionCtrlS = 9;
inline constexpr DispId CaptionShift = 10;
inline constexpr DispId FocusColor = 11;
inline constexpr DispId HintText = 12;
inline constexpr DispId VKeyName = 13;
inline constexpr DispId VKeyNo = 14;
inline constexpr DispId AlwaysActive = 15;
inline constexpr DispId CaptionMode = 16;
inline constexpr DispId FocusBorder = 17;
inline constexpr DispId Picture = 18;
inline constexpr DispId ButtonStyle = 19;
inline constexpr DispId Alignment = 20;
inline constexpr DispId AlignPict = 21;
inline constexpr DispId MouseIcon = 22;
inline constexpr DispId MousePointer = 23;
inline constexpr DispId BorderColor = 24;
inline constexpr DispId LightColor = 25;
inline constexpr DispId ShadowColor = 26;
inline constexpr DispId VKeyEx = 27;
inline constexpr DispId VKeyAlt = 28;
inline constexpr DispId VKeyCtrl = 29;
inline constexpr DispId VKeyShift = 30;
inline constexpr DispId ClickAtEnterKey = 31;
inline constexpr DispId ClickAtSpaceKey = 32;
inline constexpr DispId BorderWidth = 33;
inline constexpr DispId InnerBorderWidth = 34;
inline constexpr DispId OuterBorderWidth = 35;
inline constexpr DispId Outline = 36;
inline constexpr DispId RoundedCorners = 37;
inline constexpr DispId Font3D = 38;
inline constexpr DispId Toggle = 39;
inline constexpr DispId DisabledColor = 40;
inline constexpr DispId Value = 41;
inline constexpr DispId DefaultValue = automation::kDispIdValue; // "_Value"
inline constexpr DispId CaptionPointedColor = 42;
inline constexpr DispId LostFocusAtHorzArrow = 43;
inline constexpr DispId LostFocusAtVertArrow = 44;
inline constexpr DispId LostFocusCause = 45;
inline constexpr DispId VKeyList = 46;
inline constexpr DispId CaptionPosition = 47;
inline constexpr DispId CaptionAlignmentH = 48;
inline constexpr DispId CaptionAlignmentV = 49;
inline constexpr DispId CaptionRatio = 50;
inline constexpr DispId CaptionSize = 51;
inline constexpr DispId CaptionFocusBorder = 52;
inline constexpr DispId CaptionFocusColor = 53;
inline constexpr DispId AlignmentH = 54;
inline constexpr DispId AlignmentV = 55;
inline constexpr DispId HalfToneColor = 56;
inline constexpr DispId DownPicture = 57;
inline constexpr DispId DisabledPicture = 58;
inline constexpr DispId CaptionAccelerator = 59;
inline constexpr DispId CausesFocusMovement = 60;
inline constexpr DispId OnPicture = 61;
inline constexpr DispId DownColor = 62;
inline constexpr DispId OnColor = 63;
inline constexpr DispId KillClickFocus = 64;
inline constexpr DispId OLEDropMode = 65;
inline constexpr DispId CaptionMultiLine = 66;
inline constexpr DispId CaptionDirection = 67;
inline constexpr DispId TreatEnterAsTab = 68;
inline constexpr DispId GetPpgStatus = 69;
inline constexpr DispId SetMenuItem = 70;
inline constexpr DispId GetMenuItem = 71;
inline constexpr DispId MenuCaption = 72;
inline constexpr DispId MenuEnabled = 73;
inline constexpr DispId MenuHidden = 74;
inline constexpr DispId MenuSeparator = 75;
inline constexpr DispId BackColor = automation::kDispIdBackColor;
inline constexpr DispId Enabled = automation::kDispIdEnabled;
inline constexpr DispId Font = automation::kDispIdFont;
inline constexpr DispId ForeColor = automation::kDispIdForeColor;
inline constexpr DispId hWnd = automation::kDispIdHwnd;
inline constexpr DispId AboutBox = automation::kDispIdAboutBox;

// Events.
inline constexpr DispId Click = -600;
inline constexpr DispId DblClick = -601;
inline constexpr DispId KeyDown = -602;
inline constexpr DispId KeyPress = -603;
inline constexpr DispId KeyUp = -604;
inline constexpr DispId MouseDown = -605;
inline constexpr DispId MouseMove = -606;
inline constexpr DispId MouseUp = -607;
inline constexpr DispId VKeyDown = 1;
inline constexpr DispId VKeyUp = 2;
inline constexpr DispId FocusMove = 3;
inline constexpr DispId OLECompleteDrag = 4;
inline constexpr DispId OLEStartDrag = 5;
inline constexpr DispId OLEGiveFeedback = 6;
inline constexpr DispId OLEDragOver = 7;
inline constexpr DispId OLEDragDrop = 8;
inline constexpr DispId MenuClicked = 9;
inline constexpr DispId BeforePopup = 10;

} // namespace plinth::dispid
