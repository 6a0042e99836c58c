// The control as a host drives it, over pseudo-terminals against the simulated bus (dlcsim)
// and an independent slave (libmodbus): refreshes and their refusals, time-outs, ports that
// cannot be opened, broadcasts, destruction during a transaction, 45 controls on one port,
// and controls of two processes sharing a port while its owner closes or is killed.
#include "ControlTestSupport.h"
#include "EngineTestSupport.h"
#include "TavrinHost.h"
#include "engine/SessionPort.h"
#include "tavrin/TavrinEnums.h"

#include <csignal>
#include <future>
#include <map>
#include <modbus.h>

namespace tavrin::test {
namespace {

namespace d = dispid;
using dlcsim::test::Simulator;

// A control set up to read a cell's measured value (30001, function 4, two registers) on
// port <prefix><number> of the test's ports folder, recording its events in `host`. The
// library's own port; `port`, when given, receives it for looking at the port's sharing.
std::unique_ptr<CTAVRINCtrl> valueReader(const PortsFolder& folder, int number, Host& host,
                                         const std::string& node, std::int16_t timeoutMs = 1000,
                                         SessionPort** port = nullptr) {
    ControlEnvironment environment;
    environment.makePort = [port] {
        auto made = std::make_unique<SessionPort>();
        if (port != nullptr) {
            *port = made.get();
        }
        return made;
    };
    auto control = CTAVRINCtrl::create(std::move(environment));
    control->advise(&host);
    control->setSite(&host);
    EXPECT_TRUE(put(*control, d::AdapterPrefix, Variant::bstr(folder.prefix())));
    EXPECT_TRUE(put(*control, d::Adapter, Variant::i2(static_cast<std::int16_t>(number))));
    EXPECT_TRUE(put(*control, d::CommSettings, Variant::bstr(kBusSettings)));
    EXPECT_TRUE(put(*control, d::Function, Variant::i2(4)));
    EXPECT_TRUE(put(*control, d::MemStart, Variant::bstr("30001")));
    EXPECT_TRUE(put(*control, d::MemQty, Variant::i2(2)));
    EXPECT_TRUE(put(*control, d::NodeAddress, Variant::bstr(node)));
    EXPECT_TRUE(put(*control, d::TimeoutTrans, Variant::i2(timeoutMs)));
    return control;
}

float valueOf(CTAVRINCtrl& control) {
    Variant value;
    EXPECT_TRUE(call(control, d::GetDataFloatSwapM, {Variant::i2(0)}, &value));
    return value.asR4();
}

// AsyncRefresh, then pumps until its Complete has fired; the Result it carried, or -1.
int refreshAndWait(CTAVRINCtrl& control, Host& host) {
    const std::size_t before = host.count(d::Complete);
    EXPECT_TRUE(call(control, d::AsyncRefresh));
    if (!pumpUntil([&] { return host.count(d::Complete) > before; }, 10s)) {
        return -1;
    }
    return host.events.back().value;
}

class ControlOnBus : public ::testing::Test {
protected:
    void startBus(std::vector<std::string> args, int number = 1) {
        auto& bus = m_buses[number];
        bus = std::make_unique<Simulator>(std::move(args), placementIn(m_folder, number));
        ASSERT_TRUE(bus->ready()) << bus->readyLine();
    }
    // Stops the bus and returns its counters; every frame it saw was whole and valid.
    BusSummary stopBus(int number = 1) {
        const auto finished = m_buses[number]->stop(SIGTERM);
        const auto summary = parseSummary(finished.output);
        EXPECT_TRUE(summary) << finished.output;
        EXPECT_EQ(summary.value_or(BusSummary{}).bad, 0U) << m_buses[number]->log();
        return summary.value_or(BusSummary{});
    }
    std::unique_ptr<CTAVRINCtrl> reader(const std::string& node, std::int16_t timeoutMs = 1000) {
        return valueReader(m_folder, 1, m_host, node, timeoutMs);
    }

    PortsFolder m_folder;
    std::map<int, std::unique_ptr<Simulator>> m_buses;
    Host m_host;
};

TEST_F(ControlOnBus, AsyncRefreshCompletesWithTheValueOfTheCell) {
    // dlcsim's fixed --value list; the registers carry the float high word first.
    startBus({"--cells", "2", "--value", "1.5,-2.25"});
    auto control = reader("2");
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(get(*control, d::Result).asI2(), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), -2.25F);
    EXPECT_FALSE(get(*control, d::Busy).asBool());

