#include "comm/TavrinHost.h"

#include "comm/TavrinLibrary.h"

#include <QSocketNotifier>
#include <QtGlobal>

namespace torvik::comm {

TavrinHost::TavrinHost(const QString& libraryPath, const char* className) : m_path(libraryPath) {
    m_library = TavrinLibrary::open(libraryPath, m_error);
    if (!m_library)
        return;
    const TavrinEntryPoints& entry = m_library->entry();
    const std::int32_t rc = entry.DllGetClassObject(className, &m_factory);
    if (rc != TAVRIN_OK || m_factory == nullptr) {
        m_factory = nullptr;
        m_error = QStringLiteral("class %1 not available (%2)")
                      .arg(QString::fromLatin1(className))
                      .arg(rc);
        return;
    }
    const int fd = entry.TavrinGetNotifyFd();
    if (fd < 0) {
        // Controls could be made, but their events would never arrive: unusable.
        m_factory->vtbl->Release(m_factory);
        m_factory = nullptr;
        m_error = QStringLiteral("no notification descriptor");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { pumpNotifications(); });
}

TavrinHost::~TavrinHost() {
    if (m_frameListener)
        setFrameListener({});
    m_notifier.reset();
    if (m_factory != nullptr)
        m_factory->vtbl->Release(m_factory);
}

std::unique_ptr<TavrinControl> TavrinHost::createControl() {
    if (m_factory == nullptr)
        return nullptr;
    ::TavrinControl* handle = nullptr;
    const std::int32_t rc = m_factory->vtbl->CreateInstance(m_factory, &handle);
    if (rc != TAVRIN_OK || handle == nullptr) {
        m_error = QStringLiteral("CreateInstance failed (%1)").arg(rc);
        return nullptr;
    }
    return std::make_unique<TavrinControl>(m_library, handle);
}

int TavrinHost::pumpNotifications() {
    if (!m_library)
        return 0;
    return static_cast<int>(m_library->entry().TavrinPumpNotifications());
}

} // namespace torvik::comm

namespace torvik::comm {

bool TavrinHost::setFrameListener(FrameListener listener) {
    if (!m_library || m_library->entry().TavrinSetFrameTap == nullptr)
        return false;
    m_frameListener = std::move(listener);
    if (!m_frameListener)
        return m_library->entry().TavrinSetFrameTap(nullptr) == TAVRIN_OK;
    const TavrinFrameTap tap{this, &TavrinHost::onFrame};
    return m_library->entry().TavrinSetFrameTap(&tap) == TAVRIN_OK;
}

void TavrinHost::onFrame(void* context, const ::TavrinFrame* frame) {
    auto* host = static_cast<TavrinHost*>(context);
    // Nothing may escape into the library's pump.
    try {
        if (host->m_frameListener)
            host->m_frameListener(*frame);
    } catch (...) {
        qWarning("TavrinHost: the frame listener failed; a frame is lost");
    }
}

std::uint64_t TavrinHost::framesDropped() const {
    if (!m_library || m_library->entry().TavrinGetFramesDropped == nullptr)
        return 0;
    return m_library->entry().TavrinGetFramesDropped();
}

} // namespace torvik::comm
