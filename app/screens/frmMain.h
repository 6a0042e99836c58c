// The registration screen: serial number and slave address of each load cell.
#pragma once

#include "config/SettingsFile.h"
#include "screens/CommonMenu.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvik::screens {

class FieldWatcher;
class ScreenSet;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(ScreenSet& screens);
    ~frmMain() override;

    // The serial number box of row k as it reads now (the main screen enables its rows by it).
    QString serialNumberText(int row) const;

    // "Initialise this screen": every row gets serial number "0" and slave address k+1.
    void initialiseRows();

    // The boxes exactly as they stand, for the settings file.
    mdlFileMgr::RegistrationTexts registrationTexts() const;

    // Every row in order: numbers in range, no serial number or slave address twice. The
    // first failure is reported, gets the focus and gives false.
    bool CheckAddress();

    // Copies the rows into the shared serial-number and slave-address tables, unchecked.
    void SaveAddress();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr int kRows = 8;

    void buildScreen();
    void connectMenu();
    void load();
    int rowCount() const; // MaxDlcIndex + 1
    void rememberSerialNumbers();

    bool serialNoLeft(int row);
    bool slaveAddressLeft(int row);
    void refuse(int messageSlot, QLineEdit& box);

    // Leaves for another screen once the entries pass; the button also writes the file.
    void leaveFor(const std::function<QWidget&()>& target, bool writeFile);

    ScreenSet& m_screens;
    FieldWatcher* m_fields = nullptr;
    CommonMenu m_menu;
    std::array<QLabel*, kRows + 1> m_lblNo{};
    std::array<QLineEdit*, kRows> m_txtSerialNo{};
    std::array<QLineEdit*, kRows> m_txtSlaveAddress{};
    std::array<QString, kRows> m_serialOnEntry; // the box's text when it gained the focus
    QLabel* m_lblGuide = nullptr;
    QPushButton* m_cmdComm = nullptr;
};

} // namespace torvik::screens
