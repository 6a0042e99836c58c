// Not a test: grabs each tab of the main screen, with a few typical values filled in, as PNG
// files into the folder given on the command line (the layout is judged from these).
#include "ScreenFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {

void fill(screens2::ScreenFixture& f, const char* name, const char* text) {
    if (auto* box = f.find<QLineEdit>(QString::fromLatin1(name)))
        box->setText(QString::fromUtf8(text));
}

void grabTab(screens2::ScreenFixture& f, int tab, const QString& folder) {
    auto* tabs = f.find<QTabWidget>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(tab);
    QTest::qWait(200); // let the window system draw the page before it is grabbed
    f.screen().grab().save(QStringLiteral("%1/frmComm-tab%2.png").arg(folder).arg(tab));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: frmcomm_screenshots FOLDER");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    {
        screens2::ScreenFixture f(2, {{"TAB1/11", "True"}});
        f.screen().resize(f.screen().minimumSizeHint().expandedTo(QSize(980, 460)));
        fill(f, "txtData_0", "1000.00");
        fill(f, "txtStatus_0", "0000");
        fill(f, "txtData_2", "-12.50");
        fill(f, "txtStatus_2", "0004");
        fill(f, "txtCount_2", "3");
        fill(f, "txtOK", "1284");
        fill(f, "txtError", "3");
        fill(f, "txtRecvData_0", "50.00");
        fill(f, "txtRecvData_1", "1001");
        fill(f, "txtRecvData_2", "DLC-50K-A");
        fill(f, "txtRecvData_3", "Torvik Weighing Co.");
        fill(f, "txtRecvData_4", "23.45");
        fill(f, "txtRecvData_5", "2.00000");
        fill(f, "txtRecvData_6", "1");
        fill(f, "txtRecvData_7", "5");
        fill(f, "txtRecvDataCustom_0", "0A051234");
        fill(f, "txtRecvDataCustom_1", "1000.00");
        for (int tab = 0; tab < 3; ++tab)
            grabTab(f, tab, folder);
    }
    {
        screens2::ScreenFixture f(1);
        f.screen().resize(f.screen().minimumSizeHint().expandedTo(QSize(980, 460)));
        fill(f, "txtRecvDataTest", "1000.00");
        fill(f, "txtDataTest", "1000.00");
        fill(f, "txtRecvCommand", "MSV?33,1,0");
        fill(f, "txtSendData", "+1000.00,1,0");
        grabTab(f, 3, folder);
    }
    return 0;
}