    // SyncRefresh takes the same road in the calling thread, without an event.
    ASSERT_TRUE(put(*control, d::NodeAddress, Variant::bstr("1")));
    ASSERT_TRUE(call(*control, d::SyncRefresh));
    EXPECT_EQ(get(*control, d::Result).asI2(), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 1.5F);
    EXPECT_EQ(m_host.count(d::Complete), 1U);
    control.reset();
    EXPECT_EQ(stopBus().answered, 2U);
}

TEST_F(ControlOnBus, ChangedPortPropertiesReachThePortAtTheNextTransaction) {
    startBus({"--cells", "1", "--value", "11"}, 1);
    startBus({"--cells", "1", "--value", "22"}, 2);
    auto control = reader("1");
    ASSERT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 11.0F);
    ASSERT_TRUE(put(*control, d::Adapter, Variant::i2(2)));
    ASSERT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 22.0F);
    // A settings text the line accepts (a pty keeps its own) is applied without a reopen.
    ASSERT_TRUE(put(*control, d::CommSettings, Variant::bstr("19200,n,8,1")));
    ASSERT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    ASSERT_TRUE(put(*control, d::AdapterPrefix, Variant::bstr("NOSUCHPORT")));
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_COMM_OPEN);
    control.reset();
    EXPECT_EQ(stopBus(1).answered, 1U);
    EXPECT_EQ(stopBus(2).answered, 2U);
}

TEST_F(ControlOnBus, SecondRefreshIsRefusedWith1792AndTheFirstStillCompletes) {
    startBus({"--cells", "1", "--value", "7"});
    auto control = reader("1");
    ASSERT_TRUE(call(*control, d::AsyncRefresh));
    // Busy holds until the host has taken the completion, however fast the reply was.
    ASSERT_TRUE(call(*control, d::AsyncRefresh));
    EXPECT_EQ(get(*control, d::Result).asI2(), TAVRIN_RESULT_DEVICE_BUSY);
    EXPECT_TRUE(m_host.events.empty());
    ASSERT_TRUE(pumpUntil([&] { return m_host.count(d::Complete) == 1; }));
    EXPECT_EQ(m_host.events[0].value, RES_AX_SUCCESS);
    EXPECT_EQ(get(*control, d::Result).asI2(), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 7.0F);
    NotifyQueue::forCurrentThread()->pump();
    EXPECT_EQ(m_host.count(d::Complete), 1U);
    control.reset();
    EXPECT_EQ(stopBus().received, 1U);
}

TEST_F(ControlOnBus, BusyReadsTrueInsideComplete) {
    startBus({"--cells", "1"});
    auto control = reader("1");
    std::optional<bool> busyInside;
    m_host.onEventHook = [&](const Host::Event&) { busyInside = get(*control, d::Busy).asBool(); };
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(busyInside, true);
    EXPECT_FALSE(get(*control, d::Busy).asBool());
}

TEST_F(ControlOnBus, FunctionRefusedForTheEnronConventionCompletesWithinTheCallUnsent) {
    startBus({"--cells", "1"});
    auto control = reader("1");
    ASSERT_TRUE(put(*control, d::AddressType, Variant::i2(ADDR_TYPE_ENRON_MODBUS)));
    ASSERT_TRUE(call(*control, d::AsyncRefresh));
    ASSERT_EQ(m_host.events.size(), 1U);
    EXPECT_EQ(m_host.events[0].value, RES_AX_INVALID_FUNCTION);
    EXPECT_FALSE(get(*control, d::Busy).asBool());
    control.reset();
    EXPECT_EQ(stopBus().received, 0U);
}

TEST_F(ControlOnBus, ASlaveThatNeverAnswersGives256AndTheNextTransactionWorks) {
    startBus({"--cells", "2", "--value", "10,20", "--fault", "cell=1:drop=1"});
    auto control = reader("1", 200);
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_COMM_TIMEOUT);
    ASSERT_TRUE(put(*control, d::NodeAddress, Variant::bstr("2")));
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 20.0F);
}

