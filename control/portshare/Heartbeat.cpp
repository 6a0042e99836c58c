#include "portshare/Heartbeat.h"

namespace tavrin {

HeartbeatStep heartbeatStep(const ShareRecord& record, ShareIdentity self, bool takeOverAllowed,
                            bool ownerAlive, HeartbeatMemory& memory) {
    if (record.ownerPid == self.pid && record.ownerHandle == self.handle) {
        return HeartbeatStep::Advance;
    }
    // A closing owner asked, or the counter still shows the value this sharer wrote when it
    // last owned the port and has not moved since the last beat: nobody has beaten since.
    // (Without the second condition a counter that wrapped round to that value while another
    // owner beat would look the same.)
    const bool unmoved = record.counter == memory.lastSeen.counter;
    if (takeOverAllowed ||
        (record.counter == memory.lastWritten && memory.lastWritten != 0 && unmoved)) {
        return HeartbeatStep::TakeOver;
    }
    // The owner is gone without handing over: it was killed, or it closed while nobody could
    // answer (it then clears the owner fields).
    if (record.ownerPid == 0 || !ownerAlive) {
        return HeartbeatStep::TakeOver;
    }
    if (record == memory.lastSeen) {
        if (++memory.unchangedBeats >= kStalledBeats) {
            return HeartbeatStep::TakeOver;
        }
    } else {
        memory.lastSeen = record;
        memory.unchangedBeats = 0;
    }
    return HeartbeatStep::Leave;
}

ShareRecord applyHeartbeat(ShareRecord record, ShareIdentity self, HeartbeatStep step,
                           HeartbeatMemory& memory) {
    if (step == HeartbeatStep::Leave) {
        return record;
    }
    if (step == HeartbeatStep::TakeOver) {
        record.ownerPid = self.pid;
        record.ownerHandle = self.handle;
    }
    record.counter = nextCounter(record.counter);
    memory.lastWritten = record.counter;
    memory.lastSeen = record;
    memory.unchangedBeats = 0;
    return record;
}

} // namespace tavrin
