// Start-up: one copy per program folder, the program variant from the command line, the
// settings, the hand-over of records a previous run left in the working data file, then the
// first screen.
#pragma once

#include "config/ProgramValues.h"
#include "startup/SingleInstance.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace torvik::mdlFileMgr {

struct ProgramVariantChoice {
    std::int16_t ProgramVariant = 0;
    std::int16_t MaxDlcIndex = 3;
};

// The command line after the program name, arguments joined by one space.
QString commandLineText(int argc, const char* const* argv);

// The whole text, spaces trimmed, compared case-sensitively: "-ORB" is variant 2 with eight
// load cells, "-VELM" variant 1, anything else (several words too) the standard program.
ProgramVariantChoice programVariantFor(QStringView commandLine);

using FirstScreenFactory = std::function<std::unique_ptr<QWidget>()>;

// What the program keeps for its life; `endAtOnce` means another copy is running and this one
// must end without touching anything.
struct Startup {
    bool endAtOnce = false;
    startup::SingleInstance::Claim claim = startup::SingleInstance::Claim::First;
    std::unique_ptr<startup::SingleInstance> instance;
    std::unique_ptr<QWidget> firstScreen;
};

// Needs the application object. The settings read result is not looked at: start-up goes on
// with whatever was read.
Startup Main(const QString& commandLine, const QString& programFolder,
             const FirstScreenFactory& firstScreen, ProgramValues& values);

} // namespace torvik::mdlFileMgr
