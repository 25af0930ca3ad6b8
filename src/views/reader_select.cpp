#include "views/reader_select.h"

#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_down_an_leser.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"

namespace views {
namespace {

using namespace res::d_down_an_leser;

constexpr int kHeadingHeight = 30;
constexpr int kLabelChars = 25;
constexpr ui::Colour kRed = ui::rgb(255, 0, 0);

struct State {
  ui::Window targets[kSelectTargets] = {};
  // The dialog open now and whether it belongs to the main window (its
  // reports then depend on the dialog mode).
  ui::Window dialog = ui::kNoWindow;
  bool over_main = false;
  int mode = kModeNone;
};

State& state() {
  static State s;
  return s;
}

// The slots of the readers the boxes stand for: in use with a name, in slot
// order, at most 32.
std::vector<int> named_readers() {
  std::vector<int> slots;
  const auto& table = store::db().readers;
  for (int i = 0; i < store::kReaders && static_cast<int>(slots.size()) < kReaders; ++i)
    if (table[i].used() && !table[i].name().empty()) slots.push_back(i);
  return slots;
}

// The main window's command for the operation the dialog serves.
int main_command(int mode) {
  switch (mode) {
    case kModeReaderTest:
    case kModeReaderErase:
    case kModeParameterReset:
      return 5500;
    case kModeReaderParameters:
      return 5520;
    case kModeOperatingMode:
      return 5540;
    default:
      return 2450;
  }
}

void report(bool send) {
  State& s = state();
  const bool operating_mode = s.over_main && s.mode == kModeOperatingMode;
  const std::intptr_t value = operating_mode ? (send ? -1 : -2) : (send ? 1 : 0);
  for (ui::Window w : s.targets) {
    if (w != ui::kNoWindow && ui::window_exists(w)) {
      ui::post_command(w, kReaderSelectReport, value);
      return;
    }
  }
  // The main window stays disabled while the selection and the run it starts
  // are open, so that a box of the run lets no menu command in; the
  // completion enables it again when it closes the selection.
  ui::post_command(main_window(), main_command(s.mode), value);
}

bool handler(ui::Window d, const ui::Event& e) {
  switch (e.kind) {
    case ui::EventKind::Command:
      if (e.id == ui::kIdAction || e.id == ui::kIdExitMenu) {
        report(e.id == ui::kIdAction);
        return true;
      }
      return false;
    case ui::EventKind::Destroyed:
      if (state().dialog == d) state().dialog = ui::kNoWindow;
      return true;
    default:
      return false;
  }
}

void fill(ui::Window d, const std::string& instruction) {
  if (!ui::set_font_height(d, kHeading, kHeadingHeight)) info(d, res::text(res::DS_NO_FONT));
  ui::set_text_colour(d, kHeading, kRed);
  ui::set_text(d, kInstruction, instruction);
  const std::vector<int> slots = named_readers();
  const auto& table = store::db().readers;
  for (int k = 0; k < kReaders; ++k) {
    const int box = kFirstReaderBox + k, label = kFirstReaderLabel + k;
    if (k < static_cast<int>(slots.size())) {
      const store::Lesersatz& r = table[slots[k]];
      ui::set_text(d, label, res::cut(r.name(), kLabelChars));
      ui::set_check(d, box, r.preselect() != 0);
    } else {
      ui::show_control(d, box, false);
      ui::show_control(d, label, false);
    }
  }
}

ui::Window opened(ui::Window d, const std::string& instruction, bool over_main, int mode) {
  if (d == ui::kNoWindow) return d;
  State& s = state();
  s.dialog = d;
  s.over_main = over_main;
  s.mode = mode;
  fill(d, instruction);
  return d;
}

}  // namespace

void set_select_target(SelectTarget target, ui::Window window) {
  state().targets[static_cast<int>(target)] = window;
}

ui::Window open_reader_select(int mode, const std::string& instruction) {
  return opened(open_main_dialog("D_DOWN_AN_LESER", handler, mode), instruction, true, mode);
}

ui::Window open_reader_select(ListWindow& list, const std::string& instruction) {
  return opened(list.open_dialog("D_DOWN_AN_LESER", handler), instruction, false, kModeNone);
}

std::vector<int> checked_readers(ui::Window dialog) {
  std::vector<int> out;
  const std::vector<int> slots = named_readers();
  for (int k = 0; k < static_cast<int>(slots.size()); ++k)
    if (ui::checked(dialog, kFirstReaderBox + k)) out.push_back(slots[k]);
  return out;
}

bool SelectProgress::start(ui::Window dialog, int pairs, const std::string& operation) {
  dialog_ = dialog;
  done_ = 0;
  // Under the reader columns, as wide as the status texts.
  const ui::Rect last = ui::control_rect(dialog, kFirstReaderBox + kReaders / 2 - 1);
  const ui::Rect status = ui::control_rect(dialog, kOperation);
  ui::Rect bar{status.x, last.y + last.height + 4, status.width, 0};
  bar.height = status.y - bar.y - 4;
  if (bar.height > 18) bar.height = 18;
  if (!ui::create_progress(dialog, kProgress, bar)) {
    ui::message_box(dialog, res::text(res::DS_NO_PROGRESS_BAR), std::string(), ui::kOk);
    dialog_ = ui::kNoWindow;
    return false;
  }
  ui::progress_range(dialog, kProgress, 0, 2 * pairs);
  ui::progress_step_size(dialog, kProgress, 1);
  ui::set_text(dialog, kOperation, operation);
  ui::set_text(dialog, kDetail, std::string());
  ui::set_text(dialog, kDone, "0");
  ui::set_text(dialog, kTotal, res::sformat("%d", pairs));
  ui::enable_control(dialog, ui::kIdAction, false);
  ui::enable_control(dialog, ui::kIdExitMenu, false);
  ui::redraw(dialog);
  return true;
}

ops::LoopHooks SelectProgress::hooks() {
  ops::LoopHooks h;
  const ui::Window d = dialog_;
  h.owner = d;
  h.step = [d] { ui::progress_step(d, kProgress); };
  h.status = [d](const std::string& operation, const std::string& detail) {
    ui::set_text(d, kOperation, operation);
    ui::set_text(d, kDetail, detail);
  };
  h.person_done = [this, d] {
    ui::set_text(d, kDone, res::sformat("%d", ++done_));
    ui::redraw(d);
  };
  return h;
}

void SelectProgress::finish() {
  if (dialog_ == ui::kNoWindow || !ui::window_exists(dialog_)) return;
  ui::destroy_control(dialog_, kProgress);
  ui::enable_control(dialog_, ui::kIdAction, true);
  ui::enable_control(dialog_, ui::kIdExitMenu, true);
  dialog_ = ui::kNoWindow;
}

ops::LoopHooks status_hooks(ui::Window d) {
  ops::LoopHooks h;
  h.owner = d;
  h.status = [d](const std::string& operation, const std::string& detail) {
    ui::set_text(d, kOperation, operation);
    ui::set_text(d, kDetail, detail);
    ui::redraw(d);
  };
  h.reader_done = [d](const ops::ReaderReport&) { ui::redraw(d); };
  return h;
}

bool send_to_checked(ui::Window dialog, const ops::LoopPlan& plan, const std::vector<int>& persons,
                     ui::Window behind) {
  const std::vector<int> readers = checked_readers(dialog);
  SelectProgress progress;
  if (!progress.start(dialog, static_cast<int>(readers.size() * persons.size()),
                      res::text(plan.start_status)))
    return false;
  ops::LoopHooks hooks = progress.hooks();
  if (behind != ui::kNoWindow)
    hooks.reader_done = [behind](const ops::ReaderReport&) {
      if (ui::window_exists(behind)) ui::redraw(behind);
    };
  ops::run_reader_loop(plan, readers, persons, hooks);
  progress.finish();
  return true;
}

void reset_reader_select() { state() = State{}; }

}  // namespace views
