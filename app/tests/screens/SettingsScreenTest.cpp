// The settings screen driven through its real fields, lists, buttons and menus.
#include "ScreenFixture.h"
#include "config/ProgramValues.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace torvik::screens;
using namespace torvik::screens::testing;
using torvik::mdlFileMgr::programValues;

namespace {

// Message-table slots of MESSAGE keys 6, 81, 82, 91, 92 and 10 (the catalogue's slot table).
constexpr std::size_t kNotNumeric = 5;
constexpr std::size_t kFolderMissing = 7;
constexpr std::size_t kFolderChooseExisting = 8;
constexpr std::size_t kStartNoBefore = 9;
constexpr std::size_t kStartNoAfter = 10;
constexpr std::size_t kFileNameForbidden = 11;

template <typename W = QLineEdit>
W* field(const frmSetting& screen, const char* name) {
    return ScreenFixture::find<W>(screen, QString::fromLatin1(name));
}

QByteArray settingsWith(const QByteArray& replace, const QByteArray& by) {
    return ScreenFixture::defaultSettings().replace(replace, by);
}

} // namespace

class SettingsScreenTest : public QObject {
    Q_OBJECT
private slots:
    void loadsTheSettings();
    void baudRateAsMultipleOf300();
    void clearingTheMultipleKeepsTheListChoice();
    void intervalsCorrectedOnLeaving_data();
    void intervalsCorrectedOnLeaving();
    void nonNumericIntervalRefusedAtOnce();
    void secondsMultiplyThePollInterval();
    void startNumber_data();
    void startNumber();
    void baseFileName_data();
    void baseFileName();
    void folderList();
    void browseForAFolder();
    void leavingAndClosingNeedAnExistingFolder();
    void initialiseThisScreen();
};

void SettingsScreenTest::loadsTheSettings() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QCOMPARE(field<QComboBox>(screen, "cmbBps")->currentText(), QStringLiteral("38400"));
    QVERIFY(field(screen, "txtBps")->isHidden());
    QCOMPARE(field(screen, "txtData")->text(), QStringLiteral("100"));
    QVERIFY(field<QRadioButton>(screen, "optDataMS")->isChecked());
    QCOMPARE(field<QComboBox>(screen, "cmbSerialLen")->currentText(), QStringLiteral("3"));
    QCOMPARE(field<QComboBox>(screen, "cmbDirName")->currentText(), f.folder() + "/Data/");
    QCOMPARE(field<QComboBox>(screen, "cmbDp")->currentText(), QStringLiteral("2"));
    QVERIFY(field<QCheckBox>(screen, "chkData3")->isHidden()); // kilograms: no conversion
    // Catalogue texts on the labels; the window title stays as designed.
    QCOMPARE(field<QLabel>(screen, "lblHeader10")->text(), QStringLiteral("無応答検出時間"));
    QCOMPARE(field<QPushButton>(screen, "cmdDlg")->text(), QStringLiteral("参照"));
    QCOMPARE(screen.windowTitle(), QStringLiteral("通信設定"));
    QCOMPARE(programValues().setting.Baudrate, 38400); // loading changes nothing
    QCOMPARE(programValues().setting.CommData, 100);
}

void SettingsScreenTest::baudRateAsMultipleOf300() {
    ScreenFixture f(0, settingsWith("BPS300=False", "BPS300=True"));
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    QCOMPARE(field(screen, "txtBps")->text(), QStringLiteral("128"));
    QCOMPARE(field<QLabel>(screen, "lblBps")->text(), QStringLiteral("38400"));
    QVERIFY(field<QComboBox>(screen, "cmbBps")->isHidden());
    typeAndLeave(*field(screen, "txtBps"), QStringLiteral("32"));
    QCOMPARE(field<QLabel>(screen, "lblBps")->text(), QStringLiteral("9600"));
    QCOMPARE(programValues().setting.Baudrate, 9600);
    // A rate of 0 bps has no line time: 0 becomes 1.
    typeAndLeave(*field(screen, "txtBps"), QStringLiteral("0"));
    QCOMPARE(field(screen, "txtBps")->text(), QStringLiteral("1"));
    QCOMPARE(programValues().setting.Baudrate, 300);
    QCOMPARE(f.messages, QStringList());
}

