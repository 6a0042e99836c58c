// The measurement run through the real main screen against dlcsim: rounds with and without
// the synchronisation broadcast, single shot, status, counts and their conversion, failing
// cells, the error log, the records and the hand-over of the working file, the timer after
// Stop. Expected frames and values come from the cells' register map as dlcsim serves it.
#include "MeasureFixture.h"
#include "config/ProgramValues.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <signal.h>

using namespace torvik::screens::testing;

namespace {

// Request frames by their leading bytes (address, function, start register).
const QString kSync = QStringLiteral("00 05 00 00 FF 00");
const QString kAssign = QStringLiteral("00 10 00 00 00 03 06");
QString pollOf(int address) {
    return QStringLiteral("%1 04 00 00").arg(address, 2, 16, QLatin1Char('0')).toUpper();
}

int count(const QStringList& frames, const QString& prefix) {
    int n = 0;
    for (const QString& f : frames)
        n += f.startsWith(prefix) ? 1 : 0;
    return n;
}

long long number(QLineEdit* box) {
    return box->text().toLongLong();
}

} // namespace

class MeasureRunTest : public QObject {
    Q_OBJECT

private slots:
    // Each round: the synchronisation broadcast once, then cells 1..4 in order; before the
    // first round every cell gets its address by serial number (dlcsim starts unassigned).
    void roundsWithSynchronisation() {
        MeasureFixture f(
            {"--serials", "1001,1002,1003,1004", "--addresses", "0,0,0,0", "--motion", "ramp"});
        QVERIFY(f.simulatorReady());
        QStringList seen;
        QVERIFY(f.runUntil([&] {
            seen << f.field("txtData", 0)->text();
            return number(f.find<QLineEdit>("txtOK")) >= 16;
        }));
        const QStringList frames = f.receivedFrames();
        QCOMPARE(count(frames, kAssign), 4);
        qsizetype firstPoll = 0;
        while (firstPoll < frames.size() && !frames[firstPoll].startsWith(pollOf(1)))
            ++firstPoll;
        QVERIFY(firstPoll > 4 && firstPoll < frames.size());
        QVERIFY(frames[firstPoll - 2].startsWith(kAssign)); // the last assignment, then sync
        QCOMPARE(frames[firstPoll - 1], kSync + QStringLiteral(" 8D EB"));
        // Sync directly before every poll of the first cell, never before another.
        for (qsizetype k = firstPoll; k < frames.size(); ++k) {
            if (frames[k].startsWith(pollOf(1)))
                QVERIFY2(frames[k - 1].startsWith(kSync), qPrintable(frames[k - 1]));
            if (frames[k].startsWith(kSync) && k + 1 < frames.size())
                QVERIFY2(frames[k + 1].startsWith(pollOf(1)), qPrintable(frames[k + 1]));
        }
        for (int k = 0; k < 4; ++k) {
            QVERIFY(!f.field("txtData", k)->text().isEmpty());
            QCOMPARE(f.field("txtCount", k)->text(), QStringLiteral("0"));
        }
        QCOMPARE(f.find<QLineEdit>("txtError")->text(), QStringLiteral("0"));
        seen.removeDuplicates();
        QVERIFY2(seen.size() > 2, qPrintable(seen.join(u' '))); // the values move

        // For one second after Stop the window takes no input and Start stays off.
        QVERIFY(!f.screen().isEnabled());
        QVERIFY(!f.button("cmdStart")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(f.screen().isEnabled(), 5000);
        QVERIFY(f.button("cmdStart")->isEnabled());
        QVERIFY(f.button("cmdSave")->isHidden());
        QVERIFY(!QFile::exists(f.folder() + "/Data/error_log.txt")); // nothing failed
    }

    void roundsWithoutSynchronisation() {
        MeasureFixture f({}, {{"TAB1/10", "True"}});
        QVERIFY(f.simulatorReady());
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtOK")) >= 8; }));
        const QStringList frames = f.receivedFrames();
        QCOMPARE(count(frames, kSync), 0);
        QVERIFY(count(frames, pollOf(4)) >= 2);
    }

    // Single shot polls the next cell per press; the round's first press sends the sync.
    // The status option reads a third register and shows it as four hexadecimal digits.
    void singleShotWithStatus() {
        MeasureFixture f({}, {{"TAB1/9", "True"}, {"TAB1/11", "True"}});
        QVERIFY(f.simulatorReady());
        auto* ok = f.find<QLineEdit>("txtOK");
        // The selection list is the operator's: made by ticking the boxes.
        f.find<QCheckBox>(indexedName("chkSelect", 0))->click();
        f.find<QCheckBox>(indexedName("chkSelect", 0))->click();
        for (int press = 1; press <= 5; ++press) {
            f.pressStart();
            QTRY_COMPARE_WITH_TIMEOUT(number(ok), press, 5000);
        }
        const QStringList frames = f.receivedFrames();
        QCOMPARE(count(frames, kAssign), 0); // single shot never assigns by itself
        QCOMPARE(count(frames, kSync), 2);   // presses 1 and 5 start a round
        QVERIFY(count(frames, "01 04 00 00 00 03") > 0);
        for (int k = 0; k < 4; ++k) {
            QVERIFY(!f.field("txtData", k)->text().isEmpty());
            QVERIFY2(QRegularExpression("^[0-9A-F]{4}$")
                         .match(f.field("txtStatus", k)->text())
                         .hasMatch(),
                     qPrintable(f.field("txtStatus", k)->text()));
        }
    }

    // Choosing another tab empties the selection list; the first single shot after coming back
    // polls all the same, from the ticked boxes, after the round's sync.
    void singleShotAfterATabChange() {
        MeasureFixture f({}, {{"TAB1/9", "True"}});
        QVERIFY(f.simulatorReady());
        f.showTab("Info");
        f.showTab("");
        f.pressStart();
        QTRY_COMPARE_WITH_TIMEOUT(number(f.find<QLineEdit>("txtOK")), 1, 5000);
        f.pressStart();
        QTRY_COMPARE_WITH_TIMEOUT(number(f.find<QLineEdit>("txtOK")), 2, 5000);
        const QStringList frames = f.receivedFrames();
        QCOMPARE(frames.size(), 3);
        QVERIFY(frames[0].startsWith(kSync));
        QVERIFY(frames[1].startsWith(pollOf(1)));
        QVERIFY(frames[2].startsWith(pollOf(2)));
        QVERIFY(!f.field("txtData", 0)->text().isEmpty());
    }

    // Counts with three decimals: dlcsim's rated capacity 500 over rated output 50000 counts
    // (50.000) converts by 10 once the assignment pass has read them.
    void countsAndTheirConversion_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("manual");
        QTest::addColumn<QString>("shown");
        QTest::newRow("converted after the rated reads") << "True"
                                                         << "False"
                                                         << "123.450";
        QTest::newRow("plain counts") << "False"
                                      << "False"
                                      << "12345";
        QTest::newRow("no rated reads: scaled only") << "True"
                                                     << "True"
                                                     << "12.345";
    }

