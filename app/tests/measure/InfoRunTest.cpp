// The information run through the real main screen against dlcsim: every item read and shown,
// the serial number from either register copy, timed-out items, exception replies, records in
// the information format, single shot and the assign button. Expected frames and texts come
// from the register map as dlcsim serves it (its usage text): rated capacity 500.0f, rated
// output 2.0f, the baud-rate register 38400 / 100, names padded with spaces to 40 characters.
#include "MeasureFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <array>

using namespace torvik::screens::testing;

namespace {

constexpr int kItems = 8;
const QString kFill(1, QChar(0x00FF)); // an unprintable byte on screen

// The names dlcsim is given: a comma and quotes in the model, unprintable bytes in the maker
// (UTF-8 é is the two bytes C3 A9, then a control character).
const std::string kModelArg = "DLC,\"Q\"500";
const std::string kMakerArg = "Caf\xC3\xA9\x01";
const QString kModel = QStringLiteral("DLC,\"Q\"500") + QString(30, u' ');
const QString kMaker = QStringLiteral("Caf") + kFill + kFill + kFill + QString(34, u' ');

// Item k's request of cell 1: address, function, start register, quantity.
QString requestOf(int item, bool inputSerial) {
    static const char* const requests[kItems] = {
        "01 04 00 03 00 02", "01 04 00 05 00 02", "01 04 00 07 00 14", "01 04 00 1B 00 14",
        "01 04 00 2F 00 01", "01 04 00 30 00 02", "01 03 00 00 00 01", "01 03 00 03 00 01"};
    if (item == 1 && !inputSerial)
        return QStringLiteral("01 03 00 01 00 02"); // the holding-register copy
    return QString::fromLatin1(requests[item]);
}

int itemOf(const QString& frame) {
    for (int k = 0; k < kItems; ++k) {
        if (frame.startsWith(requestOf(k, true)) ||
            (k == 1 && frame.startsWith(requestOf(1, false))))
            return k;
    }
    return -1;
}

// Cell 1 with serial number 1001 (0x3E9), temperature -2.50, at slave address 1.
const std::array<QString, kItems> kShown = {"500.00", "1001", kModel, kMaker,
                                            "-2.50",  "2.00", "1",    "384"};

const QString kAssignCell1 = QStringLiteral("00 10 00 00 00 03 06 00 01 00 00 03 E9");

long long number(QLineEdit* box) {
    return box->text().toLongLong();
}

std::vector<std::string> cellsToAssign(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--serials",     "1001,1002,1003,1004",
                                     "--addresses",   "0,0,0,0",
                                     "--model",       kModelArg,
                                     "--maker",       kMakerArg,
                                     "--temperature", "-2.5"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Saving switched on as the run starts, before its first read.
void saveFromTheStart(MeasureFixture& f) {
    f.screen();
    QPushButton* save = f.button("cmdSaveInfo");
    QTimer::singleShot(0, save, [save] { save->click(); });
}

} // namespace

class InfoRunTest : public QObject {
    Q_OBJECT

private slots:
    // One assignment broadcast for the chosen cell, then the eight items in order, round after
    // round, never a synchronisation; every item shown as decoded, the names also as tool
    // tips; one record line per item: the text as a field, its time, the item number.
    void everyItemReadShownAndRecorded_data() {
        QTest::addColumn<bool>("inputSerial");
        QTest::newRow("serial number from the input registers") << true;
        QTest::newRow("serial number from the holding registers") << false;
    }

    void everyItemReadShownAndRecorded() {
        QFETCH(bool, inputSerial);
        MeasureFixture f(cellsToAssign(), {{"TAB2/9", inputSerial ? "True" : "False"}});
        QVERIFY(f.simulatorReady());
        saveFromTheStart(f);
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtOKInfo")) >= 2 * kItems; },
                           20000, "Info"));

        const QStringList frames = f.receivedFrames();
        QVERIFY(frames.size() >= 1 + 2 * kItems);
        QVERIFY2(frames[0].startsWith(kAssignCell1), qPrintable(frames[0]));
        for (qsizetype n = 1; n < frames.size(); ++n) {
            const QString expected = requestOf(static_cast<int>((n - 1) % kItems), inputSerial);
            QVERIFY2(frames[n].startsWith(expected),
                     qPrintable(QStringLiteral("%1: %2, not %3").arg(n).arg(frames[n], expected)));
        }
        for (int k = 0; k < kItems; ++k) {
            QCOMPARE(f.field("txtRecvData", k)->text(), kShown[static_cast<std::size_t>(k)]);
            QCOMPARE(f.field("txtCountInfo", k)->text(), QStringLiteral("0"));
        }
        QCOMPARE(f.field("txtRecvData", 2)->toolTip(), kModel);
        QCOMPARE(f.field("txtRecvData", 3)->toolTip(), kMaker);
        QCOMPARE(f.find<QLineEdit>("txtErrorInfo")->text(), QStringLiteral("0"));

