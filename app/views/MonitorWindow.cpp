#include "views/MonitorWindow.h"

#include "screens/MessageBox.h"
#include "views/FrameLog.h"
#include "views/FrameTableModel.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << m_model->exportHeader() << '\n';
    for (int row = 0; row < m_model->rowCount(); ++row)
        out << m_model->exportLine(row) << '\n';
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

void MonitorWindow::exportClicked() {
    const QString path =
        QFileDialog::getSaveFileName(this, m_texts.exportText, QString(), QStringLiteral("*.txt"));
    if (!path.isEmpty() && !exportText(path))
        screens::showMessage(this, m_texts.exportFailed);
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
