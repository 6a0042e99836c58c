// Colours as forms store them: an RGB value (0x00BBGGRR) or, with the high bit set, the
// index of a system colour that follows the desktop's colour scheme. Here the scheme is the
// widget's palette, so a button keeps matching its window when the palette changes.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace plinth {

using OleColor = std::uint32_t;

inline constexpr OleColor kSystemColourFlag = 0x80000000u;
// The highest system-colour index the platform defines (the menu bar).
inline constexpr OleColor kLastSystemColour = 30;

constexpr OleColor systemColour(OleColor index) {
    return kSystemColourFlag | index;
}

// The system colours the button's defaults name.
inline constexpr OleColor kColourWindowFrame = systemColour(6);
inline constexpr OleColor kColourWindowText = systemColour(8);
inline constexpr OleColor kColourButtonFace = systemColour(15);
inline constexpr OleColor kColourButtonShadow = systemColour(16);
inline constexpr OleColor kColourGrayText = systemColour(17);
inline constexpr OleColor kColourButtonText = systemColour(18);
inline constexpr OleColor kColourButtonHighlight = systemColour(20);

constexpr OleColor rgbColour(int red, int green, int blue) {
    return static_cast<OleColor>(red) | static_cast<OleColor>(green) << 8 |
           static_cast<OleColor>(blue) << 16;
}

// RGB values, or a system colour whose index exists.
bool isValidOleColor(OleColor colour);

QColor resolveOleColor(OleColor colour, const QPalette& palette);
// The RGB form of a colour (the alpha channel is dropped: stored colours are opaque).
OleColor oleColorFromQColor(const QColor& colour);

} // namespace plinth
