// The traffic monitor: every frame the main screen's controls put on the line and every reply,
// filtered by node and direction, pausable, exportable as text. It reads the frame log the
// screen keeps, so it shows the run in progress, or what the last run left when opened later.
#pragma once

#include "views/ViewTexts.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace torvik::views {

class FrameLog;
class FrameTableModel;

class MonitorWindow : public QWidget {
    Q_OBJECT
public:
    // `tapAvailable` false: the library records no frames; the window says so.
    MonitorWindow(const FrameLog& log, const MonitorTexts& texts, bool tapAvailable,
                  QWidget* parent);
    ~MonitorWindow() override;

    FrameTableModel& model() { return *m_model; }
    void setRunning(bool running);
    // Takes in the frames logged since the last call (the timer does this while shown).
    void refreshNow();
    // Writes the frames shown, one line each; false when the file cannot be written.
    bool exportText(const QString& path);
    // The same written on a worker thread from the rows shown now; exportFinished follows on
    // this thread, and a note when it failed. Returns at once.
    void startExport(const QString& path);
    bool exporting() const { return m_exports > 0; }

signals:
    void exportFinished(const QString& path, bool written);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void filterChanged();
    void pauseClicked();
    void exportClicked();
    void updateStatus();

    const FrameLog& m_log;
    MonitorTexts m_texts;
    bool m_tapAvailable;
    bool m_running = false;
    int m_exports = 0; // started and not yet finished
    FrameTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QSpinBox* m_node = nullptr;
    QComboBox* m_direction = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace torvik::views
