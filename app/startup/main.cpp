// The operator program. Until the registration screen exists, a stand-in first screen shows
// that start-up went through.
#include "startup/Main.h"

#include "config/ProgramFolder.h"

#include <QApplication>
#include <QLabel>

namespace {

std::unique_ptr<QWidget> standInScreen() {
    const auto& values = torvik::mdlFileMgr::programValues();
    auto screen =
        std::make_unique<QLabel>(QStringLiteral("Torvik\nvariant %1, load cells 1 to %2\n%3")
                                     .arg(values.ProgramVariant)
                                     .arg(values.MaxDlcIndex + 1)
                                     .arg(torvik::config::programFolder()));
    screen->setObjectName(QStringLiteral("frmMain"));
    screen->setWindowTitle(QStringLiteral("Torvik"));
    screen->setMargin(24);
    return screen;
}

} // namespace

int main(int argc, char** argv) {
    // Taken before the application object removes the arguments it knows.
    const QString commandLine = torvik::mdlFileMgr::commandLineText(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvik"));

    const auto started =
        torvik::mdlFileMgr::Main(commandLine, torvik::config::programFolder(), standInScreen,
                                 torvik::mdlFileMgr::programValues());
    if (started.endAtOnce)
        return 0;
    return QApplication::exec();
}
