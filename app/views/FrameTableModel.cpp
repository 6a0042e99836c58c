#include "views/FrameTableModel.h"

#include "views/FrameLog.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

namespace torvik::views {
namespace {

QString cellText(const LoggedFrame& f, int column, const MonitorTexts& texts,
                 const QString& resultText) {
    switch (column) {
    case FrameTableModel::Time:
        return frameTime(f.timeUs, false);
    case FrameTableModel::Direction:
        return f.sent() ? texts.sent : f.timedOut() ? texts.timeout : texts.received;
    case FrameTableModel::Node:
        return QString::number(f.node);
    case FrameTableModel::Function:
        return QString::number(f.function);
    case FrameTableModel::Bytes:
        return hexBytes(f.bytes);
    case FrameTableModel::Result:
        return QString::number(f.result);
    case FrameTableModel::Verdict:
        return resultText;
    default:
        return {};
    }
}

QString exportLineOf(const LoggedFrame& f, const MonitorTexts& texts, const QString& resultText) {
    QStringList cells{frameTime(f.timeUs, true)};
    for (int c = FrameTableModel::Direction; c < FrameTableModel::ColumnCount; ++c)
        cells << cellText(f, c, texts, resultText);
    return cells.join(u'\t');
}

} // namespace

QString frameTime(std::int64_t timeUs, bool withDate) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(timeUs / 1000);
    const auto micro = static_cast<int>(((timeUs % 1000000) + 1000000) % 1000000);
    return t.toString(withDate ? QStringLiteral("yyyy-MM-dd HH:mm:ss.")
                               : QStringLiteral("HH:mm:ss.")) +
           QStringLiteral("%1").arg(micro, 6, 10, QLatin1Char('0'));
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

FrameTableModel::FrameTableModel(const FrameLog& log, MonitorTexts texts, QObject* parent)
    : QAbstractTableModel(parent), m_log(log), m_texts(std::move(texts)) {
    sync();
}

int FrameTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FrameTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const LoggedFrame& FrameTableModel::frameAt(int row) const {
    return m_log.at(m_rows.at(static_cast<std::size_t>(row)));
}

QString FrameTableModel::text(int row, int column) const {
    const LoggedFrame& f = frameAt(row);
    return cellText(f, column, m_texts, column == Verdict ? m_log.resultText(f.result) : QString());
}

QVariant FrameTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::ToolTipRole && index.column() == Time)
        return frameTime(frameAt(index.row()).timeUs, true);
    if (role == Qt::TextAlignmentRole && index.column() != Bytes && index.column() != Verdict)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FrameTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QString* headers[] = {&m_texts.time,     &m_texts.direction, &m_texts.node,
                                &m_texts.function, &m_texts.bytes,     &m_texts.result,
                                &m_texts.verdict};
    return section >= 0 && section < ColumnCount ? *headers[section] : QString();
}

QString FrameTableModel::exportHeader() const {
    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << headerData(c, Qt::Horizontal).toString();
    return cells.join(u'\t');
}

QString FrameTableModel::exportLine(int row) const {
    const LoggedFrame& f = frameAt(row);
    return exportLineOf(f, m_texts, m_log.resultText(f.result));
}

std::vector<LoggedFrame> FrameTableModel::shownFrames() const {
    std::vector<LoggedFrame> frames;
    frames.reserve(m_rows.size());
    for (std::uint64_t n : m_rows)
        frames.push_back(m_log.at(n));
    return frames;
}

const QHash<std::int32_t, QString>& FrameTableModel::resultTexts() const {
    return m_log.resultTexts();
}

FrameExport::FrameExport(const FrameTableModel& model)
    : m_header(model.exportHeader()), m_texts(model.texts()), m_results(model.resultTexts()),
      m_frames(model.shownFrames()) {}

bool FrameExport::write(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << m_header << '\n';
    for (const LoggedFrame& f : m_frames)
        out << exportLineOf(f, m_texts, m_results.value(f.result)) << '\n';
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

bool FrameTableModel::passes(const LoggedFrame& f) const {
    if (m_node != kAllNodes && f.node != m_node)
        return false;
    switch (m_directions) {
    case Directions::Sent:
        return f.sent();
    case Directions::Received:
        return !f.sent();
    case Directions::All:
        break;
    }
    return true;
}

void FrameTableModel::setFilter(int node, Directions directions) {
    if (node == m_node && directions == m_directions)
        return;
    beginResetModel();
    m_node = node;
    m_directions = directions;
    m_rows.clear();
    for (std::uint64_t n = m_log.first(); n < m_scanned; ++n) {
        if (passes(m_log.at(n)))
            m_rows.push_back(n);
    }
    endResetModel();
}

bool FrameTableModel::sync() {
    bool changed = false;
    const std::uint64_t first = m_log.first();
    std::size_t gone = 0;
    while (gone < m_rows.size() && m_rows[gone] < first)
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(gone));
        endRemoveRows();
        changed = true;
    }
    if (m_paused)
        return changed;
    std::vector<std::uint64_t> added;
    for (std::uint64_t n = std::max(m_scanned, first); n < m_log.end(); ++n) {
        if (passes(m_log.at(n)))
            added.push_back(n);
    }
    m_scanned = m_log.end();
    if (!added.empty()) {
        const auto at = static_cast<int>(m_rows.size());
        beginInsertRows({}, at, at + static_cast<int>(added.size()) - 1);
        m_rows.insert(m_rows.end(), added.begin(), added.end());
        endInsertRows();
        changed = true;
    }
    return changed;
}

} // namespace torvik::views
