// Giving up the serial port: wait until no control instance has a transaction under way, then
// release them all.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace torvik::comm {

// What the release needs of one control instance.
class ControlHandle {
public:
    virtual ~ControlHandle() = default;
    virtual bool busy() const = 0; // a transaction is under way
    virtual void disconnect() = 0; // lets go of the port
};

// The main screen's instances, by array. Empty places are skipped.
struct ControlInstances {
    std::array<ControlHandle*, 9> TAVRIN0{}; // per DLC index
    std::array<ControlHandle*, 9> TAVRIN1{};
    std::array<ControlHandle*, 9> TAVRIN4{};
    std::array<ControlHandle*, 9> TAVRIN5{};
    std::array<ControlHandle*, 8> TAVRIN2{}; // per information item
    std::array<ControlHandle*, 4> TAVRIN3{}; // per custom row
    ControlHandle* TAVRIN6 = nullptr;        // the test tab
};

// The instances to check and release, in order: per DLC index 0..maxDlcIndex TAVRIN0,
// TAVRIN1, TAVRIN4, TAVRIN5; then TAVRIN2(0..7); then TAVRIN3(0..3) in variant 2 and TAVRIN6
// in variant 1, the only variants that have those tabs.
std::vector<ControlHandle*> releaseList(const ControlInstances& instances,
                                        std::int16_t programVariant, std::int16_t maxDlcIndex);

// IsPortClose: true when none of them is busy; stops at the first busy one.
bool IsPortClose(std::span<ControlHandle* const> instances);

// PortCloseWait: up to 11 checks, 1 ms apart with events handled in between, traced to the
// debug channel; then portClose runs, idle or not (an instance still busy is released all the
// same). Returns whether they were all idle.
bool PortCloseWait(std::span<ControlHandle* const> instances,
                   const std::function<void()>& portClose);

// The release step of PortClose: disconnect every instance in list order.
void disconnectAll(std::span<ControlHandle* const> instances);

} // namespace torvik::comm