TEST_F(ControlOnBus, AMissingPortGives1280AndEveryAutoPollReportsIt) {
    auto control = reader("1"); // nothing linked as port 1
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_COMM_OPEN);
    EXPECT_EQ(get(*control, d::Result).asI2(), RES_AX_COMM_OPEN);

    m_host.events.clear();
    ASSERT_TRUE(put(*control, d::AutoPollInterval, Variant::i4(20)));
    ASSERT_TRUE(put(*control, d::AutoPollEnabled, Variant::boolean(true)));
    ASSERT_TRUE(pumpUntil([&] { return m_host.count(d::Complete) >= 4; }));
    ASSERT_TRUE(put(*control, d::AutoPollEnabled, Variant::boolean(false)));
    for (const Host::Event& e : m_host.events) {
        EXPECT_EQ(e.value, RES_AX_COMM_OPEN);
    }

    // The port appears: the next poll opens it.
    startBus({"--cells", "1", "--value", "3"});
    ASSERT_TRUE(put(*control, d::AutoPollEnabled, Variant::boolean(true)));
    ASSERT_TRUE(pumpUntil([&] { return m_host.events.back().value == RES_AX_SUCCESS; }));
    ASSERT_TRUE(put(*control, d::AutoPollEnabled, Variant::boolean(false)));
    EXPECT_EQ(valueOf(*control), 3.0F);
}

TEST_F(ControlOnBus, BroadcastCompletesWithoutWaitingForAReply) {
    startBus({"--cells", "2"});
    // The synchronisation coil to every cell, with the longest TimeoutTrans there is: a
    // broadcast that waited for a reply would not complete within the pump's 10 s.
    auto control = reader("0", 30000);
    ASSERT_TRUE(put(*control, d::Function, Variant::i2(5)));
    ASSERT_TRUE(put(*control, d::MemStart, Variant::bstr("00001")));
    ASSERT_TRUE(put(*control, d::MemQty, Variant::i2(1)));
    ASSERT_TRUE(call(*control, d::SetDataBitM, {Variant::i2(0), Variant::boolean(true)}));
    EXPECT_EQ(refreshAndWait(*control, m_host), RES_AX_SUCCESS);
    control.reset(); // the frame still reaches the line when the port closes right after it
    ASSERT_TRUE(waitForReceivedFrames(m_buses[1]->logPath(), 1, in(10s)));
    const BusSummary summary = stopBus();
    EXPECT_EQ(summary.broadcasts, 1U);
    EXPECT_EQ(summary.answered, 0U);
}

TEST_F(ControlOnBus, DestroyingAControlDuringATransactionReturnsAndFreesTheLine) {
    PtyPair silent; // a slave that takes the request and never answers
    m_folder.link(1, silent.slavePath());
    // Made, refreshed and destroyed on a thread of its own, so that a destructor that hung
    // fails the test instead of stalling it.
    auto destroyed = std::async(std::launch::async, [&] {
        Host host;
        auto control = valueReader(m_folder, 1, host, "1", 30000);
        EXPECT_TRUE(call(*control, d::AsyncRefresh));
        // The whole request is on the line: the thread now sleeps waiting for the reply.
        EXPECT_EQ(silent.read(8, in(10s)).size(), 8U);
        control.reset(); // the transaction ends with 4864; its completion is dropped
        NotifyQueue::forCurrentThread()->pump();
        return host.events.size();
    });
    // Far less than the 30 s reply timer.
    ASSERT_EQ(destroyed.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(destroyed.get(), 0U);

    m_folder.unlink(1);
    startBus({"--cells", "1", "--value", "4"});
    auto next = reader("1");
    EXPECT_EQ(refreshAndWait(*next, m_host), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*next), 4.0F);
}

