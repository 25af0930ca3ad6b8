// Crash tests: an operation run in a child process that the crash point ends
// at its Nth call changing a file, and snapshots of a directory's files.
#pragma once
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/fault.h"
#include "support/support.h"

namespace testsupport {

// Runs `fn` in a child process that ends before its nth call changing a file.
// True when it ended there, false when `fn` ran to its end first.
inline bool crashes_at(int nth, const std::function<void()>& fn) {
  pid_t pid = fork();
  if (pid == 0) {
    platform::crash::arm(nth);
    fn();
    std::_Exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  EXPECT_TRUE(code == 0 || code == platform::crash::kExitCode) << "exit " << code << " at call " << nth;
  return code == platform::crash::kExitCode;
}

// Every file of `dir` but Log.txt, by name; put_files makes `dir` hold exactly
// these (and its Log.txt).
using Files = std::map<std::string, Bytes>;
inline Files files_in(const std::string& dir) {
  Files out;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().filename() != "Log.txt") out[e.path().filename().string()] = read_file(e.path().string());
  return out;
}
inline void put_files(const std::string& dir, const Files& files) {
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().filename() != "Log.txt") std::filesystem::remove_all(e.path());
  for (const auto& f : files) write_file(dir + "/" + f.first, f.second);
}

}  // namespace testsupport
#endif
