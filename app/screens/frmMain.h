// The registration screen: serial number and slave address of each load cell.
#pragma once

#include <QMainWindow>

namespace torvik::screens {

class ScreenSet;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(ScreenSet& screens);
    ~frmMain() override;

    // The serial number box of row k as it reads now (the main screen enables its rows by it).
    QString serialNumberText(int row) const;
    // The slave address box of row k as it reads now (written to the settings file at exit).
    QString slaveAddressText(int row) const;

    // "Initialise this screen": every row gets serial number "0" and slave address k+1.
    void initialiseRows();

private:
    [[maybe_unused]] ScreenSet& m_screens;
};

} // namespace torvik::screens
