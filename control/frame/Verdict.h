// The frame's verdict on a received reply. The numbers are stored in the frame's state word
// (an ASCII frame keeps its verdict there), so they stay fixed.
#pragma once

#include <cstdint>

namespace tavrin::frame {

enum class Verdict : std::int32_t {
    Pending = 0,      // still receiving or building, not yet handed over
    Good = 1,         // also the state of a finished request or a reply handed over
    BadChecksum = 3,  // CRC or LRC mismatch
    Exception = 4,    // the slave answered with an exception code
    BadLength = 5,    // too short to judge
    BadFraming = 6,   // ASCII: no ':' or CR LF, or characters that are no hex pairs
    BadByteCount = 7, // byte-count field differs from what the request asked for
};

} // namespace tavrin::frame
