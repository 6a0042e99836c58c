#include "views/MonitorWindow.h"

#include "views/ExportDialog.h"
#include "views/FrameLog.h"
#include "views/FrameTableModel.h"

#include <QComboBox>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPromise>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace torvik::views {
namespace {

// Often enough to look live, seldom enough that a run at the line's limit never waits for it.
constexpr int kRefreshMs = 200;

} // namespace

MonitorWindow::MonitorWindow(const FrameLog& log, const MonitorTexts& texts, bool tapAvailable,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_log(log), m_texts(texts), m_tapAvailable(tapAvailable) {
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(texts.title);
    resize(900, 480);

    m_model = new FrameTableModel(log, texts, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("grdMonitor"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    // Fixed row heights: a table of 100,000 rows lays out only what it shows.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {120, 70, 50, 100, 300, 60};
    for (int c = 0; c < FrameTableModel::Verdict; ++c)
        m_table->setColumnWidth(c, widths[c]);

    m_node = new QSpinBox(this);
    m_node->setObjectName(QStringLiteral("spnMonitorNode"));
    m_node->setRange(FrameTableModel::kAllNodes, 247);
    m_node->setSpecialValueText(texts.allNodes);
    m_node->setValue(FrameTableModel::kAllNodes);
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("cmbMonitorDirection"));
    m_direction->addItems({texts.allDirections, texts.sent, texts.received});
    m_pause = new QPushButton(texts.pause, this);
    m_pause->setObjectName(QStringLiteral("cmdMonitorPause"));
    m_export = new QPushButton(texts.exportText, this);
    m_export->setObjectName(QStringLiteral("cmdMonitorExport"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblMonitorStatus"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(texts.node, this));
    bar->addWidget(m_node);
    bar->addWidget(new QLabel(texts.direction, this));
    bar->addWidget(m_direction);
    bar->addWidget(m_pause);
    bar->addWidget(m_export);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_table);
    layout->addWidget(m_status);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &MonitorWindow::refreshNow);
    connect(m_node, &QSpinBox::valueChanged, this, &MonitorWindow::filterChanged);
    connect(m_direction, &QComboBox::currentIndexChanged, this, &MonitorWindow::filterChanged);
    connect(m_pause, &QPushButton::clicked, this, &MonitorWindow::pauseClicked);
    connect(m_export, &QPushButton::clicked, this, &MonitorWindow::exportClicked);
    updateStatus();
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshNow();
    if (!m_model->paused())
        m_table->scrollToBottom();
    m_timer->start();
}

void MonitorWindow::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

void MonitorWindow::setRunning(bool running) {
    m_running = running;
    updateStatus();
}

void MonitorWindow::refreshNow() {
    QScrollBar* scroll = m_table->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    if (m_model->sync() && atEnd && !m_model->paused())
        m_table->scrollToBottom();
    updateStatus();
}

void MonitorWindow::filterChanged() {
    const auto directions =
        static_cast<FrameTableModel::Directions>(std::max(m_direction->currentIndex(), 0));
    m_model->setFilter(m_node->value(), directions);
    m_table->scrollToBottom();
    updateStatus();
}

void MonitorWindow::pauseClicked() {
    m_model->setPaused(!m_model->paused());
    m_pause->setText(m_model->paused() ? m_texts.resume : m_texts.pause);
    if (!m_model->paused())
        refreshNow();
    updateStatus();
}

bool MonitorWindow::exportText(const QString& path) {
    return FrameExport(*m_model).write(path);
}

void MonitorWindow::startExport(const QString& path) {
    // Formatting 100,000 lines takes the best part of a second: only the rows are copied here
    // (their bytes shared), and the pool formats and writes them.
    auto job = std::make_shared<const FrameExport>(*m_model);
    auto promise = std::make_shared<QPromise<bool>>();
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, path] {
        const bool written = watcher->future().resultCount() > 0 && watcher->result();
        watcher->deleteLater();
        --m_exports;
        if (!written)
            showNote(*this, m_texts.exportFailed);
        emit exportFinished(path, written);
    });
    watcher->setFuture(promise->future());
    ++m_exports;
    QThreadPool::globalInstance()->start([job, promise, path] {
        promise->start();
        promise->addResult(job->write(path));
        promise->finish();
    });
}

void MonitorWindow::exportClicked() {
    askSavePath(*this, m_texts.exportText, QStringLiteral("*.txt"),
                [this](const QString& path) { startExport(path); });
}

void MonitorWindow::updateStatus() {
    if (!m_tapAvailable) {
        m_status->setText(m_texts.noTap);
        return;
    }
    QString line = m_texts.counts.arg(m_model->rowCount())
                       .arg(m_log.end() - m_log.first())
                       .arg(m_log.droppedOldest())
                       .arg(m_log.lost());
    line += QStringLiteral("   ") + (m_running ? m_texts.running : m_texts.stopped);
    m_status->setText(line);
}

} // namespace torvik::views
