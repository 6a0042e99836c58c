// Puts the label catalogue's texts on a screen: each text goes to the control, menu item, tab
// or window title it names.
#pragma once

#include "config/LabelCatalogue.h"

class QWidget;

namespace torvik::screens {

// Names that the screen does not carry are skipped.
void applyScreenTexts(QWidget& screen, const mdlFileMgr::ScreenTexts& texts);

} // namespace torvik::screens
