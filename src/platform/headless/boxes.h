// Test side of the headless message boxes.
#pragma once

#include <cstddef>
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

}  // namespace ui::headless
