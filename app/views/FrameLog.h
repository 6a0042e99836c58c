// The frames of the program's controls as the frame tap hands them over, for the traffic
// monitor: the latest 100,000, oldest dropped, each numbered so that a view can tell which it
// has already shown.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct TavrinFrame;

namespace torvik::views {

struct LoggedFrame {
    std::int64_t timeUs = 0;
    QByteArray bytes;
    std::int32_t result = 0;
    std::uint16_t direction = 0; // TAVRIN_FRAME_SENT or _RECEIVED
    std::uint16_t flags = 0;     // TAVRIN_FRAME_* bits
    std::uint16_t node = 0;
    std::uint16_t function = 0;
    std::uint16_t port = 0; // index into portNames()

    bool sent() const;
    bool timedOut() const;
};

class FrameLog {
public:
    static constexpr std::size_t kCapacity = 100000;

    explicit FrameLog(std::size_t capacity = kCapacity);

    // Called from the frame tap, on the user-interface thread.
    void append(const ::TavrinFrame& frame);
    void append(LoggedFrame frame, const QString& resultText, const QString& port);

    // Frames are numbered from 0 on; those from first() to end() - 1 are still held.
    std::uint64_t first() const { return m_end - m_frames.size(); }
    std::uint64_t end() const { return m_end; }
    const LoggedFrame& at(std::uint64_t number) const;
    std::uint64_t droppedOldest() const { return first(); }

    // Frames the library lost before they reached us (the host did not pump in time).
    std::uint64_t lost() const { return m_lost; }
    void setLost(std::uint64_t lost) { m_lost = lost; }

    QString resultText(std::int32_t result) const { return m_resultTexts.value(result); }
    const QHash<std::int32_t, QString>& resultTexts() const { return m_resultTexts; }
    const QStringList& portNames() const { return m_ports; }

private:
    std::size_t m_capacity;
    std::vector<LoggedFrame> m_frames; // a ring once full: number n is at n % capacity
    std::uint64_t m_end = 0;
    std::uint64_t m_lost = 0;
    QHash<std::int32_t, QString> m_resultTexts;
    QStringList m_ports;
};

} // namespace torvik::views
