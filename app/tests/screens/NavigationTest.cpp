// Moving between the three screens through the menus and buttons, the version box and help.
#include "ScreenFixture.h"
#include "config/ProgramValues.h"
#include "screens/HelpWindow.h"
#include "screens/Placement.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"
#include "screens/frmVersion.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace torvik::screens;
using namespace torvik::screens::testing;
using torvik::mdlFileMgr::programValues;

namespace {

void trigger(const QWidget& screen, const char* item) {
    ScreenFixture::find<QAction>(screen, QString::fromLatin1(item))->trigger();
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
    void betweenTheScreensKeepingTheirContents();
    void initialiseEverythingFromTheSettingsScreen();
    void versionBox_data();
    void versionBox();
    void help();
};

void NavigationTest::betweenTheScreensKeepingTheirContents() {
    ScreenFixture f;
    ScreenSet& screens = f.screens();
    frmMain& main = screens.main();
    QVERIFY(ScreenFixture::showActive(main));
    main.move(140, 90);
    auto* serial = ScreenFixture::find<QLineEdit>(main, QStringLiteral("txtSerialNo_2"));
    serial->setText(QStringLiteral("31337"));
    const QByteArray before = f.settingsBytes();

    trigger(main, "mnu_sif1"); // registration -> settings: the file is not written
    frmSetting& setting = screens.setting();
    QVERIFY(onlyShown(screens, setting));
    QCOMPARE(setting.pos(), main.pos());
    QCOMPARE(f.settingsBytes(), before);
    QCOMPARE(programValues().serialNo[2], QStringLiteral("31337"));
    auto* txtWait = ScreenFixture::find<QLineEdit>(setting, QStringLiteral("txtWait"));
    txtWait->setText(QStringLiteral("250"));

    trigger(setting, "mnu_no1"); // settings -> registration
    QVERIFY(onlyShown(screens, main));
    QCOMPARE(serial->text(), QStringLiteral("31337"));

    trigger(main, "mnu_tx1"); // registration -> main screen, file still untouched
    QVERIFY(onlyShown(screens, screens.comm()));
    QCOMPARE(f.settingsBytes(), before);

    switchScreen(screens.comm(), setting); // as the main screen's menu does
    QVERIFY(onlyShown(screens, setting));
    QCOMPARE(txtWait->text(), QStringLiteral("250"));
    QTest::mouseClick(ScreenFixture::find<QPushButton>(setting, QStringLiteral("cmdComm")),
                      Qt::LeftButton);
    QVERIFY(onlyShown(screens, screens.comm()));
    QCOMPARE(programValues().setting.WaitTime, 250);

    // The registration screen's button writes its rows.
    switchScreen(screens.comm(), main);
    QVERIFY(onlyShown(screens, main));
    QTest::mouseClick(ScreenFixture::find<QPushButton>(main, QStringLiteral("cmdComm")),
                      Qt::LeftButton);
    QVERIFY(onlyShown(screens, screens.comm()));
    QCOMPARE(f.settingsFile().getString(u"SERIALNO", u"3", u"", 20), QStringLiteral("31337"));
    QCOMPARE(f.messages, QStringList());
}

void NavigationTest::initialiseEverythingFromTheSettingsScreen() {
    ScreenFixture f;
    frmSetting& setting = f.screens().setting();
    QVERIFY(ScreenFixture::showActive(setting));
    auto& values = programValues();
    values.commands.command[1] = QStringLiteral("from the file");
    trigger(setting, "mnu_i1_12");
    const frmMain& main = f.screens().main();
    for (int k = 0; k < 4; ++k)
        QCOMPARE(main.serialNumberText(k), QStringLiteral("0"));
    QCOMPARE(values.commands.command[1], QStringLiteral("SRB1"));
    QCOMPARE(values.setting.TimeOut, 500);
    QVERIFY(setting.isVisible());
    QVERIFY(!main.isVisible());
    QCOMPARE(f.messages, QStringList());
}

void NavigationTest::versionBox_data() {
    QTest::addColumn<QString>("screen");
    QTest::newRow("registration") << "frmMain";
    QTest::newRow("settings") << "frmSetting";
}

void NavigationTest::versionBox() {
    QFETCH(QString, screen);
    ScreenFixture f;
    QWidget& from = screen == u"frmMain" ? static_cast<QWidget&>(f.screens().main())
                                         : static_cast<QWidget&>(f.screens().setting());
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

    // A missing document is said in the window itself.
    window->close();
    QFile::remove(HelpWindow::documentPath(f.folder()));
    trigger(f.screens().setting(), "mnu_h1");
    QVERIFY(window->isVisible());
    QVERIFY(text->toPlainText().contains(QStringLiteral("missing")));
    QCOMPARE(f.messages, QStringList());
}

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
