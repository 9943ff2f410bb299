#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace lantervo::platform {

void RunThisThreadInBackground() {
  // On Linux each thread has a nice value of its own, named by the thread's id. Still a share
  // of the processor under load (about a tenth against one busy process), never none.
  const id_t thread = static_cast<id_t>(gettid());
  errno = 0;
  const int now = getpriority(PRIO_PROCESS, thread);
  if (errno != 0) return;
  setpriority(PRIO_PROCESS, thread, std::min(now + 10, 19));
}

}  // namespace lantervo::platform
