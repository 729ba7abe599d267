#include "platform/Threads.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>

namespace kazoon::platform {

bool raiseToRealTime(std::thread &thread, int priority)
{
    if (!thread.joinable())
        return false;
    sched_param param{};
    param.sched_priority = std::min(sched_get_priority_max(SCHED_FIFO), priority);
    return pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param) == 0;
}

} // namespace kazoon::platform
