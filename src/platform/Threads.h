#pragma once

#include <thread>

namespace kazoon::platform {

// Puts a running thread ahead of every ordinary one (first in, first out, at
// `priority` or the system's highest if lower). False when the system does
// not allow it, e.g. without a real-time limit for the user; the thread then
// runs on as it was.
bool raiseToRealTime(std::thread &thread, int priority = 70);

} // namespace kazoon::platform
