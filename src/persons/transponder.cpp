#include "persons/transponder.h"

#include "diag/log.h"
#include "link/link.h"
#include "ops/toc_block.h"
#include "platform/clock.h"
#include "resources/catalogue.h"
#include "resources/ids/d_matching.h"
#include "store/store.h"
#include "views/boxes.h"

namespace persons {
namespace {

constexpr int kLevels = 9;
constexpr int kWaitMs = 10000;   // one attempt to find the transponder
constexpr int kShownMs = 3000;   // the success prompt stays this long

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

// One write: its list window, style and the overlay shown now.
class Write {
 public:
  Write(views::ListWindow& list, const WriteStyle& style) : list_(list), style_(style) {}
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
    if (overlay_ == ui::kNoWindow) overlay_ = ui::create_overlay(list_.window(), style_.overlay_height);
    ui::enable_window(list_.window(), false);
    if (overlay_ != ui::kNoWindow) ui::set_overlay_text(overlay_, res::text(prompt));
  }
  void hide() {
    if (overlay_ != ui::kNoWindow && ui::window_exists(overlay_)) ui::destroy_window(overlay_);
    overlay_ = ui::kNoWindow;
    if (list_.is_open()) ui::enable_window(list_.window(), true);
  }
  bool retry(const std::string& question) {
    return views::ask(list_.window(), question, res::CAP_QUESTION);
  }

 private:
  views::ListWindow& list_;
  const WriteStyle& style_;
  ui::Window overlay_ = ui::kNoWindow;
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
  if (style.fore) ui::focus_window(list.window());
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
        platform::sleep_ms(kShownMs);
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
  g_writing = false;
  return result;
}

bool writing() { return g_writing; }

}  // namespace persons
