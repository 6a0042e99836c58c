#include "TestLinkFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace torvik::screens::testing {
namespace {

ScreenFixture::Overrides linkSettings(const ScreenFixture::Overrides& overrides) {
    // The built-in table as the settings file holds it (entry k under key k + 1; hexadecimal
    // entries by their codes), the answer delay long enough to tell from the link's own
    // pauses, the data text with 2 integer digits, 1 decimal and both signs.
    ScreenFixture::Overrides o{
        {QStringLiteral("TAB4/COM"), QStringLiteral("6")},
        {QStringLiteral("TAB4/0"), QStringLiteral("0")},
        {QStringLiteral("TAB4/1"), QStringLiteral("150")},
        {QStringLiteral("TAB4/2"), QStringLiteral("False")},
        {QStringLiteral("TAB4/3"), QStringLiteral("True")},
        {QStringLiteral("TAB4/SendDataInt"), QStringLiteral("0")},
        {QStringLiteral("TAB4/SendDataDec"), QStringLiteral("0")},
        {QStringLiteral("TAB4/SendDataPolarity"), QStringLiteral("0")},
        {QStringLiteral("COMMAND/1"), QStringLiteral("MSV?33,1,0")},
        {QStringLiteral("RESPONSE/1"), QStringLiteral("%,1,0")},
        {QStringLiteral("COMMAND/2"), QStringLiteral("SRB1")},
        {QStringLiteral("COMMAND/3"), QStringLiteral("CHS1")},
        {QStringLiteral("COMMAND/4"), QStringLiteral("CHM1")},
        {QStringLiteral("COMMAND/5"), QStringLiteral("ASS2")},
        {QStringLiteral("COMMAND/6"), QStringLiteral("TAR0")},
        {QStringLiteral("CTRL/7"), QStringLiteral("True")},
        {QStringLiteral("COMMAND/7"), QStringLiteral("12")},
        {QStringLiteral("RESPONSE/7"), QString()},
        {QStringLiteral("CTRL/8"), QStringLiteral("True")},
        {QStringLiteral("COMMAND/8"), QStringLiteral("01")},
        {QStringLiteral("RESPONSE/8"), QString()},
        {QStringLiteral("CTRL/9"), QStringLiteral("True")},
        {QStringLiteral("COMMAND/9"), QStringLiteral("05")},
        {QStringLiteral("RESPONSE/9"), QStringLiteral("06")},
    };
    for (const auto& [key, value] : overrides)
        o[key] = value;
    return o;
}

} // namespace

TextPeer::TextPeer(const QStringList& options) {
    m_process.setProgram(QStringLiteral(TEXTPEER_PATH));
    m_process.setArguments(QStringList{QStringLiteral("--create"), QStringLiteral("COM6")} +
                           options);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
        m_output += QString::fromLatin1(m_process.readAllStandardOutput());
        if (changed)
            changed();
    });
    QObject::connect(&m_process, &QProcess::finished, &m_process, [this] {
        if (changed)
            changed();
    });
    m_process.start();
    m_ready = QTest::qWaitFor([this] { return m_output.contains(u'\n') || finished(); }, 10000) &&
              m_output.startsWith(QStringLiteral("textpeer: COM6 -> "));
}

TextPeer::~TextPeer() {
    changed = nullptr;
    if (!finished()) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

void TextPeer::send(const QByteArray& lines) {
    m_process.write(lines);
}

void TextPeer::endInput() {
    m_process.closeWriteChannel();
}

void TextPeer::terminate() {
    m_process.terminate();
}

std::vector<PeerResponse> TextPeer::responses() const {
    static const QRegularExpression answered(
        QStringLiteral(R"re(^"(.*)" -> "(.*)" after ([0-9.]+) ms$)re"));
    static const QRegularExpression none(QStringLiteral(R"re(^"(.*)" -> nothing within)re"));
    std::vector<PeerResponse> out;
    for (const QString& line : m_output.split(u'\n')) {
        if (const auto m = answered.match(line); m.hasMatch())
            out.push_back({m.captured(1), m.captured(2), m.captured(3).toDouble()});
        else if (const auto n = none.match(line); n.hasMatch())
            out.push_back({n.captured(1), QString(), std::nullopt});
    }
    return out;
}

RawPeer::RawPeer(const QString& portsFolder) {
    std::string error;
    m_line = dlcsim::Line::openPty(dlcsim::LineSettings{9600, dlcsim::Parity::Even, 8, 1}, error);
    if (!m_line)
        return;
    m_link = dlcsim::PortLink::create(portsFolder.toStdString(), "COM6", m_line->peerPath(), error);
    m_notifier = std::make_unique<QSocketNotifier>(m_line->fd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        std::array<std::uint8_t, 4096> buffer{};
        const long n = m_line->read(buffer);
        if (n > 0)
            m_received.append(reinterpret_cast<const char*>(buffer.data()), n);
    });
}

void RawPeer::write(const QByteArray& bytes) {
    m_line->write({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                   static_cast<std::size_t>(bytes.size())});
}

void RawPeer::send(const QByteArray& bytes) {
    m_pending += bytes;
    if (!m_writable) {
        m_writable = std::make_unique<QSocketNotifier>(m_line->fd(), QSocketNotifier::Write);
        QObject::connect(m_writable.get(), &QSocketNotifier::activated, m_writable.get(), [this] {
            const ssize_t n = ::write(m_line->fd(), m_pending.constData(),
                                      static_cast<std::size_t>(m_pending.size()));
            if (n > 0)
                m_pending.remove(0, n);
            m_writable->setEnabled(!m_pending.isEmpty());
        });
    }
    m_writable->setEnabled(true);
}

TestLinkFixture::TestLinkFixture(const ScreenFixture::Overrides& overrides)
    : m_bench({"--serials", "1001,1002,1003,1004", "--addresses", "0,0,0,0", "--value", "123.456"},
              linkSettings(overrides), 1) {
    m_bench.showTab(QStringLiteral("Test"));
}

QString TestLinkFixture::portsFolder() const {
    return QString::fromLocal8Bit(qgetenv("TAVRIN_PORTS"));
}

long long TestLinkFixture::replies() {
    return box("txtOKTest")->text().toLongLong();
}

void TestLinkFixture::poke() {
    if (m_check)
        m_check();
}

bool TestLinkFixture::run(const std::function<void()>& started, const std::function<bool()>& done,
                          int deadlineMs) {
    QPushButton* stop = button("cmdStopTest");
    bool began = false;
    bool stopped = false;
    bool inTime = true;
    auto pressStop = [&] {
        if (stopped || !stop->isEnabled())
            return;
        stopped = true;
        // Pressed from the event loop, as an operator's click arrives during the run.
        QTimer::singleShot(0, stop, [stop] { stop->click(); });
    };
    m_check = [&] {
        if (!began && replies() > 0) {
            began = true;
            if (started)
                started();
        }
        if (began && done())
            pressStop();
    };
    const auto watch = QObject::connect(box("txtOKTest"), &QLineEdit::textChanged, box("txtOKTest"),
                                        [this] { poke(); });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&] {
        inTime = false;
        pressStop();
    });
    deadline.start(deadlineMs);
    button("cmdStartTest")->click();
    QObject::disconnect(watch);
    m_check = nullptr;
    return inTime;
}

PortHolder::PortHolder(const QString& path) {
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

PortHolder::~PortHolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool portFree(const QString& path) {
    return PortHolder(path).holding();
}

} // namespace torvik::screens::testing
