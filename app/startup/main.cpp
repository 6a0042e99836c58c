// The operator program: start-up, then the registration screen.
#include "startup/Main.h"

#include "config/ProgramFolder.h"
#include "screens/MessageBox.h"
#include "screens/ScreenSet.h"
#include "screens/frmMain.h"
#include "startup/EndRequests.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    // Taken before the application object removes the arguments it knows.
    const QString commandLine = torvik::mdlFileMgr::commandLineText(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvik"));
    // A signal from here on ends the program through its close path (the default action
    // before this would end it before anything is written).
    torvik::startup::EndRequests ends;

    // An installed program works in a folder of the user's, seeded on its first start.
    if (const auto problem = torvik::config::prepareProgramFolder()) {
        qCritical("%s", qUtf8Printable(problem.logText()));
        // An end asked for while the message waits closes it: the program ends as asked.
        bool endAsked = false;
        QObject::connect(&ends, &torvik::startup::EndRequests::endRequested, &ends,
                         [&endAsked](const QString&) {
                             endAsked = true;
                             torvik::screens::setUnattended();
                             if (QWidget* message = QApplication::activeModalWidget())
                                 message->close();
                         });
        torvik::screens::showMessage(nullptr, problem.screenText());
        return endAsked ? 0 : 1;
    }

    // The screen set owns the screens; it goes before the application object.
    torvik::screens::ScreenSet screens;
    QObject::connect(&ends, &torvik::startup::EndRequests::endRequested, &ends,
                     [&screens](const QString&) { screens.endProgram(); });
    auto firstScreen = [&screens]() -> std::unique_ptr<QWidget> {
        screens.main().show();
        return nullptr;
    };
    const auto started = torvik::mdlFileMgr::Main(commandLine, torvik::config::programFolder(),
                                                  firstScreen, torvik::mdlFileMgr::programValues());
    if (started.endAtOnce)
        return 0;
    // Set once start-up is done, so that the values it made are there for the hook.
    ends.setLostDisplayHook([&screens] { screens.endWithoutEvents(); });
    return QApplication::exec();
}
