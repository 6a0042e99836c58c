// The trend window beside a measurement run against dlcsim: its lines follow the run (one per
// cell, a point for every value the cell gave, the values the screen shows), pause holds
// them while the run goes on (also through a new time window, scale or showing), a window
// opened after the run shows what the run left and the next run starts afresh, closing it
// mid-run does no harm, and the plot saves as a picture, also while the run goes on.
#include "views/TrendWindow.h"

#include "ExportDuringRun.h"
#include "MeasureFixture.h"
#include "screens/frmComm.h"
#include "views/BenchViews.h"
#include "views/TrendHistory.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

using namespace torvik::screens::testing;
using torvik::views::TrendWindow;

namespace {

// dlcsim's fixed values, as the screen shows them in the default format.
const QStringList kShown = {QStringLiteral("1.50"), QStringLiteral("2.25"), QStringLiteral("-3.00"),
                            QStringLiteral("4.75")};

int polls(const QStringList& frames, int address) {
    const QString prefix = QStringLiteral("%1 04 00 00").arg(address, 2, 10, QLatin1Char('0'));
    int n = 0;
    for (const QString& f : frames)
        n += f.startsWith(prefix) ? 1 : 0;
    return n;
}

// Every poll dlcsim has received has come back to the trend (no cell fails in these runs).
bool everyPollTaken(MeasureFixture& f, const torvik::views::TrendHistory& history) {
    const QStringList frames = f.receivedFrames();
    for (int k = 0; k < 4; ++k) {
        if (history.cell(k).count() != polls(frames, k + 1))
            return false;
    }
    return true;
}

long long okCount(MeasureFixture& f) {
    return f.find<QLineEdit>(QStringLiteral("txtOK"))->text().toLongLong();
}

} // namespace

