// The few operating-system calls the parallel download needs: starting this
// program again as a worker with its standard output on a pipe, reading that
// pipe, waiting for the worker's end, and what the terminal on standard error
// can do. One file per system (os_posix.cpp, os_win32.cpp), so that the rest
// of the tool stays portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace enroltool::os {

// The path of the running program; empty when it cannot be told.
std::string self_path();

// A started worker: its process and the read end of its standard output.
struct Child {
  std::intptr_t process = -1;
  std::intptr_t output = -1;
};

// Starts `args[0]` with the arguments `args[1]...`; its standard output goes
// to a pipe the caller reads, its standard error is this program's. Only the
// worker's own pipe end is passed on, so that a pipe ends when its worker
// does. False when the program could not be started.
bool spawn(const std::vector<std::string>& args, Child* child);
// Reads what the worker wrote: the count, 0 at its end, -1 on an error.
// Blocks until something is there.
long read_output(const Child& child, char* buf, std::size_t n);
// Waits for the worker's end, closes what was held of it and returns its
// exit code (-1 when it did not end by itself).
int wait_child(Child* child);

// True when standard error is a terminal that takes the sequences which move
// the cursor up and clear a line (on Windows they are switched on here).
bool stderr_is_terminal();
// The width of that terminal in characters; 0 when it cannot be told.
int terminal_columns();

}  // namespace enroltool::os
