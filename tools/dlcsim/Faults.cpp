#include "Faults.h"

namespace dlcsim {
namespace {

constexpr int kMaxGarbageBytes = 4;
constexpr std::uint8_t kAsciiStart = ':';

} // namespace

Faults::Faults(std::vector<FaultRule> rules, std::uint64_t seed, Framing framing)
    : m_rules(std::move(rules)), m_rng(seed), m_framing(framing) {}

double Faults::draw() {
    // 53 random bits scaled by hand: the standard distributions differ between
    // standard libraries, and a seed must mean the same run everywhere.
    return static_cast<double>(m_rng() >> 11) * 0x1.0p-53;
}

FaultDecision Faults::decide(int cell) {
    FaultDecision d;
    for (const FaultRule& rule : m_rules) {
        if (rule.cell != 0 && rule.cell != cell) {
            continue;
        }
        const bool hit = draw() < rule.probability;
        switch (rule.kind) {
        case FaultKind::Drop:
            d.drop = d.drop || hit;
            break;
        case FaultKind::Crc:
            d.badChecksum = d.badChecksum || hit;
            break;
        case FaultKind::Exception:
            if (hit) {
                d.exception = rule.exceptionCode;
            }
            break;
        case FaultKind::Delay:
            if (hit) {
                d.delay += std::chrono::milliseconds(rule.delayMs);
            }
            break;
        case FaultKind::Garbage:
            if (hit) {
                const auto count = 1 + static_cast<int>(m_rng() % kMaxGarbageBytes);
                for (int i = 0; i < count; ++i) {
                    auto b = static_cast<std::uint8_t>(m_rng() & 0xFFU);
                    // In ASCII a ':' would open a frame: noise must stay noise.
                    if (m_framing == Framing::Ascii && b == kAsciiStart) {
                        b = 0;
                    }
                    d.garbage.push_back(b);
                }
            }
            break;
        }
    }
    return d;
}

} // namespace dlcsim
