// A close request to the main screen during a continuous measurement with saving on, inside
// the real screen against dlcsim, at every point of a run from its address assignment to its
// later rounds: the run is stopped and has returned before the close releases anything, the
// program ends once, the working file is handed over once with every record, the settings
// are written, and no frame reaches the line after the ports are released.
#include "MeasureFixture.h"
#include "screens/frmComm.h"

#include <QFile>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace torvik::screens::testing;

namespace {

// The release times the screen traces, on the clock of dlcsim's frame log.
QStringList g_traces;

void collectTraces(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_traces << text;
}

} // namespace

class CloseDuringRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLoggingCategory::setFilterRules(QStringLiteral("torvik.trace.debug=true"));
        qInstallMessageHandler(collectTraces);
    }
    void cleanupTestCase() {
        qInstallMessageHandler(nullptr);
        QLoggingCategory::setFilterRules(QString());
    }

    void closeIsHeldUntilTheRunHasReturned_data() {
        QTest::addColumn<int>("afterReplies");
        // 0: during the address assignment, before any reply. 1 to 30: every place of the
        // first rounds (four polls and a synchronisation broadcast each).
        for (int n = 0; n <= 30; ++n)
            QTest::addRow("after %d replies", n) << n;
    }

    void closeIsHeldUntilTheRunHasReturned() {
        QFETCH(int, afterReplies);
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        torvik::screens::frmComm& screen = f.screen();
        g_traces.clear();
        auto askToClose = [&screen] {
            // As a window manager's close button asks, from inside the run's waits.
            QTimer::singleShot(0, &screen, [&screen] { screen.windowHandle()->close(); });
        };
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            f.button("cmdSave")->click();
            if (afterReplies == 0)
                askToClose();
        });
        auto* counter = f.find<QLineEdit>(QStringLiteral("txtOK"));
        bool asked = false;
        QObject::connect(counter, &QLineEdit::textChanged, counter, [&](const QString& text) {
            if (!asked && afterReplies > 0 && text.toInt() >= afterReplies) {
                asked = true;
                askToClose();
            }
        });
        // Safety net only: a close that is not honoured within the deadline is the fault.
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, f.button("cmdStop"),
                         [&] { f.button("cmdStop")->click(); });
        deadline.start(20000);
        f.button("cmdStart")->click(); // returns once the run has returned
        const bool inTime = deadline.isActive();
        deadline.stop();

        QVERIFY2(inTime, "the close request was not honoured");
        QTRY_COMPARE_WITH_TIMEOUT(f.screens().programEnds, 1, 5000);
        QVERIFY(screen.isHidden());
        QVERIFY(!QFile::exists(f.folder() + "/DataLog.csv"));
        QVERIFY(!QFile::exists(f.folder() + "/Data/DLC_002.csv"));
        const QStringList records = f.fileLines("Data/DLC_001.csv");
        if (afterReplies >= 8)
            QVERIFY(records.size() >= afterReplies / 4 - 1);
        QVERIFY(f.screens().settingsBytes().contains("[TAB2]"));

        double released = 0;
        const QRegularExpression at(QStringLiteral("^Ports released at ([0-9.]+)$"));
        for (const QString& trace : g_traces) {
            const auto m = at.match(trace);
            if (m.hasMatch())
                released = m.captured(1).toDouble();
        }
        QVERIFY(released > 0);
        for (const QString& line : QString::fromStdString(f.simulator().log()).split(u'\n')) {
            const QStringList fields = line.split(u' ');
            if (fields.size() > 2 && fields[2] == QLatin1String("rx"))
                QVERIFY2(fields[0].toDouble() < released + 0.001, qPrintable(line));
        }
    }
};

QTEST_MAIN(CloseDuringRunTest)
#include "CloseDuringRunTest.moc"
