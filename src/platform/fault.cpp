#include "platform/fault.h"

#include <array>
#include <atomic>
#include <cstdlib>
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

namespace platform::crash {
namespace {

std::atomic<int> g_changes{0};
// The call number that ends the process; 0 none, -1 not yet read from the
// environment.
std::atomic<int> g_target{-1};

int target() {
  int t = g_target.load();
  if (t >= 0) return t;
  const char* text = std::getenv("ENROL_CRASH_AT");
  long n = 0;
  if (text) {
    char* end = nullptr;
    n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || n < 0 || n > 1000000000L) n = 0;
  }
  int expected = -1;
  g_target.compare_exchange_strong(expected, static_cast<int>(n));
  return g_target.load();
}

}  // namespace

void arm(int nth) { g_target = nth > 0 ? g_changes.load() + nth : 0; }

int changes() { return g_changes.load(); }

void before_change() {
  int n = ++g_changes;
  if (n == target()) std::_Exit(kExitCode);
}

}  // namespace platform::crash
