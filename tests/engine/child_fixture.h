// Runs a piece of a test in a child process: for memory limits, other users, environments, signals.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

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

// The child ran to its end, returned 0 and wrote each of [lines] to stderr.
inline testing::AssertionResult ranCleanly(const ChildResult& child, std::initializer_list<std::string_view> lines = {}) {
  if (!child.exited) return testing::AssertionFailure() << "ended by signal " << child.status << "\n" << child.err;
  std::string wrong = child.status == 0 ? "" : "exit status " + std::to_string(child.status) + "\n";
  for (std::string_view line : lines) {
    if (child.err.find(line) == std::string::npos) wrong += "missing: " + std::string(line) + "\n";
  }
  if (wrong.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << wrong << "stderr:\n" << child.err;
}

// This process's resident memory, in bytes.
inline long residentBytes() {
  long pages = 0, residentPages = 0;
  std::ifstream("/proc/self/statm") >> pages >> residentPages;
  return residentPages * ::sysconf(_SC_PAGESIZE);
}

// The most resident memory this process has held, in bytes.
inline long long peakResident() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  }
  return -1;
}

// Run in a child: lets its address space grow by [extra] bytes from now, so
// an allocation past that fails as on a machine out of memory.
inline bool limitAddressSpace(rlim_t extra) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + extra;
  return ::setrlimit(RLIMIT_AS, &limit) == 0;
}
