// Test side of the headless message boxes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace ui::headless {

struct Box {
  Window owner;
  std::string text;     // Windows-1252 bytes, as the program passed them
  std::string caption;  // Windows-1252 bytes
  unsigned style;
  int answer;
  bool unscripted;  // a question that no scripted answer was waiting for
};

const std::vector<Box>& boxes();
void clear_boxes();
// Queues the answer for the next box shown (kIdOk, kIdYes, kIdNo ...).
void script_answer(int answer);
std::size_t unanswered_script();
// Calls `watch` for every box as it is shown, before its answer is returned,
// so that a test can look at what the windows show while the box is up. An
// empty function stops watching, and so does reset().
void watch_boxes(std::function<void(const Box&)> watch);

}  // namespace ui::headless