void SettingsScreenTest::clearingTheMultipleKeepsTheListChoice() {
    ScreenFixture f(
        0, settingsWith("BPS300=False", "BPS300=True").replace("Baudrate=38400", "Baudrate=9600"));
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    auto* chkBps = field<QCheckBox>(screen, "chkBps");
    auto* cmbBps = field<QComboBox>(screen, "cmbBps");
    QTest::mouseClick(chkBps, Qt::LeftButton); // 9600 is in the list: it is chosen
    QCOMPARE(cmbBps->currentText(), QStringLiteral("9600"));
    QVERIFY(!cmbBps->isHidden());
    QTest::mouseClick(chkBps, Qt::LeftButton);
    typeAndLeave(*field(screen, "txtBps"), QStringLiteral("1")); // 300 bps: not in the list
    QTest::mouseClick(chkBps, Qt::LeftButton);
    QCOMPARE(cmbBps->currentText(), QStringLiteral("9600"));
    QVERIFY(field(screen, "txtBps")->isHidden());
    QVERIFY(field<QLabel>(screen, "lblBps")->isHidden());
    screen.SaveSetting();
    QCOMPARE(programValues().setting.BPS300, false);
    QCOMPARE(programValues().setting.Baudrate, 9600);
}

void SettingsScreenTest::intervalsCorrectedOnLeaving_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    for (const char* box : {"txtData", "txtSS", "txtWait", "txtTime"}) {
        QTest::addRow("%s 0", box) << box << "0"
                                   << "1";
        QTest::addRow("%s 20000", box) << box << "20000"
                                       << "10000";
        QTest::addRow("%s 10000", box) << box << "10000"
                                       << "10000";
        QTest::addRow("%s 1", box) << box << "1"
                                   << "1";
    }
}

void SettingsScreenTest::intervalsCorrectedOnLeaving() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    auto* edit = ScreenFixture::find<QLineEdit>(screen, box);
    typeAndLeave(*edit, typed);
    QCOMPARE(edit->text(), shown);
    const auto& s = programValues().setting;
    const std::int32_t stored = box == u"txtData"   ? s.CommData
                                : box == u"txtSS"   ? s.CommSync
                                : box == u"txtWait" ? s.WaitTime
                                                    : s.TimeOut;
    QCOMPARE(stored, shown.toInt());
    QCOMPARE(f.messages, QStringList());
}

void SettingsScreenTest::nonNumericIntervalRefusedAtOnce() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    QLineEdit* txtSS = field(screen, "txtSS");
    txtSS->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(txtSS, QStringLiteral("ab"));
    QCOMPARE(txtSS->text(), QStringLiteral("50")); // letters never arrive
    QTest::keyClick(txtSS, Qt::Key_Backspace);     // the selection goes: empty is no number
    QCOMPARE(f.messages, QStringList{ScreenFixture::slot(kNotNumeric)});
    QCOMPARE(screen.focusWidget(), txtSS);
    QCOMPARE(programValues().setting.CommSync, 50);
}

void SettingsScreenTest::secondsMultiplyThePollInterval() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    QCOMPARE(programValues().PollIntervalMs, QStringLiteral("100"));
    QTest::mouseClick(field<QRadioButton>(screen, "optDataS"), Qt::LeftButton);
    QCOMPARE(programValues().setting.CommDataUnit, QStringLiteral("S"));
    QCOMPARE(programValues().PollIntervalMs, QStringLiteral("100000"));
    typeAndLeave(*field(screen, "txtData"), QStringLiteral("2"));
    QCOMPARE(programValues().PollIntervalMs, QStringLiteral("2000"));
    // The unit switch first corrects the interval into range.
    field(screen, "txtData")->setText(QStringLiteral("0"));
    QTest::mouseClick(field<QRadioButton>(screen, "optDataMS"), Qt::LeftButton);
    QCOMPARE(field(screen, "txtData")->text(), QStringLiteral("1"));
    QCOMPARE(programValues().PollIntervalMs, QStringLiteral("1"));
}

