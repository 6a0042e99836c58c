// The test tab's bench: the run tests' bench (dlcsim on the bench's port, cells 1001 to 1004
// all reading 123.456) in the variant with the test tab, the text link on COM6 at the tab's
// defaults with the built-in command table and one hexadecimal entry more (0x05 answered by 0x06),
// and the two data loggers the tests play: textpeer on a pseudo-terminal of its own, or a
// pseudo-terminal the test writes to itself.
#pragma once

#include "Line.h"
#include "MeasureFixture.h"
#include "PortLink.h"

#include <QByteArray>
#include <QProcess>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvik::screens::testing {

// One line of textpeer's report: the command and its response as textpeer prints them
// (escaped), the delay; no delay when nothing came.
struct PeerResponse {
    QString command;
    QString response;
    std::optional<double> delayMs;
};

// textpeer --create COM6, its commands written by the test to its standard input.
class TextPeer {
public:
    explicit TextPeer(const QStringList& options);
    ~TextPeer();
    bool ready() const { return m_ready; }
    void send(const QByteArray& lines);
    void endInput();
    void terminate();
    bool finished() const { return m_process.state() == QProcess::NotRunning; }
    QString output() const { return m_output; }
    std::vector<PeerResponse> responses() const;
    // Called whenever it prints or ends.
    std::function<void()> changed;

private:
    QProcess m_process;
    QString m_output;
    bool m_ready = false;
};

// A pseudo-terminal of the test's own, linked as COM6: what the program sends arrives in
// received().
class RawPeer {
public:
    explicit RawPeer(const QString& portsFolder);
    bool ready() const { return m_line.has_value() && m_link.has_value(); }
    // What the line cannot take now is lost, as a flooding sender loses it.
    void write(const QByteArray& bytes);
    // Every byte, as soon as the line takes it.
    void send(const QByteArray& bytes);
    const QByteArray& received() const { return m_received; }
    void clearReceived() { m_received.clear(); }

private:
    std::optional<dlcsim::Line> m_line;
    std::optional<dlcsim::PortLink> m_link;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_received;
    QByteArray m_pending;
};

class TestLinkFixture {
public:
    explicit TestLinkFixture(const ScreenFixture::Overrides& overrides = {});

    bool simulatorReady() const { return m_bench.simulatorReady(); }
    MeasureFixture& bench() { return m_bench; }
    QString portsFolder() const;
    QStringList messages() { return m_bench.screens().messages; }

    template <class T>
    T* find(const char* name) {
        return m_bench.find<T>(QString::fromLatin1(name));
    }
    QLineEdit* box(const char* name) { return find<QLineEdit>(name); }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    long long replies(); // txtOKTest

    // Presses Start on the test tab. `started` runs once, at the first reply from the cell;
    // Stop is pressed as soon as `done` holds (checked after every reply and every poke()) or
    // when the deadline passes. Returns once the run has returned; false on the deadline.
    bool run(const std::function<void()>& started, const std::function<bool()>& done,
             int deadlineMs = 30000);
    void poke();

private:
    MeasureFixture m_bench;
    std::function<void()> m_check;
};

// Holds an exclusive lock on a port as another program would; released when destroyed.
class PortHolder {
public:
    explicit PortHolder(const QString& path);
    ~PortHolder();
    bool holding() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// True when the port can be locked now, so nobody holds it.
bool portFree(const QString& path);

} // namespace torvik::screens::testing
