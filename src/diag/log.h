// The diagnostic log Log.txt in the working directory: one time-stamped line per
// call, appended; moved aside under a dated name when it reaches 0x1FFC00 bytes.
// Also the debug switch (-d) that decides whether trace lines are written, and
// the shared buffer callers format a line into.
#pragma once

#include <cstddef>
#include <cstdint>

namespace diag {

// Size at which the log is moved aside (2 MiB less 1 KiB).
constexpr std::int64_t kLogLimit = 0x1FFC00;
// Longest path the program builds (working directory + name).
constexpr std::size_t kLogMaxPath = 512;
// Capacity of the shared line buffer, the terminating zero included.
constexpr std::size_t kLogTextSize = 2048;

// Result codes of log_write.
enum LogResult : int {
  kLogOk = 1,
  kLogNoDirectory = -1,     // no working directory known
  kLogPathTooLong = -2,     // working directory + "Log.txt" exceeds the path limit
  kLogPathHasZero = -3,     // the working directory holds a zero byte
  kLogCreate = -11,         // the log could be neither opened nor created
  kLogSeekNew = -12,        // positioning in a new log failed
  kLogDatedTooLong = -13,   // the dated name exceeds the path limit
  kLogDatedDate = -14,      // the date does not give eight digits
  kLogRename = -15,         // the full log could not be moved aside
  kLogRecreate = -16,       // the log could not be created again after the move
  kLogSeekEnd = -17,        // positioning at the end failed
  kLogWriteStamp = -18,
  kLogWriteMessage = -19,
  kLogWriteLineEnd = -20,
};

// Appends one line: stamp, the message bytes, CR LF. `length` 0 means up to the
// message's terminating zero. Returns 1 or one of the negative codes above.
int log_write(const char* message, std::size_t length);

// Appends lines that carry their stamps and line ends already (what another
// process of the program wrote to a log of its own), moving a full log aside
// first as log_write does. Returns 1 or one of the negative codes above.
int log_append(const char* lines, std::size_t length);

// The shared line buffer (kLogTextSize bytes, zero-terminated).
char* log_text();
// Formats into the shared buffer (cut to its size) and writes it: a failure or
// summary line, written whatever the debug switch says.
int log_line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Like log_line, but only while the debug switch is on; 0 when it is off.
int log_trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The debug switch (-d / -D on the command line).
void set_debug_logging(bool on);
bool debug_logging();

// Clears the debug switch, the shared buffer and the status-text buffer (tests).
void reset_diag();

}  // namespace diag
