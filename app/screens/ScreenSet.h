// The three working screens exist once each for the program's life; each is created (and
// runs its load) the first time it is needed. Only one is visible at a time.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace torvik::screens {

class frmMain;
class frmComm;
class frmSetting;
class HelpWindow;

class ScreenSet {
public:
    ScreenSet();
    ~ScreenSet();
    ScreenSet(const ScreenSet&) = delete;
    ScreenSet& operator=(const ScreenSet&) = delete;

    frmMain& main();
    frmComm& comm();
    frmSetting& setting();

    // Whether a screen has been created (loaded) yet, without creating it.
    bool hasComm() const { return m_comm != nullptr; }
    bool hasSetting() const { return m_setting != nullptr; }

    // The help window (one for the program), opened at the document's contents.
    void showHelp(const QWidget& from);

    // "Initialise everything", the same from every screen: the registration rows, the
    // settings screen's defaults, the main screen's reset, the built-in command table.
    void initialiseAll(bool refreshCommStatus);

    // Writes the whole settings file from the registration boxes and the program's values.
    void writeSettingsFile();

    // The end of a close sequence: the main screen, when it has been opened, runs its own close
    // sequence (it copies its tabs into the settings and writes the file again); then the
    // program ends.
    void finishProgram(const QWidget& closing);

    // An end asked for from outside the screens (a termination signal, a window destroyed):
    // the close path of the screen that owns the communication, or, before it exists, the
    // settings file written as the registration and settings screens' close does, without
    // their entry checks. An open dialog is closed and nothing asks the operator any more.
    // Repeated requests change nothing.
    void endProgram();
    // The same when no event may be handled any more (the display is gone).
    void endWithoutEvents();

    // How the program ends: by default the application's event loop ends with status 0.
    // Tests watch it.
    using ProgramEnd = std::function<void()>;
    void setProgramEnd(ProgramEnd end);

private:
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<frmComm> m_comm;
    std::unique_ptr<frmSetting> m_setting;
    std::unique_ptr<HelpWindow> m_help;
    ProgramEnd m_end;
    bool m_finishing = false;
    bool m_endRequested = false;
};

} // namespace torvik::screens
