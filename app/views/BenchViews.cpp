#include "views/BenchViews.h"

#include "comm/TavrinHost.h"
#include "views/MonitorWindow.h"
#include "views/RunWatch.h"
#include "views/TrendWindow.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <limits>
#include <memory>

namespace torvik::views {
namespace {

constexpr int kMeasureTab = 0;

} // namespace

BenchViews::BenchViews(QWidget& screen, QAction& menuItem, comm::TavrinHost* host,
                       const std::array<QPushButton*, 4>& stopButtons)
    : m_screen(screen), m_host(host), m_texts(ViewTexts::load()) {
    // On this screen the communication item leads nowhere (the screen is already here): it
    // opens the windows instead.
    auto* menu = new QMenu(&screen);
    menu->setObjectName(QStringLiteral("mnu_tx1_menu"));
    m_trendAction = menu->addAction(m_texts.trend.title);
    m_trendAction->setObjectName(QStringLiteral("mnu_trend"));
    m_monitorAction = menu->addAction(m_texts.monitor.title);
    m_monitorAction->setObjectName(QStringLiteral("mnu_monitor"));
    menuItem.setMenu(menu);
    connect(m_trendAction, &QAction::triggered, this, [this] { showTrend(); });
    connect(m_monitorAction, &QAction::triggered, this, [this] { showMonitor(); });

    m_runs = new RunWatch(stopButtons, this);
    connect(m_runs, &RunWatch::runStarted, this, &BenchViews::runStarted);
    connect(m_runs, &RunWatch::runEnded, this, &BenchViews::runEnded);

    // Always on while the screen lives, so that the monitor opened after a run shows it.
    if (m_host != nullptr) {
        m_tapping = m_host->setFrameListener([this](const ::TavrinFrame& frame) {
            m_frames.append(frame);
            m_frames.setLost(m_host->framesDropped());
        });
    }
}

BenchViews::~BenchViews() {
    if (m_tapping)
        m_host->setFrameListener({});
    // The windows read the histories: they go first, taken from the screen that parents them.
    const std::unique_ptr<TrendWindow> trend(m_trendWindow.data());
    const std::unique_ptr<MonitorWindow> monitor(m_monitorWindow.data());
}

void BenchViews::measured(int dlc, short nResult, const QString& value) {
    if (nResult != 0 || value.isEmpty())
        return;
    bool ok = false;
    double number = value.toDouble(&ok);
    if (!ok) {
        // "nan", "inf" and the like are counted as values that are not numbers.
        number = std::numeric_limits<double>::quiet_NaN();
    }
    m_trend.add(dlc, m_trend.now(), number);
}

TrendWindow& BenchViews::showTrend() {
    if (!m_trendWindow) {
        m_trendWindow = new TrendWindow(m_trend, m_texts.trend, &m_screen);
        m_trendWindow->setRunning(m_runs->running(kMeasureTab));
    }
    m_trendWindow->show();
    m_trendWindow->raise();
    return *m_trendWindow;
}

MonitorWindow& BenchViews::showMonitor() {
    if (!m_monitorWindow) {
        m_monitorWindow = new MonitorWindow(m_frames, m_texts.monitor, m_tapping, &m_screen);
        m_monitorWindow->setRunning(m_runs->anyRunning());
    }
    m_monitorWindow->show();
    m_monitorWindow->raise();
    return *m_monitorWindow;
}

void BenchViews::runStarted(int tab) {
    if (tab == kMeasureTab) {
        m_trend.clear();
        if (m_trendWindow)
            m_trendWindow->setRunning(true);
    }
    if (m_monitorWindow)
        m_monitorWindow->setRunning(true);
}

void BenchViews::runEnded(int tab) {
    if (tab == kMeasureTab && m_trendWindow)
        m_trendWindow->setRunning(false);
    if (m_monitorWindow)
        m_monitorWindow->setRunning(m_runs->anyRunning());
}

} // namespace torvik::views
