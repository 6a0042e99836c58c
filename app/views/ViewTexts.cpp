#include "views/ViewTexts.h"

#include "config/PrivateProfile.h"
#include "config/ProfileForms.h"
#include "config/ProgramFolder.h"

namespace torvik::views {

ViewTexts ViewTexts::load() {
    const auto doc = config::ProfileDocument::load(config::labelFilePath(config::programFolder()));
    auto text = [&doc](QStringView section, int key) {
        return mdlFileMgr::readText(doc, section, QString::number(key), u"*****", 99);
    };
    ViewTexts t;
    auto trend = [&](int key) { return text(u"TREND", key); };
    TrendTexts& r = t.trend;
    r.title = trend(1);
    r.window = trend(2);
    r.pause = trend(3);
    r.resume = trend(4);
    r.autoscale = trend(5);
    r.fixedScale = trend(6);
    r.minimum = trend(7);
    r.maximum = trend(8);
    r.exportPng = trend(9);
    r.seconds = trend(10);
    r.minutes = trend(11);
    r.hours = trend(12);
    r.timeAxis = trend(13);
    r.valueAxis = trend(14);
    r.legend = trend(15);
    r.running = trend(16);
    r.stopped = trend(17);
    r.paused = trend(18);
    r.counts = trend(19);
    r.exportFailed = trend(20);

    auto monitor = [&](int key) { return text(u"MONITOR", key); };
    MonitorTexts& m = t.monitor;
    m.title = monitor(1);
    m.time = monitor(2);
    m.direction = monitor(3);
    m.node = monitor(4);
    m.function = monitor(5);
    m.bytes = monitor(6);
    m.result = monitor(7);
    m.verdict = monitor(8);
    m.sent = monitor(9);
    m.received = monitor(10);
    m.timeout = monitor(11);
    m.allNodes = monitor(12);
    m.allDirections = monitor(13);
    m.pause = monitor(14);
    m.resume = monitor(15);
    m.exportText = monitor(16);
    m.counts = monitor(17);
    m.running = monitor(18);
    m.stopped = monitor(19);
    m.noTap = monitor(20);
    m.exportFailed = monitor(21);
    return t;
}

} // namespace torvik::views
