// The template parameters D_TEMPLATE (command 5100): the matching level 1 to 9.
#include "admin/admin.h"
#include "admin/dialog.h"
#include "resources/cp1252.h"
#include "resources/ids/d_template.h"
#include "store/store.h"

namespace admin {
namespace {

using namespace res::d_template;

constexpr int kCommand = 5100;
constexpr int kLevels = 9;

void fill(ui::Window d) {
  ui::items_clear(d, kMatchingLevel);
  for (int i = 1; i <= kLevels; ++i) ui::items_add(d, kMatchingLevel, res::sformat("%02d", i));
  const int level = store::db().eingabe.matching_level();
  // A level outside 1 to 9 (a record from an update) leaves the list unset.
  ui::items_select(d, kMatchingLevel, level >= 1 && level <= kLevels ? level - 1 : -1);
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  store::Eingabesatz& e = store::db().eingabe;
  const int at = ui::items_selected(d, kMatchingLevel);
  if (at >= 0 && at + 1 != e.matching_level()) {
    e.set_matching_level(static_cast<std::uint16_t>(at + 1));
    if (!write_mask(d, res::AD_SAVE_FAILED)) return;
  }
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command || e.id != ui::kIdAction) return false;
  save(d);
  return true;
}

}  // namespace

void open_template_parameters(std::intptr_t) {
  open_parameter_dialog(kCommand, "D_TEMPLATE", events, fill);
}

}  // namespace admin
