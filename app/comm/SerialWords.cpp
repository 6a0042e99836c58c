#include "comm/SerialWords.h"

#include "config/Conversions.h"

#include <QString>

namespace torvik::comm {

SerialWords serialWords(QStringView serialNo) {
    const QString hex = mdlFileMgr::SerialNo2Hex(serialNo);
    bool okHigh = false;
    bool okLow = false;
    const auto high = hex.left(4).toUShort(&okHigh, 16);
    const auto low = hex.mid(4, 4).toUShort(&okLow, 16);
    if (!okHigh || !okLow)
        return {};
    return {static_cast<std::int16_t>(high), static_cast<std::int16_t>(low)};
}

} // namespace torvik::comm
