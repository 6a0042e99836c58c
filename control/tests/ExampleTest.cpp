// The ctypes example as a bench script runs it: against a running simulator, with the
// system's Python, printing the Result and the cell's value.
#include "EngineTestSupport.h"

#include <csignal>
#include <gtest/gtest.h>

namespace tavrin::test {
namespace {

TEST(ReadValueExample, PrintsResult0AndTheValueOfTheCell) {
    PortsFolder folder;
    dlcsim::test::Simulator bus({"--cells", "2", "--value", "104.5,-3.25"}, placementIn(folder, 1));
    ASSERT_TRUE(bus.ready()) << bus.readyLine();
    std::vector<std::string> command = {"/usr/bin/python3",
                                        TAVRIN_READ_VALUE_EXAMPLE,
                                        "--lib",
                                        TAVRIN_LIBRARY_PATH,
                                        "--prefix",
                                        folder.prefix(),
                                        "--adapter",
                                        "1",
                                        "--node",
                                        "2"};
#ifdef TAVRIN_SANITIZER_PRELOAD
    // The interpreter itself is not instrumented (nor are its leaks ours).
    command.insert(command.begin(), {"/usr/bin/env", "LD_PRELOAD=" TAVRIN_SANITIZER_PRELOAD,
                                     "ASAN_OPTIONS=detect_leaks=0"});
#endif
    const auto run = dlcsim::test::runProgram(command);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Result: 0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ResultString: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Value: -3.25 "), std::string::npos) << run.output;
    const auto summary = parseSummary(bus.stop(SIGTERM).output);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->answered, 1U);
}

} // namespace
} // namespace tavrin::test
