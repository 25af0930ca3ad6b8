// The additional fields: their descriptions, activity, lengths and fix bits
// with the company-code caption (D_ZUSATZFELDER, command 5050), and their
// default values (D_ZUSATZVORB, command 5075).
#include "admin/admin.h"
#include "admin/dialog.h"
#include "admin/rules.h"
#include "resources/cp1252.h"
#include "resources/ids/d_zusatzfelder.h"
#include "resources/ids/d_zusatzvorb.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/field_checks.h"
#include "views/host.h"

namespace admin {
namespace {

constexpr int kFields = 4;
constexpr int kDescriptionChars = 12;
constexpr int kLengthEntries = 5;  // "02" to "10": 1 to 5 bytes
constexpr std::size_t kDefaultChars = 10;

std::uint8_t fix_bit(int field) { return static_cast<std::uint8_t>(1u << (field - 1)); }

// ---------------------------------------------------------------- descriptions
namespace descriptions {

using namespace res::d_zusatzfelder;

constexpr int kCommand = 5050;

int row_check(int field) { return kField1 + 10 * (field - 1); }
int row_description(int field) { return row_check(field) + kDescriptionOffset; }
int row_length(int field) { return row_check(field) + kLengthOffset; }
int row_fix(int field) { return row_check(field) + kFixOffset; }

// Field 1 to 4 of a row check box, 0 for any other control.
int field_of_check(int id) {
  for (int f = 1; f <= kFields; ++f)
    if (row_check(f) == id) return f;
  return 0;
}

// The length list of an enabled row, set to the stored data length. A field
// that never had a length (a new installation stores 0) starts at one byte, so
// that an active field never goes to the file with no length.
void fill_length(ui::Window d, int field) {
  const int id = row_length(field);
  ui::items_clear(d, id);
  for (int i = 1; i <= kLengthEntries; ++i) ui::items_add(d, id, res::sformat("%02d", 2 * i));
  const int bytes = store::db().eingabe.zusatz_len(field);
  ui::items_select(d, id, bytes >= 1 && bytes <= kLengthEntries ? bytes - 1 : 0);
}

void enable_row(ui::Window d, int field, bool on) {
  ui::enable_control(d, row_description(field), on);
  ui::enable_control(d, row_length(field), on);
  ui::enable_control(d, row_fix(field), on);
  if (!on) return;
  fill_length(d, field);
  ui::set_check(d, row_fix(field), (store::db().eingabe.fix_bits() & fix_bit(field)) != 0);
}

void fill(ui::Window d) {
  const store::Eingabesatz& e = store::db().eingabe;
  ui::limit_text(d, kCompanyCodeDescription, kDescriptionChars);
  if (!e.company_description().empty())
    ui::set_text(d, kCompanyCodeDescription, e.company_description());
  const bool caption = e.change_company_active() != 0;
  ui::set_check(d, kChangeCompanyCode, caption);
  ui::enable_control(d, kCompanyCodeDescription, caption);
  for (int f = 1; f <= kFields; ++f) {
    ui::limit_text(d, row_description(f), kDescriptionChars);
    if (!e.zusatz_description(f).empty()) ui::set_text(d, row_description(f), e.zusatz_description(f));
    const bool active = e.zusatz_active(f) != 0;
    ui::set_check(d, row_check(f), active);
    enable_row(d, f, active);
  }
  // The rows of the company code and the identification number only show
  // where those two stand among the additional fields.
  for (int id : {kCompanyCodeRow, kIdentificationRow}) {
    ui::set_check(d, id, true);
    ui::enable_control(d, id, false);
  }
  ui::enable_control(d, kCompanyCodeRowDescription, false);
  ui::enable_control(d, kIdentificationRowDescription, false);
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  store::Eingabesatz& e = store::db().eingabe;
  e.set_change_company_active(ui::checked(d, kChangeCompanyCode) ? 1 : 0);
  std::string caption = res::cut(ui::get_text(d, kCompanyCodeDescription), kDescriptionChars);
  if (!caption.empty()) e.set_company_description(caption);
  std::uint8_t fix = e.fix_bits();
  for (int f = 1; f <= kFields; ++f) {
    const bool active = ui::checked(d, row_check(f));
    e.set_zusatz_active(f, active ? 1 : 0);
    if (!active) {
      fix = static_cast<std::uint8_t>(fix & ~fix_bit(f));
      continue;
    }
    std::string description = res::cut(ui::get_text(d, row_description(f)), kDescriptionChars);
    if (!description.empty()) e.set_zusatz_description(f, description);
    const int at = ui::items_selected(d, row_length(f));
    if (at >= 0) e.set_zusatz_len(f, static_cast<std::uint16_t>(at + 1));
    if (ui::checked(d, row_fix(f)))
      fix = static_cast<std::uint8_t>(fix | fix_bit(f));
    else
      fix = static_cast<std::uint8_t>(fix & ~fix_bit(f));
  }
  e.set_fix_bits(fix);
  if (!write_mask(d, res::AD_SAVE_FAILED)) return;
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdAction) {
    save(d);
    return true;
  }
  if (e.id == kChangeCompanyCode) {
    ui::enable_control(d, kCompanyCodeDescription, ui::checked(d, kChangeCompanyCode));
    return true;
  }
  if (int f = field_of_check(e.id)) {
    enable_row(d, f, ui::checked(d, e.id));
    return true;
  }
  return false;
}

}  // namespace descriptions

// ---------------------------------------------------------------- defaults
namespace defaults {

using namespace res::d_zusatzvorb;

constexpr int kCommand = 5075;

int label_of(int field) { return kFirstLabel + 10 * (field - 1); }
int edit_of(int field) { return kFirstDefault + 10 * (field - 1); }

// Field 1 to 4 of an edit, 0 for any other control.
int field_of_edit(int id) {
  for (int f = 1; f <= kFields; ++f)
    if (edit_of(f) == id) return f;
  return 0;
}

bool active(int field) { return store::db().eingabe.zusatz_active(field) != 0; }

void fill(ui::Window d) {
  const store::Eingabesatz& e = store::db().eingabe;
  for (int f = 1; f <= kFields; ++f) {
    if (!active(f)) {
      ui::enable_control(d, edit_of(f), false);
      continue;
    }
    if (!e.zusatz_description(f).empty()) ui::set_text(d, label_of(f), e.zusatz_description(f));
    ui::limit_text(d, edit_of(f), default_digits(e, f));
    ui::set_text(d, edit_of(f), e.zusatz_default(f));
  }
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  store::Eingabesatz& e = store::db().eingabe;
  // Leaving a field checks its length, but a press on "Save" is not held back
  // by that check: every default is checked again before anything is taken.
  std::string texts[kFields + 1];
  for (int f = 1; f <= kFields; ++f) {
    if (!active(f)) continue;
    texts[f] = res::cut(ui::get_text(d, edit_of(f)), kDefaultChars);
    std::string refusal = default_refusal(e, f, texts[f]);
    if (!refusal.empty()) {
      views::field_box(d, refusal);
      views::refocus(d, edit_of(f));
      return;
    }
  }
  bool changed = false;
  for (int f = 1; f <= kFields; ++f) {
    if (!active(f) || texts[f] == e.zusatz_default(f)) continue;
    e.set_zusatz_default(f, texts[f]);
    changed = true;
  }
  if (changed && !write_mask(d, res::AD_SAVE_FAILED)) return;
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  const int f = field_of_edit(e.id);
  switch (e.kind) {
    case ui::EventKind::Command:
      if (e.id != ui::kIdAction) return false;
      save(d);
      return true;
    case ui::EventKind::EditChanged:
      if (f == 0) return false;
      views::hex_typing(d, e.id);
      return true;
    case ui::EventKind::FocusLost: {
      if (f == 0) return false;
      std::string refusal = default_refusal(store::db().eingabe, f, ui::get_text(d, e.id));
      if (!refusal.empty()) {
        views::field_box(d, refusal);
        views::refocus(d, e.id);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace defaults

}  // namespace

void open_field_descriptions(std::intptr_t) {
  open_parameter_dialog(descriptions::kCommand, "D_ZUSATZFELDER", descriptions::events,
                        descriptions::fill);
}

void open_field_defaults(std::intptr_t) {
  bool any = false;
  for (int f = 1; f <= kFields; ++f) any = any || defaults::active(f);
  if (!any) {
    views::info(views::main_window(), res::text(res::AD_NO_ACTIVE_FIELDS));
    return;
  }
  open_parameter_dialog(defaults::kCommand, "D_ZUSATZVORB", defaults::events, defaults::fill);
}

}  // namespace admin