// Three sequence digits (the fixture's SerialLen) allow 1 to 999.
void SettingsScreenTest::startNumber_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("999") << "999" << true;
    QTest::newRow("1000") << "1000" << false;
    QTest::newRow("0") << "0" << false;
}

void SettingsScreenTest::startNumber() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    QLineEdit* box = field(screen, "txtStartNo");
    typeAndLeave(*box, typed);
    const QString refusal =
        ScreenFixture::slot(kStartNoBefore) + "999" + ScreenFixture::slot(kStartNoAfter);
    QCOMPARE(f.messages, accepted ? QStringList() : QStringList{refusal});
    QCOMPARE(screen.focusWidget() == box, !accepted);
    // Leaving by the button straight after typing is refused the same way.
    f.messages.clear();
    box->setText(typed);
    QTest::mouseClick(field<QPushButton>(screen, "cmdComm"), Qt::LeftButton);
    QCOMPARE(screen.isVisible(), !accepted);
    if (!accepted)
        QCOMPARE(f.messages.value(0), refusal);
}

void SettingsScreenTest::baseFileName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("refused");
    QTest::newRow("plain") << "RUN_"
                           << "RUN_" << false;
    QTest::newRow("blank returns the previous") << "   "
                                                << "DLC_" << false;
    QTest::newRow("colon") << "A:B"
                           << "DLC_" << true;
    QTest::newRow("question mark") << "A?"
                                   << "DLC_" << true;
    QTest::newRow("backslash") << "A\\B"
                               << "DLC_" << true;
}

void SettingsScreenTest::baseFileName() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(bool, refused);
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    QLineEdit* box = field(screen, "txtFileName");
    typeAndLeave(*box, typed);
    QCOMPARE(box->text(), kept);
    QCOMPARE(programValues().setting.FileName, kept);
    if (refused) {
        const QString list = QStringLiteral("\"   *   /   :   <   >   ?   \\   |   ");
        QCOMPARE(f.messages, QStringList{ScreenFixture::slot(kFileNameForbidden) + "\n\n" + list});
        QCOMPARE(screen.focusWidget(), box);
    } else {
        QCOMPARE(f.messages, QStringList());
    }
}

void SettingsScreenTest::folderList() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    auto* list = field<QComboBox>(screen, "cmbDirName");
    const QString data = f.folder() + "/Data/";
    QStringList typed;
    for (int n = 1; n <= 10; ++n) {
        typed.prepend(f.folder() + QStringLiteral("/f%1").arg(n));
        list->setFocus(Qt::TabFocusReason);
        list->lineEdit()->selectAll();
        QTest::keyClicks(list, typed.first());
        QTest::keyClick(list, Qt::Key_Return); // Enter moves on, which takes the folder
        QVERIFY(screen.focusWidget() != list);
    }
    // Ten folders typed after the loaded one: the eleventh distinct folder pushed it out.
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->itemText(0), typed.first());
    QCOMPARE(list->findText(data), -1);
    auto& values = programValues();
    QCOMPARE(QStringList(values.list.begin(), values.list.end()), typed);
    QCOMPARE(values.setting.DirName, typed.first());
    QCOMPARE(list->toolTip(), typed.first());
    // An existing entry moves to the top without being listed twice.
    typeAndLeave(*list, typed[4]);
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->itemText(0), typed[4]);
    QCOMPARE(list->itemText(1), typed[0]);
    QCOMPARE(values.list[0], typed[4]);
    QCOMPARE(values.list[4], typed[3]);
    QCOMPARE(values.list[5], typed[5]);
    // Choosing an entry makes its folder when it is missing.
    QVERIFY(!QDir(typed[2]).exists());
    list->setCurrentIndex(-1);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), 0);
    QVERIFY(QDir(typed[4]).exists());
    QCOMPARE(f.messages, QStringList());
}

