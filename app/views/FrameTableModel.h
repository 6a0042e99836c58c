// The traffic monitor's table over the frame log: the frames that pass the node and direction
// filter, taken in by batches (the monitor calls sync() on a timer), so that a run's frames
// never wait for the table. Paused, it takes in nothing new but still lets go of the frames
// the log has dropped.
#pragma once

#include "views/FrameLog.h"
#include "views/ViewTexts.h"

#include <QAbstractTableModel>
#include <QHash>
#include <cstdint>
#include <deque>
#include <vector>

namespace torvik::views {

class FrameTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Node, Function, Bytes, Result, Verdict, ColumnCount };
    static constexpr int kAllNodes = -1;
    enum class Directions { All, Sent, Received };

    FrameTableModel(const FrameLog& log, MonitorTexts texts, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void setFilter(int node, Directions directions);
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }
    // Takes in what the log gained and lets go of what it dropped; true when rows changed.
    bool sync();

    // The text of one cell as shown (also what the export writes).
    QString text(int row, int column) const;
    // One line of the export: the date with the time, then the columns, tab-separated.
    QString exportLine(int row) const;
    QString exportHeader() const;

    // The frames shown, oldest first, and the verdict texts of their results.
    std::vector<LoggedFrame> shownFrames() const;
    const QHash<std::int32_t, QString>& resultTexts() const;
    const MonitorTexts& texts() const { return m_texts; }

private:
    bool passes(const LoggedFrame& frame) const;
    const LoggedFrame& frameAt(int row) const;

    const FrameLog& m_log;
    MonitorTexts m_texts;
    std::deque<std::uint64_t> m_rows; // frame numbers shown, ascending
    std::uint64_t m_scanned = 0;      // frames before this number have been looked at
    int m_node = kAllNodes;
    Directions m_directions = Directions::All;
    bool m_paused = false;
};

// "12:34:56.123456" (with the date: "2024-05-01 12:34:56.123456"), local time.
QString frameTime(std::int64_t timeUs, bool withDate);
// "01 04 00 00 00 02 71 CB"
QString hexBytes(const QByteArray& bytes);

// The monitor's rows as a text file, taken from the table at once and written later, on any
// thread: the copy shares the frames' bytes and goes on holding them whatever the log drops
// meanwhile, so a long export leaves the user-interface thread to the run.
class FrameExport {
public:
    explicit FrameExport(const FrameTableModel& model);

    // The header and one line a frame; false when the file cannot be written.
    bool write(const QString& path) const;

private:
    QString m_header;
    MonitorTexts m_texts;
    QHash<std::int32_t, QString> m_results;
    std::vector<LoggedFrame> m_frames;
};

} // namespace torvik::views
