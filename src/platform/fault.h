// Fault injection at the platform seam: a test arms a fault for the Nth call of an
// operation from now on, and the backend makes that call fail, or (for transfers)
// come up short. Calls are counted per operation while anything is armed or
// counting is on.
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
