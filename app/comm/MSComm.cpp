#include "comm/MSComm.h"

#include "comm/DeviceLock.h"
#include "commport/PortName.h"
#include "commport/PortPath.h"
#include "config/Notices.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace torvik::comm {

Q_LOGGING_CATEGORY(lcTextLink, "torvik.trace.textlink", QtWarningMsg)

namespace {

std::optional<QSerialPort::Parity> parityOf(QStringView letter) {
    if (letter.size() != 1)
        return std::nullopt;
    switch (letter.front().toUpper().unicode()) {
    case u'N':
        return QSerialPort::NoParity;
    case u'E':
        return QSerialPort::EvenParity;
    case u'O':
        return QSerialPort::OddParity;
    case u'M':
        return QSerialPort::MarkParity;
    case u'S':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

using config::Notice;
using config::noticeText;

} // namespace

std::optional<SerialSettings> parseSerialSettings(QStringView text) {
    const auto parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    SerialSettings s;
    bool ok = false;
    s.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0)
        return std::nullopt;
    const auto parity = parityOf(parts[1].trimmed());
    if (!parity)
        return std::nullopt;
    s.parity = *parity;
    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    s.dataBits = static_cast<QSerialPort::DataBits>(dataBits);
    const QStringView stop = parts[3].trimmed();
    if (stop == u"1")
        s.stopBits = QSerialPort::OneStop;
    else if (stop == u"1.5")
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == u"2")
        s.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return s;
}

MSComm::MSComm(QObject* parent) : QObject(parent) {
    m_settings = *parseSerialSettings(m_settingsText);
    connect(&m_port, &QSerialPort::readyRead, this, &MSComm::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &MSComm::portError);
}

MSComm::~MSComm() {
    disconnect(&m_port, nullptr, this, nullptr);
}

int MSComm::fail(int error, const QString& why) {
    m_errorText = why;
    return error;
}

QString MSComm::portLabel() const {
    return QStringLiteral("COM%1").arg(m_commPort);
}

int MSComm::setCommPort(int port) {
    if (PortOpen())
        return fail(comPortOpen, noticeText(Notice::LinkPortIsOpen).arg(portLabel()));
    if (!tavrin::portNameFrom("COM", port))
        return fail(comPortInvalid, noticeText(Notice::LinkNoPortNumber).arg(port));
    m_commPort = port;
    m_errorText.clear();
    return 0;
}

int MSComm::setSettings(const QString& settings) {
    const auto parsed = parseSerialSettings(settings);
    if (!parsed)
        return fail(comInvalidPropertyValue, noticeText(Notice::LinkBadSettings).arg(settings));
    if (PortOpen() &&
        !(m_port.setBaudRate(parsed->baudRate) && m_port.setParity(parsed->parity) &&
          m_port.setDataBits(parsed->dataBits) && m_port.setStopBits(parsed->stopBits)))
        return fail(comInvalidPropertyValue,
                    noticeText(Notice::LinkSettingsRefused).arg(portLabel(), m_port.errorString()));
    m_settings = *parsed;
    m_settingsText = settings;
    m_errorText.clear();
    return 0;
}

int MSComm::setInputLen(int length) {
    if (length < 0)
        return fail(comInvalidPropertyValue, noticeText(Notice::LinkBadInputLength).arg(length));
    m_inputLen = length;
    return 0;
}

int MSComm::setRThreshold(int threshold) {
    if (threshold < 0)
        return fail(comInvalidPropertyValue, noticeText(Notice::LinkBadThreshold).arg(threshold));
    m_rThreshold = threshold;
    return 0;
}

int MSComm::setPortOpen(bool open) {
    if (!open) {
        m_closingLostPort = false;
        if (m_port.isOpen())
            m_port.close(); // the lock goes with the descriptor
        m_errorText.clear();
        return 0;
    }
    if (m_port.isOpen())
        return fail(comPortAlreadyOpen, noticeText(Notice::LinkAlreadyOpen).arg(portLabel()));
    const auto name = tavrin::portNameFrom("COM", m_commPort);
    const auto path = name ? tavrin::resolveDevicePath(*name) : std::nullopt;
    if (!path)
        return fail(comPortInvalid, noticeText(Notice::LinkNoSuchPort).arg(portLabel()));
    m_devicePath = QString::fromStdString(*path);
    m_port.setPortName(m_devicePath);
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(kReadBufferBytes);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto error = m_port.error();
        const int number =
            error == QSerialPort::PermissionError ? comPortAlreadyOpen : comPortInvalid;
        return fail(number, noticeText(Notice::LinkCannotOpen)
                                .arg(portLabel(), m_devicePath, m_port.errorString()));
    }
    if (!lockDeviceExclusive(static_cast<int>(m_port.handle()))) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        m_port.close();
        return fail(comPortAlreadyOpen,
                    noticeText(Notice::LinkInUse).arg(portLabel(), m_devicePath, why));
    }
    m_closingLostPort = false;
    m_commEvent = 0;
    m_errorText.clear();
    qCDebug(lcTextLink) << portLabel() << "open on" << m_devicePath << m_settingsText;
    return 0;
}

int MSComm::InBufferCount() const {
    if (!m_port.isOpen())
        return 0;
    return static_cast<int>(std::min<qint64>(m_port.bytesAvailable(), 0x7FFFFFFF));
}

QString MSComm::Input() {
    if (!m_port.isOpen())
        return {};
    const QByteArray bytes = m_inputLen == 0 ? m_port.readAll() : m_port.read(m_inputLen);
    return QString::fromLatin1(bytes);
}

int MSComm::setOutput(const QString& text) {
    if (!m_port.isOpen())
        return fail(comPortNotOpen, noticeText(Notice::LinkNotOpen).arg(portLabel()));
    QByteArray bytes(text.size(), '?');
    std::transform(text.begin(), text.end(), bytes.begin(), [](QChar c) {
        return c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?';
    });
    if (m_port.bytesToWrite() + bytes.size() > kMaxPendingOutputBytes) {
        qCWarning(lcTextLink) << portLabel() << "takes nothing: dropped" << bytes.size()
                              << "bytes of output";
        return fail(comTxFull, noticeText(Notice::LinkTakesNothing).arg(portLabel()));
    }
    m_port.write(bytes);
    // Out now, not at the next turn of the event loop: a Stop that follows closes the port.
    m_port.flush();
    return 0;
}

void MSComm::received() {
    if (m_rThreshold <= 0 || m_closingLostPort)
        return;
    m_commEvent = comEvReceive;
    emit OnComm();
}

void MSComm::portError(QSerialPort::SerialPortError error) {
    if (!m_port.isOpen() || m_closingLostPort)
        return;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // The device keeps reporting the failure for as long as it stays open, so close it;
        // not from inside the port's own notification, which still uses its notifiers.
        m_closingLostPort = true;
        QMetaObject::invokeMethod(this, &MSComm::closeLostPort, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

void MSComm::closeLostPort() {
    if (!m_closingLostPort)
        return;
    // The port's own error text is that of its last failed call, which says little here.
    const QString reason = noticeText(Notice::LinkLost).arg(portLabel(), m_devicePath);
    m_port.close();
    m_closingLostPort = false;
    qCWarning(lcTextLink).noquote() << "lost the port" << portLabel() << "on" << m_devicePath;
    emit portLost(reason);
}

} // namespace torvik::comm
