// The text link's port: its settings text, how port n is found, the bytes it reads and writes,
// and the refusals a caller sees.
#include "comm/MSComm.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace torvik::comm {
namespace {

TEST(SerialSettings, TextsAsTheTabBuildsThem) {
    const struct {
        const char* text;
        bool good;
        qint32 baud;
        QSerialPort::Parity parity;
        QSerialPort::DataBits dataBits;
        QSerialPort::StopBits stopBits;
    } cases[] = {
        {"9600,E,8,1", true, 9600, QSerialPort::EvenParity, QSerialPort::Data8,
         QSerialPort::OneStop},
        {"19200,O,7,2", true, 19200, QSerialPort::OddParity, QSerialPort::Data7,
         QSerialPort::TwoStop},
        {" 300 , n , 8 , 1.5 ", true, 300, QSerialPort::NoParity, QSerialPort::Data8,
         QSerialPort::OneAndHalfStop},
        {"9600,X,8,1", false, 0, {}, {}, {}},
        {"9600,E,9,1", false, 0, {}, {}, {}},
        {"9600,E,8,3", false, 0, {}, {}, {}},
        {"0,E,8,1", false, 0, {}, {}, {}},
        {"9600,E,8", false, 0, {}, {}, {}},
        {"", false, 0, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto s = parseSerialSettings(QString::fromLatin1(c.text));
        ASSERT_EQ(s.has_value(), c.good);
        if (!s)
            continue;
        EXPECT_EQ(s->baudRate, c.baud);
        EXPECT_EQ(s->parity, c.parity);
        EXPECT_EQ(s->dataBits, c.dataBits);
        EXPECT_EQ(s->stopBits, c.stopBits);
    }
}

// A pseudo-terminal linked as COM9 in a ports folder of its own; the test holds the master.
// The program folder holds the English catalogue, whose words the refusals must be in (the
// built-in texts are Japanese).
class LinkedPty : public testing::Test {
protected:
    void SetUp() override {
        m_savedHome = qgetenv("TORVIK_HOME");
        qputenv("TORVIK_HOME", m_home.path().toLocal8Bit());
        ASSERT_TRUE(QFile::copy(QStringLiteral(TORVIK_CATALOGUE_EN),
                                m_home.filePath(QStringLiteral("TorvikLabel.ini"))));
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(grantpt(m_master), 0);
        ASSERT_EQ(unlockpt(m_master), 0);
        char name[128] = {};
        ASSERT_EQ(ptsname_r(m_master, name, sizeof name), 0);
        // Raw before the port opens it, as a device line is.
        const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(slave, 0);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        m_saved = qgetenv("TAVRIN_PORTS");
        qputenv("TAVRIN_PORTS", m_ports.path().toLocal8Bit());
        ASSERT_TRUE(QFile::link(QString::fromLatin1(name), m_ports.filePath("COM9")));
    }
    void TearDown() override {
        qputenv("TAVRIN_PORTS", m_saved);
        qputenv("TORVIK_HOME", m_savedHome);
        if (m_master >= 0)
            ::close(m_master);
    }

    // Handles events until `done` or five seconds have passed.
    static bool waitFor(const std::function<bool()>& done) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.start(5000);
        while (!done() && deadline.isActive())
            loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }

    QByteArray readMaster(qsizetype count) {
        QByteArray got;
        waitFor([&] {
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
            return got.size() >= count;
        });
        return got;
    }

    int argc = 1;
    char arg0[8] = "test";
    char* argv[1] = {arg0};
    QCoreApplication app{argc, argv};
    QTemporaryDir m_ports;
    QTemporaryDir m_home;
    QByteArray m_saved;
    QByteArray m_savedHome;
    int m_master = -1;
};

TEST_F(LinkedPty, CharactersAreBytesBothWays) {
    MSComm port;
    int events = 0;
    QObject::connect(&port, &MSComm::OnComm, [&] {
        if (port.CommEvent() == MSComm::comEvReceive)
            ++events;
    });
    ASSERT_EQ(port.setCommPort(9), 0);
    ASSERT_EQ(port.setSettings(QStringLiteral("9600,E,8,1")), 0) << port.errorText().toStdString();
    ASSERT_EQ(port.setInputLen(0), 0);
    ASSERT_EQ(port.setPortOpen(true), 0) << port.errorText().toStdString();
    ASSERT_EQ(port.setRThreshold(1), 0);

    const QByteArray in("\x05\xff\x80SRB1\r\n", 9);
    ASSERT_EQ(::write(m_master, in.constData(), static_cast<std::size_t>(in.size())), in.size());
    ASSERT_TRUE(waitFor([&] { return port.InBufferCount() >= in.size(); }));
    EXPECT_GE(events, 1);
    EXPECT_EQ(port.Input(), QString::fromLatin1(in));
    EXPECT_EQ(port.InBufferCount(), 0);

    // Codes up to 255 go out as those bytes; a character beyond them is no byte.
    EXPECT_EQ(port.setOutput(QString(QChar(0x06)) + QChar(0xE9)), 0);
    EXPECT_EQ(readMaster(2), QByteArray("\x06\xe9", 2));
    EXPECT_EQ(port.setOutput(QStringLiteral("ＯＫ!")), 0);
    EXPECT_EQ(readMaster(3), QByteArray("?"
                                        "?!"));

    EXPECT_EQ(port.setPortOpen(true), MSComm::comPortAlreadyOpen);
    EXPECT_EQ(port.errorText(), QStringLiteral("COM9 is already open."));
    EXPECT_EQ(port.setCommPort(3), MSComm::comPortOpen);
    EXPECT_EQ(port.errorText(), QStringLiteral("COM9 is open: its port cannot be changed."));
    EXPECT_EQ(port.setPortOpen(false), 0);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.setOutput(QStringLiteral("x")), MSComm::comPortNotOpen);
    EXPECT_EQ(port.errorText(), QStringLiteral("COM9 is not open."));
}

