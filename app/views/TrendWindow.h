// The live trend of the measured values: one line per load cell in the run, coloured by DLC
// number, over a time window of 10 s to 1 h, auto or fixed scale, pausable, exportable as a
// PNG picture. It draws from the trend history the screen keeps, so it shows the run in
// progress, or what the last run left when opened later.
#pragma once

#include "views/ViewTexts.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QTimer;
class QValueAxis;

namespace torvik::views {

class TrendHistory;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    // The choices of the time window, in seconds.
    static constexpr std::array<int, 7> kWindows = {10, 30, 60, 300, 600, 1800, 3600};

    TrendWindow(const TrendHistory& history, const TrendTexts& texts, QWidget* parent);
    ~TrendWindow() override;

    void setRunning(bool running);
    bool paused() const { return m_paused; }
    void setPaused(bool paused);
    void setWindowSeconds(int seconds); // one of kWindows
    void setFixedScale(double low, double high);
    void setAutoscale();

    // Redraws now (the timer does this while shown and not paused): from the history as it
    // goes on, or while paused from what the history held when the plot was paused.
    void refreshNow();
    bool exportPng(const QString& path);

    // The line of DLC index `dlc`, null while the cell has no value in the run.
    const QLineSeries* series(int dlc) const;
    const QValueAxis& valueAxis() const { return *m_y; }
    const QDateTimeAxis& timeAxis() const { return *m_x; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLineSeries& seriesFor(int dlc);
    double currentEnd(const TrendHistory& history) const;
    void scaleChanged();
    void exportClicked();
    void updateStatus();
    void updateTimer();

    const TrendHistory& m_history;
    TrendTexts m_texts;
    bool m_running = false;
    bool m_paused = false;
    int m_windowSeconds = 60;
    std::uint64_t m_drawnRevision = ~std::uint64_t{0};
    double m_drawnEnd = 0; // the time axis' end as last drawn
    // While paused: the history as it was then, and the end of the plot then shown. A new
    // window length or scale redraws this, never what came since.
    std::unique_ptr<const TrendHistory> m_held;
    double m_heldEnd = 0;

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QDateTimeAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
    std::array<QLineSeries*, 9> m_series{};
    QComboBox* m_window = nullptr;
    QPushButton* m_pause = nullptr;
    QRadioButton* m_auto = nullptr;
    QRadioButton* m_fixed = nullptr;
    QDoubleSpinBox* m_min = nullptr;
    QDoubleSpinBox* m_max = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace torvik::views
