// The custom-read run of the -ORB program through the real main screen against dlcsim: rows
// on different cells and memory kinds in every display format, the assignment pass for the
// rows' cells, records in the custom format, failing rows, a vanishing port and single shot.
// Register contents are dlcsim presets, or a cell's own address and serial number where the
// register map holds them; the expected texts are the custom display's worked examples and the
// values in app/tests/comm/CustomDisplayTest.cpp, where each one's source is given (Python
// struct and int for the reals and integers).
#include "MeasureFixture.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <array>
#include <map>
#include <signal.h>

using namespace torvik::screens::testing;

namespace {

constexpr int kRows = 4;
constexpr std::int16_t kOrb = 2;

struct Row {
    int dlc;          // 1-based
    int kind;         // 0 coil, 1 input status, 2 input register, 3 holding register
    int address;      // within the kind
    int length;       // elements
    const char* mode; // display format letter: H, F, I, A
    QString shown;
    QString request; // address, function, start, quantity
};

ScreenFixture::Overrides rowSettings(const std::array<Row, kRows>& rows, bool single = false) {
    ScreenFixture::Overrides o;
    for (int r = 0; r < kRows; ++r) {
        const Row& row = rows[static_cast<std::size_t>(r)];
        auto key = [r](int first) { return QStringLiteral("TAB3/%1").arg(first + r); };
        o[key(1)] = QString::number(row.dlc);
        o[key(5)] = row.dlc > 0 ? "True" : "False";
        o[key(9)] = QString::number(row.kind);
        o[key(13)] = QString::number(row.address);
        o[key(17)] = QString::number(row.length);
        o[key(21)] = QString::fromLatin1(row.mode);
    }
    o["TAB3/25"] = single ? "True" : "False";
    o["TAB3/26"] = "False";
    return o;
}

std::vector<std::string> unassignedCells(std::vector<std::string> more) {
    std::vector<std::string> args = {"--serials", "1001,1002,1003,1004", "--addresses", "0,0,0,0"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The assignment broadcast of address dlc to the cell with this serial number (by default the
// bench's, 1000 + dlc): the address, then the serial number's high and low word.
QString assignmentOf(int dlc, std::uint32_t serial = 0) {
    if (serial == 0)
        serial = 1000 + static_cast<std::uint32_t>(dlc);
    return QStringLiteral("00 10 00 00 00 03 06 00 %1 %2 %3 %4 %5")
        .arg(dlc, 2, 16, QLatin1Char('0'))
        .arg(serial >> 24, 2, 16, QLatin1Char('0'))
        .arg((serial >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((serial >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(serial & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

long long number(QLineEdit* box) {
    return box->text().toLongLong();
}

// Two rounds with saving on from the first request, then checks the frames (the rows' cells
// assigned once each in ascending order, then every row's request in turn), the texts shown
// and the records.
void readRowsTwice(MeasureFixture& f, const std::array<Row, kRows>& rows,
                   const std::vector<int>& assigned,
                   const std::map<int, std::uint32_t>& serials = {}) {
    QVERIFY(f.simulatorReady());
    f.screen();
    QPushButton* save = f.button("cmdSaveCustom");
    QTimer::singleShot(0, save, [save] { save->click(); });
    QVERIFY(f.runUntil([&] { return number(f.find<QLineEdit>("txtOKCustom")) >= 2 * kRows; }, 20000,
                       "Custom"));

    const QStringList frames = f.receivedFrames();
    const auto first = static_cast<qsizetype>(assigned.size());
    QVERIFY(frames.size() >= first + 2 * kRows);
    for (qsizetype n = 0; n < first; ++n) {
        const int dlc = assigned[static_cast<std::size_t>(n)];
        const std::uint32_t serial = serials.contains(dlc) ? serials.at(dlc) : 0;
        QVERIFY2(frames[n].startsWith(assignmentOf(dlc, serial)),
                 qPrintable(QString::fromStdString(f.simulator().log())));
    }
    for (qsizetype n = first; n < frames.size(); ++n) {
        const Row& row = rows[static_cast<std::size_t>((n - first) % kRows)];
        QVERIFY2(frames[n].startsWith(row.request),
                 qPrintable(QStringLiteral("%1, not %2").arg(frames[n], row.request)));
    }
    for (int r = 0; r < kRows; ++r) {
        QCOMPARE(f.field("txtRecvDataCustom", r)->text(), rows[static_cast<std::size_t>(r)].shown);
        QCOMPARE(f.field("txtCountCustom", r)->text(), QStringLiteral("0"));
    }
    QCOMPARE(f.find<QLineEdit>("txtErrorCustom")->text(), QStringLiteral("0"));

    // One line per row: the text as one field, its time, the row number.
    const QStringList records = f.fileLines("Data/DLC_001.csv");
    QVERIFY(records.size() >= 2 * kRows);
    for (qsizetype n = 0; n < records.size(); ++n) {
        const QStringList cells = csvFields(records[n]);
        QCOMPARE(cells.size(), 3);
        const int r = static_cast<int>(n % kRows);
        QCOMPARE(cells[0], rows[static_cast<std::size_t>(r)].shown);
        QCOMPARE(cells[2], QString::number(r + 1));
    }
}

} // namespace

class CustomRunTest : public QObject {
    Q_OBJECT

private slots:
    // Hexadecimal, integer of one register, coils (with the ASCII option selected) and the
    // four-register real, each row on its own cell. The real is one whose first register
    // changes the text (without it: 123456789012224.00000000).
    void formatsOnFourCells() {
        const std::array<Row, kRows> rows = {{
            {1, 3, 10, 2, "H", "0A051234", "01 03 00 09 00 02"},
            {2, 3, 20, 1, "I", "65535", "02 03 00 13 00 01"},
            {3, 0, 5, 3, "H", "01 00 01 ", "03 01 00 04 00 03"},
            {4, 3, 30, 4, "F", "123456789012345.00000000", "04 03 00 1D 00 04"},
        }};
        MeasureFixture f(
            unassignedCells({"--preset", "40010=0A05,1234", "--preset", "cell=2:40020=FFFF",
                             "--preset", "00005=1,0,1", "--preset", "40030=F200,1BBE,910C,AF60"}),
            rowSettings(rows), kOrb);
        // A coil row shows bits even with a register format chosen.
        f.screen();
        f.find<QRadioButton>(indexedName("optFormat", 4 * 2 + 3))->setChecked(true);
        readRowsTwice(f, rows, {1, 2, 3, 4});
    }

    // The real of holding registers 0001-0002, input registers with a real high word first,
    // input status as bits, and characters with a comma and a quote, which the record quotes.
    // 0001-0002 are cell 1's slave address (1) and its serial number's high word, 4049 here:
    // high word first that is 0x00014049, too small to show; the other way round it would be
    // 0x40490001, 3.14.
    void moreKindsAndTwoRowsOnOneCell() {
        const std::array<Row, kRows> rows = {{
            {1, 3, 1, 2, "F", "0.00", "01 03 00 00 00 02"},
            {2, 2, 60, 2, "F", "3.14", "02 04 00 3B 00 02"},
            {1, 1, 3, 4, "H", "01 01 00 01 ", "01 02 00 02 00 04"},
            {3, 2, 55, 2, "A", ",\"AB", "03 04 00 36 00 02"},
        }};
        constexpr std::uint32_t kSerial = 0x40490FDB;
        ScreenFixture::Overrides settings = rowSettings(rows);
        settings["SERIALNO/1"] = QString::number(kSerial);
        MeasureFixture f({"--serials", std::to_string(kSerial) + ",1002,1003,1004", "--addresses",
                          "0,0,0,0", "--preset", "30060=4049,0FDB", "--preset", "10003=1,1,0,1",
                          "--preset", "30055=2C22,4142"},
                         settings, kOrb);
        readRowsTwice(f, rows, {1, 2, 3}, {{1, kSerial}});
        const QStringList records = f.fileLines("Data/DLC_001.csv");
        QVERIFY2(records.size() > 3 && records[3].startsWith("\",\"\"AB\","),
                 qPrintable(records.value(3)));
    }

    // A row beyond the cell's registers gets exception replies (emptied, no no-reply), a row on
    // a cell that never answers counts no-replies; each failure re-assigns the row's cell and
    // is logged with the DLC number of the row's list; the healthy row goes on.
    void failingRows() {
        const std::array<Row, kRows> rows = {{
            {1, 3, 150, 1, "H", "", "01 03 00 95 00 01"},
            {2, 3, 10, 2, "H", "", "02 03 00 09 00 02"},
            {1, 3, 10, 2, "H", "0A051234", "01 03 00 09 00 02"},
            {0, 3, 1, 1, "H", "", ""},
        }};
        MeasureFixture f(
            unassignedCells({"--preset", "40010=0A05,1234", "--fault", "cell=2:drop=1"}),
            rowSettings(rows), kOrb);
        QVERIFY(f.simulatorReady());
        QVERIFY(
            f.runUntil([&] { return number(f.field("txtCountCustom", 1)) >= 3; }, 20000, "Custom"));
        QTRY_COMPARE_WITH_TIMEOUT(number(f.find<QLineEdit>("txtErrorCustom")),
                                  number(f.field("txtCountCustom", 1)) +
                                      f.receivedFrames().filter(rows[0].request).size(),
                                  5000);
        QCOMPARE(f.field("txtCountCustom", 0)->text(), QStringLiteral("0"));
        for (int r = 0; r < 3; ++r)
            QCOMPARE(f.field("txtRecvDataCustom", r)->text(),
                     rows[static_cast<std::size_t>(r)].shown);
        // The broadcast after the last failure may reach the line after the run has stopped.
        QTRY_VERIFY_WITH_TIMEOUT(f.receivedFrames().filter(assignmentOf(2)).size() >= 1 + 3, 5000);

        const QStringList log = f.fileLines("Data/error_log.txt").join("\r\n").split(u'\n');
        QVERIFY(log.size() >= 2 + 4);
        QVERIFY(!log.filter(QRegularExpression("^h2\\t1\\t")).isEmpty());
        QVERIFY(!log.filter(QRegularExpression("^h100\\t2\\t")).isEmpty());
        QCOMPARE(log.filter(QRegularExpression("^h[0-9A-F]+\\t[12]\\t")).size(), log.size() - 2);
    }

    // dlcsim killed mid-run: the failures are counted, or the port cannot be opened again and
    // the run ends with the port message; either way the screen comes back.
    void portDisappearsMidRun() {
        const std::array<Row, kRows> rows = {{
            {1, 3, 10, 2, "H", "0A051234", "01 03 00 09 00 02"},
            {2, 2, 5, 2, "I", "", "02 04 00 04 00 02"},
            {0, 3, 1, 1, "H", "", ""},
            {0, 3, 1, 1, "H", "", ""},
        }};
        MeasureFixture f({"--preset", "40010=0A05,1234"}, rowSettings(rows), kOrb);
        QVERIFY(f.simulatorReady());
        bool killed = false;
        long long errorsAtKill = 0;
        f.runUntil(
            [&] {
                if (!killed && number(f.find<QLineEdit>("txtOKCustom")) >= 6) {
                    killed = true;
                    errorsAtKill = number(f.find<QLineEdit>("txtErrorCustom"));
                    f.simulator().stop(SIGKILL);
                    return false;
                }
                return killed && number(f.find<QLineEdit>("txtErrorCustom")) > errorsAtKill + 2;
            },
            20000, "Custom");
        QVERIFY(killed);
        if (f.screens().messages.contains(ScreenFixture::slot(1))) { // MESSAGE key "2"
            // The port could not be opened again: the run ended and the tab is idle, its
            // inputs, the other tabs and the menus usable again.
            QVERIFY(!f.button("cmdStopCustom")->isEnabled());
            QVERIFY(f.button("cmdStartCustom")->isEnabled());
            QVERIFY(f.find<QTabWidget>("SSTab1")->isTabEnabled(0));
            QVERIFY(f.find<QCheckBox>(indexedName("chkSelectCustom", 0))->isEnabled());
        } else {
            QVERIFY(number(f.find<QLineEdit>("txtErrorCustom")) > errorsAtKill);
            QTRY_VERIFY_WITH_TIMEOUT(f.button("cmdStartCustom")->isEnabled(), 5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(f.screen().isEnabled(), 5000);
        QCOMPARE(f.field("txtRecvDataCustom", 0)->text(), rows[0].shown);
    }

    // Single shot: each press sends the next ticked row at once, from the first press on,
    // without an assignment.
    void singleShotSendsTheNextRowPerPress() {
        const std::array<Row, kRows> rows = {{
            {1, 3, 10, 2, "H", "0A051234", "01 03 00 09 00 02"},
            {0, 3, 1, 1, "H", "", ""},
            {2, 2, 56, 1, "I", "", "02 04 00 37 00 01"},
            {0, 3, 1, 1, "H", "", ""},
        }};
        MeasureFixture f({"--preset", "40010=0A05,1234"}, rowSettings(rows, true), kOrb);
        QVERIFY(f.simulatorReady());
        auto* ok = f.find<QLineEdit>("txtOKCustom");
        for (int press = 1; press <= 3; ++press) {
            f.pressStart("Custom");
            QTRY_COMPARE_WITH_TIMEOUT(number(ok), press, 5000);
        }
        const QStringList frames = f.receivedFrames();
        QCOMPARE(frames.size(), 3);
        QVERIFY(frames[0].startsWith(rows[0].request));
        QVERIFY(frames[1].startsWith(rows[2].request));
        QVERIFY(frames[2].startsWith(rows[0].request));
        QCOMPARE(f.field("txtRecvDataCustom", 0)->text(), rows[0].shown);
        // Cell 2's free input register 56: 0x0238.
        QCOMPARE(f.field("txtRecvDataCustom", 2)->text(), QStringLiteral("568"));
    }
};

QTEST_MAIN(CustomRunTest)
#include "CustomRunTest.moc"
