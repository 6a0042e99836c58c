// How late the calling thread's timed sleeps may end. The kernel's default allows 50 us, which
// the silence before each frame (1.75 ms above 19200 baud) would gain every time.
#pragma once

namespace tavrin {

// Sleeps of the calling thread end as close to their deadline as the kernel can manage.
void useExactTimers();

} // namespace tavrin
