// The measurement run through the real main screen against dlcsim timing a real 8E1 line.
// "rounds SECONDS [BAUD [CELLS]]": for 1, 4 and 8 cells (8 in the -ORB variant) at 9600, 38400 and
// 115200 baud, saving off and on, rounds per second beside the line-bound round rate of the same
// settings, and the program's CPU use. "soak ROUNDS" (default 50000): saving on with 1 % of
// replies dropped; every round must be one record, the numbered files must hold each exactly
// once, and the resident memory must stay flat.
// "trend SECONDS": eight cells with the trend window closed and open.
#include "MeasureFixture.h"
#include "comm/Pacing.h"
#include "screens/frmComm.h"
#include "views/BenchViews.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace torvik::screens::testing;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) / 1024 : 0;
}

int countSyncs(const QStringList& frames) {
    int n = 0;
    for (const QString& f : frames)
        n += f.startsWith(QStringLiteral("00 05 00 00 FF 00")) ? 1 : 0;
    return n;
}

// The settings of a rounds run: CommData 1 ms (the bench's unit is ms), CommSync 5 ms,
// TimeOut 100 ms; `cells` registered, ticked and simulated.
struct RoundsRun {
    int baud;
    int cells;
    bool saving;
};

constexpr double kCommSyncMs = 5;

// The least time a round can take on the line with these settings, from one round's first
// reply to the next one's:
// - from the last reply of a round to the first request of the next, the synchronisation
//   broadcast between the silence before it and the one after it (its 8 characters), or the
//   run's wait after sending it if that can be longer. The run keeps its waits on the
//   millisecond tick: a wait of d ms ends at the first tick past the tick it began on plus d,
//   so it can last as little as a hair over floor(d) ms (5 ms and a bit for CommSync 5 + T(8)
//   = 5.763 ms at 115200 baud); the bound takes that shortest wait;
// - per cell the request and the reply, 17 characters, with the simulator's turnaround (the
//   line's silence) between them, and the silence before the next cell's request. (The run's
//   wait after a poll, CommData + T(8) from before its request went out, is shorter than the
//   exchange at every rate here; left out, it can only make the bound higher.)
// 8E1: 11 bits a character; a read is 8 bytes, its reply 9.
double lineBoundRoundMs(const RoundsRun& run) {
    const double character = 11.0 / run.baud * 1000;
    const double silence = run.baud > 19200 ? 1.75 : 3.5 * character;
    const double t8 = torvik::comm::lineTimeMs(run.baud, 8);
    const double sync = std::max(std::floor(kCommSyncMs + t8), silence + 8 * character + silence);
    const double exchange = 17 * character + silence;
    return sync + run.cells * exchange + (run.cells - 1) * silence;
}

// Rounds per second over whole rounds: from the first reply of the run's second round (the
// assignment pass is no round, and the save button is pressed as the first round's replies
// come in) to the first reply of a later round once `seconds` have passed, so that the
// window holds as many synchronisation broadcasts as rounds. Fed every reply in turn.
class RoundWindow {
public:
    RoundWindow(int cells, double seconds) : m_cells(cells), m_seconds(seconds) {}

    // True once the window is closed.
    bool reply() {
        ++m_replies;
        if (m_replies == m_cells + 1) {
            m_begin = std::chrono::steady_clock::now();
            m_cpuBegin = cpuSeconds();
            return false;
        }
        if (m_replies <= m_cells + 1 || m_end || (m_replies - m_cells - 1) % m_cells != 0)
            return m_end.has_value();
        const auto now = std::chrono::steady_clock::now();
        if (now - m_begin < std::chrono::duration<double>(m_seconds))
            return false;
        m_end = now;
        m_cpu = cpuSeconds() - m_cpuBegin;
        m_rounds = (m_replies - m_cells - 1) / m_cells;
        return true;
    }
    bool closed() const { return m_end.has_value(); }
    int rounds() const { return m_rounds; }
    double elapsed() const {
        return m_end ? std::chrono::duration<double>(*m_end - m_begin).count() : 0;
    }
    double perSecond() const { return elapsed() > 0 ? m_rounds / elapsed() : 0; }
    double cpu() const { return m_cpu; }

private:
    int m_cells;
    double m_seconds;
    int m_replies = 0;
    int m_rounds = 0;
    std::chrono::steady_clock::time_point m_begin;
    std::optional<std::chrono::steady_clock::time_point> m_end;
    double m_cpuBegin = 0;
    double m_cpu = 0;
};

