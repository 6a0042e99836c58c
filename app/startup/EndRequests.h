// The ways the program is asked to end from outside its windows' close boxes: the termination
// signals (SIGTERM at log-out or shutdown, SIGHUP when the terminal goes, SIGINT for Ctrl+C),
// and a top-level window destroyed under the program. Each is turned into an event on the
// user-interface thread, so that the program ends through its own close path; the signal
// handler itself only writes a byte to a pipe that a socket notifier watches.
//
// When the X connection breaks, the platform ends the process from inside the event loop
// (exit with status 1). The lost-display hook runs then, without any event loop: it does what
// can be done without one and ends the process with status 0.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace torvik::startup {

class EndRequests : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Needs the application object. Only one may exist at a time.
    EndRequests();
    ~EndRequests() override;
    EndRequests(const EndRequests&) = delete;
    EndRequests& operator=(const EndRequests&) = delete;

    // Called at most once, when the process ends through exit() while this object lives (the
    // object is gone when main returns normally).
    void setLostDisplayHook(std::function<void()> hook);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // Every request, also repeated ones; the receiver ends the program once.
    void endRequested(const QString& why);

private:
    void readSignals();
    static void onExit();

    std::function<void()> m_lostDisplayHook;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace torvik::startup
