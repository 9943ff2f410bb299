#include "platform/thread_priority.h"

#include <windows.h>

namespace lantervo::platform {

void RunThisThreadInBackground() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

}  // namespace lantervo::platform
