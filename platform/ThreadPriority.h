// The scheduling priority of the calling thread, for work done ahead of time that must never
// slow down the thread the user waits on.
#pragma once

namespace tarvo {

// Gives the calling thread the nice value 10, so that it yields the processor to the
// process's other threads; nothing happens when the system refuses.
void LowerThreadPriority();

} // namespace tarvo
