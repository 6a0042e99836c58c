// The traffic monitor beside a measurement run against dlcsim: every frame the line carried,
// in its order (checked against dlcsim's own log), each request followed by its reply with its
// verdict; filters by node and direction; a monitor opened after the run shows it; the export
// writes what it shows, also chosen during a run, which goes on meanwhile, and for a full log;
// closing it mid-run does no harm.
#include "views/MonitorWindow.h"

#include "ExportDuringRun.h"
#include "MeasureFixture.h"
#include "screens/frmComm.h"
#include "tavrin/Tavrin.h"
#include "views/BenchViews.h"
#include "views/FrameLog.h"
#include "views/FrameTableModel.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace torvik::screens::testing;
using torvik::views::FrameLog;
using torvik::views::FrameTableModel;
using torvik::views::LoggedFrame;
using torvik::views::MonitorTexts;
using torvik::views::MonitorWindow;

namespace {

long long okCount(MeasureFixture& f) {
    return f.find<QLineEdit>(QStringLiteral("txtOK"))->text().toLongLong();
}

// The hexadecimal bytes of the rows in one direction.
QStringList rowBytes(const FrameTableModel& model, const QString& direction) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.text(row, FrameTableModel::Direction) == direction)
            out << model.text(row, FrameTableModel::Bytes);
    }
    return out;
}

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class MonitorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsAndExportsTheFramesOfARun() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        auto& views = f.screen().benchViews();
        QVERIFY(f.screen()
                    .findChild<QAction*>(QStringLiteral("mnu_tx1"))
                    ->menu()
                    ->actions()
                    .contains(views.monitorAction()));
        QVERIFY(f.runUntil([&] { return okCount(f) >= 12; }));
        const QStringList sentByLine = f.receivedFrames();
        // Opened after the run: what the run left, once its last reply is in.
        views.monitorAction()->trigger();
        auto* window = f.screen().findChild<MonitorWindow*>(QStringLiteral("frmMonitor"));
        QVERIFY(window != nullptr && window->isVisible());
        FrameTableModel& model = window->model();
        const QString sent = QStringLiteral("送信");
        const QString received = QStringLiteral("受信");
        QTRY_COMPARE_WITH_TIMEOUT((window->refreshNow(), rowBytes(model, sent)), f.receivedFrames(),
                                  5000);
        QVERIFY(sentByLine.size() >= 12);
        // Every poll's request is followed by its reply, good, with the library's verdict.
        int replies = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.text(row, FrameTableModel::Direction) != received)
                continue;
            ++replies;
            QVERIFY(row > 0);
            QCOMPARE(model.text(row - 1, FrameTableModel::Direction), sent);
            QCOMPARE(model.text(row, FrameTableModel::Node),
                     model.text(row - 1, FrameTableModel::Node));
            QCOMPARE(model.text(row, FrameTableModel::Function), QStringLiteral("4"));
            QCOMPARE(model.text(row, FrameTableModel::Result), QStringLiteral("0"));
            QCOMPARE(model.text(row, FrameTableModel::Verdict),
                     QStringLiteral("Successful transaction!"));
            QVERIFY(model.text(row, FrameTableModel::Bytes)
                        .startsWith(model.text(row, FrameTableModel::Node).rightJustified(2, u'0') +
                                    QStringLiteral(" 04 04 ")));
        }
        QCOMPARE(replies, okCount(f));
        // The broadcasts (assignment, synchronisation) are there as sent frames of node 0.
        window->findChild<QSpinBox*>(QStringLiteral("spnMonitorNode"))->setValue(0);
        QVERIFY(model.rowCount() > 0);
        QCOMPARE(rowBytes(model, received).size(), 0);
        window->findChild<QSpinBox*>(QStringLiteral("spnMonitorNode"))->setValue(2);
        window->findChild<QComboBox*>(QStringLiteral("cmbMonitorDirection"))->setCurrentIndex(2);
        QCOMPARE(model.rowCount(), okCount(f) / 4);
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.text(row, FrameTableModel::Node), QStringLiteral("2"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("frames.txt"));
        QVERIFY(window->exportText(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), model.rowCount() + 1);
        QCOMPARE(lines[0], model.exportHeader());
        const QStringList cells = lines[1].split(u'\t');
        QCOMPARE(cells.size(), int(FrameTableModel::ColumnCount));
        // The date, the time to the microsecond.
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{6}$"))
                     .match(cells[0])
                     .hasMatch(),
                 qPrintable(cells[0]));
        QCOMPARE(cells[1], received);
        QCOMPARE(cells[4], model.text(0, FrameTableModel::Bytes));
        QCOMPARE(cells[6], QStringLiteral("Successful transaction!"));
        QVERIFY(!window->exportText(dir.filePath(QStringLiteral("no/such/folder/frames.txt"))));
    }

    // The save dialog opened from the export button during a run lets the run go on, and the
    // rows shown when the file was chosen are written to it.
    void exportDuringARunKeepsThePollsGoing() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        MonitorWindow& window = f.screen().benchViews().showMonitor();
        QSignalSpy finished(&window, &MonitorWindow::exportFinished);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("during.txt"));
        const ExportDuringRun run = exportDuringRun(
            f, window, *window.findChild<QPushButton*>(QStringLiteral("cmdMonitorExport")), path);
        QVERIFY(run.dialogSeen);
        QVERIFY2(
            run.framesWhileOpen >= 8,
            qPrintable(
                QStringLiteral("%1 frames while the dialog was open").arg(run.framesWhileOpen)));
        QVERIFY(run.chosen && run.runInTime);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(finished[0][0].toString(), path);
        QVERIFY(finished[0][1].toBool());
        const QStringList lines = fileLines(path);
        QVERIFY(lines.size() >= 9);
        QCOMPARE(lines[0], window.model().exportHeader());
        for (int row = 0; row + 1 < lines.size(); ++row)
            QCOMPARE(lines[row + 1], window.model().exportLine(row));
        QVERIFY(f.screens().messages.isEmpty());
    }

    // A full log of 100,000 frames is written off the user-interface thread from the rows as
    // they were when the export began, while the log goes on; a file that cannot be written is
    // told in a note that waits for nobody.
    void exportOfAFullLog() {
        FrameLog log;
        auto add = [&log](std::int64_t n) {
            LoggedFrame frame;
            frame.timeUs = 1'700'000'000'000'000 + n * 1000;
            frame.direction = n % 2 == 0 ? TAVRIN_FRAME_SENT : TAVRIN_FRAME_RECEIVED;
            frame.node = static_cast<std::uint16_t>(1 + n % 4);
            frame.function = 4;
            frame.bytes = QByteArray::number(n);
            log.append(frame, QStringLiteral("Successful transaction!"), QStringLiteral("COM5"));
        };
        for (std::int64_t n = 0; n < static_cast<std::int64_t>(FrameLog::kCapacity); ++n)
            add(n);
        MonitorTexts texts;
        texts.sent = QStringLiteral("TX");
        texts.received = QStringLiteral("RX");
        texts.exportFailed = QStringLiteral("not written");
        texts.counts = QStringLiteral("%1 %2 %3 %4");
        MonitorWindow window(log, texts, true, nullptr);
        FrameTableModel& model = window.model();
        QCOMPARE(model.rowCount(), int(FrameLog::kCapacity));
        const QString first = model.exportLine(0);
        const QString last = model.exportLine(model.rowCount() - 1);
        QSignalSpy finished(&window, &MonitorWindow::exportFinished);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("full.txt"));
        window.startExport(path);
        // The log wraps meanwhile: the file still holds the rows of the moment it was asked for.
        for (std::int64_t n = 0; n < 1000; ++n)
            add(static_cast<std::int64_t>(FrameLog::kCapacity) + n);
        window.refreshNow();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(finished[0][1].toBool());
        QVERIFY(!window.exporting());
        const QStringList lines = fileLines(path);
        QCOMPARE(lines.size(), int(FrameLog::kCapacity) + 1);
        QCOMPARE(lines[1], first);
        QCOMPARE(lines.last(), last);
        QVERIFY(window.findChildren<QMessageBox*>().isEmpty());

        window.startExport(dir.filePath(QStringLiteral("no/such/folder/full.txt")));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
        QVERIFY(!finished[1][1].toBool());
        auto* note = window.findChild<QMessageBox*>(QStringLiteral("msgExportFailed"));
        QVERIFY(note != nullptr && note->isVisible());
        QCOMPARE(note->windowModality(), Qt::NonModal);
        QCOMPARE(note->text(), texts.exportFailed);
    }

    void followsARunLiveAndClosingItMidRunDoesNoHarm() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        auto& views = f.screen().benchViews();
        MonitorWindow& window = views.showMonitor();
        int rowsWhileRunning = -1;
        bool closed = false;
        QVERIFY(f.runUntil([&] {
            if (rowsWhileRunning < 0 && okCount(f) >= 8) {
                window.refreshNow();
                rowsWhileRunning = window.model().rowCount();
                window.close();
                closed = true;
            }
            return okCount(f) >= 16;
        }));
        QVERIFY(closed);
        QVERIFY(rowsWhileRunning >= 16);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtError"))->text(), QStringLiteral("0"));
        views.showMonitor();
        QTRY_COMPARE_WITH_TIMEOUT((window.refreshNow(), window.model().rowCount()),
                                  int(views.frameLog().end()), 5000);
        QVERIFY(window.model().rowCount() > rowsWhileRunning);
    }
};

QTEST_MAIN(MonitorWindowTest)
#include "MonitorWindowTest.moc"
