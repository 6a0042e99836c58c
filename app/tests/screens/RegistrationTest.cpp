// The registration screen driven through its real boxes, button and menus.
#include "ScreenFixture.h"
#include "config/ProgramValues.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace torvik::screens;
using namespace torvik::screens::testing;
using torvik::mdlFileMgr::programValues;

namespace {

// Message-table slots of MESSAGE keys 3, 4, 5 and 11 (the catalogue's slot table).
constexpr std::size_t kSerialNoInvalid = 2;
constexpr std::size_t kSlaveAddressInvalid = 3;
constexpr std::size_t kSerialNoTwice = 4;
constexpr std::size_t kSlaveAddressTwice = 12;

QLineEdit* serialBox(const frmMain& screen, int row) {
    return ScreenFixture::find<QLineEdit>(screen, QStringLiteral("txtSerialNo_%1").arg(row));
}
QLineEdit* addressBox(const frmMain& screen, int row) {
    return ScreenFixture::find<QLineEdit>(screen, QStringLiteral("txtSlaveAddress_%1").arg(row));
}

void clickComm(frmMain& screen) {
    QTest::mouseClick(ScreenFixture::find<QPushButton>(screen, QStringLiteral("cmdComm")),
                      Qt::LeftButton);
}

} // namespace

class RegistrationTest : public QObject {
    Q_OBJECT
private slots:
    void rowsShownByVariant_data();
    void rowsShownByVariant();
    void loadsStoredRows();
    void checkBeforeLeaving_data();
    void checkBeforeLeaving();
    void leavingABox_data();
    void leavingABox();
    void serialOutOfRangeAgainAtTheButton();
    void keysOfTheBoxes();
    void newSerialNumberSelectsTheRow();
    void initialiseCommands();
    void closing();
};

void RegistrationTest::rowsShownByVariant_data() {
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("guide");
    QTest::newRow("standard") << 0 << 4 << true;
    QTest::newRow("-VELM") << 1 << 4 << true;
    QTest::newRow("-ORB") << 2 << 8 << false;
}

void RegistrationTest::rowsShownByVariant() {
    QFETCH(int, variant);
    QFETCH(int, rows);
    QFETCH(bool, guide);
    ScreenFixture f(static_cast<std::int16_t>(variant));
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    for (int k = 0; k < 8; ++k) {
        const bool shown = k < rows;
        QCOMPARE(serialBox(screen, k)->isVisible(), shown);
        QCOMPARE(addressBox(screen, k)->isVisible(), shown);
        QCOMPARE(
            ScreenFixture::find<QLabel>(screen, QStringLiteral("lblNo_%1").arg(k + 1))->isVisible(),
            shown);
    }
    QCOMPARE(ScreenFixture::find<QLabel>(screen, QStringLiteral("lblGuide"))->isVisible(), guide);
}

void RegistrationTest::loadsStoredRows() {
    ScreenFixture f(2);
    frmMain& screen = f.screens().main();
    QCOMPARE(serialBox(screen, 0)->text(), QStringLiteral("1001"));
    QCOMPARE(serialBox(screen, 4)->text(), QStringLiteral("1005"));
    QCOMPARE(addressBox(screen, 7)->text(), QStringLiteral("8"));
    // The catalogue's texts: window title and column headings.
    QCOMPARE(screen.windowTitle(), QStringLiteral("シリアル番号設定とSAdrsの設定"));
    QCOMPARE(ScreenFixture::find<QLabel>(screen, QStringLiteral("lblSlaveAddress"))->text(),
             QStringLiteral("スレーブアドレス"));
}

// Four rows (the standard program). Expected messages and focus follow the check's order:
// serial numbers (numeric, range, pairs), then slave addresses (numeric, range, pairs).
void RegistrationTest::checkBeforeLeaving_data() {
    QTest::addColumn<QStringList>("serials");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<int>("slot"); // -1: passes
    QTest::addColumn<QString>("focus");
    const QStringList a1234{"1", "2", "3", "4"};
    QTest::newRow("all rows 0") << QStringList{"0", "0", "0", "0"} << a1234 << -1 << QString();
    QTest::newRow("limits pass") << QStringList{"4294967295", "1", "0", "0"}
                                 << QStringList{"247", "1", "2", "3"} << -1 << QString();
    QTest::newRow("empty serial") << QStringList{"1", "", "0", "0"} << a1234
                                  << int(kSerialNoInvalid) << "txtSerialNo_1";
    QTest::newRow("serial above 32 bits") << QStringList{"1", "0", "4294967296", "0"} << a1234
                                          << int(kSerialNoInvalid) << "txtSerialNo_2";
    QTest::newRow("same serial twice, focus on the first")
        << QStringList{"0", "77", "5", "77"} << a1234 << int(kSerialNoTwice) << "txtSerialNo_1";
    QTest::newRow("same serial with leading zeros")
        << QStringList{"0000000007", "0", "7", "0"} << a1234 << int(kSerialNoTwice)
        << "txtSerialNo_0";
    QTest::newRow("address 0") << QStringList{"1", "0", "0", "0"} << QStringList{"0", "2", "3", "4"}
                               << int(kSlaveAddressInvalid) << "txtSlaveAddress_0";
    QTest::newRow("address 248") << QStringList{"1", "0", "0", "0"}
                                 << QStringList{"1", "2", "3", "248"} << int(kSlaveAddressInvalid)
                                 << "txtSlaveAddress_3";
    QTest::newRow("address 5 twice, even on rows without a cell")
        << QStringList{"0", "0", "0", "0"} << QStringList{"1", "5", "3", "5"}
        << int(kSlaveAddressTwice) << "txtSlaveAddress_1";
    QTest::newRow("07 and 7 are one address")
        << QStringList{"1", "2", "0", "0"} << QStringList{"07", "7", "3", "4"}
        << int(kSlaveAddressTwice) << "txtSlaveAddress_0";
}

