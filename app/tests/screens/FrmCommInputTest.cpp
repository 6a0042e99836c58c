// The input rules of the main screen's tabs, driven through the real widgets: selection and
// option boxes (also when set from code), the format rule of the custom rows, the address,
// wait-time and coefficient fields, Clear, Stop with its one-second lock, and saving.
#include "ScreenFixture.h"
#include "config/ProgramValues.h"
#include "screens/frmComm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using torvik::mdlFileMgr::programValues;
using torvik::screens::frmComm;
using namespace torvik::screens::testing;

class FrmCommInputTest : public QObject {
    Q_OBJECT

private slots:
    void selectionBoxesByClickAndFromCode() {
        CommFixture f(2);
        frmComm& screen = f.screen();
        auto* start = f.find<QPushButton>(QStringLiteral("cmdStart"));
        auto* manual = f.find<QPushButton>(QStringLiteral("cmdManual"));
        auto* data0 = f.find<QLineEdit>(QStringLiteral("txtData_0"));
        // Registered rows 0, 2, 4..7 are ticked from the settings; rows 1 and 3 are not.
        data0->setText(QStringLiteral("12.34"));
        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("chkSelect_4")), Qt::LeftButton);
        QCOMPARE(screen.runState().selection, (std::vector<std::int16_t>{0, 2, 5, 6, 7}));
        QCOMPARE(screen.runState().lastListed, std::int16_t{7});
        QCOMPARE(data0->text(), QString()); // every row's value is emptied, ticked or not
        QVERIFY(start->isEnabled());

        for (int k : {0, 2, 5, 6, 7})
            f.find<QCheckBox>(indexedName("chkSelect", k))->setChecked(false);
        QVERIFY(screen.runState().selection.empty());
        QVERIFY(!start->isEnabled());
        QVERIFY(!manual->isEnabled());
        f.find<QCheckBox>(QStringLiteral("chkSelect_6"))->setChecked(true);
        QVERIFY(start->isEnabled());
        QVERIFY(manual->isEnabled());
        QCOMPARE(screen.runState().selection, (std::vector<std::int16_t>{6}));
    }

    void singleShotLocksManualAssignment_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("single");
        QTest::addColumn<QString>("manual");
        QTest::addColumn<QString>("assign");
        QTest::newRow("measurement") << 0 << "chkRead_0"
                                     << "chkRead_3"
                                     << "cmdManual";
        QTest::newRow("information") << 1 << "chkReadInfo_0"
                                     << "chkReadInfo_1"
                                     << "cmdManualInfo";
        QTest::newRow("custom") << 2 << "chkReadCustom_0"
                                << "chkReadCustom_1"
                                << "cmdManualCustom";
    }

    void singleShotLocksManualAssignment() {
        QFETCH(int, tab);
        QFETCH(QString, single);
        QFETCH(QString, manual);
        QFETCH(QString, assign);
        CommFixture f(2);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(tab);
        auto* singleBox = f.find<QCheckBox>(single);
        auto* manualBox = f.find<QCheckBox>(manual);
        auto* assignButton = f.find<QPushButton>(assign);
        QVERIFY(assignButton->isHidden());

        QTest::mouseClick(singleBox, Qt::LeftButton);
        QVERIFY(manualBox->isChecked());
        QVERIFY(!manualBox->isEnabled());
        QVERIFY(!assignButton->isHidden()); // the manual tick shows the assign button

        singleBox->setChecked(false); // from code: the same rule
        QVERIFY(!manualBox->isChecked());
        QVERIFY(manualBox->isEnabled());
        QVERIFY(assignButton->isHidden());
    }

    void measurementOptions() {
        CommFixture f(0);
        auto* noSync = f.find<QCheckBox>(QStringLiteral("chkRead_1"));
        noSync->setChecked(true);
        QVERIFY(programValues().tab1.chkRead[1]); // stored at once
        QVERIFY(!programValues().tab1.chkRead[2]);

        f.find<QCheckBox>(QStringLiteral("chkRead_2"))->setChecked(true);
        QVERIFY(!f.find<QLabel>(QStringLiteral("lblStatus"))->isHidden());
        for (int k = 0; k < 4; ++k)
            QVERIFY(!f.find<QLineEdit>(indexedName("txtStatus", k))->isHidden());
        // Rows beyond the variant's stay hidden.
        QVERIFY(f.find<QLineEdit>(QStringLiteral("txtStatus_4"))->isHidden());
    }

    void testLinkOptionsAndLists() {
        CommFixture f(1);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
        auto& tab4 = programValues().tab4;
        f.find<QCheckBox>(QStringLiteral("chkStatus"))->setChecked(false);
        QCOMPARE(tab4.registerCount, std::int16_t{2});
        f.find<QCheckBox>(QStringLiteral("chkStatus"))->setChecked(true);
        QCOMPARE(tab4.registerCount, std::int16_t{3});
        f.find<QCheckBox>(QStringLiteral("chkSync"))->setChecked(false);
        QVERIFY(!tab4.chkSync);

        f.find<QLineEdit>(QStringLiteral("txtSendData"))->setText(QStringLiteral("+1.0"));
        f.find<QComboBox>(QStringLiteral("cmbNoTest"))->setCurrentIndex(3);
        QCOMPARE(tab4.cmbNoTest, 3);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtSendData"))->text(), QString());
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cmbNoTest"))->count(), 4);

        f.find<QComboBox>(QStringLiteral("cmbCom"))->setCurrentIndex(6);
        QCOMPARE(tab4.cmbCom, 7);
        QVERIFY(
            f.find<QLabel>(QStringLiteral("lblComProt"))->text().endsWith(QStringLiteral("  7")));
        auto* polarity = f.find<QComboBox>(QStringLiteral("cmbPolarity"));
        polarity->setCurrentIndex(2);
        QCOMPARE(tab4.cmbPolarity, 2);
        QCOMPARE(polarity->toolTip(), polarity->itemText(2));
        f.find<QComboBox>(QStringLiteral("cmbDec"))->setCurrentIndex(3);
        QCOMPARE(tab4.cmbDec, 3);
    }

    void formatRuleOfTheCustomRows_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("enabled"); // hexadecimal, real, integer, ASCII
        QTest::addColumn<bool>("hexadecimal");
        // A real needs two or four registers, an integer at most four; hexadecimal and ASCII
        // take up to twenty; bits have no format.
        QTest::newRow("holding 2") << 3 << "2"
                                   << "1111" << true;
        QTest::newRow("holding 4") << 3 << "4"
                                   << "1111" << true;
        QTest::newRow("input 1") << 2 << "1"
                                 << "1011" << true;
        QTest::newRow("input 3") << 2 << "3"
                                 << "1011" << true;
        QTest::newRow("holding 7") << 3 << "7"
                                   << "1001" << true;
        QTest::newRow("holding 20") << 3 << "20"
                                    << "1001" << true;
        QTest::newRow("coil status") << 0 << "2"
                                     << "0000" << false;
        QTest::newRow("input status") << 1 << "7"
                                      << "0000" << false;
    }

    void formatRuleOfTheCustomRows() {
        QFETCH(int, kind);
        QFETCH(QString, length);
        QFETCH(QString, enabled);
        QFETCH(bool, hexadecimal);
        CommFixture f(2);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        auto* len = f.find<QComboBox>(QStringLiteral("cmbLen_1"));
        len->setCurrentIndex(-1); // so that choosing the length below is a change
        f.find<QRadioButton>(QStringLiteral("optFormat_7"))->setChecked(true); // row 1: ASCII
        f.find<QComboBox>(QStringLiteral("cmbMem_1"))->setCurrentIndex(kind);
        len->setCurrentIndex(len->findText(length));
        for (int k = 0; k < 4; ++k) {
            auto* option = f.find<QRadioButton>(indexedName("optFormat", 4 + k));
            QCOMPARE(option->isEnabled(), enabled.at(k) == QLatin1Char('1'));
            QCOMPARE(option->isChecked(), k == 0 && hexadecimal);
        }
        // The other rows are not touched.
        QVERIFY(f.find<QRadioButton>(QStringLiteral("optFormat_0"))->isChecked());
    }

    void addressField() {
        CommFixture f(2);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        auto* row0 = f.find<QLineEdit>(QStringLiteral("txtAddr_0"));
        auto* row1 = f.find<QLineEdit>(QStringLiteral("txtAddr_1"));
        auto* row3 = f.find<QLineEdit>(QStringLiteral("txtAddr_3"));
        f.find<QRadioButton>(QStringLiteral("optFormat_5"))->setChecked(true);

        typeInto(*row1, QStringLiteral("12"));
        // A change on a register row selects hexadecimal.
        QVERIFY(f.find<QRadioButton>(QStringLiteral("optFormat_4"))->isChecked());
        QTest::keyClick(row1, Qt::Key_Up);
        QVERIFY(row0->hasFocus());
        QCOMPARE(row1->text(), QStringLiteral("0012")); // reformatted on leaving
        QTest::keyClick(row0, Qt::Key_Up);
        QVERIFY(row0->hasFocus());
        row3->setFocus();
        QTest::keyClick(row3, Qt::Key_Down);
        QVERIFY(row3->hasFocus());
        QTest::keyClick(row3, Qt::Key_Up);
        QVERIFY(f.find<QLineEdit>(QStringLiteral("txtAddr_2"))->hasFocus());
        // Enter moves on to the next field.
        QTest::keyClick(f.find<QLineEdit>(QStringLiteral("txtAddr_2")), Qt::Key_Return);
        QVERIFY(!f.find<QLineEdit>(QStringLiteral("txtAddr_2"))->hasFocus());
    }

    void waitTimeField() {
        CommFixture f(1);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
        auto* wait = f.find<QLineEdit>(QStringLiteral("txtWaitTime"));
        typeInto(*wait, QStringLiteral("5a0-0.0"));
        QCOMPARE(wait->text(), QStringLiteral("5000")); // only digits get in
        QCOMPARE(programValues().tab4.txtWaitTime, 5000);
        QTest::keyClick(wait, Qt::Key_Return);
        QVERIFY(!wait->hasFocus());
        QCOMPARE(wait->text(), QStringLiteral("3000"));
        QCOMPARE(programValues().tab4.txtWaitTime, 3000);
        QVERIFY(f.messages.isEmpty());

        // Emptying the field is reported and the focus stays; nothing is stored.
        typeInto(*wait, QString());
        QTest::keyClick(wait, Qt::Key_Backspace);
        QCOMPARE(f.messages, QStringList{programValues().messages[5]});
        QVERIFY(!f.messages.first().isEmpty());
        QVERIFY(wait->hasFocus());
        QCOMPARE(programValues().tab4.txtWaitTime, 3000);
    }

    void coefficientField_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        QTest::newRow("in range") << "1.25"
                                  << "1.25" << 1.25f;
        QTest::newRow("zero is raised to the least") << "0"
                                                     << "0.000001" << 0.000001f;
        QTest::newRow("too large falls back to one") << "2000000"
                                                     << "1.0" << 1.0f;
        QTest::newRow("letters are dropped") << "2x.5e"
                                             << "2.5" << 2.5f;
    }

    void coefficientField() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(float, stored);
        CommFixture f(1);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
        auto* cc = f.find<QLineEdit>(QStringLiteral("txtCC"));
        typeInto(*cc, keys);
        f.find<QLineEdit>(QStringLiteral("txtWaitTime"))->setFocus();
        QCOMPARE(cc->text(), shown);
        QCOMPARE(programValues().tab4.txtCC, stored);
        QVERIFY(f.messages.isEmpty());
    }

    void clearButtons_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("counters");
        QTest::newRow("measurement")
            << 0 << "cmdClear" << QStringList{"txtCount_0", "txtCount_7", "txtOK", "txtError"};
        QTest::newRow("information")
            << 1 << "cmdClearInfo"
            << QStringList{"txtCountInfo_0", "txtCountInfo_7", "txtOKInfo", "txtErrorInfo"};
        QTest::newRow("custom") << 2 << "cmdClearCustom"
                                << QStringList{"txtCountCustom_0", "txtCountCustom_3",
                                               "txtOKCustom", "txtErrorCustom"};
        QTest::newRow("test") << 3 << "cmdClearTest" << QStringList{"txtOKTest", "txtErrorTest"};
    }

    void clearButtons() {
        QFETCH(int, tab);
        QFETCH(QString, button);
        QFETCH(QStringList, counters);
        CommFixture f(2);
        auto* tabs = f.find<QTabWidget>(QStringLiteral("SSTab1"));
        tabs->setTabVisible(3, true);
        tabs->setCurrentIndex(tab);
        for (const QString& counter : counters)
            f.find<QLineEdit>(counter)->setText(QStringLiteral("17"));
        QTest::mouseClick(f.find<QPushButton>(button), Qt::LeftButton);
        for (const QString& counter : counters)
            QCOMPARE(f.find<QLineEdit>(counter)->text(), QStringLiteral("0"));
    }

    void stopLocksTheWindowForASecond() {
        CommFixture f(0);
        frmComm& screen = f.screen();
        auto* tabs = f.find<QTabWidget>(QStringLiteral("SSTab1"));
        auto* start = f.find<QPushButton>(QStringLiteral("cmdStart"));
        auto* stop = f.find<QPushButton>(QStringLiteral("cmdStop"));
        auto* save = f.find<QPushButton>(QStringLiteral("cmdSave"));
        // The state a running measurement leaves the screen in.
        start->setEnabled(false);
        stop->setEnabled(true);
        save->show();
        tabs->setTabEnabled(1, false);
        f.find<QMenu>(QStringLiteral("mnu_set1"))->menuAction()->setEnabled(false);
        f.find<QCheckBox>(QStringLiteral("chkSelect_0"))->setEnabled(false);

        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(screen.runState().stop);
        QVERIFY(!screen.isEnabled());
        QVERIFY(!stop->isEnabled());
        QVERIFY(!start->isEnabled());
        QVERIFY(save->isHidden());
        QVERIFY(tabs->isTabEnabled(1));
        QVERIFY(f.find<QMenu>(QStringLiteral("mnu_set1"))->menuAction()->isEnabled());
        QVERIFY(f.find<QCheckBox>(QStringLiteral("chkSelect_0"))->isEnabledTo(&screen));
        // Passing through the save switch on the way leaves the next start to show the start
        // caption again; Start comes back with the window.
        QTRY_VERIFY_WITH_TIMEOUT(screen.isEnabled(), 5000);
        QVERIFY(start->isEnabled());
    }

    void stopWithNothingSelectedLeavesStartOff() {
        CommFixture f(2);
        f.find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
        for (int r = 0; r < 4; ++r)
            f.find<QCheckBox>(indexedName("chkSelectCustom", r))->setChecked(false);
        auto* stop = f.find<QPushButton>(QStringLiteral("cmdStopCustom"));
        stop->setEnabled(true);
        QTest::mouseClick(stop, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.screen().isEnabled(), 5000);
        QVERIFY(!f.find<QPushButton>(QStringLiteral("cmdStartCustom"))->isEnabled());
    }

    void saveButtonSwitchesCaptions() {
        CommFixture f(0);
        const auto& kept = programValues().kept;
        auto* save = f.find<QPushButton>(QStringLiteral("cmdSave"));
        auto* ram = f.find<QLabel>(QStringLiteral("lblRAM"));
        QCOMPARE(save->text(), kept.cmdSave);
        save->click();
        QCOMPARE(save->text(), kept.cmdSaveAlternate);
        QVERIFY(!ram->isHidden());
        QVERIFY(f.screen().runState().firstRecord);
        save->click();
        QCOMPARE(save->text(), kept.cmdSave);
        QVERIFY(ram->isHidden());
    }
};

QTEST_MAIN(FrmCommInputTest)
#include "FrmCommInputTest.moc"
