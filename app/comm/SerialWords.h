// The two words of an address-assignment broadcast that name the load cell by serial number.
#pragma once

#include <QStringView>
#include <cstdint>

namespace torvik::comm {

struct SerialWords {
    std::int16_t high = 0; // hexadecimal digits 1-4 of the serial number's eight
    std::int16_t low = 0;  // digits 5-8
};

// Words from 8000 to FFFF keep their bit pattern (they read as negative). A serial number
// that is not a number gives 0 and 0.
SerialWords serialWords(QStringView serialNo);

} // namespace torvik::comm
