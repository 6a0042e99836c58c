// The three working screens exist once each for the program's life; each is created (and
// runs its load) the first time it is needed. Only one is visible at a time.
#pragma once

#include <memory>

class QWidget;

namespace torvik::screens {

class frmMain;
class frmComm;
class frmSetting;

class ScreenSet {
public:
    ScreenSet();
    ~ScreenSet();
    ScreenSet(const ScreenSet&) = delete;
    ScreenSet& operator=(const ScreenSet&) = delete;

    frmMain& main();
    frmComm& comm();
    frmSetting& setting();

    // The help document in a help window, and the version box placed relative to `from`;
    // the same for every screen's help menu.
    void showHelp(QWidget& from);
    void showVersion(QWidget& from);

    // Whether a screen has been created (loaded) yet, without creating it.
    bool hasComm() const { return m_comm != nullptr; }
    bool hasSetting() const { return m_setting != nullptr; }

private:
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<frmComm> m_comm;
    std::unique_ptr<frmSetting> m_setting;
};

} // namespace torvik::screens