    void countsAndTheirConversion() {
        QFETCH(QString, unit);
        QFETCH(QString, manual);
        QFETCH(QString, shown);
        MeasureFixture f({"--value-kind", "count", "--value", "12345"},
                         {{"SETTINGS/DataKind", "N"},
                          {"SETTINGS/DataUnit", unit},
                          {"SETTINGS/DP", "3"},
                          {"TAB1/12", manual}});
        QVERIFY(f.simulatorReady());
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtOK")) >= 4; }));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(f.field("txtData", k)->text(), shown);
        const QStringList frames = f.receivedFrames();
        const bool rated = manual == "False";
        QCOMPARE(count(frames, "01 04 00 03 00 02") > 0, rated);
        QCOMPARE(count(frames, "01 04 00 30 00 02") > 0, rated);
    }

    // A cell that never answers: no-reply and error counts, its last value kept, an empty
    // field in each record, a fresh assignment broadcast after every failure, and the error
    // log once the run has stopped. Saving is on, so Stop hands the file over.
    void cellTimingOut() {
        MeasureFixture f({"--fault", "cell=2:drop=1"});
        QVERIFY(f.simulatorReady());
        f.screen();
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            // Saving is switched on from inside the run, as an operator does: at its first
            // pump, in the assignment pass, so that every round's record is whole.
            QTimer::singleShot(0, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
        });
        QVERIFY(f.runUntil([&] { return number(f.field("txtCount", 1)) >= 3; }));
        QVERIFY(number(f.find<QLineEdit>("txtError")) >= 3);
        QCOMPARE(number(f.field("txtCount", 0)), 0);
        QVERIFY(f.field("txtData", 1)->text().isEmpty()); // never had a value
        // Four assignments first, then one per failure of cell 2. The last one may still be on
        // its control's thread when the run stops: the broadcast's short pause lets the next
        // poll take the line first.
        QTRY_VERIFY2_WITH_TIMEOUT(count(f.receivedFrames(), kAssign) >= 4 + 3,
                                  qPrintable(f.receivedFrames().join(u'|')), 5000);

