#include "ModemTestSupport.h"

#include "tavrin/TavrinEnums.h"

#include <fstream>
#include <sstream>

namespace tavrin::test {

namespace d = dispid;

modem::ModemTimings shortModemTimings() {
    modem::ModemTimings t;
    t.settle = std::chrono::milliseconds(kModemGuardMs / 2);
    t.escapeGuard = std::chrono::milliseconds(3 * kModemGuardMs);
    t.commandAnswer = 500ms;
    t.afterConnect = 50ms;
    t.hangupAnswer = 1000ms;
    return t;
}

std::uint8_t LinesFileStatus::read(const CommPort&) {
    std::ifstream in(m_path);
    std::string line;
    std::getline(in, line);
    const auto on = [&line](const char* name) {
        return line.find(std::string(name) + "=1") != std::string::npos;
    };
    return modem::statusBits({on("cts"), on("dsr"), on("ri"), on("dcd")});
}

EmulatedModem::EmulatedModem(std::vector<std::string> extra, int connectDelayMs)
    : m_log(m_folder.path() + "/modem.log"), m_lines(m_folder.path() + "/modem.lines") {
    std::vector<std::string> args = {"--cells",
                                     "2",
                                     "--value",
                                     "104.5,-3.25",
                                     "--modem",
                                     "--modem-log",
                                     m_log,
                                     "--modem-lines",
                                     m_lines,
                                     "--modem-guard",
                                     std::to_string(kModemGuardMs),
                                     "--modem-connect-delay",
                                     std::to_string(connectDelayMs)};
    args.insert(args.end(), extra.begin(), extra.end());
    m_bus = std::make_unique<dlcsim::test::Simulator>(args, placementIn(m_folder, 1));
}

std::vector<std::string> EmulatedModem::commands() const {
    std::ifstream in(m_log);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        // "<seconds> rx <command>"
        const std::size_t at = line.find(" rx ");
        if (at != std::string::npos) {
            out.push_back(line.substr(at + 4));
        }
    }
    return out;
}

bool EmulatedModem::waitForLog(const std::string& text, std::chrono::milliseconds timeout) const {
    return waitForFile(
        m_log, [&text](const std::string& log) { return log.find(text) != std::string::npos; },
        Clock::now() + timeout);
}

std::unique_ptr<CTAVRINCtrl> modemControl(const EmulatedModem& modem, Host& host,
                                          modem::ModemTimings timings, const std::string& node) {
    ControlEnvironment environment;
    environment.makePort = [timings, lines = modem.linesPath()] {
        return std::make_unique<SessionPort>(timings, std::make_unique<LinesFileStatus>(lines));
    };
    auto control = CTAVRINCtrl::create(std::move(environment));
    control->advise(&host);
    control->setSite(&host);
    EXPECT_TRUE(put(*control, d::AdapterPrefix, Variant::bstr(modem.folder().prefix())));
    EXPECT_TRUE(put(*control, d::Adapter, Variant::i2(1)));
    EXPECT_TRUE(put(*control, d::CommSettings, Variant::bstr(kBusSettings)));
    EXPECT_TRUE(put(*control, d::Function, Variant::i2(4)));
    EXPECT_TRUE(put(*control, d::MemStart, Variant::bstr("30001")));
    EXPECT_TRUE(put(*control, d::MemQty, Variant::i2(2)));
    EXPECT_TRUE(put(*control, d::NodeAddress, Variant::bstr(node)));
    EXPECT_TRUE(put(*control, d::TimeoutTrans, Variant::i2(1000)));
    return control;
}

void modemDial(CTAVRINCtrl& control, const std::string& init1, const std::string& init2,
               const std::string& phoneSystem, const std::string& number) {
    EXPECT_TRUE(call(control, d::ModemDial,
                     {Variant::bstr(init1), Variant::bstr(init2), Variant::bstr(phoneSystem),
                      Variant::bstr(number)}));
}

std::optional<std::uint16_t> waitForEvent(Host& host, automation::DispId id, std::size_t n,
                                          std::chrono::milliseconds timeout) {
    if (!pumpUntil([&] { return host.count(id) >= n; }, timeout)) {
        return std::nullopt;
    }
    for (auto e = host.events.rbegin(); e != host.events.rend(); ++e) {
        if (e->id == id) {
            return static_cast<std::uint16_t>(e->value);
        }
    }
    return std::nullopt;
}

} // namespace tavrin::test
