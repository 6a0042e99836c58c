// The test tab end to end: the real main screen polling dlcsim over Modbus while a data logger
// on the second port sends text commands. Expected answers come from the command table and
// the data text's rules: every cell reads 123.456, shown as 123.46 ("##0.00"), which with two
// integer digits, one decimal and both signs is "+23.5".
#include "TestLinkFixture.h"
#include "config/Notices.h"
#include "config/ProfileEncoding.h"
#include "config/ProgramValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace torvik::screens::testing;

namespace {

// Every text a display box shows, in order, empty ones left out.
class Recorder {
public:
    explicit Recorder(QLineEdit* box) {
        QObject::connect(box, &QLineEdit::textChanged, box, [this](const QString& t) {
            if (!t.isEmpty())
                seen << t;
        });
    }
    QStringList seen;
};

const QString kSync = QStringLiteral("00 05 00 00 FF 00");
const QString kPoll = QStringLiteral("01 04 00 00 00 02");

int polls(const QStringList& frames, const QString& prefix) {
    int n = 0;
    for (const QString& f : frames)
        n += f.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace

class TestLinkRunTest : public QObject {
    Q_OBJECT

private slots:
    // The data logger's commands one at a time, each answered after the response delay with
    // the table's response, "%" being the live value; the single-character entries as given;
    // an unknown command shown and answered with nothing.
    void answersWithTheLiveValue() {
        TestLinkFixture f;
        QVERIFY(f.simulatorReady());
        TextPeer peer({QStringLiteral("--terminator"), QStringLiteral("NONE"),
                       QStringLiteral("--timeout"), QStringLiteral("700")});
        QVERIFY2(peer.ready(), qPrintable(peer.output()));
        peer.changed = [&f] { f.poke(); };
        Recorder commands(f.box("txtRecvCommand"));
        Recorder sent(f.box("txtSendData"));
        QVERIFY(f.run(
            [&] {
                peer.send("MSV?33,1,0\\r\\n\n"
                          "\\r\\n  SRB1  \\r\\n\n"
                          "\\x12\n"
                          "\\x05\n"
                          "XYZ\\r\\n\n");
                peer.endInput();
            },
            [&] { return peer.finished(); }));

        const auto r = peer.responses();
        QCOMPARE(r.size(), std::size_t{5});
        QCOMPARE(r[0].response, QStringLiteral(R"(+23.5,1,0\r\n)"));
        QCOMPARE(r[1].response, QStringLiteral(R"(0\r\n)"));
        QVERIFY2(!r[2].delayMs, qPrintable(r[2].response)); // 0x12 has no response
        QCOMPARE(r[3].response, QStringLiteral(R"(\x06)"));
        QVERIFY2(!r[4].delayMs, qPrintable(r[4].response));
        for (int k : {0, 1, 3})
            QVERIFY2(*r[static_cast<std::size_t>(k)].delayMs >= 150.0,
                     qPrintable(QString::number(*r[static_cast<std::size_t>(k)].delayMs)));

        QCOMPARE(commands.seen,
                 (QStringList{QStringLiteral("MSV?33,1,0"), QStringLiteral("SRB1"),
                              QStringLiteral("12"), QStringLiteral("05"), QStringLiteral("XYZ")}));
        QCOMPARE(sent.seen, (QStringList{QStringLiteral("+23.5,1,0"), QStringLiteral("0"),
                                         QStringLiteral("06")}));
        QCOMPARE(f.box("txtSendData")->text(), QString()); // nothing for XYZ
        QCOMPARE(f.box("txtRecvDataTest")->text(), QStringLiteral("123.46"));
        QCOMPARE(f.box("txtDataTest")->text(), QStringLiteral("123.46"));
        QCOMPARE(f.box("txtErrorTest")->text(), QStringLiteral("0"));

        // The Modbus side: the cell's address by its serial number, its rated values, then
        // two-register polls of the measured value.
        const QStringList frames = f.bench().receivedFrames();
        QCOMPARE(polls(frames, QStringLiteral("00 10 00 00 00 03 06 00 01 00 00 03 E9")), 1);
        QCOMPARE(polls(frames, QStringLiteral("01 04 00 03 00 02")), 1);
        QCOMPARE(polls(frames, QStringLiteral("01 04 00 30 00 02")), 1);
        QVERIFY(polls(frames, QStringLiteral("01 04 00 00 00 02")) >= 1);
        QCOMPARE(polls(frames, QStringLiteral("00 05")), 0); // no synchronisation signal
    }

    // With the synchronisation signal on (chkSync off), every poll of the cell follows a
    // broadcast of it, and the link answers as it does without.
    void synchronisedPolls() {
        TestLinkFixture f(
            ScreenFixture::Overrides{{QStringLiteral("TAB4/3"), QStringLiteral("False")}});
        QVERIFY(f.simulatorReady());
        QVERIFY(!f.find<QCheckBox>("chkSync")->isChecked());
        TextPeer peer({QStringLiteral("--terminator"), QStringLiteral("NONE"),
                       QStringLiteral("--timeout"), QStringLiteral("700")});
        QVERIFY2(peer.ready(), qPrintable(peer.output()));
        peer.changed = [&f] { f.poke(); };
        long long repliesAtFirst = -1;
        QVERIFY(f.run(
            [&] {
                repliesAtFirst = f.replies();
                peer.send("MSV?33,1,0\\r\\n\n");
                peer.endInput();
            },
            [&] { return peer.finished() && f.replies() >= repliesAtFirst + 4; }));
        const auto r = peer.responses();
        QCOMPARE(r.size(), std::size_t{1});
        QCOMPARE(r[0].response, QStringLiteral(R"(+23.5,1,0\r\n)"));

        const QStringList frames = f.bench().receivedFrames();
        QVERIFY2(polls(frames, kPoll) >= 5, qPrintable(frames.join(u'\n')));
        // The address and the rated values first; then sync and poll, round after round.
        const qsizetype firstSync = frames.indexOf(kSync + QStringLiteral(" 8D EB"));
        QVERIFY2(firstSync > 0, qPrintable(frames.join(u'\n')));
        for (qsizetype k = 0; k < firstSync; ++k)
            QVERIFY2(!frames[k].startsWith(kPoll), qPrintable(frames[k]));
        QVERIFY(frames[firstSync - 1].startsWith(QStringLiteral("01 04 00 30")));
        for (qsizetype k = firstSync; k < frames.size(); ++k) {
            if (frames[k].startsWith(kPoll))
                QVERIFY2(frames[k - 1].startsWith(kSync), qPrintable(frames[k - 1]));
            if (frames[k].startsWith(kSync) && k + 1 < frames.size())
                QVERIFY2(frames[k + 1].startsWith(kPoll), qPrintable(frames[k + 1]));
        }
    }

    // The table's texts are on the line in the settings file's encoding: a command in it is
    // met, and its response sent, in UTF-8 or in Shift-JIS as the file is.
    void textsInTheSettingsFilesEncoding_data() {
        QTest::addColumn<bool>("shiftJis");
        QTest::newRow("UTF-8") << false;
        QTest::newRow("Shift-JIS") << true;
    }
    void textsInTheSettingsFilesEncoding() {
        QFETCH(bool, shiftJis);
        using torvik::config::ProfileEncoding;
        // Entry 11, the one the table's initialisation leaves as the file gave it.
        TestLinkFixture f(
            ScreenFixture::Overrides{{QStringLiteral("COMMAND/12"), QStringLiteral("表示?")},
                                     {QStringLiteral("RESPONSE/12"), QStringLiteral("値=%")}});
        QVERIFY(f.simulatorReady());
        const auto encoding = shiftJis ? ProfileEncoding::ShiftJis : ProfileEncoding::Utf8;
        if (shiftJis) {
            // The same file as the older program wrote it; the table read from it is the same.
            QFile file(f.bench().screens().settingsPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            file.close();
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(torvik::config::encodeText(text, ProfileEncoding::ShiftJis));
        }
        RawPeer peer(f.portsFolder());
        QVERIFY(peer.ready());
        const QByteArray answer = torvik::config::encodeText(u"値=+23.5\r\n", encoding);
        QVERIFY(f.run([&] { peer.send(torvik::config::encodeText(u"表示?\r\n", encoding)); },
                      [&] { return peer.received().size() >= answer.size(); }));
        QCOMPARE(peer.received(), answer);
        QCOMPARE(f.box("txtRecvCommand")->text(), QStringLiteral("表示?"));
        QCOMPARE(f.box("txtSendData")->text(), QStringLiteral("値=+23.5"));
    }

    // Commands that come in pieces, two in one read, or with CR alone still reach the table.
    void commandsAsTheyArrive() {
        TestLinkFixture f;
        QVERIFY(f.simulatorReady());
        TextPeer peer({QStringLiteral("--terminator"), QStringLiteral("NONE"),
                       QStringLiteral("--no-wait"), QStringLiteral("--interval"),
                       QStringLiteral("60"), QStringLiteral("--timeout"), QStringLiteral("2000")});
        QVERIFY2(peer.ready(), qPrintable(peer.output()));
        peer.changed = [&f] { f.poke(); };
        Recorder commands(f.box("txtRecvCommand"));
        QVERIFY(f.run(
            [&] {
                peer.send("MSV?33,\n"
                          "1,0\\r\\n\n"
                          "SRB1\\r\\nCHS1\\r\\n\n"
                          "ASS2\\r\n");
                peer.endInput();
            },
            [&] { return peer.finished(); }));
        QCOMPARE(commands.seen, (QStringList{QStringLiteral("MSV?33,1,0"), QStringLiteral("SRB1"),
                                             QStringLiteral("CHS1"), QStringLiteral("ASS2")}));
        QStringList answers;
        for (const auto& r : peer.responses())
            answers << r.response;
        QCOMPARE(answers,
                 (QStringList{QStringLiteral(R"(+23.5,1,0\r\n)"), QStringLiteral(R"(0\r\n)"),
                              QStringLiteral(R"(0\r\n)"), QStringLiteral(R"(0\r\n)")}));
    }

    // A data logger that floods the port, with commands every millisecond or with garbage:
    // the Modbus side keeps polling, the link answers again once the flood ends, and Stop
    // ends the run and frees the port.
    void floodedPort_data() {
        QTest::addColumn<QByteArray>("flood");
        QTest::newRow("a command every millisecond") << QByteArray("MSV?33,1,0\r\n");
        QByteArray garbage;
        for (int k = 0; k < 512; ++k)
            garbage += static_cast<char>((k * 37 + 11) % 256);
        QTest::newRow("garbage") << garbage;
    }
    void floodedPort() {
        QFETCH(QByteArray, flood);
        TestLinkFixture f;
        QVERIFY(f.simulatorReady());
        RawPeer peer(f.portsFolder());
        QVERIFY(peer.ready());
        constexpr int kFloodWrites = 1000;
        int written = 0;
        long long repliesBefore = -1;
        long long repliesDuring = -1;
        QTimer writer;
        writer.setTimerType(Qt::PreciseTimer);
        writer.setInterval(1);
        QObject::connect(&writer, &QTimer::timeout, &writer, [&] {
            peer.write(flood);
            if (++written < kFloodWrites)
                return;
            writer.stop();
            repliesDuring = f.replies() - repliesBefore;
            // A command after a line end, whose answer no flood gives: the link is back.
            peer.clearReceived();
            peer.send("\r\n\x05");
        });
        QVERIFY(f.run(
            [&] {
                repliesBefore = f.replies();
                writer.start();
            },
            [&] { return repliesDuring >= 0 && peer.received().contains('\x06'); }));
        qInfo() << "replies from the cell while the flood lasted:" << repliesDuring;
        QVERIFY2(repliesDuring >= 10, qPrintable(QString::number(repliesDuring)));
        QTRY_VERIFY_WITH_TIMEOUT(portFree(f.portsFolder() + QStringLiteral("/COM6")), 5000);
    }

    // The second port goes away in the middle of a run: the link stops, the operator is told,
    // the cell is still polled, and Stop ends the run as usual.
    void portVanishesMidRun() {
        TestLinkFixture f;
        QVERIFY(f.simulatorReady());
        auto peer = std::make_unique<TextPeer>(QStringList{});
        QVERIFY2(peer->ready(), qPrintable(peer->output()));
        peer->changed = [&f] { f.poke(); };
        long long repliesAtLoss = -1;
        QLabel* line = f.find<QLabel>("lblMsgTest");
        QVERIFY(f.run([&] { peer->send("MSV?33,1,0\n"); },
                      [&] {
                          if (repliesAtLoss < 0 && peer->responses().size() == 1) {
                              peer->terminate();
                              repliesAtLoss = f.replies();
                          }
                          return repliesAtLoss >= 0 && line->text().contains(u"COM6") &&
                                 f.replies() >= repliesAtLoss + 5;
                      }));
        QCOMPARE(peer->responses().at(0).response, QStringLiteral(R"(+23.5,1,0\r\n)"));
        QTRY_VERIFY_WITH_TIMEOUT(f.button("cmdStartTest")->isEnabled(), 5000);
        QVERIFY(!f.button("cmdStopTest")->isEnabled());
    }

    // Without its second port the run does not start, and says why.
    void secondPortMissingOrTaken_data() {
        QTest::addColumn<bool>("taken");
        QTest::newRow("missing") << false;
        QTest::newRow("taken") << true;
    }
    void secondPortMissingOrTaken() {
        QFETCH(bool, taken);
        TestLinkFixture f;
        QVERIFY(f.simulatorReady());
        std::unique_ptr<RawPeer> peer;
        std::unique_ptr<PortHolder> holder;
        const QString link = f.portsFolder() + QStringLiteral("/COM6");
        if (taken) {
            peer = std::make_unique<RawPeer>(f.portsFolder());
            QVERIFY(peer->ready());
            holder = std::make_unique<PortHolder>(link);
            QVERIFY(holder->holding());
        } else {
            QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyNone"), link));
        }
        QVERIFY(f.run(
            {}, [] { return true; }, 10000));
        QCOMPARE(f.messages(), QStringList{ScreenFixture::slot(1)});
        // In the catalogue's words: the port, its device, the system's reason.
        const QString shown = f.find<QLabel>("lblMsgTest")->text();
        const auto says = [&](torvik::config::Notice notice) {
            const QString words = torvik::config::noticeText(notice);
            return shown.startsWith(
                words.section(QStringLiteral("%3"), 0, 0).arg(QStringLiteral("COM6"), link));
        };
        QVERIFY2(says(torvik::config::Notice::LinkCannotOpen) ||
                     (taken && says(torvik::config::Notice::LinkInUse)),
                 qPrintable(shown));
        QVERIFY(f.button("cmdStartTest")->isEnabled());
        QVERIFY(!f.button("cmdStopTest")->isEnabled());
        QVERIFY(f.find<QComboBox>("cmbNoTest")->isEnabled());
        QVERIFY(f.find<QTabWidget>("SSTab1")->isTabEnabled(0));
        QVERIFY(f.bench().receivedFrames().isEmpty()); // nothing went out on the Modbus side
    }

    // The Modbus port cannot be opened: the run ends, the text port is closed again and the
    // whole tab is usable, the format lists included.
    void modbusPortFails() {
        TestLinkFixture f(
            ScreenFixture::Overrides{{QStringLiteral("SETTINGS/Comport"), QStringLiteral("8")}});
        QVERIFY(f.simulatorReady());
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyNone"),
                            f.portsFolder() + QStringLiteral("/COM8")));
        RawPeer peer(f.portsFolder());
        QVERIFY(peer.ready());
        QVERIFY(f.run(
            {}, [] { return true; }, 20000));
        QVERIFY(f.messages().contains(ScreenFixture::slot(1)));
        QVERIFY(portFree(f.portsFolder() + QStringLiteral("/COM6")));
        QVERIFY(f.button("cmdStartTest")->isEnabled());
        QVERIFY(!f.button("cmdStopTest")->isEnabled());
        for (const char* input : {"cmbNoTest", "cmbCom", "cmbInt", "cmbDec", "cmbPolarity"})
            QVERIFY2(f.find<QComboBox>(input)->isEnabled(), input);
        QVERIFY(f.find<QTabWidget>("SSTab1")->isTabEnabled(0));
    }
};

QTEST_MAIN(TestLinkRunTest)
#include "TestLinkRunTest.moc"
