// Moving between the three screens through the menus and buttons, the version box and help.
#include "ScreenFixture.h"
#include "config/Notices.h"
#include "config/ProgramValues.h"
#include "screens/HelpWindow.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"
#include "screens/frmVersion.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace torvik::screens;
using namespace torvik::screens::testing;
using torvik::mdlFileMgr::programValues;

namespace {

// The data of a test that runs once from each of the three screens.
void everyScreen() {
    QTest::addColumn<QString>("screen");
    QTest::newRow("registration") << "frmMain";
    QTest::newRow("settings") << "frmSetting";
    QTest::newRow("main") << "frmComm";
}

QWidget& screenNamed(ScreenSet& screens, const QString& name) {
    if (name == u"frmMain")
        return screens.main();
    if (name == u"frmSetting")
        return screens.setting();
    return screens.comm();
}

// Every caption, title, menu item, tab and list entry a screen shows.
QStringList shownTexts(const QWidget& screen) {
    QStringList texts{screen.windowTitle()};
    for (const QLabel* label : screen.findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : screen.findChildren<QAbstractButton*>())
        texts << button->text();
    for (const QGroupBox* frame : screen.findChildren<QGroupBox*>())
        texts << frame->title();
    for (const QMenu* menu : screen.findChildren<QMenu*>())
        texts << menu->title();
    for (const QAction* action : screen.findChildren<QAction*>())
        texts << action->text();
    for (const QTabWidget* tabs : screen.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    for (const QComboBox* list : screen.findChildren<QComboBox*>())
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    return texts;
}

// Only the given screen of the three is shown.
bool onlyShown(ScreenSet& screens, const QWidget& shown) {
    const QWidget* all[] = {&screens.main(), &screens.setting(), &screens.comm()};
    for (const QWidget* screen : all)
        if (screen->isVisible() != (screen == &shown))
            return false;
    return true;
}

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsEveryScreensContents();
    void closingFromAnyScreenWritesTheSettingsFile_data();
    void closingFromAnyScreenWritesTheSettingsFile();
    void initialiseEverythingFromAnyScreen_data();
    void initialiseEverythingFromAnyScreen();
    void everyTextFromTheShippedCatalogue_data();
    void everyTextFromTheShippedCatalogue();
    void versionBox_data();
    void versionBox();
    void help();
};

// registration -> main -> settings -> main -> registration, through the buttons and menus an
// operator uses; what was typed or ticked on each screen is still there when it comes back.
void NavigationTest::roundTripKeepsEveryScreensContents() {
    ScreenFixture f;
    ScreenSet& screens = f.screens();
    frmMain& main = screens.main();
    QVERIFY(ScreenFixture::showActive(main));
    main.move(140, 90);
    auto* serial = ScreenFixture::find<QLineEdit>(main, QStringLiteral("txtSerialNo_2"));
    serial->setText(QStringLiteral("31337"));

    // The registration screen's button writes its rows before it leaves.
    QTest::mouseClick(ScreenFixture::find<QPushButton>(main, QStringLiteral("cmdComm")),
                      Qt::LeftButton);
    frmComm& comm = screens.comm();
    QVERIFY(onlyShown(screens, comm));
    QCOMPARE(comm.pos(), main.pos());
    QCOMPARE(f.settingsFile().getString(u"SERIALNO", u"3", u"", 20), QStringLiteral("31337"));
    // Row 3 was "0" in the file: registered now, so it can be chosen on the measurement tab.
    auto* row2 = ScreenFixture::find<QCheckBox>(comm, QStringLiteral("chkSelect_2"));
    QVERIFY(row2->isEnabled());
    auto* noSync = ScreenFixture::find<QCheckBox>(comm, QStringLiteral("chkRead_1"));
    noSync->setChecked(true);
    auto* tabs = ScreenFixture::find<QTabWidget>(comm, QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(1);
    auto* cmbNo = ScreenFixture::find<QComboBox>(comm, QStringLiteral("cmbNo"));
    cmbNo->setCurrentIndex(2);
    const QByteArray written = f.settingsBytes();

    trigger(comm, "mnu_sif1"); // main -> settings: the choices go to the shared settings
    frmSetting& setting = screens.setting();
    QVERIFY(onlyShown(screens, setting));
    QCOMPARE(setting.pos(), main.pos());
    QVERIFY(programValues().tab1.chkRead[1]);
    QCOMPARE(programValues().tab2.cmbNo, 3);
    auto* txtWait = ScreenFixture::find<QLineEdit>(setting, QStringLiteral("txtWait"));
    txtWait->setText(QStringLiteral("250"));

    QTest::mouseClick(ScreenFixture::find<QPushButton>(setting, QStringLiteral("cmdComm")),
                      Qt::LeftButton); // settings -> main
    QVERIFY(onlyShown(screens, comm));
    QCOMPARE(programValues().setting.WaitTime, 250);
    QVERIFY(noSync->isChecked());
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(cmbNo->currentIndex(), 2);
    QVERIFY(row2->isEnabled());

    trigger(comm, "mnu_no1"); // main -> registration
    QVERIFY(onlyShown(screens, main));
    QCOMPARE(serial->text(), QStringLiteral("31337"));
    trigger(main, "mnu_sif1");
    QVERIFY(onlyShown(screens, setting));
    QCOMPARE(txtWait->text(), QStringLiteral("250"));
    // Only the registration screen's button wrote the file on the way.
    QCOMPARE(f.settingsBytes(), written);
    QCOMPARE(f.messages, QStringList());
}

void NavigationTest::closingFromAnyScreenWritesTheSettingsFile_data() {
    everyScreen();
}

// Whichever screen is closed, the file gets every screen's values, the main screen's tabs
// included once it has been opened, and the program ends once.
void NavigationTest::closingFromAnyScreenWritesTheSettingsFile() {
    QFETCH(QString, screen);
    ScreenFixture f;
    ScreenSet& screens = f.screens();
    frmMain& main = screens.main();
    QVERIFY(ScreenFixture::showActive(main));
    ScreenFixture::find<QLineEdit>(main, QStringLiteral("txtSerialNo_3"))
        ->setText(QStringLiteral("4242"));
    trigger(main, "mnu_tx1");
    frmComm& comm = screens.comm();
    ScreenFixture::find<QCheckBox>(comm, QStringLiteral("chkRead_2"))->setChecked(true);
    trigger(comm, "mnu_sif1");
    frmSetting& setting = screens.setting();
    ScreenFixture::find<QLineEdit>(setting, QStringLiteral("txtWait"))
        ->setText(QStringLiteral("250"));
    QWidget* closing = &setting;
    if (screen == u"frmMain") {
        trigger(setting, "mnu_no1");
        closing = &main;
    } else if (screen == u"frmComm") {
        trigger(setting, "mnu_tx1");
        closing = &comm;
    }
    QVERIFY(onlyShown(screens, *closing));
    QFile::remove(f.settingsPath());

    QVERIFY(closing->close());
    QCOMPARE(f.programEnds, 1);
    const auto file = f.settingsFile();
    QCOMPARE(file.getString(u"SERIALNO", u"4", u"", 20), QStringLiteral("4242"));
    QCOMPARE(file.getString(u"SETTINGS", u"WaitTime", u"", 20), QStringLiteral("250"));
    QCOMPARE(file.getString(u"TAB1", u"11", u"", 20), QStringLiteral("True"));
    QCOMPARE(f.messages, QStringList());
}

void NavigationTest::initialiseEverythingFromAnyScreen_data() {
    everyScreen();
}

// The same reset from every screen; only the registration screen leaves the main screen's
// communication-status line as it was.
void NavigationTest::initialiseEverythingFromAnyScreen() {
    QFETCH(QString, screen);
    ScreenFixture f;
    ScreenSet& screens = f.screens();
    QWidget* from = &screenNamed(screens, screen);
    QVERIFY(ScreenFixture::showActive(*from));
    frmComm& comm = screens.comm();
    auto* row0 = ScreenFixture::find<QCheckBox>(comm, QStringLiteral("chkSelect_0"));
    auto* status = ScreenFixture::find<QLabel>(comm, QStringLiteral("lblMsgInfo"));
    status->setText(QStringLiteral("before"));
    auto* txtWait = ScreenFixture::find<QLineEdit>(screens.setting(), QStringLiteral("txtWait"));
    txtWait->setText(QStringLiteral("250"));
    auto& values = programValues();
    values.commands.command[1] = QStringLiteral("from the file");

    trigger(*from, "mnu_i1_12");
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(screens.main().serialNumberText(k), QStringLiteral("0"));
        QCOMPARE(ScreenFixture::find<QLineEdit>(screens.main(),
                                                QStringLiteral("txtSlaveAddress_%1").arg(k))
                     ->text(),
                 QString::number(k + 1));
    }
    QCOMPARE(txtWait->text(), QStringLiteral("100"));
    QVERIFY(!row0->isEnabled());
    QVERIFY(!row0->isChecked());
    QCOMPARE(values.commands.command[1], QStringLiteral("SRB1"));
    QCOMPARE(status->text() == u"before", screen == u"frmMain");
    QVERIFY(from->isVisible()); // the command stays on its screen
    QCOMPARE(f.messages, QStringList());
}

void NavigationTest::everyTextFromTheShippedCatalogue_data() {
    QTest::addColumn<int>("variant");
    QTest::newRow("standard") << 0;
    QTest::newRow("-VELM") << 1;
    QTest::newRow("-ORB") << 2;
}

// A key the catalogue lacks shows "*****": the shipped catalogue leaves none on any screen.
void NavigationTest::everyTextFromTheShippedCatalogue() {
    QFETCH(int, variant);
    ScreenFixture f(static_cast<std::int16_t>(variant));
    ScreenSet& screens = f.screens();
    for (const QWidget* screen : std::initializer_list<const QWidget*>{
             &screens.main(), &screens.setting(), &screens.comm()}) {
        const QStringList missing = shownTexts(*screen).filter(QStringLiteral("*****"));
        QVERIFY2(missing.isEmpty(),
                 qPrintable(screen->objectName() + QStringLiteral(": ") + missing.join(u" | ")));
    }
}

void NavigationTest::versionBox_data() {
    everyScreen();
}

void NavigationTest::versionBox() {
    QFETCH(QString, screen);
    ScreenFixture f;
    QWidget& from = screenNamed(f.screens(), screen);
    QVERIFY(ScreenFixture::showActive(from));
    from.move(200, 150);
    QPoint shownAt;
    QString version;
    QString title;
    bool closedByClick = false;
    QTimer::singleShot(0, &from, [&] {
        auto* box = qobject_cast<frmVersion*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shownAt = box->pos();
        title = box->windowTitle();
        version = box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
        QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("lblTitle")), Qt::LeftButton);
        closedByClick = !box->isVisible();
    });
    trigger(from, "mnu_v1");
    QVERIFY(closedByClick);
    // 1200 and 1600 twips right of and below the screen's corner, 15 twips to the pixel.
    QCOMPARE(shownAt, from.pos() + QPoint(80, 107));
    QCOMPARE(title, QStringLiteral("バージョン情報"));
    QCOMPARE(version, QStringLiteral("Ver 2.01"));
}

void NavigationTest::help() {
    ScreenFixture f;
    frmMain& main = f.screens().main();
    QVERIFY(ScreenFixture::showActive(main));
    trigger(main, "mnu_h1");
    HelpWindow* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<HelpWindow*>(top); help && help->isVisible())
            window = help;
    QVERIFY(window);
    auto* text = window->findChild<QTextBrowser*>(QStringLiteral("helpText"));
    QVERIFY(text->toPlainText().contains(QStringLiteral("目次")));
    QCOMPARE(text->source(), QUrl::fromLocalFile(HelpWindow::documentPath(f.folder())));

    // A missing document is said in the window itself, in the catalogue's words.
    window->close();
    QFile::remove(HelpWindow::documentPath(f.folder()));
    trigger(f.screens().setting(), "mnu_h1");
    QVERIFY(window->isVisible());
    QCOMPARE(text->toPlainText(),
             torvik::config::noticeText(torvik::config::Notice::HelpDocumentMissing)
                 .arg(HelpWindow::documentPath(f.folder())));
    window->close();
    trigger(f.screens().comm(), "mnu_h1");
    QVERIFY(window->isVisible());
    QCOMPARE(f.messages, QStringList());
}

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
