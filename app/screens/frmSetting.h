// The communication settings screen: the Modbus link, timing, error log, data files and the
// display of measured values. Every edit reaches the settings at once; the file is written
// when the program closes.
#pragma once

#include "screens/CommonMenu.h"

#include <QMainWindow>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace torvik::screens {

class FieldWatcher;
class ScreenSet;

class frmSetting : public QMainWindow {
    Q_OBJECT
public:
    explicit frmSetting(ScreenSet& screens);
    ~frmSetting() override;

    // "Initialise this screen": every field back to its default; the change handlers carry
    // the values into the settings.
    void applyDefaults();

    // Copies every control into the settings and recomputes the values derived from them.
    void SaveSetting();

    // The check before the screen is left or closed: the first invalid entry is reported, gets
    // the focus and gives false.
    bool CheckSettingEntries();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildScreen();
    void connectControls();
    void connectMenu();
    void load();

    void message(std::size_t slot, const QString& more = {});
    void refuse(std::size_t slot, QWidget& field, const QString& more = {});

    void chkBpsClick(bool ticked);
    void intervalChanged(QLineEdit& box, const std::function<void(std::int32_t)>& store);
    bool clampInterval(QLineEdit& box);
    void pollIntervalChanged();
    bool txtBpsLeft();
    bool cmbCommportLeft();
    bool txtFileNameLeft();
    bool txtStartNoLeft();
    bool startNoInRange(QWidget& field, double value);
    bool cmbDirNameLeft();
    void cmdDlgClick();
    void takeFolder(const QString& folder);
    void leaveFor(const std::function<QWidget&()>& target);

    ScreenSet& m_screens;
    FieldWatcher* m_fields = nullptr;
    CommonMenu m_menu;

    QCheckBox* m_chkBps = nullptr;
    QComboBox* m_cmbBps = nullptr;
    QLineEdit* m_txtBps = nullptr;
    QLabel* m_lblBps = nullptr;
    QComboBox* m_cmbCommport = nullptr;
    QLineEdit* m_txtData = nullptr;
    QRadioButton* m_optDataMS = nullptr;
    QRadioButton* m_optDataS = nullptr;
    QLineEdit* m_txtSS = nullptr;
    QLineEdit* m_txtWait = nullptr;
    QLineEdit* m_txtTime = nullptr;
    QCheckBox* m_chkError1 = nullptr;
    QLineEdit* m_txtFileName = nullptr;
    QComboBox* m_cmbSerialLen = nullptr;
    QLineEdit* m_txtStartNo = nullptr;
    QComboBox* m_cmbDirName = nullptr;
    QPushButton* m_cmdDlg = nullptr;
    QCheckBox* m_chkData1 = nullptr;
    QCheckBox* m_chkData2 = nullptr;
    QComboBox* m_cmbDp = nullptr;
    QRadioButton* m_optDataR = nullptr;
    QRadioButton* m_optDataN = nullptr;
    QCheckBox* m_chkData3 = nullptr;
    QLabel* m_lblDp4 = nullptr;
    QPushButton* m_cmdComm = nullptr;

    QString m_fileNameOnEntry; // put back when the typed name is blank or refused
};

} // namespace torvik::screens