void RegistrationTest::checkBeforeLeaving() {
    QFETCH(QStringList, serials);
    QFETCH(QStringList, addresses);
    QFETCH(int, slot);
    QFETCH(QString, focus);
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    for (int k = 0; k < 4; ++k) {
        serialBox(screen, k)->setText(serials[k]);
        addressBox(screen, k)->setText(addresses[k]);
    }
    const QByteArray before = f.settingsBytes();
    clickComm(screen);
    if (slot < 0) {
        QCOMPARE(f.messages, QStringList());
        QVERIFY(!screen.isVisible());
        QVERIFY(f.screens().comm().isVisible());
        QCOMPARE(programValues().serialNo[0], serials[0]);
        QCOMPARE(programValues().slaveAddress[0], addresses[0].toShort());
        // The button writes the registered rows to the settings file.
        QCOMPARE(f.settingsFile().getString(u"SERIALNO", u"1", u"", 20), serials[0]);
        QCOMPARE(f.settingsFile().getString(u"SLAVEADDRESS", u"4", u"", 20), addresses[3]);
        return;
    }
    QCOMPARE(f.messages, QStringList{ScreenFixture::slot(static_cast<std::size_t>(slot))});
    QVERIFY(screen.isVisible());
    QVERIFY(!f.screens().hasComm() || !f.screens().comm().isVisible());
    QCOMPARE(screen.focusWidget()->objectName(), focus);
    QCOMPARE(f.settingsBytes(), before); // nothing written
    QCOMPARE(programValues().serialNo[0], QStringLiteral("1001"));
}

void RegistrationTest::leavingABox_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("slot"); // -1: accepted, the focus moves on
    QTest::newRow("007 becomes 7") << "txtSlaveAddress_1"
                                   << "007"
                                   << "7" << -1;
    QTest::newRow("address 1") << "txtSlaveAddress_1"
                               << "1"
                               << "1" << -1;
    QTest::newRow("address 247") << "txtSlaveAddress_1"
                                 << "247"
                                 << "247" << -1;
    QTest::newRow("address 0") << "txtSlaveAddress_1"
                               << "0"
                               << "0" << int(kSlaveAddressInvalid);
    QTest::newRow("address 248") << "txtSlaveAddress_1"
                                 << "248"
                                 << "248" << int(kSlaveAddressInvalid);
    QTest::newRow("empty address") << "txtSlaveAddress_1"
                                   << ""
                                   << "" << int(kSlaveAddressInvalid);
    QTest::newRow("serial 0") << "txtSerialNo_1"
                              << "0"
                              << "0" << -1;
    QTest::newRow("serial above 32 bits") << "txtSerialNo_1"
                                          << "4294967296"
                                          << "4294967296" << int(kSerialNoInvalid);
    QTest::newRow("empty serial") << "txtSerialNo_1"
                                  << ""
                                  << "" << int(kSerialNoInvalid);
}

void RegistrationTest::leavingABox() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(int, slot);
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    auto* edit = ScreenFixture::find<QLineEdit>(screen, box);
    edit->setFocus(Qt::TabFocusReason);
    if (keys.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace); // the whole text is selected on entry
    else
        QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(edit->text(), shown);
    if (slot < 0) {
        QCOMPARE(f.messages, QStringList());
        QVERIFY(screen.focusWidget() != edit);
    } else {
        QCOMPARE(f.messages, QStringList{ScreenFixture::slot(static_cast<std::size_t>(slot))});
        QCOMPARE(screen.focusWidget(), edit);
    }
}

void RegistrationTest::serialOutOfRangeAgainAtTheButton() {
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    typeAndLeave(*serialBox(screen, 2), QStringLiteral("4294967296"));
    QCOMPARE(f.messages.size(), 1);
    clickComm(screen);
    QCOMPARE(f.messages, QStringList(2, ScreenFixture::slot(kSerialNoInvalid)));
    QVERIFY(screen.isVisible());
    QCOMPARE(screen.focusWidget(), serialBox(screen, 2));
}

