#include "SlaveFraming.h"

#include "AsciiFraming.h"
#include "LineTiming.h"
#include "RtuFraming.h"

namespace dlcsim {

std::unique_ptr<SlaveFraming> makeFraming(Framing framing, const LineSettings& line) {
    if (framing == Framing::Ascii) {
        return std::make_unique<AsciiFraming>();
    }
    return std::make_unique<RtuFraming>(frameSilence(line));
}

} // namespace dlcsim