        const QStringList records = f.fileLines("Data/DLC_001.csv");
        QVERIFY(!records.isEmpty());
        // Whole rounds; Stop may flush a partial last one, which stays in the file.
        for (const QString& record : records.mid(0, records.size() - 1)) {
            const QStringList cells = record.split(u',');
            QVERIFY2(cells.size() == 5, qPrintable(records.join(u'|'))); // four values, a time
            QVERIFY2(cells[1].isEmpty(), qPrintable(record));
            QVERIFY(!cells[0].isEmpty());
        }
        QVERIFY(!QFile::exists(f.folder() + "/DataLog.csv"));

        const QStringList log = f.fileLines("Data/error_log.txt").join("\r\n").split(u'\n');
        QVERIFY(log.size() >= 5);
        QCOMPARE(log[0].trimmed(), QStringLiteral("Torvik error log"));
        QVERIFY2(QRegularExpression("^h100\\t2\\t\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\t")
                     .match(log[2])
                     .hasMatch(),
                 qPrintable(log[2]));
    }

    // An exception reply is an error, not a missing reply: the value boxes are emptied. More
    // than 100 of them wrap the ring: the log holds the last 100, oldest first.
    void exceptionsWrapTheErrorLog() {
        MeasureFixture f({"--fault", "cell=1:exception=2:1"}, {{"TAB1/2", "False"},
                                                               {"TAB1/3", "False"},
                                                               {"TAB1/4", "False"},
                                                               {"SETTINGS/CommData", "2"}});
        QVERIFY(f.simulatorReady());
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtError")) >= 105; }, 60000));
        QCOMPARE(number(f.field("txtCount", 0)), 0);
        QVERIFY(f.field("txtData", 0)->text().isEmpty());
        QFile file(f.folder() + "/Data/error_log.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 + 100);
        for (qsizetype k = 2; k < lines.size(); ++k)
            QVERIFY2(lines[k].startsWith("h2\t1\t"), qPrintable(lines[k]));
    }

    // Format 1 (no synchronisation): one line per cell with its time and column number.
    void recordsInFormatOne() {
        MeasureFixture f({}, {{"TAB1/10", "True"}});
        QVERIFY(f.simulatorReady());
        f.screen();
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
        });
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtOK")) >= 16; }));
        const QStringList records = f.fileLines("Data/DLC_001.csv");
        QVERIFY(records.size() >= 4);
        for (const QString& record : records) {
            const QStringList cells = record.split(u',');
            QCOMPARE(cells.size(), 3);
            QVERIFY(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d_\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$")
                        .match(cells[1])
                        .hasMatch());
            QVERIFY(cells[2].toInt() >= 1 && cells[2].toInt() <= 4);
        }
    }

    // The working file handed over when it reaches its capacity and again at Stop: the
    // numbered files hold every record exactly once, in order.
    void handOverAtCapacityAndStop() {
        MeasureFixture f({"--motion", "ramp"});
        QVERIFY(f.simulatorReady());
        f.screen();
        const QString working = f.folder() + "/DataLog.csv";
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
        });
        bool padded = false;
        QVERIFY(f.runUntil([&] {
            // Once the first records are in, fill the file up to just below its capacity.
            if (!padded && QFileInfo(working).size() > 0) {
                QFile file(working);
                if (file.open(QIODevice::Append)) {
                    const qint64 room = 1'000'000 - file.size() - 10;
                    file.write(QByteArray(room - 2, '#') + "\r\n");
                    padded = true;
                }
            }
            return padded && QFile::exists(f.folder() + "/Data/DLC_001.csv") &&
                   QFileInfo(working).size() > 0;
        }));
        QVERIFY(QFile::exists(f.folder() + "/Data/DLC_002.csv"));
        QVERIFY(!QFile::exists(working));
        QStringList all = f.fileLines("Data/DLC_001.csv") + f.fileLines("Data/DLC_002.csv");
        QCOMPARE(all.filter(QRegularExpression("^#+$")).size(), 1);
        all = all.filter(QRegularExpression("^[^#]"));
        QVERIFY(all.size() >= 2);
        QSet<QString> stamps;
        for (const QString& record : all)
            stamps.insert(record.section(u',', -1));
        QCOMPARE(stamps.size(), all.size()); // no record twice
        QVERIFY(f.find<QLabel>("lblRAM")->text().isEmpty());
    }

    // The data folder is gone when saving ends: said on the message line, and the records
    // stay in the working file.
    void missingDataFolderOnSave() {
        MeasureFixture f({});
        QVERIFY(f.simulatorReady());
        f.screen();
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
        });
        QVERIFY(f.runUntil([&] {
            if (number(f.find<QLineEdit>("txtOK")) < 8)
                return false;
            QDir(f.folder() + "/Data").removeRecursively();
            return true;
        }));
        QVERIFY(QFileInfo(f.folder() + "/DataLog.csv").size() > 0);
        QVERIFY(!f.find<QLabel>("lblMsg")->text().isEmpty());
    }

    // dlcsim killed mid-run: the line is gone, so the port is lost and cannot be opened again.
    // The run ends by itself with the port message (nobody presses Stop), the tab is idle again
    // with the other tabs and the menus, and the records written before are handed over with
    // the port release. Killed after a round, the next round's sync broadcast is the first to
    // find the port gone; killed mid-round without sync or assignment, a poll is.
    void portDisappearsMidRun_data() {
        QTest::addColumn<int>("repliesBeforeKill");
        QTest::addColumn<bool>("syncAndAssignment");
        QTest::newRow("the sync broadcast finds it") << 12 << true;
        QTest::newRow("a poll finds it") << 13 << false;
    }
    void portDisappearsMidRun() {
        QFETCH(int, repliesBeforeKill);
        QFETCH(bool, syncAndAssignment);
        ScreenFixture::Overrides settings;
        if (!syncAndAssignment)
            settings = {{"TAB1/10", "True"}, {"TAB1/12", "True"}};
        MeasureFixture f({}, settings);
        QVERIFY(f.simulatorReady());
        f.screen();
        QTimer::singleShot(0, f.button("cmdStart"), [&] {
            QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
        });
        bool killed = false;
        const bool endedByItself = f.runUntil([&] {
            if (!killed && number(f.find<QLineEdit>("txtOK")) >= repliesBeforeKill) {
                killed = true;
                f.simulator().stop(SIGKILL);
            }
            return false; // only the deadline presses Stop
        });
        QVERIFY(killed);
        QVERIFY2(endedByItself, "the run went on without its line");
        const QStringList frames = f.receivedFrames();
        QCOMPARE(count(frames, kSync) > 0, syncAndAssignment);
        QCOMPARE(count(frames, kAssign) > 0, syncAndAssignment);
        QCOMPARE(f.screens().messages, QStringList{ScreenFixture::slot(1)});
        QVERIFY(f.button("cmdStart")->isEnabled());
        QVERIFY(!f.button("cmdStop")->isEnabled());
        auto* tabs = f.find<QTabWidget>("SSTab1");
        QVERIFY(tabs->isTabEnabled(1));
        QVERIFY(f.find<QMenu>("mnu_set1")->menuAction()->isEnabled());
        QVERIFY(f.find<QMenu>("mnu_help1")->menuAction()->isEnabled());
        QVERIFY(f.find<QCheckBox>(indexedName("chkSelect", 0))->isEnabled());
        QVERIFY(f.option(0)->isEnabled());
        QVERIFY(f.screen().isEnabled());
        const QStringList records = f.fileLines("Data/DLC_001.csv");
        QVERIFY(records.size() >= 2);
        QVERIFY(!QFile::exists(f.folder() + "/DataLog.csv"));
    }

    // A registered serial number that no cell on the line has: it gets no address, so its
    // polls go unanswered and count as no-reply; the others go on.
    void serialNumberOnNoDevice() {
        MeasureFixture f({"--serials", "1001,1002,1003,1004", "--addresses", "0,0,0,0"},
                         {{"SERIALNO/4", "99999"}});
        QVERIFY(f.simulatorReady());
        QVERIFY(f.runUntil([&] { return number(f.field("txtCount", 3)) >= 2; }));
        QCOMPARE(number(f.field("txtCount", 0)), 0);
        QVERIFY(!f.field("txtData", 0)->text().isEmpty());
    }
};

QTEST_MAIN(MeasureRunTest)
#include "MeasureRunTest.moc"
