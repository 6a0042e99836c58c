#include "comm/ErrorLog.h"

#include "runtime/Format.h"

#include <QSaveFile>

namespace torvik::comm {
namespace {

constexpr std::int32_t kResultCommOpen = 1280;

} // namespace

QString dataFolderPath(const QString& dirName) {
    QString folder = dirName.trimmed();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString errorLogPath(const QString& dirName) {
    return dataFolderPath(dirName) + QStringLiteral("error_log.txt");
}

void ErrorLogRing::clear() {
    m_entries.fill(Entry{});
    m_position = 0;
}

bool ErrorLogRing::add(std::int32_t result, int dlcNumber, const QDateTime& when, bool errCond1) {
    return add(result, QString::number(dlcNumber), when, errCond1);
}

bool ErrorLogRing::add(std::int32_t result, const QString& dlcNumber, const QDateTime& when,
                       bool errCond1) {
    if (!errCond1 || result == 0 || result == kResultCommOpen)
        return false;
    // Results are the control's 16-bit codes; a negative one reads as its 16-bit pattern.
    m_entries[static_cast<std::size_t>(m_position)] = {
        runtime::hexText(result, runtime::HexWidth::Bits16), dlcNumber, when};
    m_position = (m_position + 1) % kEntries;
    return true;
}

bool ErrorLogRing::WriteLog(const QString& path, bool errCond1) const {
    if (m_entries[0].code.isEmpty() || !errCond1)
        return true;
    return PutErrorLog(path);
}

QString ErrorLogRing::text() const {
    const QString crlf = QStringLiteral("\r\n");
    QString out = QStringLiteral("Torvik error log") + crlf + QString(35, u'-') + crlf;
    auto line = [&](const Entry& e, bool finalTab) {
        out += u'h' + e.code + u'\t' + e.dlc + u'\t' +
               e.when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (finalTab)
            out += u'\t';
        out += crlf;
    };
    // An entry in use at the write position means the ring has wrapped and that entry is the
    // oldest. The lines from there to the end carry a trailing tab and the wrapped part does
    // not; the layout stays exactly as the logs written so far have it.
    const bool wrapped = !m_entries[static_cast<std::size_t>(m_position)].code.isEmpty();
    for (int i = wrapped ? m_position : 0; i < kEntries; ++i) {
        const Entry& e = m_entries[static_cast<std::size_t>(i)];
        if (e.code.isEmpty())
            break;
        line(e, true);
    }
    if (wrapped) {
        for (int i = 0; i < m_position; ++i) {
            const Entry& e = m_entries[static_cast<std::size_t>(i)];
            if (e.code.isEmpty())
                break;
            line(e, false);
        }
    }
    return out;
}

bool ErrorLogRing::PutErrorLog(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning("error log: %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return false;
    }
    file.write(text().toUtf8());
    if (!file.commit()) {
        qWarning("error log: %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace torvik::comm
