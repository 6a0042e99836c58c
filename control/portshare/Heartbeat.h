// What a sharer's host thread does with the record on each beat.
#ifndef TAVRIN_PORTSHARE_HEARTBEAT_H
#define TAVRIN_PORTSHARE_HEARTBEAT_H

#include "portshare/ShareRecord.h"

#include <cstdint>

namespace tavrin {

struct ShareIdentity {
    std::uint32_t pid = 0;
    std::uint32_t handle = 0; // this sharer's device descriptor number
};

// What one sharer remembers between beats.
struct HeartbeatMemory {
    std::uint8_t lastWritten = 0; // counter value this sharer wrote last
    ShareRecord lastSeen;
    unsigned unchangedBeats = 0;
};

enum class HeartbeatStep {
    Leave,   // somebody else owns the port and is alive
    Advance, // this sharer owns the port: advance the counter
    TakeOver // become the owner (publish this sharer), then advance
};

// An owner whose record has not changed for this many beats (about 1.2 s) is taken to be gone
// even though its process id still answers (a reused id, or a process stopped for good).
inline constexpr unsigned kStalledBeats = 4;

// Decides the beat and updates `memory` for the record the caller will write.
// takeOverAllowed: a closing owner asked for a successor. ownerAlive: the process named in
// the record exists.
HeartbeatStep heartbeatStep(const ShareRecord& record, ShareIdentity self, bool takeOverAllowed,
                            bool ownerAlive, HeartbeatMemory& memory);

// The record after the step (unchanged for Leave).
ShareRecord applyHeartbeat(ShareRecord record, ShareIdentity self, HeartbeatStep step,
                           HeartbeatMemory& memory);

} // namespace tavrin

#endif