void SettingsScreenTest::browseForAFolder() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    const QString chosen = f.folder() + "/Data";
    bool seen = false;
    QTimer::singleShot(0, &screen, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->selectedFiles().value(0).endsWith(QStringLiteral("/TestFile"));
        dialog->selectFile(chosen + "/picked.csv");
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(field<QPushButton>(screen, "cmdDlg"), Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(field<QComboBox>(screen, "cmbDirName")->currentText(), chosen + "/");
    QCOMPARE(programValues().setting.DirName, chosen + "/");
    QCOMPARE(programValues().list[0], chosen + "/");
}

void SettingsScreenTest::leavingAndClosingNeedAnExistingFolder() {
    ScreenFixture f;
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    auto* list = field<QComboBox>(screen, "cmbDirName");
    const QString missing = f.folder() + "/missing/deeper";
    typeAndLeave(*list, missing);
    const QString refusal =
        ScreenFixture::slot(kFolderMissing) + "\n" + ScreenFixture::slot(kFolderChooseExisting);
    const QByteArray before = f.settingsBytes();

    QTest::mouseClick(field<QPushButton>(screen, "cmdComm"), Qt::LeftButton);
    ScreenFixture::find<QAction>(screen, QStringLiteral("mnu_no1"))->trigger();
    QVERIFY(!screen.close());
    QCOMPARE(f.messages, QStringList(3, refusal));
    QVERIFY(screen.isVisible());
    QCOMPARE(screen.focusWidget(), list);
    QCOMPARE(f.settingsBytes(), before);
    QCOMPARE(f.programEnds, 0);

    typeAndLeave(*list, f.folder() + "/Data/");
    typeAndLeave(*field(screen, "txtTime"), QStringLiteral("900"));
    f.messages.clear();
    QVERIFY(screen.close());
    QCOMPARE(f.messages, QStringList());
    QCOMPARE(f.programEnds, 1);
    const auto file = f.settingsFile();
    QCOMPARE(file.getString(u"SETTINGS", u"TimeOut", u"", 20), QStringLiteral("900"));
    QCOMPARE(file.getString(u"SETTINGS", u"DirName", u"", 200), f.folder() + "/Data/");
    QCOMPARE(file.getString(u"LIST", u"2", u"", 200), missing);
    QCOMPARE(file.getString(u"SERIALNO", u"1", u"", 20), QStringLiteral("1001"));
    QCOMPARE(file.getString(u"TAB2", u"1", u"", 20), QStringLiteral("True"));
}

void SettingsScreenTest::initialiseThisScreen() {
    ScreenFixture f(0, settingsWith("BPS300=False", "BPS300=True"));
    frmSetting& screen = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(screen));
    ScreenFixture::find<QAction>(screen, QStringLiteral("mnu_i1_11"))->trigger();
    QVERIFY(!field<QCheckBox>(screen, "chkBps")->isChecked());
    QCOMPARE(field<QComboBox>(screen, "cmbBps")->currentText(), QStringLiteral("38400"));
    QCOMPARE(field(screen, "txtStartNo")->text(), QStringLiteral("1"));
    QCOMPARE(field<QComboBox>(screen, "cmbDirName")->count(), 1);
    QVERIFY(!field<QCheckBox>(screen, "chkData3")->isVisible()); // kilograms chosen
    const auto& s = programValues().setting;
    QCOMPARE(s.BPS300, false);
    QCOMPARE(s.Baudrate, 38400);
    QCOMPARE(s.CommData, 100);
    QCOMPARE(s.CommDataUnit, QStringLiteral("M"));
    QCOMPARE(s.CommSync, 50);
    QCOMPARE(s.SerialLen, 4);
    QCOMPARE(s.DP, 2);
    QCOMPARE(s.DataKind, QStringLiteral("R"));
    QCOMPARE(s.WaitTime, 100);
    QCOMPARE(s.TimeOut, 500);
    QCOMPARE(s.Comport, 1);
    QCOMPARE(programValues().ValueFormat, QStringLiteral("##0.00"));
    QCOMPARE(programValues().PollIntervalMs, QStringLiteral("100"));
    QCOMPARE(f.messages, QStringList());
    // The registration screen is left alone by this command.
    QCOMPARE(f.screens().main().serialNumberText(0), QStringLiteral("1001"));
}

QTEST_MAIN(SettingsScreenTest)
#include "SettingsScreenTest.moc"
