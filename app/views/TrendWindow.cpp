#include "views/TrendWindow.h"

#include "views/ExportDialog.h"
#include "views/TrendHistory.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace torvik::views {
namespace {

// Four redraws a second look live; each draws at most two points per pixel column.
constexpr int kRefreshMs = 250;

// One colour per DLC number, told apart on screen and in print.
const QColor kColours[TrendHistory::kCells] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf), QColor(0x7f, 0x7f, 0x7f)};

QString windowCaption(const TrendTexts& t, int seconds) {
    if (seconds < 60)
        return t.seconds.arg(seconds);
    if (seconds < 3600)
        return t.minutes.arg(seconds / 60);
    return t.hours.arg(seconds / 3600);
}

} // namespace

TrendWindow::TrendWindow(const TrendHistory& history, const TrendTexts& texts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_history(history), m_texts(texts) {
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(texts.title);
    resize(900, 520);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_x = new QDateTimeAxis(m_chart);
    m_x->setTitleText(texts.timeAxis);
    m_x->setTickCount(7);
    m_y = new QValueAxis(m_chart);
    m_y->setTitleText(texts.valueAxis);
    m_chart->addAxis(m_x, Qt::AlignBottom);
    m_chart->addAxis(m_y, Qt::AlignLeft);
    m_view = new QChartView(m_chart, this); // takes the chart
    m_view->setObjectName(QStringLiteral("chartTrend"));
    m_view->setRenderHint(QPainter::Antialiasing, false);

    m_window = new QComboBox(this);
    m_window->setObjectName(QStringLiteral("cmbTrendWindow"));
    for (int seconds : kWindows)
        m_window->addItem(windowCaption(texts, seconds), seconds);
    m_window->setCurrentIndex(2);
    m_pause = new QPushButton(texts.pause, this);
    m_pause->setObjectName(QStringLiteral("cmdTrendPause"));
    m_auto = new QRadioButton(texts.autoscale, this);
    m_auto->setObjectName(QStringLiteral("optTrendAuto"));
    m_auto->setChecked(true);
    m_fixed = new QRadioButton(texts.fixedScale, this);
    m_fixed->setObjectName(QStringLiteral("optTrendFixed"));
    auto* scale = new QButtonGroup(this);
    scale->addButton(m_auto);
    scale->addButton(m_fixed);
    auto spin = [this](const char* name, double value) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(-1e9, 1e9);
        box->setDecimals(2);
        box->setValue(value);
        box->setEnabled(false);
        return box;
    };
    m_min = spin("txtTrendMin", 0);
    m_max = spin("txtTrendMax", 1000);
    m_export = new QPushButton(texts.exportPng, this);
    m_export->setObjectName(QStringLiteral("cmdTrendExport"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblTrendStatus"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(texts.window, this));
    bar->addWidget(m_window);
    bar->addWidget(m_pause);
    bar->addSpacing(12);
    bar->addWidget(m_auto);
    bar->addWidget(m_fixed);
    bar->addWidget(new QLabel(texts.minimum, this));
    bar->addWidget(m_min);
    bar->addWidget(new QLabel(texts.maximum, this));
    bar->addWidget(m_max);
    bar->addStretch();
    bar->addWidget(m_export);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_status);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TrendWindow::refreshNow);
    connect(m_window, &QComboBox::currentIndexChanged, this, [this] {
        m_windowSeconds = m_window->currentData().toInt();
        m_drawnRevision = ~std::uint64_t{0}; // the new window's points, thinned anew
        refreshNow();
    });
    connect(m_pause, &QPushButton::clicked, this, [this] { setPaused(!m_paused); });
    connect(m_auto, &QRadioButton::toggled, this, &TrendWindow::scaleChanged);
    connect(m_min, &QDoubleSpinBox::valueChanged, this, &TrendWindow::scaleChanged);
    connect(m_max, &QDoubleSpinBox::valueChanged, this, &TrendWindow::scaleChanged);
    connect(m_export, &QPushButton::clicked, this, &TrendWindow::exportClicked);
    m_windowSeconds = m_window->currentData().toInt();
    updateStatus();
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_drawnRevision = ~std::uint64_t{0};
    refreshNow();
    updateTimer();
}

void TrendWindow::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

void TrendWindow::updateTimer() {
    if (isVisible() && !m_paused)
        m_timer->start();
    else
        m_timer->stop();
}

void TrendWindow::setRunning(bool running) {
    m_running = running;
    updateStatus();
    if (!m_paused)
        refreshNow();
}

