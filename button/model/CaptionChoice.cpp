#include "model/CaptionChoice.h"

#include "model/VirtualKeys.h"
#include "plinth/PlinthEnums.h"

namespace plinth {

const QString& chooseCaption(const ButtonProperties& p, const QString& standard, int modifiers) {
    const bool alt = (modifiers & kAltMask) != 0;
    const bool ctrl = (modifiers & kCtrlMask) != 0;
    const bool shift = (modifiers & kShiftMask) != 0;
    const QString* chosen = &standard;
    switch (p.CaptionMode) {
    case kxcm_択一:
        chosen = alt ? &p.CaptionAlt : ctrl ? &p.CaptionCtrl : shift ? &p.CaptionShift : &standard;
        break;
    case kxcm_組合せ:
        if (alt) {
            chosen = ctrl ? (shift ? &p.CaptionAltCS : &p.CaptionAltC)
                          : (shift ? &p.CaptionAltS : &p.CaptionAlt);
        } else if (ctrl) {
            chosen = shift ? &p.CaptionCtrlS : &p.CaptionCtrl;
        } else if (shift) {
            chosen = &p.CaptionShift;
        }
        break;
    default:
        break;
    }
    return chosen->isEmpty() ? standard : *chosen;
}

} // namespace plinth