TEST(ControlWithLibmodbus, CompletesWithTheValueAnIndependentSlaveHolds) {
    PortsFolder folder;
    LibmodbusSlave slave(folder.path() + "/" + folder.portName(1), 9);
    slave.map().tab_input_registers[0] = 0x4049;
    slave.map().tab_input_registers[1] = 0x0FDB; // 3.14159274f, high word first
    slave.start();
    Host host;
    auto control = valueReader(folder, 1, host, "9");
    EXPECT_EQ(refreshAndWait(*control, host), RES_AX_SUCCESS);
    EXPECT_EQ(valueOf(*control), 3.14159274F);
    ASSERT_TRUE(put(*control, d::MemStart, Variant::bstr("30065"))); // outside its 64
    EXPECT_EQ(refreshAndWait(*control, host), RES_MB_ILLEGAL_DATA_ADDRESS);
    control.reset();
    EXPECT_EQ(slave.served(), 2U);
}

// Controls sharing one port: every frame the bus received was whole and valid.
class ControlsOnSharedPort : public ControlOnBus {
protected:
    void SetUp() override { startBus({"--cells", "4", "--value", "1,2,3,4"}); }
    void expectCleanLine(unsigned long frames) {
        const BusSummary summary = stopBus();
        EXPECT_EQ(summary.received, frames);
        EXPECT_EQ(summary.answered, frames);
    }
    std::unique_ptr<Helper> helper() {
        return std::make_unique<Helper>(TAVRIN_CONTROL_HELPER, m_folder.prefix(), 1, kBusSettings);
    }
    // `count` reads of cell `node`, one after the other; how many gave its value.
    int readMany(CTAVRINCtrl& control, Host& host, int node, int count) {
        int good = 0;
        for (int i = 0; i < count; ++i) {
            const int result = refreshAndWait(control, host);
            if (result == RES_AX_SUCCESS && valueOf(control) == static_cast<float>(node)) {
                ++good;
            } else {
                ADD_FAILURE() << "cell " << node << ", read " << i << ": Result " << result;
            }
        }
        return good;
    }
};

TEST_F(ControlsOnSharedPort, FortyFiveControlsOfOneHostAllComplete) {
    // The operator program's screen: 45 controls on one thread, all refreshing at once, each
    // refreshed again as soon as it has completed.
    constexpr std::size_t kControls = 45;
    constexpr std::size_t kReads = 4;
    std::vector<Host> hosts(kControls);
    std::vector<std::unique_ptr<CTAVRINCtrl>> controls;
    for (std::size_t i = 0; i < kControls; ++i) {
        controls.push_back(valueReader(m_folder, 1, hosts[i], std::to_string(1 + i % 4), 5000));
    }
    const auto allDone = [&] {
        bool done = true;
        for (std::size_t i = 0; i < kControls; ++i) {
            const std::size_t completed = hosts[i].count(d::Complete);
            if (completed < kReads && !get(*controls[i], d::Busy).asBool()) {
                EXPECT_TRUE(call(*controls[i], d::AsyncRefresh));
            }
            done = done && completed >= kReads;
        }
        return done;
    };
    ASSERT_TRUE(pumpUntil(allDone, 60s));
    for (std::size_t i = 0; i < kControls; ++i) {
        SCOPED_TRACE(i);
        for (const Host::Event& e : hosts[i].events) {
            EXPECT_EQ(e.value, RES_AX_SUCCESS);
        }
        EXPECT_EQ(valueOf(*controls[i]), static_cast<float>(1 + i % 4));
    }
    controls.clear();
    expectCleanLine(kControls * kReads);
}

TEST_F(ControlsOnSharedPort, TwoProcessesTransactOnOnePort) {
    constexpr int kReads = 100;
    auto other = helper();                     // a host of its own, through the C interface
    ASSERT_EQ(other->call("read 2 1"), "1 0"); // it owns the port, this process is a guest
    auto control = valueReader(m_folder, 1, m_host, "1");
    auto theirs = std::async(std::launch::async,
                             [&] { return other->call("read 2 " + std::to_string(kReads), 60s); });
    EXPECT_EQ(readMany(*control, m_host, 1, kReads), kReads);
    EXPECT_EQ(theirs.get(), std::to_string(kReads) + " 0");
    control.reset();
    other.reset();
    expectCleanLine(2 * kReads + 1);
}

