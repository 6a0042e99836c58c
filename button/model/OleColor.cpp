#include "model/OleColor.h"

#include <array>

namespace plinth {

namespace {

struct PaletteColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour index -> the palette entry that plays its part on this desktop.
constexpr std::array<PaletteColour, kLastSystemColour + 1> kSystemColours{{
    {QPalette::Active, QPalette::Button},            // 0 scroll bar
    {QPalette::Active, QPalette::Window},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},         // 2 active caption
    {QPalette::Inactive, QPalette::Mid},             // 3 inactive caption
    {QPalette::Active, QPalette::Window},            // 4 menu
    {QPalette::Active, QPalette::Base},              // 5 window
    {QPalette::Active, QPalette::Shadow},            // 6 window frame
    {QPalette::Active, QPalette::WindowText},        // 7 menu text
    {QPalette::Active, QPalette::WindowText},        // 8 window text
    {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    {QPalette::Active, QPalette::Window},            // 10 active border
    {QPalette::Inactive, QPalette::Window},          // 11 inactive border
    {QPalette::Active, QPalette::Dark},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
    {QPalette::Active, QPalette::Button},            // 15 button face
    {QPalette::Active, QPalette::Dark},              // 16 button shadow
    {QPalette::Disabled, QPalette::ButtonText},      // 17 grey text
    {QPalette::Active, QPalette::ButtonText},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light},             // 20 button highlight
    {QPalette::Active, QPalette::Shadow},            // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},       // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},       // 24 tooltip background
    {QPalette::Active, QPalette::Button},            // 25 (not assigned)
    {QPalette::Active, QPalette::Link},              // 26 hot-track
    {QPalette::Active, QPalette::Highlight},         // 27 active caption gradient
    {QPalette::Inactive, QPalette::Mid},             // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},         // 29 menu highlight
    {QPalette::Active, QPalette::Window},            // 30 menu bar
}};

} // namespace

bool isValidOleColor(OleColor colour) {
    if ((colour & kSystemColourFlag) != 0) {
        return (colour & ~kSystemColourFlag) <= kLastSystemColour;
    }
    return (colour & 0xFF000000u) == 0;
}

QColor resolveOleColor(OleColor colour, const QPalette& palette) {
    if ((colour & kSystemColourFlag) != 0) {
        const OleColor index = colour & ~kSystemColourFlag;
        if (index > kLastSystemColour) {
            return palette.color(QPalette::Button);
        }
        const PaletteColour& entry = kSystemColours[index];
        return palette.color(entry.group, entry.role);
    }
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

OleColor oleColorFromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return rgbColour(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace plinth
