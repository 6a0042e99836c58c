// Which of the main screen's runs is going on, as the screen shows it: a run holds its tab's
// Stop button enabled from its start until it ends (a stop, an abort, a failed port). Watching
// the buttons keeps the runs themselves free of any call for the extra windows.
#pragma once

#include <QObject>
#include <array>

class QPushButton;

namespace torvik::views {

class RunWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kTabs = 4;
    explicit RunWatch(const std::array<QPushButton*, kTabs>& stopButtons, QObject* parent);

    bool running(int tab) const { return m_running.at(static_cast<std::size_t>(tab)); }
    bool anyRunning() const;

signals:
    void runStarted(int tab);
    void runEnded(int tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();

    std::array<QPushButton*, kTabs> m_stops;
    std::array<bool, kTabs> m_running{};
};

} // namespace torvik::views
