#include "views/RunWatch.h"

#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace torvik::views {
namespace {

// The button's own state: the screen disabled for a moment after a stop, or a tab locked by
// another tab's run, says nothing about this tab's run.
bool enabled(const QPushButton& stop) {
    return stop.isEnabledTo(stop.window());
}

} // namespace

RunWatch::RunWatch(const std::array<QPushButton*, kTabs>& stopButtons, QObject* parent)
    : QObject(parent), m_stops(stopButtons) {
    for (std::size_t t = 0; t < m_stops.size(); ++t) {
        m_running[t] = enabled(*m_stops[t]);
        m_stops[t]->installEventFilter(this);
    }
    // A Stop press disables the screen before the button: the button's own change then
    // sends no event, so the screen's is looked at once the press has been handled.
    m_stops[0]->window()->installEventFilter(this);
}

bool RunWatch::anyRunning() const {
    return std::any_of(m_running.begin(), m_running.end(), [](bool r) { return r; });
}

bool RunWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (watched == m_stops[0]->window())
            QTimer::singleShot(0, this, &RunWatch::check);
        else
            check();
    }
    return QObject::eventFilter(watched, event);
}

void RunWatch::check() {
    for (std::size_t t = 0; t < m_stops.size(); ++t) {
        if (enabled(*m_stops[t]) == m_running[t])
            continue;
        m_running[t] = !m_running[t];
        const int tab = static_cast<int>(t);
        if (m_running[t])
            emit runStarted(tab);
        else
            emit runEnded(tab);
    }
}

} // namespace torvik::views
