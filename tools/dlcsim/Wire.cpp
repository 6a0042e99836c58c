#include "Wire.h"

#include <algorithm>

namespace dlcsim {

Wire::Character Wire::carry(TimePoint at) {
    Character c;
    c.begin = m_quietFrom ? std::max(at, *m_quietFrom) : at;
    if (m_quietFrom) {
        c.silence = c.begin - *m_quietFrom;
    }
    c.end = c.begin + m_character;
    m_quietFrom = c.end;
    return c;
}

void Wire::reserve(TimePoint begin, long count) {
    busyUntil(begin + m_character * count);
}

void Wire::busyUntil(TimePoint end) {
    m_quietFrom = m_quietFrom ? std::max(*m_quietFrom, end) : end;
}

} // namespace dlcsim
