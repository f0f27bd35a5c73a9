#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace tarvo {

void LowerThreadPriority() {
    // On Linux a nice value belongs to a thread, named by its thread id.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

} // namespace tarvo
