// Running part of a test in a child process: a call that might hang (a FIFO), a second
// program holding the store's lock, a crash at a chosen moment.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace tolvane::test {

constexpr int kTimedOut = -1;

// Runs `body` in a child and gives its result (0-255), or kTimedOut when it had not ended
// after `seconds` (the child is then killed). The child never returns into the test.
inline int RunInChild(const std::function<int()>& body, int seconds) {
  const pid_t child = fork();
  if (child < 0) std::abort();
  if (child == 0) _exit(body());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return kTimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe for a child and its parent to tell each other "now": one byte written, one read.
class Signal {
 public:
  Signal() {
    if (pipe(m_fds) != 0) std::abort();
  }
  ~Signal() {
    close(m_fds[0]);
    close(m_fds[1]);
  }
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  void Send() const { (void)!write(m_fds[1], "!", 1); }
  // Waits up to `seconds` for the other side; false when nothing came.
  bool Wait(int seconds) const {
    fd_set read;
    FD_ZERO(&read);
    FD_SET(m_fds[0], &read);
    timeval limit{seconds, 0};
    char byte;
    return select(m_fds[0] + 1, &read, nullptr, nullptr, &limit) == 1 &&
           ::read(m_fds[0], &byte, 1) == 1;
  }

 private:
  int m_fds[2];
};

}  // namespace tolvane::test
