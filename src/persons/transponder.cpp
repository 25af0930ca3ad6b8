#include "persons/transponder.h"

#include "diag/log.h"
#include "link/link.h"
#include "ops/toc_block.h"
#include "persons/station_feedback.h"
#include "resources/catalogue.h"
#include "resources/ids/d_matching.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/reader_select.h"

namespace persons {
namespace {

constexpr int kLevels = 9;
constexpr int kWaitMs = 10000;   // one attempt to find the transponder
constexpr std::uint32_t kShownMs = 3000;   // the success prompt stays this long

bool g_writing = false;

}  // namespace

ui::Window open_matching(views::ListWindow& list) {
  const ui::Window owner = list.window();
  ui::Window d = list.open_dialog("D_MATCHING", [owner](ui::Window dialog, const ui::Event& e) {
    if (e.kind != ui::EventKind::Command || e.id != ui::kIdAction) return false;
    // No entry chosen reports 0: the input mask's level.
    const int chosen = ui::items_selected(dialog, res::d_matching::kLevel);
    ui::post_command(owner, kMatchingReport, chosen < 0 ? 0 : chosen + 1);
    return true;
  });
  if (d == ui::kNoWindow) return d;
  ui::items_clear(d, res::d_matching::kLevel);
  for (int i = 1; i <= kLevels; ++i) ui::items_add(d, res::d_matching::kLevel, res::sformat("%02d", i));
  const int level = store::db().eingabe.matching_level();
  ui::items_select(d, res::d_matching::kLevel, level >= 1 && level <= kLevels ? level - 1 : -1);
  return d;
}

namespace {

// One write: its list window, style and the overlay shown now. The list is
// disabled while a prompt shows and repainted while the station waits.
class Write {
 public:
  Write(views::ListWindow& list, const WriteStyle& style)
      : list_(list), style_(style), overlay_(list.window(), style.overlay_height), wait_([&list] {
          if (list.is_open()) ui::redraw(list.window());
        }) {}
  ~Write() { hide(); }

  void trace(res::TextId line) {
    if (style_.log_steps) diag::log_trace("%s%s", style_.log_prefix, res::text(line).c_str());
  }
  template <typename... Args>
  void trace_format(res::TextId line, Args... args) {
    if (style_.log_steps)
      diag::log_trace("%s%s", style_.log_prefix, res::format(line, args...).c_str());
  }

  void show(res::TextId prompt) {
    ui::enable_window(list_.window(), false);
    overlay_.show(prompt);
  }
  void hide() {
    overlay_.hide();
    if (list_.is_open()) ui::enable_window(list_.window(), true);
  }
  bool retry(const std::string& question) {
    return views::ask(list_.window(), question, res::CAP_QUESTION);
  }

 private:
  views::ListWindow& list_;
  const WriteStyle& style_;
  Overlay overlay_;
  StationWait wait_;
};

}  // namespace

int write_transponder(views::ListWindow& list, const WriteStyle& style, int level) {
  store::Tables& t = store::db();
  const std::vector<std::uint8_t> block = ops::toc_block(t.person_read, t.template_read, level);
  Write w(list, style);
  if (block.empty()) {
    w.trace(res::DSL_NO_DATA);
    views::info(list.window(), res::text(res::DS_NO_DATA_TO_WRITE));
    return kNothingToWrite;
  }
  g_writing = true;
  if (style.fore) {
    ui::show_system_menu(list.window(), false);
    ui::focus_window(list.window());
  }
  if (rlink::enrol_transparent(1, 1) != 1)
    diag::log_trace("%s%s", style.log_prefix, res::text(res::DSL_TRANSPARENT_ON_FAILED).c_str());
  int result = kGivenUp;
  for (;;) {
    w.show(res::DS_HOLD_TRANSPONDER);
    w.trace(res::DSL_HOLD_TRANSPONDER);
    if (rlink::enrol_wait_delivery(1, kWaitMs, 1) == 1) {
      w.show(res::DS_WRITING);
      w.trace(res::DSL_WRITING);
      const int written = rlink::write_card_data(1, block.data(), static_cast<int>(block.size()));
      w.hide();
      if (written == 1) {
        w.show(res::DS_WRITTEN);
        w.trace(res::DSL_WRITTEN);
        pause_repainting(list.window(), kShownMs);
        w.hide();
        result = kWritten;
        break;
      }
      w.trace_format(res::DSL_WRITE_RETRY, written);
      if (!w.retry(res::format(res::DS_WRITE_RETRY, written))) break;
    } else {
      w.hide();
      w.trace(res::DSL_NO_TRANSPONDER_RETRY);
      if (!w.retry(res::text(res::DS_NO_TRANSPONDER_RETRY))) break;
    }
  }
  const int off = rlink::enrol_transparent(1, 0);
  if (style.check_off && off != 1)
    diag::log_trace("%s%s", style.log_prefix, res::text(res::DSL_TRANSPARENT_OFF_FAILED).c_str());
  if (style.fore && list.is_open()) ui::show_system_menu(list.window(), true);
  g_writing = false;
  return result;
}

void level_reported(views::ListWindow& list, const WriteStyle& style, std::intptr_t level) {
  list.close_dialog();
  const int written = write_transponder(list, style, static_cast<int>(level));
  if (!list.is_open()) return;
  ui::enable_window(list.window(), true);
  ui::focus_window(list.window());
  if (written != kNothingToWrite) offer_load(list, style.load_caption);
}

bool offer_load(views::ListWindow& list, res::TextId caption) {
  if (store::db().person_read.distribute_to_reader() == 0 ||
      !views::ask(list.window(), res::text(res::DS_ASK_LOAD_READERS), caption))
    return false;
  ui::send_command(list.window(), views::kReaderSelectReport, 0);
  return true;
}

void open_person_load(views::ListWindow& list) {
  views::open_reader_select(list, res::text(res::DS_SEND_INSTRUCTION));
}

void person_load_reported(views::ListWindow& list, const ops::LoopPlan& plan, std::intptr_t value) {
  const std::uint32_t number = store::db().person_read.nummer();
  // Without a bar nothing runs and the dialog stays open.
  if (value == 1 && number >= 1 && number <= store::kPersons &&
      !views::send_to_checked(list.dialog(), plan, {static_cast<int>(number - 1)}, list.window()))
    return;
  list.close_dialog();
}

bool writing() { return g_writing; }

}  // namespace persons
