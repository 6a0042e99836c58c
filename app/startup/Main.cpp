#include "startup/Main.h"

#include "config/ProgramFolder.h"
#include "config/SettingsFile.h"
#include "startup/LeftRecords.h"
#include "startup/TimerResolution.h"

#include <exception>

namespace torvik::mdlFileMgr {

QString commandLineText(int argc, const char* const* argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(u' ');
}

ProgramVariantChoice programVariantFor(QStringView commandLine) {
    qsizetype b = 0;
    qsizetype e = commandLine.size();
    while (b < e && commandLine[b] == u' ')
        ++b;
    while (e > b && commandLine[e - 1] == u' ')
        --e;
    const QStringView word = commandLine.sliced(b, e - b);
    if (word == u"-ORB")
        return {2, 7};
    return {static_cast<std::int16_t>(word == u"-VELM" ? 1 : 0), 3};
}

Startup Main(const QString& commandLine, const QString& programFolder,
             const FirstScreenFactory& firstScreen, ProgramValues& values) {
    Startup started;
    // Whatever fails below ends start-up quietly, keeping what it has done.
    try {
        started.instance = startup::SingleInstance::claim(programFolder, started.claim);
        if (!started.instance) {
            started.endAtOnce = true;
            return started;
        }
        const ProgramVariantChoice variant = programVariantFor(commandLine);
        values.ProgramVariant = variant.ProgramVariant;
        values.MaxDlcIndex = variant.MaxDlcIndex;

        ReadIniFile(values, programFolder);
        startup::makeOwnDataFolder(programFolder, values);
        // The records of a run that did not end in order are handed over, not deleted.
        startup::handOverLeftRecords(programFolder, values);

        if (firstScreen) {
            started.firstScreen = firstScreen();
            if (started.firstScreen)
                started.firstScreen->show();
        }
        startup::timeBeginPeriod(1);
    } catch (const std::exception&) {
    }
    return started;
}

} // namespace torvik::mdlFileMgr