class TrendWindowTest : public QObject {
    Q_OBJECT

private slots:
    void linesFollowTheRunAndPauseHoldsThem() {
        MeasureFixture f({"--value", "1.5,2.25,-3,4.75"});
        QVERIFY(f.simulatorReady());
        auto& views = f.screen().benchViews();
        QAction* item = f.screen().findChild<QAction*>(QStringLiteral("mnu_tx1"));
        QVERIFY(item != nullptr && item->menu() != nullptr);
        QVERIFY(item->menu()->actions().contains(views.trendAction()));
        views.trendAction()->trigger();
        auto* window = f.screen().findChild<TrendWindow*>(QStringLiteral("frmTrend"));
        QVERIFY(window != nullptr && window->isVisible());

        QList<qsizetype> atPause(4, 0);
        bool paused = false;
        QVERIFY(f.runUntil([&] {
            if (!paused && okCount(f) >= 12) {
                window->refreshNow();
                for (int k = 0; k < 4; ++k)
                    atPause[k] = window->series(k) ? window->series(k)->count() : -1;
                auto* pause = window->findChild<QPushButton*>(QStringLiteral("cmdTrendPause"));
                pause->click();
                paused = true;
            }
            return okCount(f) >= 40;
        }));
        QVERIFY(paused && window->paused());
        const auto& history = views.trendHistory();
        // The last reply of the run may still be on its way.
        QTRY_VERIFY_WITH_TIMEOUT(everyPollTaken(f, history), 5000);
        const QStringList frames = f.receivedFrames();
        for (int k = 0; k < 4; ++k) {
            // Held while paused: what the line showed then, not what came since.
            QVERIFY(window->series(k) != nullptr);
            QCOMPARE(window->series(k)->count(), atPause[k]);
            QVERIFY(atPause[k] >= 2);
            QCOMPARE(history.cell(k).count(), polls(frames, k + 1));
        }
        window->setPaused(false);
        for (int k = 0; k < 4; ++k) {
            const QLineSeries* line = window->series(k);
            QCOMPARE(line->count(), polls(frames, k + 1));
            QCOMPARE(line->name(), QStringLiteral("DLC No.%1").arg(k + 1));
            for (const QPointF& p : line->points())
                QCOMPARE(p.y(), kShown[k].toDouble());
        }
        QVERIFY(window->series(4) == nullptr);
        // Autoscale spans the four values; a fixed scale is the operator's.
        QVERIFY(window->valueAxis().min() < -3 && window->valueAxis().max() > 4.75);
        window->setFixedScale(-10, 10);
        QCOMPARE(window->valueAxis().min(), -10.0);
        QCOMPARE(window->valueAxis().max(), 10.0);

        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("trend.png"));
        QVERIFY(window->exportPng(png));
        QVERIFY(!QImage(png).isNull());
    }

    // Paused mid-run, the plot keeps what it showed while the run goes on: a new time window, a
    // new scale and hiding and showing the window redraw the held values, never the new ones.
    void pauseHoldsThroughWindowScaleAndShowing() {
        MeasureFixture f({"--value", "1.5,2.25,-3,4.75"});
        QVERIFY(f.simulatorReady());
        TrendWindow& window = f.screen().benchViews().showTrend();
        QList<qsizetype> atPause(4, -1);
        QList<qsizetype> afterChanges(4, -1);
        QDateTime endAtPause;
        QDateTime endAfterChanges;
        int step = 0;
        QVERIFY(f.runUntil([&] {
            if (step == 0 && okCount(f) >= 12) {
                window.refreshNow();
                for (int k = 0; k < 4; ++k)
                    atPause[k] = window.series(k)->count();
                endAtPause = window.timeAxis().max();
                window.findChild<QPushButton*>(QStringLiteral("cmdTrendPause"))->click();
                step = 1;
            } else if (step == 1 && okCount(f) >= 24) {
                // Three more rounds have come in since the pause.
                window.findChild<QComboBox*>(QStringLiteral("cmbTrendWindow"))->setCurrentIndex(3);
                window.setFixedScale(-10, 10);
                window.setAutoscale();
                window.hide();
                window.show();
                for (int k = 0; k < 4; ++k)
                    afterChanges[k] = window.series(k)->count();
                endAfterChanges = window.timeAxis().max();
                step = 2;
            }
            return step == 2;
        }));
        QVERIFY(window.paused());
        for (int k = 0; k < 4; ++k) {
            QVERIFY(atPause[k] >= 2);
            QCOMPARE(afterChanges[k], atPause[k]);
            QVERIFY(f.screen().benchViews().trendHistory().cell(k).count() > atPause[k]);
        }
        QCOMPARE(endAfterChanges, endAtPause);
        // The held values still set the scale: the four cells' values, nothing else.
        QVERIFY(window.valueAxis().min() < -3 && window.valueAxis().max() > 4.75);
        window.setPaused(false);
        QVERIFY(window.series(0)->count() > atPause[0]);
        QVERIFY(window.timeAxis().max() > endAtPause);
    }

    // The save dialog opened from the export button during a run lets the run go on (it is
    // modal to the trend window alone, with no loop of its own), and the picture is written to
    // the file chosen in it.
    void exportDuringARunKeepsThePollsGoing() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        TrendWindow& window = f.screen().benchViews().showTrend();
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("during.png"));
        const ExportDuringRun run = exportDuringRun(
            f, window, *window.findChild<QPushButton*>(QStringLiteral("cmdTrendExport")), png);
        QVERIFY(run.dialogSeen);
        QVERIFY2(
            run.framesWhileOpen >= 8,
            qPrintable(
                QStringLiteral("%1 frames while the dialog was open").arg(run.framesWhileOpen)));
        QVERIFY(run.chosen && run.runInTime);
        QVERIFY(!QImage(png).isNull());
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtError"))->text(), QStringLiteral("0"));
        QVERIFY(f.screens().messages.isEmpty());
    }

    void aWindowOpenedAfterTheRunShowsWhatItLeftAndTheNextRunStartsAfresh() {
        MeasureFixture f({"--value", "1.5,2.25,-3,4.75"});
        QVERIFY(f.simulatorReady());
        auto& views = f.screen().benchViews();
        QVERIFY(f.runUntil([&] { return okCount(f) >= 12; }));
        QTRY_VERIFY_WITH_TIMEOUT(everyPollTaken(f, views.trendHistory()), 5000);
        const QStringList first = f.receivedFrames();
        TrendWindow& window = views.showTrend();
        for (int k = 0; k < 4; ++k)
            QCOMPARE(window.series(k)->count(), polls(first, k + 1));

        // Cells 3 and 4 left out of the next run: their lines go, the others start again.
        f.find<QCheckBox>(indexedName("chkSelect", 2))->setChecked(false);
        f.find<QCheckBox>(indexedName("chkSelect", 3))->setChecked(false);
        QTRY_VERIFY_WITH_TIMEOUT(f.button("cmdStart")->isEnabled(), 10000);
        const long long before = okCount(f);
        QVERIFY(f.runUntil([&] { return okCount(f) >= before + 4; }));
        const QStringList all = f.receivedFrames();
        QTRY_COMPARE_WITH_TIMEOUT(views.trendHistory().cell(0).count(),
                                  polls(f.receivedFrames(), 1) - polls(first, 1), 5000);
        window.refreshNow();
        for (int k = 0; k < 2; ++k)
            QCOMPARE(window.series(k)->count(), polls(all, k + 1) - polls(first, k + 1));
        QVERIFY(window.series(2) == nullptr);
        QVERIFY(window.series(3) == nullptr);
    }

    void closingTheWindowMidRunDoesNoHarm() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        auto& views = f.screen().benchViews();
        bool closed = false;
        bool reopened = false;
        QVERIFY(f.runUntil([&] {
            if (!closed && okCount(f) >= 4) {
                views.showTrend().close();
                closed = true;
            } else if (closed && !reopened && okCount(f) >= 12) {
                views.showTrend();
                reopened = true;
            }
            return okCount(f) >= 20;
        }));
        QVERIFY(reopened);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("txtError"))->text(), QStringLiteral("0"));
        views.showTrend().refreshNow();
        QCOMPARE(views.showTrend().series(0)->count(), views.trendHistory().cell(0).count());
    }
};

QTEST_MAIN(TrendWindowTest)
#include "TrendWindowTest.moc"
