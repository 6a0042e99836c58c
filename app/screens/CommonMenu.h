// The menu bar that stands on all three working screens. Each screen builds its own copy and
// connects the items to its own handlers; the catalogue texts are applied by the screen.
#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace torvik::screens {

struct CommonMenu {
    QMenu* mnu_set1 = nullptr;    // settings
    QAction* mnu_no1 = nullptr;   // serial numbers: the registration screen
    QAction* mnu_sif1 = nullptr;  // communication settings: the settings screen
    QMenu* mnu_i1 = nullptr;      // initialise
    QAction* mnu_i1_11 = nullptr; // this screen only
    QAction* mnu_i1_12 = nullptr; // everything
    QAction* mnu_tx1 = nullptr;   // communication: the main screen (a top-level item)
    QMenu* mnu_help1 = nullptr;
    QAction* mnu_h1 = nullptr; // help
    QAction* mnu_v1 = nullptr; // version box
};

// Adds the menus with their design captions; every menu and item carries its name as
// objectName so the catalogue loader and tests find it.
CommonMenu buildCommonMenu(QMenuBar& bar);

} // namespace torvik::screens
