#include "views/FrameLog.h"

#include "tavrin/Tavrin.h"

namespace torvik::views {

bool LoggedFrame::sent() const {
    return direction == TAVRIN_FRAME_SENT;
}

bool LoggedFrame::timedOut() const {
    return (flags & TAVRIN_FRAME_TIMEOUT) != 0;
}

FrameLog::FrameLog(std::size_t capacity) : m_capacity(capacity) {}

const LoggedFrame& FrameLog::at(std::uint64_t number) const {
    return m_frames.at(static_cast<std::size_t>(number % m_capacity));
}

void FrameLog::append(const ::TavrinFrame& f) {
    LoggedFrame frame;
    frame.timeUs = f.timeUs;
    frame.bytes =
        QByteArray(reinterpret_cast<const char*>(f.bytes), static_cast<qsizetype>(f.length));
    frame.result = f.result;
    frame.direction = f.direction;
    frame.flags = f.flags;
    frame.node = f.node;
    frame.function = f.function;
    // Result texts are few and repeat: converted once each.
    append(std::move(frame),
           m_resultTexts.contains(f.result) ? QString() : QString::fromUtf8(f.resultText),
           QString::fromUtf8(f.port));
}

void FrameLog::append(LoggedFrame frame, const QString& resultText, const QString& port) {
    if (!m_resultTexts.contains(frame.result))
        m_resultTexts.insert(frame.result, resultText);
    qsizetype index = m_ports.indexOf(port);
    if (index < 0) {
        m_ports << port;
        index = m_ports.size() - 1;
    }
    frame.port = static_cast<std::uint16_t>(index);
    if (m_frames.size() < m_capacity)
        m_frames.push_back(std::move(frame));
    else
        m_frames[static_cast<std::size_t>(m_end % m_capacity)] = std::move(frame);
    ++m_end;
}

} // namespace torvik::views
