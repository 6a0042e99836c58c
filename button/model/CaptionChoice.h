// Which caption the button shows for the modifier keys held down.
#pragma once

#include "model/ButtonProperties.h"

namespace plinth {

// `modifiers` holds the event bits (kShiftMask, kCtrlMask, kAltMask). Under kxcm_不変 the
// standard caption always; under kxcm_択一 the caption of one held key, Alt before Ctrl
// before Shift; under kxcm_組合せ the caption of exactly the combination held. A chosen
// caption that is empty falls back to the standard one, so a button never goes blank
// because a combination was left without a text.
const QString& chooseCaption(const ButtonProperties& p, const QString& standard, int modifiers);

} // namespace plinth
