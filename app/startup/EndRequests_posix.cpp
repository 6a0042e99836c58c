#include "startup/EndRequests.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace torvik::startup {
namespace {

constexpr std::array kEndSignals = {SIGTERM, SIGHUP, SIGINT};

// A signal handler and an exit handler can reach nothing but process-wide state: the pipe's
// writing end and the one EndRequests object (not owned here).
std::atomic<int> g_signalPipe{-1};
EndRequests* g_instance = nullptr;
bool g_exitHandlerRegistered = false;

void onEndSignal(int signal) {
    const int saved = errno;
    const int fd = g_signalPipe.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a request; the byte may be dropped.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

void EndRequests::onExit() {
    EndRequests* self = std::exchange(g_instance, nullptr);
    if (self == nullptr || !self->m_lostDisplayHook)
        return;
    const auto hook = std::exchange(self->m_lostDisplayHook, {});
    hook();
    // The event loop is still on the stack and the control's threads still run: destroying
    // the program's static objects under them is what would fail now. The work is done.
    std::_Exit(0);
}

namespace {

// The X11 protocol's DestroyNotify, as the platform hands it over (xcb_destroy_notify_event_t).
struct DestroyNotify {
    std::uint8_t responseType;
    std::uint8_t pad0;
    std::uint16_t sequence;
    std::uint32_t event;
    std::uint32_t window;
};
constexpr std::uint8_t kDestroyNotify = 17;
constexpr std::uint8_t kSentEventBit = 0x80;

bool isOurWindow(std::uint32_t window) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const QWindow* handle = w->windowHandle();
        if (handle != nullptr && handle->handle() != nullptr && handle->winId() == window)
            return true;
    }
    return false;
}

QString signalName(int signal) {
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGINT:
        return QStringLiteral("SIGINT");
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

} // namespace

EndRequests::EndRequests() {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("end requests: no pipe for the termination signals: %s", std::strerror(errno));
        m_pipe[0] = m_pipe[1] = -1;
    } else {
        g_signalPipe.store(m_pipe[1]);
        m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &EndRequests::readSignals);
        struct sigaction action {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : kEndSignals)
            ::sigaction(signal, &action, nullptr);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    g_instance = this;
}

EndRequests::~EndRequests() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
    if (g_instance == this)
        g_instance = nullptr;
    if (m_pipe[1] >= 0) {
        // From now on a signal ends the process the ordinary way.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (const int signal : kEndSignals)
            ::sigaction(signal, &action, nullptr);
        g_signalPipe.store(-1);
    }
    m_notifier.reset();
    for (int& fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void EndRequests::setLostDisplayHook(std::function<void()> hook) {
    m_lostDisplayHook = std::move(hook);
    if (!g_exitHandlerRegistered)
        g_exitHandlerRegistered = std::atexit([] { onExit(); }) == 0;
}

void EndRequests::readSignals() {
    std::array<unsigned char, 64> bytes{};
    for (;;) {
        const ssize_t n = ::read(m_pipe[0], bytes.data(), bytes.size());
        if (n <= 0)
            break; // drained (EAGAIN), or nothing more will come
        for (ssize_t i = 0; i < n; ++i)
            emit endRequested(signalName(bytes[static_cast<std::size_t>(i)]));
    }
}

bool EndRequests::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr)
        return false;
    DestroyNotify event;
    std::memcpy(&event.responseType, message, 1);
    if ((event.responseType & ~kSentEventBit) != kDestroyNotify)
        return false;
    std::memcpy(&event, message, sizeof event);
    // The platform destroys its own windows only after it has let go of them, so a window
    // that still belongs to a screen was destroyed by someone else.
    if (isOurWindow(event.window))
        emit endRequested(QStringLiteral("window destroyed"));
    return false;
}

} // namespace torvik::startup
