// The measurement run through the real main screen against dlcsim with line timing at 38400
// baud. "rounds SECONDS": rounds per second beside the rate the pacing allows, and the
// program's CPU use. "soak ROUNDS" (default 50000): saving on with 1 % of replies dropped;
// every round must be one record, the numbered files must hold each exactly once, and the
// resident memory must stay flat. "trend SECONDS": eight cells with the trend window closed
// and open.
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
#include <chrono>
#include <cstdio>
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

int rounds(double seconds) {
    // CommData 1 ms, CommSync 5 ms: a round is the sync wait, then four polls each followed by
    // the poll interval plus T(8); the loop's own three 1 ms steps per poll come on top.
    MeasureFixture f({"--line-timing"}, {{"SETTINGS/CommData", "1"}, {"SETTINGS/TimeOut", "100"}});
    if (!f.simulatorReady())
        return 1;
    const double t8 = torvik::comm::lineTimeMs(38400, 8);
    const double paced = 5 + t8 + 4 * (1 + t8);
    const double withSteps = paced + 4 * 3;
    f.screen();
    std::chrono::steady_clock::time_point begin;
    double cpuBegin = 0;
    bool started = false;
    auto* ok = f.find<QLineEdit>(QStringLiteral("txtOK"));
    int okAtBegin = 0;
    f.runUntil(
        [&] {
            if (!started) { // measure from the first reply on: the assignment pass is not a round
                started = true;
                begin = std::chrono::steady_clock::now();
                cpuBegin = cpuSeconds();
                okAtBegin = ok->text().toInt();
            }
            return std::chrono::steady_clock::now() - begin >
                   std::chrono::duration<double>(seconds);
        },
        static_cast<int>(seconds * 1000) + 30000);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double cpu = cpuSeconds() - cpuBegin;
    const double polls = ok->text().toInt() - okAtBegin;
    const double achieved = polls / 4 / elapsed;
    std::printf("rounds %.1f s: %.2f rounds/s achieved; pacing allows %.2f/s (%.2f ms a round), "
                "%.2f/s with the loop's 1 ms steps; %.1f %% of the pacing; CPU %.1f %% of one "
                "core; %d sync frames; errors %s\n",
                elapsed, achieved, 1000 / paced, paced, 1000 / withSteps,
                achieved / (1000 / paced) * 100, cpu / elapsed * 100,
                countSyncs(f.receivedFrames()),
                qPrintable(f.find<QLineEdit>(QStringLiteral("txtError"))->text()));
    return 0;
}

int soak(int target) {
    MeasureFixture f({"--fault", "drop=0.01"},
                     {{"SETTINGS/CommData", "1"}, {"SETTINGS/TimeOut", "30"}});
    if (!f.simulatorReady())
        return 1;
    f.screen();
    const long rssBegin = residentKiB();
    long rssMid = 0;
    auto* ok = f.find<QLineEdit>(QStringLiteral("txtOK"));
    QTimer::singleShot(0, f.button("cmdStart"), [&] {
        QTimer::singleShot(20, f.button("cmdSave"), [&] { f.button("cmdSave")->click(); });
    });
    const auto begin = std::chrono::steady_clock::now();
    f.runUntil(
        [&] {
            const int polls = ok->text().toInt();
            if (rssMid == 0 && polls >= target * 2)
                rssMid = residentKiB();
            return polls >= target * 4;
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
                "%ld KiB at start, %ld KiB half way, %ld KiB at the end\n",
                target, elapsed, ok->text().toLongLong(),
                qPrintable(f.find<QLineEdit>(QStringLiteral("txtError"))->text()),
                static_cast<long long>(files.size()), static_cast<long long>(files.size() - 1),
                records, static_cast<long long>(stamps.size()), rssBegin, rssMid, residentKiB());
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
    const double t8 = torvik::comm::lineTimeMs(38400, 8);
    const double paced = 5 + t8 + 8 * (1 + t8);
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
        auto* ok = f.find<QLineEdit>(QStringLiteral("txtOK"));
        std::chrono::steady_clock::time_point begin;
        int okAtBegin = -1;
        f.runUntil(
            [&] {
                if (okAtBegin < 0) { // from the first reply on, as "rounds" measures
                    begin = std::chrono::steady_clock::now();
                    okAtBegin = ok->text().toInt();
                }
                return std::chrono::steady_clock::now() - begin >
                       std::chrono::duration<double>(seconds);
            },
            static_cast<int>(seconds * 1000) + 30000);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        rates[open] = (ok->text().toInt() - okAtBegin) / 8.0 / elapsed;
    }
    std::printf("trend 8 cells, %.1f s each: %.2f rounds/s with the windows %s, %.2f with the %s "
                "(%.1f %%), %.2f with the %s (%.1f %%); pacing allows %.2f/s\n",
                seconds, rates[0], names[0], rates[1], names[1], rates[1] / rates[0] * 100,
                rates[2], names[2], rates[2] / rates[0] * 100, 1000 / paced);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rounds");
    if (mode == QLatin1String("trend"))
        return trendRounds(argc > 2 ? std::atof(argv[2]) : 10.0);
    if (mode == QLatin1String("soak"))
        return soak(argc > 2 ? std::atoi(argv[2]) : 50000);
    return rounds(argc > 2 ? std::atof(argv[2]) : 10.0);
}
