// Exclusive use of an open serial device among programs, as the control and the simulator
// take it: a second user, in this process or another, is refused.
#pragma once

namespace torvik::comm {

// True when this descriptor now holds the device's lock; false when another holds it (errno
// is left as the system set it).
bool lockDeviceExclusive(int fd);

} // namespace torvik::comm
