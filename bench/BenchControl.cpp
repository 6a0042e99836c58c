#include "BenchControl.h"

#include "ctrl/DispIds.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>

namespace tavrin::bench {
namespace {

void put(CTAVRINCtrl& control, automation::DispId id, automation::Variant value) {
    automation::Variant ignored;
    if (!control.invoke(id, automation::InvokeKind::PropertyPut, std::span(&value, 1), ignored)) {
        throw std::runtime_error("property " + std::to_string(id) + " refused");
    }
}

} // namespace

BenchControl::BenchControl(const std::string& prefix, int number, const std::string& settings,
                           const std::string& node)
    : m_queue(NotifyQueue::forCurrentThread()), m_control(CTAVRINCtrl::create()) {
    if (!m_queue || !m_control) {
        throw std::runtime_error("no control");
    }
    using automation::Variant;
    m_control->advise(this);
    put(*m_control, dispid::AdapterPrefix, Variant::bstr(prefix));
    put(*m_control, dispid::Adapter, Variant::i2(static_cast<std::int16_t>(number)));
    put(*m_control, dispid::CommSettings, Variant::bstr(settings));
    put(*m_control, dispid::Function, Variant::i2(4));
    put(*m_control, dispid::MemStart, Variant::bstr("30001"));
    put(*m_control, dispid::MemQty, Variant::i2(2));
    put(*m_control, dispid::NodeAddress, Variant::bstr(node));
    put(*m_control, dispid::TimeoutTrans, Variant::i2(1000));
}

BenchControl::~BenchControl() {
    m_control->advise(nullptr);
}

void BenchControl::onEvent(automation::DispId id, std::span<const automation::Variant> args) {
    if (id == dispid::Complete && !args.empty()) {
        m_completed = true;
        m_result = args[0].asI2();
    }
}

bool BenchControl::start() {
    m_completed = false;
    automation::Variant ignored;
    return static_cast<bool>(
        m_control->invoke(dispid::AsyncRefresh, automation::InvokeKind::Method, {}, ignored));
}

void BenchControl::waitAndPump() {
    const std::shared_ptr<NotifyQueue> queue = NotifyQueue::forCurrentThread();
    pollfd p{queue->fd(), POLLIN, 0};
    if (::poll(&p, 1, -1) >= 0 || errno == EINTR) {
        queue->pump();
    }
}

bool BenchControl::refresh() {
    if (!start()) {
        return false;
    }
    while (!m_completed) {
        // The reply timer bounds every transaction: the completion always comes.
        waitAndPump();
    }
    return m_result == 0;
}

} // namespace tavrin::bench
