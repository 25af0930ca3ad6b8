// Runs the built enroltool through the shell with its output captured in files.
#pragma once

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "support/support.h"

namespace tooltest {

struct Result {
  int rc = -1;
  std::string out, err;
};

// Quotes a word for the POSIX shell.
inline std::string shq(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `tool args`, standard output and error going to files in `scratch`;
// `env` ("NAME=value ") goes in front of the command.
inline Result run_tool(const std::string& tool, const std::string& args,
                       const testsupport::TempDir& scratch, const std::string& env = "") {
  std::string out = scratch.file("out.txt"), err = scratch.file("err.txt");
  std::string cmd = env + shq(tool) + " " + args + " >" + shq(out) + " 2>" + shq(err);
  int status = std::system(cmd.c_str());
  Result r;
#ifdef _WIN32
  r.rc = status;
#else
  // A crash is not an exit code: it stays -1 and fails every expectation.
  if (WIFEXITED(status)) r.rc = WEXITSTATUS(status);
#endif
  testsupport::Bytes o = testsupport::read_file(out), e = testsupport::read_file(err);
  r.out.assign(o.begin(), o.end());
  r.err.assign(e.begin(), e.end());
  return r;
}

}  // namespace tooltest
