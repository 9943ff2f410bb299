#pragma once
// Background work on a thread of its own, such as reading a long list while the windows are
// built, yields the processor to the user-interface thread.

namespace lantervo::platform {

// Lowers the calling thread's scheduling priority below the process's other threads (a nice
// value ten steps up on Linux, below-normal on Windows). Best effort: a system that refuses
// leaves it as it was.
void RunThisThreadInBackground();

}  // namespace lantervo::platform