void TrendWindow::setPaused(bool paused) {
    if (paused && !m_paused) {
        // Held as the plot shows it: the values up to the end last drawn. Values that came
        // after that drawing are in the copy but beyond the held end.
        m_held = std::make_unique<const TrendHistory>(m_history);
        m_heldEnd = m_drawnRevision == ~std::uint64_t{0} ? currentEnd(m_history) : m_drawnEnd;
    } else if (!paused) {
        m_held.reset();
    }
    m_paused = paused;
    m_pause->setText(paused ? m_texts.resume : m_texts.pause);
    updateTimer();
    if (!paused) {
        m_drawnRevision = ~std::uint64_t{0};
        refreshNow();
    }
    updateStatus();
}

void TrendWindow::setWindowSeconds(int seconds) {
    const int index = m_window->findData(seconds);
    if (index >= 0)
        m_window->setCurrentIndex(index);
}

void TrendWindow::setFixedScale(double low, double high) {
    m_min->setValue(low);
    m_max->setValue(high);
    m_fixed->setChecked(true);
}

void TrendWindow::setAutoscale() {
    m_auto->setChecked(true);
}

void TrendWindow::scaleChanged() {
    m_min->setEnabled(m_fixed->isChecked());
    m_max->setEnabled(m_fixed->isChecked());
    m_drawnRevision = ~std::uint64_t{0};
    refreshNow();
}

const QLineSeries* TrendWindow::series(int dlc) const {
    return dlc >= 0 && dlc < static_cast<int>(m_series.size())
               ? m_series[static_cast<std::size_t>(dlc)]
               : nullptr;
}

QLineSeries& TrendWindow::seriesFor(int dlc) {
    QLineSeries*& s = m_series.at(static_cast<std::size_t>(dlc));
    if (s == nullptr) {
        s = new QLineSeries;
        s->setName(m_texts.legend.arg(dlc + 1));
        s->setPen(QPen(kColours[dlc], 1.5));
        m_chart->addSeries(s); // the chart owns it
        s->attachAxis(m_x);
        s->attachAxis(m_y);
    }
    return *s;
}

double TrendWindow::currentEnd(const TrendHistory& history) const {
    // While the run goes on the window moves with the clock; after it, it ends at the last value.
    const double latest = history.lastTime();
    return m_running || latest == 0 ? history.now() : latest;
}

void TrendWindow::refreshNow() {
    const TrendHistory& shown = m_held ? *m_held : m_history;
    const bool live = !m_held;
    const double end = live ? currentEnd(m_history) : m_heldEnd;
    const double from = end - m_windowSeconds * 1000.0;
    const bool pointsMoved = shown.revision() != m_drawnRevision;
    const int columns = std::max(200, static_cast<int>(m_chart->plotArea().width()));
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int dlc = 0; dlc < static_cast<int>(TrendHistory::kCells); ++dlc) {
        QLineSeries*& s = m_series[static_cast<std::size_t>(dlc)];
        if (!shown.hasValues(dlc)) {
            if (s != nullptr) {           // a new run without this cell
                m_chart->removeSeries(s); // hands the line back to us
                const std::unique_ptr<QLineSeries> gone(std::exchange(s, nullptr));
            }
            continue;
        }
        QLineSeries& line = seriesFor(dlc);
        if (pointsMoved || (live && m_running))
            line.replace(shown.cell(dlc).points(from, end, columns));
        for (const QPointF& p : line.points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    m_drawnRevision = shown.revision();
    m_drawnEnd = end;
    m_x->setFormat(m_windowSeconds <= 600 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    m_x->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(from)),
                  QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(end)));
    if (m_fixed->isChecked()) {
        m_y->setRange(std::min(m_min->value(), m_max->value()),
                      std::max(m_min->value(), m_max->value()));
    } else if (low <= high) {
        // A flat line still gets a band around it.
        const double margin =
            high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.01, 1.0);
        m_y->setRange(low - margin, high + margin);
        m_y->applyNiceNumbers(); // ticks at round values
    }
    updateStatus();
}

void TrendWindow::updateStatus() {
    std::int64_t points = 0;
    std::int64_t notFinite = 0;
    for (int dlc = 0; dlc < static_cast<int>(TrendHistory::kCells); ++dlc) {
        points += m_history.cell(dlc).count();
        notFinite += m_history.cell(dlc).notFinite();
    }
    const QString state = m_paused ? m_texts.paused : m_running ? m_texts.running : m_texts.stopped;
    m_status->setText(state + QStringLiteral("   ") + m_texts.counts.arg(points).arg(notFinite));
}

bool TrendWindow::exportPng(const QString& path) {
    return m_view->grab().save(path, "PNG");
}

void TrendWindow::exportClicked() {
    askSavePath(*this, m_texts.exportPng, QStringLiteral("*.png"), [this](const QString& path) {
        if (!exportPng(path))
            showNote(*this, m_texts.exportFailed);
    });
}

} // namespace torvik::views
