// Long operations call a progress hook after each step so that a window can
// repaint (and enroltool can print a line); an empty hook is allowed.
#pragma once

#include <functional>

namespace ops {

// done: steps finished so far; total: all steps (0 when not known yet).
using Progress = std::function<void(int done, int total)>;

}  // namespace ops