TEST_F(LinkedPty, RefusalsNameThePort) {
    MSComm port;
    EXPECT_EQ(port.setCommPort(0), MSComm::comPortInvalid);
    EXPECT_EQ(port.errorText(), QStringLiteral("COM0 is not a port number."));
    EXPECT_EQ(port.setCommPort(256), MSComm::comPortInvalid);
    EXPECT_EQ(port.setSettings(QStringLiteral("9600,X,8,1")), MSComm::comInvalidPropertyValue);
    EXPECT_EQ(port.errorText(), QStringLiteral("The serial settings '9600,X,8,1' cannot be used "
                                               "(baud rate,parity,data bits,stop bits)."));
    EXPECT_EQ(port.Settings(), QStringLiteral("9600,N,8,1")); // unchanged
    // A link that leads nowhere: no such port, in the system's words.
    const QString nowhere = m_ports.filePath("COM10");
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/tty"), nowhere));
    ASSERT_EQ(port.setCommPort(10), 0);
    EXPECT_EQ(port.setPortOpen(true), MSComm::comPortInvalid);
    EXPECT_TRUE(
        port.errorText().startsWith(QStringLiteral("COM10 (%1) cannot be opened: ").arg(nowhere)))
        << port.errorText().toStdString();
    EXPECT_GT(port.errorText().size(),
              QStringLiteral("COM10 (%1) cannot be opened: ").arg(nowhere).size());
    // A second user of COM9 is refused while the first has it.
    MSComm first;
    ASSERT_EQ(first.setCommPort(9), 0);
    ASSERT_EQ(first.setPortOpen(true), 0) << first.errorText().toStdString();
    ASSERT_EQ(port.setCommPort(9), 0);
    EXPECT_EQ(port.setPortOpen(true), MSComm::comPortAlreadyOpen);
    // Refused by the lock, or by the device's exclusive mode before it.
    const QString com9 = QStringLiteral("COM9 (%1) ").arg(m_ports.filePath("COM9"));
    EXPECT_TRUE(
        port.errorText().startsWith(com9 + QStringLiteral("is in use by another program (")) ||
        port.errorText().startsWith(com9 + QStringLiteral("cannot be opened: ")))
        << port.errorText().toStdString();
    first.setPortOpen(false);
    EXPECT_EQ(port.setPortOpen(true), 0) << port.errorText().toStdString();
}

TEST_F(LinkedPty, ALostPortIsClosedAndReported) {
    MSComm port;
    QString lost;
    QObject::connect(&port, &MSComm::portLost, [&](const QString& why) { lost = why; });
    ASSERT_EQ(port.setCommPort(9), 0);
    ASSERT_EQ(port.setPortOpen(true), 0) << port.errorText().toStdString();
    ASSERT_EQ(port.setRThreshold(1), 0);
    ::close(m_master); // the other end goes away
    m_master = -1;
    ASSERT_TRUE(waitFor([&] { return !lost.isEmpty(); }));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(lost, QStringLiteral("COM9 (%1) stopped working: its device went away or the other "
                                   "end closed it.")
                        .arg(m_ports.filePath("COM9")));
}

} // namespace
} // namespace torvik::comm