ScreenFixture::Overrides roundsSettings(const RoundsRun& run) {
    ScreenFixture::Overrides o{{"SETTINGS/CommData", "1"},
                               {"SETTINGS/TimeOut", "100"},
                               {"SETTINGS/Baudrate", QString::number(run.baud)}};
    for (int k = 1; k <= 8; ++k) {
        const QString n = QString::number(k);
        o[QStringLiteral("SERIALNO/") + n] = k <= run.cells ? QString::number(1000 + k) : "0";
        o[QStringLiteral("SLAVEADDRESS/") + n] = n;
        o[QStringLiteral("TAB1/") + n] = k <= run.cells ? "True" : "False";
    }
    return o;
}

int rounds(const RoundsRun& run, double seconds) {
    std::string serials;
    for (int k = 1; k <= run.cells; ++k)
        serials += (k > 1 ? "," : "") + std::to_string(1000 + k);
    MeasureFixture f({"--line-timing", "--baud", std::to_string(run.baud), "--cells",
                      std::to_string(run.cells), "--serials", serials},
                     roundsSettings(run), run.cells > 4 ? 2 : 0);
    if (!f.simulatorReady())
        return 1;
    f.screen();
    QPushButton* save = f.button("cmdSave");
    RoundWindow window(run.cells, seconds);
    bool pressed = false;
    f.runUntil(
        [&] {
            if (!pressed && run.saving)
                QTimer::singleShot(0, save, [save] { save->click(); });
            pressed = true;
            return window.reply();
        },
        static_cast<int>(seconds * 1000) + 60000);
    const double achieved = window.perSecond();
    // "measure <baud> <cells> <saving> <rounds/s> <line-bound rounds/s> <cpu % of one core>
    //  <cpu ms a round> <errors> <sync frames>"; a run that did not close its window prints
    // nothing and fails.
    if (!window.closed()) {
        std::fprintf(stderr, "measure %d %d %d: the run ended before its window closed\n", run.baud,
                     run.cells, run.saving ? 1 : 0);
        return 1;
    }
    std::printf("measure %d %d %d %.2f %.2f %.1f %.3f %s %d\n", run.baud, run.cells,
                run.saving ? 1 : 0, achieved, 1000 / lineBoundRoundMs(run),
                window.cpu() / window.elapsed() * 100,
                window.rounds() > 0 ? window.cpu() * 1000 / window.rounds() : 0,
                qPrintable(f.find<QLineEdit>(QStringLiteral("txtError"))->text()),
                countSyncs(f.receivedFrames()));
    std::fflush(stdout);
    if (qEnvironmentVariableIsSet("BENCH_MEASURE_LOG")) {
        std::fprintf(stderr, "%s", f.simulator().log().c_str());
        for (const QString& m : f.screens().messages)
            std::fprintf(stderr, "message: %s\n", qPrintable(m));
    }
    return 0;
}

// `baud`, `cells`: 0 for all of 9600/38400/115200 and 1/4/8.
int rounds(double seconds, int onlyBaud, int onlyCells) {
    int failed = 0;
    for (int baud : {9600, 38400, 115200}) {
        for (int cells : {1, 4, 8}) {
            if ((onlyBaud != 0 && baud != onlyBaud) || (onlyCells != 0 && cells != onlyCells))
                continue;
            for (bool saving : {false, true})
                failed += rounds(RoundsRun{baud, cells, saving}, seconds);
        }
    }
    return failed == 0 ? 0 : 1;
}

double growth(long from, long to) {
    return from > 0 ? 100.0 * static_cast<double>(to - from) / static_cast<double>(from) : 0.0;
}

