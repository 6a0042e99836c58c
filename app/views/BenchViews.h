// The windows beside the main screen: the trend of the measured values and the traffic
// monitor. The screen owns one; it keeps their histories while the windows are closed (so a
// window opened after a run shows what the run left), records the frames of every control
// through the library's frame tap, and follows the runs through their Stop buttons.
#pragma once

#include "views/FrameLog.h"
#include "views/TrendHistory.h"
#include "views/ViewTexts.h"

#include <QObject>
#include <QPointer>
#include <array>

class QAction;
class QPushButton;
class QWidget;

namespace torvik::comm {
class TavrinHost;
}

namespace torvik::views {

class MonitorWindow;
class RunWatch;
class TrendWindow;

class BenchViews : public QObject {
    Q_OBJECT
public:
    // `menuItem` (the screen's communication item) gets a menu with the two windows;
    // `host` may be null or unloaded: the monitor then says that no frames can be recorded.
    BenchViews(QWidget& screen, QAction& menuItem, comm::TavrinHost* host,
               const std::array<QPushButton*, 4>& stopButtons);
    ~BenchViews() override;

    // A measurement poll of DLC index `dlc` completed with `nResult`; `value` is the text the
    // screen shows and the record stores (empty for a failed poll).
    void measured(int dlc, short nResult, const QString& value);

    TrendWindow& showTrend();
    MonitorWindow& showMonitor();
    const TrendHistory& trendHistory() const { return m_trend; }
    const FrameLog& frameLog() const { return m_frames; }
    QAction* trendAction() const { return m_trendAction; }
    QAction* monitorAction() const { return m_monitorAction; }

private:
    void runStarted(int tab);
    void runEnded(int tab);

    QWidget& m_screen;
    comm::TavrinHost* m_host;
    ViewTexts m_texts;
    TrendHistory m_trend;
    FrameLog m_frames;
    bool m_tapping = false;
    RunWatch* m_runs = nullptr;
    QAction* m_trendAction = nullptr;
    QAction* m_monitorAction = nullptr;
    QPointer<TrendWindow> m_trendWindow;
    QPointer<MonitorWindow> m_monitorWindow;
};

} // namespace torvik::views
