// The traffic monitor beside a measurement run against dlcsim: every frame the line carried,
// in its order (checked against dlcsim's own log), each request followed by its reply with its
// verdict; filters by node and direction; a monitor opened after the run shows it; the export
// writes what it shows; closing it mid-run does no harm.
#include "views/MonitorWindow.h"

#include "MeasureFixture.h"
#include "screens/frmComm.h"
#include "views/BenchViews.h"
#include "views/FrameTableModel.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace torvik::screens::testing;
using torvik::views::FrameTableModel;
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
