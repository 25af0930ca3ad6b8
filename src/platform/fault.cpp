#include "platform/fault.h"

#include <array>
#include <mutex>

namespace platform::fault {
namespace {

struct Slot {
  int count = 0;     // calls seen since reset
  int target = 0;    // call number that fails (0: none)
  bool from = false; // every call from target on fails
  Kind kind = Kind::Fail;
};

std::mutex g_mutex;
std::array<Slot, static_cast<std::size_t>(Op::kCount)> g_slots;

Slot& slot(Op op) { return g_slots[static_cast<std::size_t>(op)]; }

}  // namespace

void arm(Op op, int nth, Kind kind) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Slot& s = slot(op);
  s.target = s.count + nth;
  s.from = false;
  s.kind = kind;
}

void arm_from(Op op, int nth, Kind kind) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Slot& s = slot(op);
  s.target = s.count + nth;
  s.from = true;
  s.kind = kind;
}

void reset() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_slots = {};
}

int calls(Op op) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return slot(op).count;
}

bool hit(Op op, Kind* kind) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Slot& s = slot(op);
  ++s.count;
  if (s.target == 0) return false;
  bool fails = s.from ? s.count >= s.target : s.count == s.target;
  if (!fails) return false;
  if (kind) *kind = s.kind;
  if (!s.from) s.target = 0;
  return true;
}

}  // namespace platform::fault
