// Backend-side view of the virtual clock.
#pragma once

#include "platform/clock.h"

namespace platform::vclock {
// The virtual local time: the start time plus what was slept since.
LocalTime now();
}  // namespace platform::vclock
