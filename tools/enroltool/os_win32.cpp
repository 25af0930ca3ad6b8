// Windows backend of the tool's OS layer: the worker is started with
// CreateProcess, its standard output on an anonymous pipe; the console takes
// the cursor sequences once virtual-terminal processing is switched on. Paths
// and arguments are the bytes the program got on its command line (the ANSI
// code page), so the A functions are used.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "os.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace enroltool::os {
namespace {

HANDLE handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// One argument as the C runtime of the worker splits its command line again:
// quoted when it holds blanks or quotes, a quote escaped, and the backslashes
// before a quote (or before the closing quote) doubled.
std::string quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

}  // namespace

std::string self_path() {
  char buf[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

bool spawn(const std::vector<std::string>& args, Child* child) {
  if (args.empty()) return false;
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) return false;
  // Only the write end goes to the worker; the parent's copy of it is closed
  // right after the start, before any other worker is started.
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::string line;
  for (const std::string& a : args) line += (line.empty() ? "" : " ") + quote(a);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = write_end;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessA(args[0].c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 nullptr, &si, &pi);
  CloseHandle(write_end);
  if (!ok) {
    CloseHandle(read_end);
    return false;
  }
  CloseHandle(pi.hThread);
  child->process = reinterpret_cast<std::intptr_t>(pi.hProcess);
  child->output = reinterpret_cast<std::intptr_t>(read_end);
  return true;
}

long read_output(const Child& child, char* buf, std::size_t n) {
  DWORD got = 0;
  if (ReadFile(handle(child.output), buf, static_cast<DWORD>(n), &got, nullptr)) return static_cast<long>(got);
  // The worker closed its end: the end of its output.
  return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

int wait_child(Child* child) {
  if (child->output != -1) CloseHandle(handle(child->output));
  child->output = -1;
  if (child->process == -1) return -1;
  HANDLE p = handle(child->process);
  DWORD code = 0;
  const bool ended = WaitForSingleObject(p, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(p, &code);
  CloseHandle(p);
  child->process = -1;
  return ended ? static_cast<int>(code) : -1;
}

bool stderr_is_terminal() {
  HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (h == INVALID_HANDLE_VALUE || h == nullptr || !GetConsoleMode(h, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

int terminal_columns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace enroltool::os
