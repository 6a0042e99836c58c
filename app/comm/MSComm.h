// The serial text link of the test tab: a port chosen by number, opened with a settings text,
// that reports received characters as an event and reads and writes whole texts. Port n is
// COMn, found as the control finds it (a link in the ports folder, else /dev/ttyS(n-1)).
// Property writes that fail return an error number (0: done) and leave a text for the
// operator in errorText(), in the catalogue's words (section NOTICE); nothing here throws.
#pragma once

#include "config/ProfileEncoding.h"

#include <QLoggingCategory>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringView>
#include <optional>

namespace torvik::comm {

// The text link's warnings (a lost port, dropped commands) and, when enabled with
// QT_LOGGING_RULES="torvik.trace.textlink.debug=true", its traces.
Q_DECLARE_LOGGING_CATEGORY(lcTextLink)

// "9600,E,8,1": baud rate, parity letter (N, E, O, M, S), data bits (5 to 8), stop bits (1,
// 1.5, 2). Blanks around the parts are allowed; anything else fails.
struct SerialSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::EvenParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
std::optional<SerialSettings> parseSerialSettings(QStringView text);

class MSComm : public QObject {
    Q_OBJECT
public:
    // The CommEvent of received characters, the only event there is: line errors are not
    // reported, and a port that stops working reports portLost instead.
    static constexpr int comEvReceive = 2;
    // Error numbers of refused property writes.
    static constexpr int comInvalidPropertyValue = 380;
    static constexpr int comPortOpen = 8000;        // not allowed while the port is open
    static constexpr int comPortInvalid = 8002;     // no such port, or it cannot be opened
    static constexpr int comPortAlreadyOpen = 8005; // open here, or in use by another program
    static constexpr int comPortNotOpen = 8018;     // only while the port is open
    static constexpr int comTxFull = 8019;          // the other end takes nothing any more

    // Received characters waiting to be read at most (more wait in the driver until then),
    // and written ones not yet taken by the line: bounds against a peer that floods the port
    // or never reads.
    static constexpr qint64 kReadBufferBytes = 4096;
    static constexpr qint64 kMaxPendingOutputBytes = 65536;

    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    int CommPort() const { return m_commPort; }
    int setCommPort(int port);
    const QString& Settings() const { return m_settingsText; }
    int setSettings(const QString& settings);
    int InputLen() const { return m_inputLen; }
    int setInputLen(int length); // 0: a read takes everything received
    bool PortOpen() const { return m_port.isOpen(); }
    int setPortOpen(bool open);
    int RThreshold() const { return m_rThreshold; }
    int setRThreshold(int threshold); // 0: no receive events
    int CommEvent() const { return m_commEvent; }
    int InBufferCount() const;
    // Characters are bytes both ways: code n is byte n, so that a hexadecimal entry of the
    // command table is one raw byte whatever the encoding. A character beyond 255 is no byte
    // and goes out as '?'. The link turns its texts into such bytes, and back, in TextEncoding
    // (comm/TextCommands.h).
    QString Input();
    int setOutput(const QString& text);
    // The encoding of the texts on this line: that of the settings file the command table was
    // read from, so that a command in the table meets the bytes a device sends for it.
    config::ProfileEncoding TextEncoding() const { return m_textEncoding; }
    void setTextEncoding(config::ProfileEncoding encoding) { m_textEncoding = encoding; }

    // Why the last refused write was refused, naming the port; the system's own words added
    // where they say more.
    const QString& errorText() const { return m_errorText; }

signals:
    void OnComm();
    // The open port stopped working (its device went away, the other end of a pseudo-terminal
    // closed); it is closed by the time this arrives. The reason is for the operator.
    void portLost(const QString& reason);

private:
    int fail(int error, const QString& why);
    void received();
    void portError(QSerialPort::SerialPortError error);
    void closeLostPort();
    QString portLabel() const;

    QSerialPort m_port;
    int m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    SerialSettings m_settings;
    int m_inputLen = 0;
    int m_rThreshold = 0;
    int m_commEvent = 0;
    QString m_errorText;
    QString m_devicePath;
    bool m_closingLostPort = false;
    config::ProfileEncoding m_textEncoding = config::ProfileEncoding::Utf8;
};

} // namespace torvik::comm
