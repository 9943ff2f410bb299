#include "tests/support/unprivileged.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace lantervo::test {

#ifdef _WIN32

std::string RunUnprivileged(const std::function<std::string()>& check) {
  return check();
}

#else

std::string RunUnprivileged(const std::function<std::string()>& check) {
  if (geteuid() != 0) return check();
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(fds[0]);
    std::string result = "could not switch to the user nobody";
    if (setgid(65534) == 0 && setuid(65534) == 0) result = check();
    ssize_t written = write(fds[1], result.data(), result.size());
    _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  close(fds[1]);
  std::string result;
  char buf[512];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) result.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "check process failed: " + result;
  return result;
}

#endif

}  // namespace lantervo::test
