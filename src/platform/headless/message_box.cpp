// Headless message boxes: every box is recorded, answers come from a script.
#include <deque>
#include <mutex>
#include <utility>

#include "platform/headless/boxes.h"
#include "platform/ui.h"

namespace ui {
namespace headless {
namespace {
std::mutex g_mutex;
std::vector<Box> g_boxes;
std::deque<int> g_answers;
std::function<void(const Box&)> g_watch;
}  // namespace

const std::vector<Box>& boxes() { return g_boxes; }

void clear_boxes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_boxes.clear();
  g_answers.clear();
}

void script_answer(int answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answers.push_back(answer);
}

std::size_t unanswered_script() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_answers.size();
}

void watch_boxes(std::function<void(const Box&)> watch) { g_watch = std::move(watch); }

}  // namespace headless

int message_box(Window owner, const std::string& text, const std::string& caption,
                unsigned style) {
  std::unique_lock<std::mutex> lock(headless::g_mutex);
  headless::Box box{owner, text, caption, style, 0, false};
  if (!headless::g_answers.empty()) {
    box.answer = headless::g_answers.front();
    headless::g_answers.pop_front();
  } else {
    // Without a scripted answer: OK for an information box, No (or Cancel) for a
    // question, and the box is marked so that a test can see it was not planned.
    unsigned buttons = style & 0xF;
    box.answer = buttons == kYesNo || buttons == kYesNoCancel ? kIdNo
                 : buttons == kOkCancel                       ? kIdCancel
                                                              : kIdOk;
    box.unscripted = buttons != kOk;
  }
  headless::g_boxes.push_back(box);
  lock.unlock();
  // The watcher may look at the windows (it is called on the caller's thread).
  if (headless::g_watch) headless::g_watch(box);
  return box.answer;
}

}  // namespace ui
