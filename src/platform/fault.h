// Fault injection at the platform seam: a test arms a fault for the Nth call of an
// operation from now on, and the backend makes that call fail, or (for transfers)
// come up short. Calls are counted per operation while anything is armed or
// counting is on.
//
// Beside it the crash point: the process ends at once before its Nth call that
// changes a file, as if it had been killed there (tests of crash safety).
#pragma once

namespace platform::fault {

enum class Op {
  FileOpen,
  FileSeek,
  FileRead,
  FileWrite,
  FileSize,
  FileClose,
  FileDelete,
  FileRename,
  FileFlush,  // a file's or a directory's contents through to the disk
  SerialOpen,
  SerialRead,
  SerialWrite,
  TcpConnect,
  TcpSend,
  TcpReceive,
  kCount
};

enum class Kind {
  Fail,   // the call reports failure and transfers nothing
  Short,  // a transfer moves fewer bytes than asked (at least one less) and reports success
};

// The nth call of `op` counted from now (1 = the next one) gets `kind`.
// Several arms for different operations can be active at once.
void arm(Op op, int nth, Kind kind = Kind::Fail);
// Makes every call of `op` from the nth on fail.
void arm_from(Op op, int nth, Kind kind = Kind::Fail);
// Disarms everything and clears the counters.
void reset();
// Calls of `op` seen since the last reset.
int calls(Op op);

// Backend side: counts the call and tells whether (and how) it must fail.
// Returns false for a normal call; `kind` (optional) is set only on true.
bool hit(Op op, Kind* kind = nullptr);

}  // namespace platform::fault

namespace platform::crash {

// Exit code of a process ended by the crash point.
constexpr int kExitCode = 86;

// Every call that changes a file counts: an open for writing (creating or not),
// a write, a flush, a rename or replacement and a delete. The count starts with
// the process. With the environment variable ENROL_CRASH_AT=N the process ends
// right before its Nth such call, with exit code 86 and no clean-up of any kind
// (no destructors, no buffered output, no handlers).

// Ends the process before the nth counted call from now (1 = the next one);
// 0 disarms (also a target set by ENROL_CRASH_AT).
void arm(int nth);
// Counted calls since the process started.
int changes();

// Backend side: counts one call that changes a file and ends the process when
// it is the one the crash point names.
void before_change();

}  // namespace platform::crash
