#include "comm/PortRelease.h"

#include "TestSupport.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QString>
#include <deque>
#include <gtest/gtest.h>

using namespace torvik::comm;

namespace {

// A control instance that is busy for a given number of checks, or until told otherwise, and
// writes its name into a shared journal when it is checked or released.
class FakeControl : public ControlHandle {
public:
    FakeControl() = default;
    FakeControl(QString name, QStringList* journal) : m_name(std::move(name)), m_journal(journal) {}

    bool busy() const override {
        ++m_checks;
        if (m_busyChecks > 0) {
            --m_busyChecks;
            return true;
        }
        return m_busy;
    }
    void disconnect() override {
        if (m_journal)
            *m_journal << m_name;
    }

    mutable int m_checks = 0;
    mutable int m_busyChecks = 0;
    bool m_busy = false;

private:
    QString m_name;
    QStringList* m_journal = nullptr;
};

class PortRelease : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::ensureApplication();
        // The traces are off unless asked for.
        QLoggingCategory::setFilterRules(QStringLiteral("torvik.trace.debug=true"));
    }
    static void TearDownTestSuite() { QLoggingCategory::setFilterRules(QString()); }

    std::vector<ControlHandle*> list() {
        std::vector<ControlHandle*> out;
        for (auto& c : m_controls)
            out.push_back(&c);
        return out;
    }

    std::array<FakeControl, 3> m_controls;
};

const QString kOk = QStringLiteral("Port Not Busy. Disconnect OK.");
const QString kRetry = QStringLiteral("Port Busy. Retry Port Check.");
const QString kNg = QStringLiteral("Port Busy. Disconnect NG.");

TEST_F(PortRelease, WaitsUpToElevenChecksAndReleasesInAnyCase) {
    const struct {
        const char* what;
        int busyChecks; // checks for which the middle instance stays busy
        bool idle;
        int retries;
    } cases[] = {
        {"idle at once", 0, true, 0},
        {"idle at the third check", 2, true, 2},
        {"idle at the eleventh check", 10, true, 10},
        {"still busy", 11, false, 10},
    };
    for (const auto& c : cases) {
        m_controls = {};
        m_controls[1].m_busyChecks = c.busyChecks;
        test::MessageCapture traces(QtDebugMsg);
        int closes = 0;
        const auto instances = list();
        EXPECT_EQ(PortCloseWait(instances, [&] { ++closes; }), c.idle) << c.what;
        EXPECT_EQ(closes, 1) << c.what;

        QStringList expected;
        for (int i = 0; i < c.retries; ++i)
            expected << kRetry;
        expected << (c.idle ? kOk : kNg);
        EXPECT_EQ(traces.messages(), expected) << c.what;
    }
}

TEST_F(PortRelease, AnInstanceFinishingDuringTheWaitIsSeen) {
    // The completion that ends the transaction arrives as an event while the wait sleeps.
    m_controls[2].m_busy = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { m_controls[2].m_busy = false; },
        Qt::QueuedConnection);
    test::MessageCapture traces(QtDebugMsg);
    const auto instances = list();
    EXPECT_TRUE(PortCloseWait(instances, {}));
    EXPECT_EQ(traces.messages().last(), kOk);
}

TEST_F(PortRelease, TheCheckStopsAtTheFirstBusyInstance) {
    m_controls[1].m_busy = true;
    const auto instances = list();
    EXPECT_FALSE(IsPortClose(instances));
    EXPECT_EQ(m_controls[0].m_checks, 1);
    EXPECT_EQ(m_controls[1].m_checks, 1);
    EXPECT_EQ(m_controls[2].m_checks, 0);
}

// Every array filled with named fakes; the journal shows the release order.
class ReleaseOrder : public ::testing::Test {
protected:
    ReleaseOrder() {
        auto fill = [this](auto& array, const char* name) {
            for (std::size_t i = 0; i < array.size(); ++i) {
                m_fakes.emplace_back(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i),
                                     &m_journal);
                array[i] = &m_fakes.back();
            }
        };
        fill(m_instances.TAVRIN0, "TAVRIN0");
        fill(m_instances.TAVRIN1, "TAVRIN1");
        fill(m_instances.TAVRIN4, "TAVRIN4");
        fill(m_instances.TAVRIN5, "TAVRIN5");
        fill(m_instances.TAVRIN2, "TAVRIN2");
        fill(m_instances.TAVRIN3, "TAVRIN3");
        m_fakes.emplace_back(QStringLiteral("TAVRIN6"), &m_journal);
        m_instances.TAVRIN6 = &m_fakes.back();
    }

    QStringList released(std::int16_t variant, std::int16_t maxDlcIndex) {
        m_journal.clear();
        disconnectAll(releaseList(m_instances, variant, maxDlcIndex));
        return m_journal;
    }

    std::deque<FakeControl> m_fakes; // stable addresses
    ControlInstances m_instances;
    QStringList m_journal;
};

QStringList expectedOrder(int maxDlcIndex, bool custom, bool test) {
    QStringList out;
    for (int i = 0; i <= maxDlcIndex; ++i) {
        for (const char* array : {"TAVRIN0", "TAVRIN1", "TAVRIN4", "TAVRIN5"})
            out << QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(i);
    }
    for (int k = 0; k < 8; ++k)
        out << QStringLiteral("TAVRIN2(%1)").arg(k);
    if (custom) {
        for (int k = 0; k < 4; ++k)
            out << QStringLiteral("TAVRIN3(%1)").arg(k);
    }
    if (test)
        out << QStringLiteral("TAVRIN6");
    return out;
}

TEST_F(ReleaseOrder, FollowsTheProgramVariant) {
    EXPECT_EQ(released(0, 3), expectedOrder(3, false, false)); // standard
    EXPECT_EQ(released(1, 3), expectedOrder(3, false, true));  // with the test tab
    EXPECT_EQ(released(2, 7), expectedOrder(7, true, false));  // eight DLCs, custom tab
}

TEST_F(ReleaseOrder, EmptyPlacesAreSkipped) {
    m_instances.TAVRIN1[0] = nullptr;
    m_instances.TAVRIN2.fill(nullptr);
    QStringList expected = expectedOrder(3, false, false);
    expected.removeAll(QStringLiteral("TAVRIN1(0)"));
    for (int k = 0; k < 8; ++k)
        expected.removeAll(QStringLiteral("TAVRIN2(%1)").arg(k));
    EXPECT_EQ(released(0, 3), expected);
}

} // namespace