        const QStringList records = f.fileLines("Data/DLC_001.csv");
        QVERIFY(records.size() >= 2 * kItems);
        for (qsizetype n = 0; n < records.size(); ++n) {
            const QStringList cells = csvFields(records[n]);
            QCOMPARE(cells.size(), 3);
            const int k = static_cast<int>(n % kItems);
            QCOMPARE(cells[0], kShown[static_cast<std::size_t>(k)]);
            QVERIFY(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d_\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$")
                        .match(cells[1])
                        .hasMatch());
            QCOMPARE(cells[2], QString::number(k + 1));
        }
        // The model name as written: quoted, its quotes doubled.
        QVERIFY2(records[2].startsWith("\"DLC,\"\"Q\"\"500" + QString(30, u' ') + "\","),
                 qPrintable(records[2]));
        QVERIFY(!QFile::exists(f.folder() + "/Data/error_log.txt"));
    }

    // Replies dropped at random: an item whose read times out counts a no-reply, keeps the
    // text of its last good read and records an empty field; every failure is logged with the
    // number the load-cell list shows and followed by a fresh assignment of that cell.
    void timedOutItemsKeepTheirTextAndRecordEmptyFields() {
        MeasureFixture f(cellsToAssign({"--fault", "cell=1:drop=0.3", "--seed", "5"}));
        QVERIFY(f.simulatorReady());
        saveFromTheStart(f);
        auto noReplies = [&] {
            long long sum = 0;
            for (int k = 0; k < kItems; ++k)
                sum += number(f.field("txtCountInfo", k));
            return sum;
        };
        QVERIFY(f.runUntil(
            [&] { return noReplies() >= 4 && number(f.find<QLineEdit>("txtOKInfo")) >= 24; }, 30000,
            "Info"));

        // Which read of which item dlcsim dropped.
        std::array<QList<bool>, kItems> dropped;
        int drops = 0;
        for (const auto& frame : f.received()) {
            const int k = itemOf(frame.bytes);
            if (k < 0)
                continue;
            const bool lost = frame.verdict.contains(QStringLiteral("drop"));
            dropped[static_cast<std::size_t>(k)] << lost;
            drops += lost ? 1 : 0;
        }
        QVERIFY(drops >= 4);
        // The read outstanding at Stop still completes.
        QTRY_COMPARE_WITH_TIMEOUT(noReplies(), drops, 5000);
        QCOMPARE(number(f.find<QLineEdit>("txtErrorInfo")), drops);

        bool keptAfterATimeout = false;
        for (int k = 0; k < kItems; ++k) {
            const auto& reads = dropped[static_cast<std::size_t>(k)];
            QCOMPARE(number(f.field("txtCountInfo", k)), reads.count(true));
            const bool everAnswered = reads.contains(false);
            QCOMPARE(f.field("txtRecvData", k)->text(),
                     everAnswered ? kShown[static_cast<std::size_t>(k)] : QString());
            keptAfterATimeout = keptAfterATimeout || (everAnswered && reads.last());
        }
        QVERIFY(keptAfterATimeout);

        // Each item's record fields follow its reads: empty for a dropped one. The read
        // outstanding at Stop belongs to no record.
        std::array<QList<bool>, kItems> recorded;
        for (const QString& record : f.fileLines("Data/DLC_001.csv")) {
            const QStringList cells = csvFields(record);
            QCOMPARE(cells.size(), 3);
            const int k = cells[2].toInt() - 1;
            QVERIFY(k >= 0 && k < kItems);
            QVERIFY2(cells[0].isEmpty() || cells[0] == kShown[static_cast<std::size_t>(k)],
                     qPrintable(record));
            recorded[static_cast<std::size_t>(k)] << cells[0].isEmpty();
        }
        for (int k = 0; k < kItems; ++k) {
            const auto& reads = dropped[static_cast<std::size_t>(k)];
            const auto& fields = recorded[static_cast<std::size_t>(k)];
            QVERIFY(fields.size() >= reads.size() - 1);
            QCOMPARE(fields, reads.mid(0, fields.size()));
        }

        QTRY_COMPARE_WITH_TIMEOUT(f.receivedFrames().filter(kAssignCell1).size(), 1 + drops, 5000);
        const QStringList log = f.fileLines("Data/error_log.txt").join("\r\n").split(u'\n');
        QCOMPARE(log.size(), 2 + std::min(drops, 100));
        QVERIFY2(log[2].startsWith("h100\t1\t"), qPrintable(log[2]));
    }

    // An exception reply is an error but not a missing reply: the text goes, the no-reply
    // count stays; the log names the exception code.
    void exceptionRepliesEmptyTheItem() {
        MeasureFixture f({"--fault", "cell=1:exception=2:1"}, {{"TAB2/3", "False"},
                                                               {"TAB2/4", "False"},
                                                               {"TAB2/5", "False"},
                                                               {"TAB2/6", "False"},
                                                               {"TAB2/7", "False"},
                                                               {"TAB2/8", "False"},
                                                               {"TAB2/11", "True"}});
        QVERIFY(f.simulatorReady());
        QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtErrorInfo")) >= 4; }, 20000,
                           "Info"));
        for (int k = 0; k < 2; ++k) {
            QCOMPARE(f.field("txtCountInfo", k)->text(), QStringLiteral("0"));
            QVERIFY(f.field("txtRecvData", k)->text().isEmpty());
        }
        QCOMPARE(f.receivedFrames().filter(QRegularExpression("^00 10")).size(), 0); // manual
        const QStringList log = f.fileLines("Data/error_log.txt").join("\r\n").split(u'\n');
        QVERIFY(log.size() >= 2 + 4);
        for (qsizetype n = 2; n < log.size(); ++n)
            QVERIFY2(log[n].startsWith("h2\t1\t"), qPrintable(log[n]));
    }

    // Single shot: each press reads the next ticked item of the chosen cell, from the first
    // press on (no box clicked since the tab was chosen), without any assignment.
    void singleShotReadsTheNextItemPerPress() {
        MeasureFixture f({}, {{"TAB2/0", "2"},
                              {"TAB2/2", "False"},
                              {"TAB2/3", "False"},
                              {"TAB2/4", "False"},
                              {"TAB2/6", "False"},
                              {"TAB2/7", "False"},
                              {"TAB2/10", "True"}});
        QVERIFY(f.simulatorReady());
        auto* ok = f.find<QLineEdit>("txtOKInfo");
        for (int press = 1; press <= 4; ++press) {
            f.pressStart("Info");
            QTRY_COMPARE_WITH_TIMEOUT(number(ok), press, 5000);
        }
        // Cell 2 (address 2): rated capacity, temperature 20 + 2 / 4, baud rate, capacity. The
        // checksums are Python's CRC-16/MODBUS of the bytes before them.
        QCOMPARE(f.receivedFrames(),
                 QStringList({"02 04 00 03 00 02 81 F8", "02 04 00 2F 00 01 00 30",
                              "02 03 00 03 00 01 74 39", "02 04 00 03 00 02 81 F8"}));
        QCOMPARE(f.field("txtRecvData", 0)->text(), QStringLiteral("500.00"));
        QCOMPARE(f.field("txtRecvData", 4)->text(), QStringLiteral("20.50"));
        QCOMPARE(f.field("txtRecvData", 7)->text(), QStringLiteral("384"));
    }

    // The assign button while a read is outstanding: the broadcast goes out at the run's next
    // send, not into the reply's time, and gives the chosen cell (3) its address; its reads are
    // answered from then on.
    void assignButtonDuringARun() {
        MeasureFixture f(cellsToAssign(), {{"TAB2/0", "3"}, {"TAB2/11", "True"}});
        QVERIFY(f.simulatorReady());
        f.screen();
        QPushButton* assign = f.button("cmdManualInfo");
        QVERIFY(!assign->isHidden()); // shown with manual assignment
        bool pressed = false;
        QVERIFY(f.runUntil(
            [&] {
                if (!pressed && number(f.find<QLineEdit>("txtCountInfo_0")) >= 1) {
                    pressed = true;
                    // Pressed while the next read waits for its reply.
                    QTimer::singleShot(40, assign, [assign] { assign->click(); });
                }
                return !f.field("txtRecvData", 0)->text().isEmpty();
            },
            20000, "Info"));
        const auto frames = f.received();
        const QString assign3 = QStringLiteral("00 10 00 00 00 03 06 00 03 00 00 03 EB");
        qsizetype at = -1;
        for (qsizetype n = 0; n < frames.size(); ++n) {
            QVERIFY(!frames[n].bytes.startsWith("00 10") || frames[n].bytes.startsWith(assign3));
            if (frames[n].bytes.startsWith(assign3)) {
                QCOMPARE(at, -1); // one broadcast
                at = n;
            }
        }
        QVERIFY(at >= 1 && at + 1 < frames.size());
        // The read before it had its whole time-out (150 ms) before the broadcast went out.
        QVERIFY2(frames[at].at - frames[at - 1].at >= 0.140,
                 qPrintable(QString::number(frames[at].at - frames[at - 1].at)));
        QVERIFY2(frames[at + 1].bytes.startsWith("03 0"), qPrintable(frames[at + 1].bytes));
        QVERIFY2(frames[at + 1].verdict.contains("cell 3 addr"),
                 qPrintable(frames[at + 1].verdict)); // a cell answered
        QCOMPARE(f.field("txtRecvData", 0)->text(), QStringLiteral("500.00"));
    }
};

QTEST_MAIN(InfoRunTest)
#include "InfoRunTest.moc"