int soak(int target) {
    MeasureFixture f({"--fault", "drop=0.01"},
                     {{"SETTINGS/CommData", "1"}, {"SETTINGS/TimeOut", "30"}});
    if (!f.simulatorReady())
        return 1;
    f.screen();
    const long rssBegin = residentKiB();
    // Taken from inside the run, after the 1,000th round, half way and after the last: the
    // records are read back only once the run is over, so that their reading does not count.
    // The program keeps bounded histories that fill in the first rounds (the traffic monitor's
    // latest 100,000 frames: about 11,000 rounds of four cells), so growth from half way on is
    // what a leak would show.
    constexpr int kEarlyRounds = 1000;
    long rssEarly = 0;
    long rssHalf = 0;
    long rssEnd = 0;
    auto* ok = f.find<QLineEdit>(QStringLiteral("txtOK"));
    QTimer::singleShot(0, f.button("cmdStart"), [&] {
        QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
    });
    const auto begin = std::chrono::steady_clock::now();
    f.runUntil(
        [&] {
            const int polls = ok->text().toInt();
            if (rssEarly == 0 && polls >= std::min(kEarlyRounds, target) * 4)
                rssEarly = residentKiB();
            if (rssHalf == 0 && polls >= target / 2 * 4)
                rssHalf = residentKiB();
            if (polls < target * 4)
                return false;
            rssEnd = rssEnd == 0 ? residentKiB() : rssEnd;
            return true;
        },
        24 * 3600 * 1000);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const QStringList files =
        QDir(f.folder() + QStringLiteral("/Data")).entryList({QStringLiteral("DLC_*.csv")});
    QSet<QString> stamps;
    int records = 0;
    for (const QString& name : files) {
        for (const QString& record : f.fileLines(QStringLiteral("Data/") + name)) {
            ++records;
            stamps.insert(record.section(u',', -1));
        }
    }
    std::printf("soak %d rounds in %.0f s: %lld polls, %s errors (1 %% dropped); %lld files "
                "(%lld hand-overs at the limit), %d records, %lld distinct; resident memory "
                "%ld KiB at start, %ld KiB after %d rounds, %ld KiB after %d, %ld KiB after %d "
                "rounds: %+.2f %% (goal: within 2 %%), %+.2f %% from half way\n",
                target, elapsed, ok->text().toLongLong(),
                qPrintable(f.find<QLineEdit>(QStringLiteral("txtError"))->text()),
                static_cast<long long>(files.size()), static_cast<long long>(files.size() - 1),
                records, static_cast<long long>(stamps.size()), rssBegin, rssEarly,
                std::min(kEarlyRounds, target), rssHalf, target / 2, rssEnd, target,
                growth(rssEarly, rssEnd), growth(rssHalf, rssEnd));
    return 0;
}

// "trend SECONDS": eight cells at the line's limit, the rounds per second with the trend
// window closed, open, and open beside the traffic monitor (each a fresh bench).
int trendRounds(double seconds) {
    ScreenFixture::Overrides eight = {{"SETTINGS/CommData", "1"}, {"SETTINGS/TimeOut", "100"}};
    for (int k = 5; k <= 8; ++k) {
        const QString n = QString::number(k);
        eight[QStringLiteral("SERIALNO/") + n] = QString::number(1000 + k);
        eight[QStringLiteral("SLAVEADDRESS/") + n] = n;
        eight[QStringLiteral("TAB1/") + n] = QStringLiteral("True");
    }
    const char* names[] = {"closed", "trend open", "trend and monitor open"};
    double rates[3] = {};
    for (int open = 0; open < 3; ++open) {
        MeasureFixture f({"--line-timing", "--cells", "8"}, eight, 2);
        if (!f.simulatorReady())
            return 1;
        f.screen();
        if (open >= 1)
            f.screen().benchViews().showTrend();
        if (open >= 2)
            f.screen().benchViews().showMonitor();
        RoundWindow window(8, seconds);
        f.runUntil([&] { return window.reply(); }, static_cast<int>(seconds * 1000) + 30000);
        if (!window.closed()) {
            std::fprintf(stderr, "trend, windows %s: the run ended before its window closed\n",
                         names[open]);
            return 1;
        }
        rates[open] = window.perSecond();
    }
    const double bound = 1000 / lineBoundRoundMs(RoundsRun{38400, 8, false});
    std::printf("trend 8 cells, %.1f s each: %.2f rounds/s with the windows %s (%.1f %% of the "
                "line-bound %.2f/s), %.2f with the %s (%.1f %% of closed), %.2f with the %s "
                "(%.1f %% of closed)\n",
                seconds, rates[0], names[0], rates[0] / bound * 100, bound, rates[1], names[1],
                rates[1] / rates[0] * 100, rates[2], names[2], rates[2] / rates[0] * 100);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false"); // the run's poll traces
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rounds");
    if (mode == QLatin1String("trend"))
        return trendRounds(argc > 2 ? std::atof(argv[2]) : 10.0);
    if (mode == QLatin1String("soak"))
        return soak(argc > 2 ? std::atoi(argv[2]) : 50000);
    return rounds(argc > 2 ? std::atof(argv[2]) : 10.0, argc > 3 ? std::atoi(argv[3]) : 0,
                  argc > 4 ? std::atoi(argv[4]) : 0);
}
