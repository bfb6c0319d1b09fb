// Runs a piece of a test in a child process: for memory limits, other users, environments, signals.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

struct ChildResult {
  bool exited = false;  // false: ended by a signal
  int status = -1;      // exit status, or the signal's number
  std::string err;      // everything the child wrote to stderr
};

// Runs [body] in a forked child whose exit status is [body]'s result. Use
// no test assertions inside: the child's results reach the parent only
// through the status and stderr.
inline ChildResult runChild(const std::function<int()>& body) {
  std::fflush(stdout);
  std::fflush(stderr);
  int fds[2];
  if (::pipe(fds) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::dup2(fds[1], 2);
    ::close(fds[1]);
    int code = body();
    std::fflush(stderr);
    ::_exit(code);
  }
  ::close(fds[1]);
  ChildResult result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) result.err.append(buffer, std::size_t(n));
  ::close(fds[0]);
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return result;
  result.exited = WIFEXITED(status);
  result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  return result;
}
