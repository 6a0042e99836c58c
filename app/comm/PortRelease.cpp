#include "comm/PortRelease.h"

#include "comm/Pacing.h"
#include "runtime/Trace.h"

#include <algorithm>

namespace torvik::comm {
namespace {

constexpr int kPortChecks = 11;

template <std::size_t N>
void append(std::vector<ControlHandle*>& list, const std::array<ControlHandle*, N>& array) {
    for (ControlHandle* c : array) {
        if (c)
            list.push_back(c);
    }
}

} // namespace

std::vector<ControlHandle*> releaseList(const ControlInstances& instances,
                                        std::int16_t programVariant, std::int16_t maxDlcIndex) {
    std::vector<ControlHandle*> list;
    const auto dlcs = static_cast<std::size_t>(std::clamp<int>(maxDlcIndex + 1, 0, 9));
    for (std::size_t i = 0; i < dlcs; ++i) {
        for (const auto* array :
             {&instances.TAVRIN0, &instances.TAVRIN1, &instances.TAVRIN4, &instances.TAVRIN5}) {
            if ((*array)[i])
                list.push_back((*array)[i]);
        }
    }
    append(list, instances.TAVRIN2);
    if (programVariant == 2)
        append(list, instances.TAVRIN3);
    if (programVariant == 1 && instances.TAVRIN6)
        list.push_back(instances.TAVRIN6);
    return list;
}

bool IsPortClose(std::span<ControlHandle* const> instances) {
    return std::none_of(instances.begin(), instances.end(),
                        [](const ControlHandle* c) { return c && c->busy(); });
}

bool PortCloseWait(std::span<ControlHandle* const> instances,
                   const std::function<void()>& portClose) {
    bool idle = false;
    for (int check = 1; check <= kPortChecks; ++check) {
        if (IsPortClose(instances)) {
            qCDebug(runtime::lcTrace, "Port Not Busy. Disconnect OK.");
            idle = true;
            break;
        }
        if (check == kPortChecks) {
            qCDebug(runtime::lcTrace, "Port Busy. Disconnect NG.");
            break;
        }
        qCDebug(runtime::lcTrace, "Port Busy. Retry Port Check.");
        sleepAndPump();
    }
    if (portClose)
        portClose();
    return idle;
}

void disconnectAll(std::span<ControlHandle* const> instances) {
    for (ControlHandle* c : instances) {
        if (c)
            c->disconnect();
    }
}

} // namespace torvik::comm
