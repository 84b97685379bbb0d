// Runs a test's step in a forked child, for a step that may block or eat
// memory: the child's exit code, 125 when the step threw, or -1 when the
// child was killed. A watchdog alarm ends a child that blocks and a limit on
// its data one that grows, so that such a fault fails the test rather than
// hang it or strain the machine.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

inline int ExitCodeInChild(const std::function<int()>& step) {
  const pid_t pid = ::fork();
  if (pid == 0) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // (A sanitizer's shadow memory does not fit under such a limit.)
    const rlimit data{rlim_t{512} << 20, rlim_t{512} << 20};
    ::setrlimit(RLIMIT_DATA, &data);
#endif
    ::alarm(20);
    int code = 125;
    try {
      code = step();
    } catch (...) {
      // Never back into the test program: the child would run the tests left.
    }
    ::_exit(code);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
