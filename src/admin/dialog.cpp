#include "admin/dialog.h"

#include "admin/admin.h"
#include "ops/revocation.h"
#include "platform/ui_rules.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/field_checks.h"
#include "views/host.h"

namespace admin {
namespace {

struct State {
  ui::Window dialog = ui::kNoWindow;
  int command = 0;
  bool filling = false;   // the fill's own changes are no typing
  bool reported = false;  // the report is on its way; nothing more is done
};

State& state() {
  static State s;
  return s;
}

bool handle(DialogEvents events, ui::Window d, const ui::Event& e) {
  State& s = state();
  if (e.kind == ui::EventKind::Destroyed) {
    if (s.dialog == d) s = State{};
    return true;
  }
  if (d != s.dialog || s.filling || s.reported) return false;
  if (e.kind == ui::EventKind::FocusLost && views::field_check_running()) return false;
  if (e.kind == ui::EventKind::Command && e.id == ui::kIdExitMenu) {
    report(0);
    return true;
  }
  return events(d, e);
}

}  // namespace

ui::Window open_parameter_dialog(int command, const char* resource, DialogEvents events,
                                 void (*fill)(ui::Window d)) {
  State& s = state();
  s.filling = true;
  ui::Window d = views::open_main_dialog(
      resource, [events](ui::Window w, const ui::Event& e) { return handle(events, w, e); });
  if (d == ui::kNoWindow) {
    s = State{};
    return d;
  }
  s.dialog = d;
  s.command = command;
  fill(d);
  s.filling = false;
  return d;
}

bool may_save(ui::Window d) {
  // Record numbers 0 and 1 are the administrator.
  if (views::logged_in().number <= views::kAdministrator) return true;
  views::info(d, res::text(res::AD_ONLY_VIEW));
  return false;
}

bool write_mask(ui::Window d, res::TextId failure) {
  const store::Eingabesatz before = store::db().eingabe_saved;
  if (store::rw_eingabe(store::kWrite) >= 0) {
    // Readers loaded under the old rule hold user IDs nobody can name now.
    ops::input_mask_saved(before);
    return true;
  }
  views::info(d, res::text(failure));
  return false;
}

void report(std::intptr_t result) {
  State& s = state();
  if (s.dialog == ui::kNoWindow || s.reported) return;
  s.reported = true;
  views::report_to_main(s.command, result);
}

void reset_admin() { state() = State{}; }

}  // namespace admin
