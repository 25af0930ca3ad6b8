// Win32 ui backend under a test driver: once a test has reset the driver or
// queued an answer, message boxes and file dialogs are answered from the script
// and recorded (no modal window appears), timers run in virtual time, paint
// operations are recorded, and armed failures make the named calls fail.
#include <windows.h>

#include <deque>
#include <map>
#include <utility>

#include "platform/clock.h"
#include "platform/headless/driver.h"
#include "platform/win32/ui/scripted.h"
#include "platform/win32/ui/state.h"

namespace ui::win32 {

Scripted& scripted() {
  static Scripted s;
  return s;
}

bool driven() { return scripted().active; }

bool driven_set_timer(HWND h, unsigned id, unsigned ms) {
  VirtualTimer& t = scripted().timers[{h, id}];
  t.interval = ms;
  t.due = platform::tick_ms() + ms;
  t.armed = ++scripted().armed;
  return true;
}

bool driven_kill_timer(HWND h, unsigned id) { return scripted().timers.erase({h, id}) > 0; }

void driven_forget(HWND h) {
  auto& timers = scripted().timers;
  for (auto it = timers.begin(); it != timers.end();)
    it = it->first.first == h ? timers.erase(it) : std::next(it);
}

int driven_message_box(Window owner, const std::string& text, const std::string& caption,
                       unsigned style) {
  Scripted& s = scripted();
  headless::Box box{owner, text, caption, style, 0, false};
  if (!s.answers.empty()) {
    box.answer = s.answers.front();
    s.answers.pop_front();
  } else {
    // Unplanned: OK for information, No or Cancel for a question, and marked.
    unsigned buttons = style & 0xF;
    box.answer = buttons == kYesNo || buttons == kYesNoCancel ? kIdNo
                 : buttons == kOkCancel                       ? kIdCancel
                                                              : kIdOk;
    box.unscripted = buttons != kOk;
  }
  s.boxes.push_back(box);
  if (s.box_watch) s.box_watch(box);
  return box.answer;
}

void driven_quit(int code) { scripted().quit_code = code; }

void driven_overlay_text(const std::string& text) { scripted().overlay_history.push_back(text); }

bool driven_screen_size(Size* size) {
  if (scripted().screen.width <= 0) return false;
  *size = scripted().screen;
  return true;
}

bool driven_file_dialog(Window owner, const FileDialog& dialog, std::string* path) {
  Scripted& s = scripted();
  headless::FileDialogShown shown{owner, dialog, false, std::string(), false};
  if (s.files.empty()) {
    shown.unscripted = true;
  } else {
    ScriptedFile f = s.files.front();
    s.files.pop_front();
    shown.chosen = f.chosen;
    shown.path = f.path;
  }
  s.file_dialogs.push_back(shown);
  if (shown.chosen) *path = shown.path;
  return shown.chosen;
}

void driven_paint_image(HWND h, Image image, int x, int y, int width, int height, Blend blend) {
  headless::PaintOp op{};
  op.kind = headless::PaintOp::DrawImage;
  op.image = image;
  op.blend = blend;
  op.box = Rect{x, y, width, height};
  scripted().paint_ops[h].push_back(op);
}

void driven_paint_text(HWND h, const std::string& text, const Rect& box, const Font& font,
                       Colour colour) {
  headless::PaintOp op{};
  op.kind = headless::PaintOp::DrawText;  // DrawTextW under <windows.h>, in the header too
  op.text = text;
  op.box = box;
  op.font = font;
  op.colour = colour;
  scripted().paint_ops[h].push_back(op);
}

bool failing(Failing f) {
  auto& counts = scripted().failures[f];
  bool fail = false;
  for (auto it = counts.begin(); it != counts.end();) {
    if (--*it == 0) {
      fail = true;
      it = counts.erase(it);
    } else {
      ++it;
    }
  }
  return fail;
}

}  // namespace ui::win32

namespace ui::headless {

using namespace win32;

const std::vector<Box>& boxes() { return scripted().boxes; }

void clear_boxes() {
  scripted().boxes.clear();
  scripted().answers.clear();
}

void script_answer(int answer) {
  scripted().active = true;
  scripted().answers.push_back(answer);
}

std::size_t unanswered_script() { return scripted().answers.size(); }

void watch_boxes(std::function<void(const Box&)> watch) {
  scripted().active = true;
  scripted().box_watch = std::move(watch);
}

void script_file(const std::string& path) {
  scripted().active = true;
  scripted().files.push_back(ScriptedFile{true, path});
}

void script_file_cancel() {
  scripted().active = true;
  scripted().files.push_back(ScriptedFile{false, std::string()});
}

const std::vector<FileDialogShown>& file_dialogs() { return scripted().file_dialogs; }

std::size_t unanswered_files() { return scripted().files.size(); }

void fail_next(Failure f, int nth) {
  scripted().failures[f].push_back(nth);
}

}  // namespace ui::headless
