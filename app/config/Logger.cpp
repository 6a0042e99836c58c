#include "config/Logger.h"

#include "config/LoggerFile.h"
#include "runtime/Format.h"

#include <QDir>
#include <QtGlobal>
#include <algorithm>

namespace torvik {
namespace {

constexpr qint16 slotCount = 8;
constexpr qint16 dlcCount = 4;

QString valueText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Double:
        return runtime::plainText(value.toDouble());
    case QMetaType::Float:
        return runtime::plainText(static_cast<double>(value.toFloat()), runtime::Precision::Single);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

} // namespace

clsLogger::clsLogger() = default;
clsLogger::~clsLogger() = default;

void clsLogger::SetDate(const QString& svDate, qint16 iINDEX) {
    if (iINDEX >= 0 && iINDEX < slotCount)
        m_date[static_cast<std::size_t>(iINDEX)] = svDate;
}

void clsLogger::SetFormat1(bool blnFormat1) {
    m_format1 = blnFormat1;
}

void clsLogger::SetFormat2(bool blnFormat2) {
    m_format2 = blnFormat2;
}

void clsLogger::SetMax(qint16 DLC) {
    m_max = DLC;
}

void clsLogger::SetDLC(qint16 DLC, qint16 iINDEX) {
    if (iINDEX >= 0 && iINDEX < dlcCount)
        m_dlc[static_cast<std::size_t>(iINDEX)] = DLC;
}

void clsLogger::SetData(const QVariant& sDATA, qint16 iINDEX) {
    if (iINDEX >= 0 && iINDEX < slotCount)
        m_data[static_cast<std::size_t>(iINDEX)] = valueText(sDATA);
}

void clsLogger::OpenMode(bool FirstFlg, const QString& FileName, qint16 FormatType, bool EndFlg) {
    if (EndFlg) {
        if (m_file)
            m_file->close();
        return;
    }
    if (FirstFlg) {
        // A second start without a close still begins a new file: the old descriptor goes.
        if (!m_file)
            m_file = std::make_unique<LogFile>();
        if (!m_file->open(FileName, LogFile::Mode::Truncate)) {
            qWarning("data logger: %s: %s; this set is not saved", qUtf8Printable(FileName),
                     qUtf8Printable(m_file->error()));
            return;
        }
    }

    const QString crlf = QStringLiteral("\r\n");
    QString lines;
    // A slot index past the eight slots ends the set after what was written, as an
    // out-of-range subscript would; the slots are then kept.
    bool indexError = false;
    auto perSlot = [&](int last, bool ownNumbers) {
        indexError = last >= slotCount;
        last = std::min<int>(last, slotCount - 1);
        for (int i = 0; i <= last; ++i) {
            const auto s = static_cast<std::size_t>(i);
            if (m_date[s].isEmpty())
                continue;
            QString line = m_data[s];
            if (m_format2)
                line += u',' + m_date[s];
            if (m_format1)
                line += u',' + QString::number(ownNumbers ? m_dlc[s] : i + 1);
            lines += line + crlf;
        }
    };
    switch (FormatType) {
    case 0: {
        if (m_max >= slotCount || (m_format2 && m_max < 0))
            return;
        QString line;
        for (int i = 0; i <= m_max; ++i)
            line += m_data[static_cast<std::size_t>(i)] + u',';
        if (m_format2)
            line += m_date[static_cast<std::size_t>(m_max)];
        if (line.endsWith(u','))
            line.chop(1);
        lines = line + crlf;
        break;
    }
    case 1:
        perSlot(m_max, false);
        break;
    case 2:
        perSlot(slotCount - 1, false);
        break;
    case 3:
        perSlot(dlcCount - 1, true);
        break;
    default:
        break;
    }

    if (!lines.isEmpty() && !writeLines(FileName, lines))
        return;
    if (indexError)
        return;
    clearSlots();
}

bool clsLogger::writeLines(const QString& fileName, const QString& lines) {
    if (!m_file)
        m_file = std::make_unique<LogFile>();
    if (!m_file->isOpen() && !m_file->open(fileName, LogFile::Mode::Append)) {
        qWarning("data logger: %s: %s; this set is not saved", qUtf8Printable(fileName),
                 qUtf8Printable(m_file->error()));
        return false;
    }
    if (!m_file->append(lines.toUtf8())) {
        qWarning("data logger: %s: %s; this set is not saved", qUtf8Printable(fileName),
                 qUtf8Printable(m_file->error()));
        return false;
    }
    return true;
}

void clsLogger::clearSlots() {
    m_data.fill(QString());
    m_date.fill(QString());
    m_dlc.fill(0);
}

namespace mdlFileMgr {
namespace {

// 15 digits is as far as the sequence numbers stay exact in a double.
constexpr int maxSerialLen = 15;

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString CreateFileName(const DataFileNaming& naming, bool& newDataFile) {
    if (naming.SerialLen < 1 || naming.SerialLen > maxSerialLen)
        return {};
    const QString base = naming.FileName.trimmed();
    const QString suffix = QStringLiteral(".csv");

    // Name and extension match in any case, as on the case-insensitive folders users share.
    const QDir folder(naming.DirName.trimmed() + u'/');
    const QStringList names = folder.entryList(QDir::Files | QDir::NoDotAndDotDot);
    qint64 largest = 0;
    for (const QString& name : names) {
        if (name.size() < base.size() + suffix.size() ||
            !name.startsWith(base, Qt::CaseInsensitive) ||
            !name.endsWith(suffix, Qt::CaseInsensitive))
            continue;
        // Only the exact lower-case ".csv" goes, so a ".CSV" name never reads as numbered.
        QString stem = name;
        stem.remove(suffix, Qt::CaseSensitive);
        const QStringView tail = QStringView(stem).right(naming.SerialLen);
        if (allDigits(tail))
            largest = std::max(largest, tail.toLongLong());
    }

    const QString pattern(naming.SerialLen, u'0');
    qint64 ceiling = 0;
    for (int i = 0; i < naming.SerialLen; ++i)
        ceiling = ceiling * 10 + 9;
    const qint64 next = (largest != 0 && largest < ceiling && largest >= naming.StartNo)
                            ? largest + 1
                            : naming.StartNo;
    newDataFile = true;
    return base + runtime::formatNumber(static_cast<double>(next), pattern) + suffix;
}

} // namespace mdlFileMgr
} // namespace torvik
