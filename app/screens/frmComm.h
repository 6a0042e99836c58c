// The main communication screen with its four tabs.
#pragma once

#include <QMainWindow>

namespace torvik::screens {

class ScreenSet;

class frmComm : public QMainWindow {
    Q_OBJECT
public:
    explicit frmComm(ScreenSet& screens);
    ~frmComm() override;

    // "Initialise everything" as this screen does it; the registration screen's variant of
    // the command leaves the communication-status display alone.
    void resetAll(bool refreshCommStatus);

    // The registration screen changed row k's serial number from "0" to another value: the
    // row becomes ticked on the measurement tab.
    void serialNumberRegistered(int row);

private:
    [[maybe_unused]] ScreenSet& m_screens;
};

} // namespace torvik::screens
