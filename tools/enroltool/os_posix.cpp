#include "os.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

extern char** environ;

namespace enroltool::os {

std::string self_path() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<std::size_t>(n));
}

bool spawn(const std::vector<std::string>& args, Child* child) {
  if (args.empty()) return false;
  int fds[2];
  // Both ends close on exec: the worker gets its end as descriptor 1 only
  // (dup2 clears the flag there), and no later worker inherits this pipe.
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  child->process = pid;
  child->output = fds[0];
  return true;
}

long read_output(const Child& child, char* buf, std::size_t n) {
  for (;;) {
    const ssize_t r = read(static_cast<int>(child.output), buf, n);
    if (r >= 0) return static_cast<long>(r);
    if (errno != EINTR) return -1;
  }
}

int wait_child(Child* child) {
  if (child->output >= 0) close(static_cast<int>(child->output));
  child->output = -1;
  if (child->process < 0) return -1;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(static_cast<pid_t>(child->process), &status, 0);
  } while (r < 0 && errno == EINTR);
  child->process = -1;
  if (r < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

bool stderr_is_terminal() {
  if (!isatty(2)) return false;
  const char* term = getenv("TERM");
  return term != nullptr && std::string(term) != "dumb";
}

int terminal_columns() {
  winsize w{};
  if (ioctl(2, TIOCGWINSZ, &w) != 0) return 0;
  return w.ws_col;
}

}  // namespace enroltool::os
