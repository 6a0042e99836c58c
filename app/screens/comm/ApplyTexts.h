// Puts the catalogue's texts onto a screen: captions of labels, buttons, frames, menus and
// menu items by object name, tab captions, the window title.
#pragma once

#include "config/LabelCatalogue.h"

class QWidget;

namespace torvik::screens::comm {

// A text whose control is not on the screen is skipped.
void applyScreenTexts(QWidget& screen, const mdlFileMgr::ScreenTexts& texts);

} // namespace torvik::screens::comm