TEST_F(ControlsOnSharedPort, AGuestControlKeepsWorkingWhenTheOwnerCloses) {
    auto owner = helper();
    ASSERT_EQ(owner->call("read 1 1"), "1 0");
    auto control = valueReader(m_folder, 1, m_host, "3");
    ASSERT_EQ(readMany(*control, m_host, 3, 1), 1);
    auto closed = std::async(std::launch::async, [&] { return owner->call("close"); });
    EXPECT_EQ(readMany(*control, m_host, 3, 40), 40);
    EXPECT_EQ(closed.get(), "ok");
    auto later = helper(); // attaches to whoever owns the port now
    EXPECT_EQ(later->call("read 4 5"), "5 0");
    later.reset();
    owner.reset();
    control.reset();
    expectCleanLine(1 + 1 + 40 + 5);
}

TEST_F(ControlsOnSharedPort, AGuestControlKeepsWorkingWhenTheOwnerIsKilled) {
    auto owner = helper();
    ASSERT_EQ(owner->call("read 1 1"), "1 0");
    SessionPort* port = nullptr;
    auto control = valueReader(m_folder, 1, m_host, "2", 1000, &port);
    ASSERT_EQ(readMany(*control, m_host, 2, 1), 1);
    EXPECT_FALSE(port->session().port().ownsPort());
    owner->kill(); // SIGKILL between two of its transactions
    EXPECT_EQ(readMany(*control, m_host, 2, 20), 20);
    // The guest publishes itself as owner once its host thread sees the old one gone; a
    // process that starts after that takes the port from it.
    const CommPort& shared = port->session().port();
    const auto deadline = in(10s);
    while (!shared.ownsPort() && Clock::now() < deadline) {
        shared.waitForHostBeat(shared.hostBeats(), deadline);
    }
    ASSERT_TRUE(shared.ownsPort());
    auto later = helper();
    EXPECT_EQ(later->call("read 4 5"), "5 0");
    later.reset();
    control.reset();
    expectCleanLine(1 + 1 + 20 + 5);
}

// The same library as a host that knows only Tavrin.h loads it.
TEST_F(ControlOnBus, TheCInterfaceReadsTheValueOfACell) {
    startBus({"--cells", "3", "--value", "0,0,-8.5"});
    TavrinLibrary library(TAVRIN_LIBRARY_PATH);
    ASSERT_TRUE(library.loaded());
    HostedControl control(library, "TAVRIN.TAVRINCtrl.1");
    ASSERT_TRUE(control.valid());
    ASSERT_EQ(control.put("AdapterPrefix", text(m_folder.prefix().c_str())), TAVRIN_OK);
    ASSERT_EQ(control.put("Adapter", i2(1)), TAVRIN_OK);
    ASSERT_EQ(control.put("CommSettings", text(kBusSettings.c_str())), TAVRIN_OK);
    ASSERT_EQ(control.put("Function", i2(4)), TAVRIN_OK);
    ASSERT_EQ(control.put("MemStart", text("30001")), TAVRIN_OK);
    ASSERT_EQ(control.put("MemQty", i2(2)), TAVRIN_OK);
    ASSERT_EQ(control.put("NodeAddress", text("3")), TAVRIN_OK);
    ASSERT_EQ(control.call("AsyncRefresh"), TAVRIN_OK);
    ASSERT_TRUE(control.waitForEvents("Complete", 1));
    EXPECT_EQ(control.events()[0].second, RES_AX_SUCCESS);
    EXPECT_EQ(control.getI2("Result"), RES_AX_SUCCESS);
    EXPECT_EQ(control.getDouble("GetDataFloatSwapM", 0), -8.5);

    // A port nobody links, and a slave that never answers (cell 9 is not on the bus).
    ASSERT_EQ(control.put("NodeAddress", text("9")), TAVRIN_OK);
    ASSERT_EQ(control.put("TimeoutTrans", i2(100)), TAVRIN_OK);
    ASSERT_EQ(control.call("AsyncRefresh"), TAVRIN_OK);
    ASSERT_TRUE(control.waitForEvents("Complete", 2));
    EXPECT_EQ(control.events()[1].second, RES_AX_COMM_TIMEOUT);
    ASSERT_EQ(control.put("Adapter", i2(2)), TAVRIN_OK);
    ASSERT_EQ(control.call("AsyncRefresh"), TAVRIN_OK);
    ASSERT_TRUE(control.waitForEvents("Complete", 3));
    EXPECT_EQ(control.events()[2].second, RES_AX_COMM_OPEN);
}

} // namespace
} // namespace tavrin::test
