// Faults on demand, drawn from a seeded generator so that a run can be repeated exactly.
#pragma once

#include "Config.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace dlcsim {

struct FaultDecision {
    bool drop = false;
    bool badChecksum = false;
    std::uint8_t exception = 0;        // 0: none
    std::vector<std::uint8_t> garbage; // noise sent before the reply
    std::chrono::milliseconds delay{0};
};

class Faults {
public:
    Faults(std::vector<FaultRule> rules, std::uint64_t seed, Framing framing);

    // The faults that hit the next reply of cell `cell` (1-based). Each rule that applies
    // to the cell draws once per reply whatever the outcome, so a run with the same seed
    // and the same requests takes the same decisions.
    FaultDecision decide(int cell);

private:
    double draw();

    std::vector<FaultRule> m_rules;
    std::mt19937_64 m_rng;
    Framing m_framing;
};

} // namespace dlcsim
