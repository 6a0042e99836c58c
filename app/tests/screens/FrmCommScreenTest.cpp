// The main screen as a whole: rows and tabs by program variant, what load takes from the
// stored tab values, the enable rules after activation and tab changes, both initialise
// commands, leaving for the other screens, closing (the settings file is written), and the
// controls made from the real library or the message when it is missing.
#include "ScreenFixture.h"
#include "config/PrivateProfile.h"
#include "config/ProgramValues.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using torvik::mdlFileMgr::programValues;
using torvik::screens::frmComm;
using namespace torvik::screens::testing;

class FrmCommScreenTest : public QObject {
    Q_OBJECT

private slots:
    void variantRowsAndTabs_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<bool>>("tabs");
        // Which tabs each variant has, and its load-cell count.
        QTest::newRow("standard") << 0 << 4 << QList<bool>{true, true, false, false};
        QTest::newRow("-VELM") << 1 << 4 << QList<bool>{true, true, false, true};
        QTest::newRow("-ORB") << 2 << 8 << QList<bool>{true, true, true, false};
    }

    void variantRowsAndTabs() {
        QFETCH(int, variant);
        QFETCH(int, rows);
        QFETCH(QList<bool>, tabs);
        CommFixture f(static_cast<std::int16_t>(variant));
        auto* tabWidget = f.find<QTabWidget>(QStringLiteral("SSTab1"));
        QVERIFY(tabWidget != nullptr);
        for (int t = 0; t < 4; ++t) {
            QCOMPARE(tabWidget->isTabVisible(t), tabs.at(t));
            QVERIFY(tabWidget->isTabEnabled(t)); // the run lock is a separate switch
        }
        QCOMPARE(tabWidget->currentIndex(), 0);
        for (int k = 0; k < 8; ++k) {
            for (const char* control : {"chkSelect", "txtData", "txtCount"})
                QCOMPARE(f.find<QWidget>(indexedName(control, k))->isHidden(), k >= rows);
            QCOMPARE(f.find<QLabel>(indexedName("lblNo", k + 1))->isHidden(), k >= rows);
        }
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbNo"))->count(), rows);
    }

    void loadTakesTheStoredTabValues() {
        CommFixture f(2, {{"TAB1/11", "True"},
                          {"TAB1/12", "True"},
                          {"TAB2/0", "3"},
                          {"TAB2/2", "False"},
                          {"TAB2/9", "True"},
                          {"TAB3/1", "5"},
                          {"TAB3/9", "0"},   // row 0: coil status
                          {"TAB3/14", "10"}, // row 1 address
                          {"TAB3/18", "4"},
                          {"TAB3/22", "I"},
                          {"TAB3/7", "False"},
                          {"TAB4/4", "2.5"},
                          {"TAB4/COM", "5"},
                          {"TAB4/DisplayPolarity", "False"},
                          {"TAB4/SendDataInt", "3"}});
        // Status information shows the status boxes; manual assignment shows its button.
        QVERIFY(!f.find<QLabel>(QStringLiteral("lblStatus"))->isHidden());
        QVERIFY(!f.find<QLineEdit>(QStringLiteral("txtStatus_7"))->isHidden());
        QVERIFY(!f.find<QPushButton>(QStringLiteral("cmdManual"))->isHidden());
        QVERIFY(f.find<QPushButton>(QStringLiteral("cmdSave"))->isHidden());
        for (const char* stop : {"cmdStop", "cmdStopInfo", "cmdStopCustom", "cmdStopTest"})
            QVERIFY(!f.find<QPushButton>(QString::fromLatin1(stop))->isEnabled());
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCount_0"))->text(), QStringLiteral("0"));

        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbNo"))->currentIndex(), 2);
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("chkSelectInfo_1"))->isChecked());
        QVERIFY(f.find<QCheckBox>(QStringLiteral("chkSelectInfo_0"))->isChecked());
        QVERIFY(f.find<QRadioButton>(QStringLiteral("optInput_0"))->isChecked());

        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbNoCustom_0"))->currentIndex(), 4);
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbMem_1"))->currentText(),
                 QStringLiteral("保持レジスタ"));
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtAddr_1"))->text(), QStringLiteral("0010"));
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtAddr_0"))->text(), QStringLiteral("0001"));
        QVERIFY(f.find<QRadioButton>(QStringLiteral("optFormat_6"))->isChecked()); // row 1 "I"
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("chkSelectCustom_2"))->isChecked());
        for (int k = 0; k < 4; ++k) { // coil status: no format applies
            auto* option = f.find<QRadioButton>(indexedName("optFormat", k));
            QVERIFY(!option->isChecked());
            QVERIFY(!option->isEnabled());
        }

        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCC"))->text(), QStringLiteral("2.5"));
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbCom"))->currentText(),
                 QStringLiteral("COM5"));
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbInt"))->currentIndex(), 3);
        QVERIFY(f.find<QLabel>(QStringLiteral("Label6"))->isHidden());
        QVERIFY(f.find<QComboBox>(QStringLiteral("cmbPolarity"))->isHidden());
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbPolarity"))->count(), 3);
        QVERIFY(f.find<QLabel>(QStringLiteral("lblComProt"))->text().contains(QStringLiteral("5")));
        // The catalogue's texts are on the controls.
        QCOMPARE(f.find<QPushButton>(QStringLiteral("cmdStart"))->text(), QStringLiteral("開始"));
        QCOMPARE(f.find<QTabWidget>(QStringLiteral("SSTab1"))->tabText(2),
                 QStringLiteral("カスタム"));
    }

    void coefficientOfOneShowsAsOnePointZero() {
        CommFixture f(1, {{"TAB4/4", "1"}});
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCC"))->text(), QStringLiteral("1.0"));
        // The sign choice is shown by default, with the catalogue's three choices.
        QVERIFY(!f.find<QComboBox>(QStringLiteral("cmbPolarity"))->isHidden());
    }

    void unregisteredRowsCannotBeChosenUntilRegistered() {
        CommFixture f(0);
        frmComm& screen = f.screen();
        // Rows 2 and 4 carry serial number "0": disabled and, after activation, unticked.
        auto* row1 = f.find<QCheckBox>(QStringLiteral("chkSelect_1"));
        QVERIFY(!row1->isEnabled());
        QVERIFY(!row1->isChecked());
        QVERIFY(f.find<QCheckBox>(QStringLiteral("chkSelect_0"))->isEnabled());
        // Only the ticked, registered rows are listed after a tick.
        f.find<QCheckBox>(QStringLiteral("chkSelect_2"))->setChecked(false);
        QCOMPARE(screen.runState().selection, (std::vector<std::int16_t>{0}));

        // The registration screen's box decides, not the table it copies into.
        f.screens()
            .main()
            .findChild<QLineEdit*>(QStringLiteral("txtSerialNo_1"))
            ->setText(QStringLiteral("777"));
        screen.hide();
        screen.show();
        QVERIFY(row1->isEnabled());
        // The registration screen reports a newly registered serial number: the row is ticked.
        screen.serialNumberRegistered(1);
        QVERIFY(row1->isChecked());
        QVERIFY(programValues().tab1.chkSelect[1]);
        QCOMPARE(screen.runState().selection, (std::vector<std::int16_t>{0, 1}));
    }

    void enableRulesAfterTabChangeAndActivation() {
        CommFixture f(2);
        frmComm& screen = f.screen();
        auto* tabs = f.find<QTabWidget>(QStringLiteral("SSTab1"));
        auto* start = f.find<QPushButton>(QStringLiteral("cmdStartInfo"));
        auto* manual = f.find<QPushButton>(QStringLiteral("cmdManualInfo"));
        // Untick every item without passing through the tick rule, as a stored state could.
        for (int i = 0; i < 8; ++i) {
            auto* box = f.find<QCheckBox>(indexedName("chkSelectInfo", i));
            const QSignalBlocker quiet(box);
            box->setChecked(false);
        }
        start->setEnabled(true);
        tabs->setCurrentIndex(1);
        QVERIFY(!start->isEnabled());
        QVERIFY(!manual->isEnabled());
        QVERIFY(screen.runState().selection.empty());

        // Ticking enables both at once and lists the item.
        f.find<QCheckBox>(QStringLiteral("chkSelectInfo_5"))->setChecked(true);
        QVERIFY(start->isEnabled());
        QVERIFY(manual->isEnabled());
        QCOMPARE(screen.runState().selection, (std::vector<std::int16_t>{5}));

        // A tab change copies the choices into the settings first.
        tabs->setCurrentIndex(2);
        QVERIFY(programValues().tab2.chkSelectInfo[5]);
        QVERIFY(!programValues().tab2.chkSelectInfo[4]);
        QVERIFY(screen.runState().selection.empty());
        QVERIFY(f.find<QPushButton>(QStringLiteral("cmdStartCustom"))->isEnabled());

        // Activation applies the rule to the tab on show.
        auto* custom = f.find<QPushButton>(QStringLiteral("cmdStartCustom"));
        custom->setEnabled(false);
        screen.hide();
        screen.show();
        QVERIFY(custom->isEnabled());
    }

    void initialiseCurrentTab() {
        CommFixture f(1, {{"TAB4/1", "250"}, {"TAB4/2", "True"}, {"TAB2/10", "True"}});
        auto& commands = programValues().commands;
        commands.command[0] = QStringLiteral("X");
        commands.command[11] = QStringLiteral("KEPT");
        auto* tabs = f.find<QTabWidget>(QStringLiteral("SSTab1"));

        tabs->setCurrentIndex(3);
        trigger(f.screen(), "mnu_i1_11");
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbCom"))->currentIndex(), 2);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtWaitTime"))->text(), QStringLiteral("30"));
        QCOMPARE(programValues().tab4.txtWaitTime, 30);
        QVERIFY(!programValues().tab4.chkStatus);
        QCOMPARE(programValues().tab4.registerCount, std::int16_t{2});
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbInt"))->currentIndex(), 6);
        QCOMPARE(programValues().tab4.cmbDec, 1);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCC"))->text(), QStringLiteral("1.0"));
        QCOMPARE(commands.command[0], QStringLiteral("MSV?33,1,0"));
        QCOMPARE(commands.command[11], QStringLiteral("KEPT"));

        tabs->setCurrentIndex(1);
        f.find<QCheckBox>(QStringLiteral("chkSelectInfo_3"))->setChecked(false);
        f.find<QRadioButton>(QStringLiteral("optInput_1"))->setChecked(true);
        trigger(f.screen(), "mnu_i1_11");
        QVERIFY(f.find<QCheckBox>(QStringLiteral("chkSelectInfo_3"))->isChecked());
        QVERIFY(f.find<QRadioButton>(QStringLiteral("optInput_0"))->isChecked());
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("chkReadInfo_0"))->isChecked());
        QVERIFY(f.find<QCheckBox>(QStringLiteral("chkReadInfo_1"))->isEnabled());
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbNo"))->currentIndex(), 0);
    }

    void initialiseCustomTabRows() {
        CommFixture f(2, {{"TAB3/9", "0"}, {"TAB3/17", "7"}});
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        trigger(f.screen(), "mnu_i1_11");
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(f.find<QComboBox>(indexedName("cmbMem", r))->currentIndex(), 2);
            QCOMPARE(f.find<QComboBox>(indexedName("cmbLen", r))->currentText(),
                     QStringLiteral("2"));
            QCOMPARE(f.find<QLineEdit>(indexedName("txtAddr", r))->text(), QStringLiteral("0001"));
            QVERIFY(f.find<QRadioButton>(indexedName("optFormat", 4 * r))->isChecked());
            QVERIFY(f.find<QRadioButton>(indexedName("optFormat", 4 * r + 1))->isEnabled());
            QVERIFY(f.find<QCheckBox>(indexedName("chkSelectCustom", r))->isChecked());
        }
    }

    void initialiseEverything_data() {
        QTest::addColumn<int>("variant");
        QTest::newRow("standard") << 0;
        QTest::newRow("-ORB") << 2;
    }

    void initialiseEverything() {
        QFETCH(int, variant);
        CommFixture f(static_cast<std::int16_t>(variant), {{"TAB3/9", "0"}});
        f.find<QLineEdit>(QStringLiteral("txtCount_0"))->setText(QStringLiteral("9"));
        f.find<QCheckBox>(QStringLiteral("chkRead_2"))->setChecked(true);
        f.find<QLineEdit>(QStringLiteral("txtWaitTime"))->setText(QStringLiteral("99"));
        trigger(f.screen(), "mnu_i1_12");
        // Every row unticked and locked until serial numbers are registered again.
        auto* row0 = f.find<QCheckBox>(QStringLiteral("chkSelect_0"));
        QVERIFY(!row0->isChecked());
        QVERIFY(!row0->isEnabled());
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCount_0"))->text(), QStringLiteral("0"));
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("chkRead_2"))->isChecked());
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtWaitTime"))->text(), QStringLiteral("30"));
        // The custom rows are reset in the eight-cell variant only.
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbMem_0"))->currentIndex(),
                 variant == 2 ? 2 : 0);
        QVERIFY(f.find<QLabel>(QStringLiteral("lblMsg"))->text().contains(QStringLiteral("38400")));
    }

    void leavingForAnotherScreenKeepsTheChoices() {
        CommFixture f(0);
        frmComm& screen = f.screen();
        f.find<QCheckBox>(QStringLiteral("chkSelect_2"))->setChecked(false);
        f.find<QLineEdit>(QStringLiteral("txtCount_0"))->setText(QStringLiteral("4"));
        trigger(f.screen(), "mnu_no1");
        QVERIFY(screen.isHidden());
        QVERIFY(!programValues().tab1.chkSelect[2]);
        QVERIFY(programValues().tab1.chkSelect[0]);
        // The message lines are empty again once the screen has gone.
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblMsg"))->text(), QString());

        trigger(f.screen(), "mnu_tx1"); // does nothing here
        screen.show();
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtCount_0"))->text(), QStringLiteral("4"));
        trigger(f.screen(), "mnu_sif1");
        QVERIFY(screen.isHidden());
    }

    void closingWritesTheSettingsFile() {
        CommFixture f(2);
        QFile::remove(f.settingsPath());
        f.find<QCheckBox>(QStringLiteral("chkSelect_5"))->setChecked(false);
        f.find<QCheckBox>(QStringLiteral("chkRead_1"))->setChecked(true);
        f.find<QLineEdit>(QStringLiteral("txtAddr_3"))->setText(QStringLiteral("0042"));
        f.screen().close();
        const auto doc = torvik::config::ProfileDocument::load(f.settingsPath());
        auto read = [&doc](const char* section, const char* key) {
            return doc.getString(QString::fromLatin1(section), QString::fromLatin1(key), u"?", 99);
        };
        QCOMPARE(read("TAB1", "6"), QStringLiteral("False"));
        QCOMPARE(read("TAB1", "5"), QStringLiteral("True"));
        QCOMPARE(read("TAB1", "10"), QStringLiteral("True"));
        QCOMPARE(read("TAB3", "16"), QStringLiteral("42"));
        QCOMPARE(read("SERIALNO", "3"), QStringLiteral("1003"));
        QCOMPARE(read("SLAVEADDRESS", "8"), QStringLiteral("8"));
        QCOMPARE(read("SETTINGS", "Baudrate"), QStringLiteral("38400"));
        QCOMPARE(f.programEnds, 1);
        // Closing again (the registration screen's close reaches this one) changes nothing.
        QFile::remove(f.settingsPath());
        f.screen().close();
        QVERIFY(!QFile::exists(f.settingsPath()));
        QCOMPARE(f.programEnds, 1);
    }

    void controlsFromTheRealLibrary() {
        CommFixture f(0);
        QVERIFY(f.screen().controlsAvailable());
        // The status line names the Modbus rate and port of the settings.
        const QString line = f.find<QLabel>(QStringLiteral("lblMsgInfo"))->text();
        QCOMPARE(line, QStringLiteral("ボーレート  38400bps     通信ポート  2"));
    }

    void missingLibraryIsReportedOnTheMessageLines() {
        CommFixture f(0);
        f.registerLibrary(f.folder() + QStringLiteral("/nowhere/libtavrin.so"));
        frmComm& screen = f.screen();
        QVERIFY(!screen.controlsAvailable());
        for (const char* line : {"lblMsg", "lblMsgInfo", "lblMsgCustom", "lblMsgTest"}) {
            const QString text = f.find<QLabel>(QString::fromLatin1(line))->text();
            QVERIFY2(text.contains(QStringLiteral("nowhere/libtavrin.so")), qPrintable(text));
        }
        // The screen works; Start only says why nothing can run.
        auto* start = f.find<QPushButton>(QStringLiteral("cmdStart"));
        QVERIFY(start->isEnabled());
        f.find<QLabel>(QStringLiteral("lblMsg"))->clear();
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(
            f.find<QLabel>(QStringLiteral("lblMsg"))->text().contains(QStringLiteral("nowhere")));
        QVERIFY(f.messages.isEmpty());
    }
};

QTEST_MAIN(FrmCommScreenTest)
#include "FrmCommScreenTest.moc"
