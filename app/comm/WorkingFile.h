// The working data file's capacity and the remaining-capacity text the screen shows.
#pragma once

#include <QString>
#include <cstdint>

namespace torvik::comm {

// The working file is handed over once it holds this many bytes.
inline constexpr std::int64_t kWorkingFileCapacity = 1'000'000;

// Bytes left before the hand-over; a missing file counts as empty.
std::int64_t remainingBytes(const QString& workingFile);

// "1,000KB": the remaining bytes in thousands, grouped, rounded half away from zero.
QString remainingCapacityText(std::int64_t remaining);

} // namespace torvik::comm
