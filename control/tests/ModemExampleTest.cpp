// The modem example as a bench script runs it: the system's Python against dlcsim's
// emulated modem, through the built library, with the dialogue's own waits.
#include "EngineTestSupport.h"

#include <csignal>
#include <gtest/gtest.h>

namespace tavrin::test {
namespace {

dlcsim::test::Finished runExample(const PortsFolder& folder) {
    std::vector<std::string> command = {
        "/usr/bin/python3", TAVRIN_DIAL_EXAMPLE, "--lib",     TAVRIN_LIBRARY_PATH,
        "--prefix",         folder.prefix(),     "--adapter", "1",
        "--number",         "5551234",           "--node",    "2"};
#ifdef TAVRIN_SANITIZER_PRELOAD
    // The interpreter itself is not instrumented (nor are its leaks ours).
    command.insert(command.begin(), {"/usr/bin/env", "LD_PRELOAD=" TAVRIN_SANITIZER_PRELOAD,
                                     "ASAN_OPTIONS=detect_leaks=0"});
#endif
    return dlcsim::test::runProgram(command, std::chrono::seconds(60));
}

TEST(DialExample, DialsReadsTheCellAndHangsUp) {
    PortsFolder folder;
    dlcsim::test::Simulator bus({"--cells", "2", "--value", "104.5,-3.25", "--modem"},
                                placementIn(folder, 1));
    ASSERT_TRUE(bus.ready()) << bus.readyLine();
    const auto run = runExample(folder);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("DialComplete: 0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Result: 0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Value: -3.25 "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("HangupComplete: 0\n"), std::string::npos) << run.output;
    const auto summary = parseSummary(bus.stop(SIGTERM).output);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->answered, 1U);
}

TEST(DialExample, ABusyLineIsReportedByName) {
    PortsFolder folder;
    dlcsim::test::Simulator bus({"--modem", "--modem-answer", "dial=busy"}, placementIn(folder, 1));
    ASSERT_TRUE(bus.ready()) << bus.readyLine();
    const auto run = runExample(folder);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("DialComplete: 41984 (MDM_RES_MODEM_RESP_BUSY)\n"), std::string::npos)
        << run.output;
}

} // namespace
} // namespace tavrin::test