void RegistrationTest::keysOfTheBoxes() {
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    QLineEdit* serial = serialBox(screen, 1);
    serial->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(serial, QStringLiteral("1a2-b.3 "));
    QCOMPARE(serial->text(), QStringLiteral("123"));
    QTest::keyClick(serial, Qt::Key_Backspace);
    QCOMPARE(serial->text(), QStringLiteral("12"));
    // Enter goes on to the row's address, then to the next row.
    QTest::keyClick(serial, Qt::Key_Return);
    QCOMPARE(screen.focusWidget(), addressBox(screen, 1));
    QCOMPARE(addressBox(screen, 1)->selectedText(), QStringLiteral("2"));
    QTest::keyClicks(addressBox(screen, 1), QStringLiteral("x9"));
    QCOMPARE(addressBox(screen, 1)->text(), QStringLiteral("9"));
    QTest::keyClick(addressBox(screen, 1), Qt::Key_Enter);
    QCOMPARE(screen.focusWidget(), serialBox(screen, 2));
    QCOMPARE(f.messages, QStringList());
}

void RegistrationTest::newSerialNumberSelectsTheRow() {
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    auto& selected = programValues().tab1.chkSelect;
    QVERIFY(!selected[2]);
    typeAndLeave(*serialBox(screen, 2), QStringLiteral("4711"));
    QVERIFY(selected[2]);
    // Back to "0": the row stays ticked (the main screen unticks it when it next activates).
    typeAndLeave(*serialBox(screen, 2), QStringLiteral("0"));
    QVERIFY(selected[2]);
    // Leaving a box unchanged ticks nothing.
    QVERIFY(!selected[3]);
    serialBox(screen, 3)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(serialBox(screen, 3), Qt::Key_Tab);
    QVERIFY(!selected[3]);
}

void RegistrationTest::initialiseCommands() {
    ScreenFixture f(2);
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));
    auto& values = programValues();
    values.commands.command[11] = QStringLiteral("kept");
    values.commands.command[0] = QStringLiteral("from the file");

    ScreenFixture::find<QAction>(screen, QStringLiteral("mnu_i1_11"))->trigger();
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(serialBox(screen, k)->text(), QStringLiteral("0"));
        QCOMPARE(addressBox(screen, k)->text(), QString::number(k + 1));
    }
    QCOMPARE(values.commands.command[0], QStringLiteral("from the file")); // this screen only

    serialBox(screen, 0)->setText(QStringLiteral("99"));
    values.setting.Baudrate = 1200;
    ScreenFixture::find<QAction>(screen, QStringLiteral("mnu_i1_12"))->trigger();
    QCOMPARE(serialBox(screen, 0)->text(), QStringLiteral("0"));
    // The settings screen's defaults and the built-in command table, entry 11 untouched.
    QCOMPARE(values.setting.Baudrate, 38400);
    QCOMPARE(values.setting.BPS300, false);
    QCOMPARE(values.setting.CommData, 100);
    QCOMPARE(values.setting.FileName, QStringLiteral("DLC_"));
    QCOMPARE(values.setting.DirName, f.folder() + QStringLiteral("/Data/"));
    QCOMPARE(values.commands.command[0], QStringLiteral("MSV?33,1,0"));
    QCOMPARE(values.commands.command[11], QStringLiteral("kept"));
    QVERIFY(screen.isVisible()); // the command stays on this screen
    QCOMPARE(f.messages, QStringList());
}

void RegistrationTest::closing() {
    ScreenFixture f;
    frmMain& screen = f.screens().main();
    QVERIFY(ScreenFixture::showActive(screen));

    // Refused while the rows fail their check: the window stays, nothing is written.
    addressBox(screen, 1)->setText(QStringLiteral("1"));
    const QByteArray before = f.settingsBytes();
    QVERIFY(!screen.close());
    QVERIFY(screen.isVisible());
    QCOMPARE(f.messages, QStringList{ScreenFixture::slot(kSlaveAddressTwice)});
    QCOMPARE(screen.focusWidget(), addressBox(screen, 0));
    QCOMPARE(f.settingsBytes(), before);
    QCOMPARE(f.programEnds, 0);

    addressBox(screen, 1)->setText(QStringLiteral("12"));
    serialBox(screen, 3)->setText(QStringLiteral("0000000042"));
    programValues().setting.TimeOut = 750;
    QVERIFY(screen.close());
    QCOMPARE(f.programEnds, 1);
    const auto file = f.settingsFile();
    QCOMPARE(file.getString(u"SERIALNO", u"4", u"", 20), QStringLiteral("0000000042"));
    QCOMPARE(file.getString(u"SLAVEADDRESS", u"2", u"", 20), QStringLiteral("12"));
    QCOMPARE(file.getString(u"SETTINGS", u"TimeOut", u"", 20), QStringLiteral("750"));
    QCOMPARE(file.getString(u"TAB1", u"1", u"", 20), QStringLiteral("False"));
    QCOMPARE(programValues().slaveAddress[1], 12);
}

QTEST_MAIN(RegistrationTest)
#include "RegistrationTest.moc"
