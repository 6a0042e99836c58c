// The texts of the trend window and the traffic monitor, from the label catalogue's TREND and
// MONITOR sections (a missing key shows "*****", as everywhere in the program).
#pragma once

#include <QString>

namespace torvik::views {

struct TrendTexts {
    QString title;  // menu item and window title
    QString window; // time window
    QString pause, resume;
    QString autoscale, fixedScale, minimum, maximum;
    QString exportPng;
    QString seconds, minutes, hours; // "%1 s"
    QString timeAxis, valueAxis;
    QString legend; // "DLC No.%1"
    QString running, stopped, paused;
    QString counts; // points %1, values not a number %2
    QString exportFailed;
};

struct MonitorTexts {
    QString title;
    QString time, direction, node, function, bytes, result, verdict; // column headers
    QString sent, received, timeout;
    QString allNodes, allDirections;
    QString pause, resume;
    QString exportText;
    QString counts; // shown %1, recorded %2, oldest dropped %3, lost %4
    QString running, stopped;
    QString noTap;
    QString exportFailed;
};

struct ViewTexts {
    TrendTexts trend;
    MonitorTexts monitor;

    // From the catalogue in the program folder.
    static ViewTexts load();
};

} // namespace torvik::views
