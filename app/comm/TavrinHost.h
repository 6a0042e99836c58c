// Hosts the control library for the user-interface thread: loads it, creates controls from
// the registered class and pumps their events when the library's notification descriptor
// becomes readable. Events fire on this thread, from inside the event loop.
#pragma once

#include "comm/TavrinControl.h"
#include "comm/TavrinRegistry.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSocketNotifier;
struct TavrinClassFactory;
struct TavrinFrame;

namespace torvik::comm {

class TavrinLibrary;

class TavrinHost : public QObject {
    Q_OBJECT
public:
    // Loads the library at `libraryPath` and takes the class factory of `className`. When that
    // fails the host stays unloaded and errorText() says why; nothing throws.
    explicit TavrinHost(const QString& libraryPath, const char* className = kTavrinClassName);
    ~TavrinHost() override;
    TavrinHost(const TavrinHost&) = delete;
    TavrinHost& operator=(const TavrinHost&) = delete;

    bool isLoaded() const { return m_factory != nullptr; }
    const QString& errorText() const { return m_error; }
    const QString& libraryPath() const { return m_path; }

    // A new instance, or null (errorText() set) when the host is unloaded or the factory
    // refuses. The control may outlive the host.
    std::unique_ptr<TavrinControl> createControl();

    // Fires the events queued for this thread's controls; returns how many fired.
    int pumpNotifications();

    // Every frame this thread's controls write or read, handed over by the pump (the frame is
    // valid during the call only); an empty listener stops the tap. False when the library
    // has no frame tap.
    using FrameListener = std::function<void(const ::TavrinFrame& frame)>;
    bool setFrameListener(FrameListener listener);
    // Frames the library dropped because the pump fell behind.
    std::uint64_t framesDropped() const;

private:
    static void onFrame(void* context, const ::TavrinFrame* frame);

    QString m_path;
    QString m_error;
    std::shared_ptr<TavrinLibrary> m_library;
    ::TavrinClassFactory* m_factory = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    FrameListener m_frameListener;
};

} // namespace torvik::comm
