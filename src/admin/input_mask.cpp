// The input mask D_EINGABE (command 5000): field lengths, the default company
// code, the fingerprint settings and the eight switches, with the checks while
// typing and on leaving a field, and "Save" with its notes and the rewrite of
// every person's fingerprint flag when "With fingerprint" changed.
#include "admin/admin.h"
#include "admin/dialog.h"
#include "admin/rules.h"
#include "resources/cp1252.h"
#include "resources/ids/d_eingabe.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/field_checks.h"

namespace admin {
namespace {

using namespace res::d_eingabe;

constexpr int kCommand = 5000;
constexpr int kNumberChars = 2;
constexpr int kCompanyChars = 10;

// Index of a field of the form (0 to 9), -1 for any other control.
int field_index(int id) {
  int i = id - kNameLength;
  return i >= 0 && i < MaskForm::kFields ? i : -1;
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

void fill(ui::Window d) {
  const store::Eingabesatz& e = store::db().eingabe;
  const int numbers[MaskForm::kFields] = {
      e.name_len(),         e.vorname_len(),   e.personalnummer_len(), e.ausweis_len(), 0,
      e.user_pin_len(),     e.with_fingerprint(), e.finger_count(),    e.min_quality(),
      e.good_quality()};
  for (int i = 0; i < MaskForm::kFields; ++i) {
    const int id = kNameLength + i;
    if (i == MaskForm::kCompanyCode) {
      ui::limit_text(d, id, kCompanyChars);
      ui::set_text(d, id, upper(e.default_firma()));
    } else {
      ui::limit_text(d, id, kNumberChars);
      ui::set_text(d, id, res::sformat("%d", numbers[i]));
    }
  }
  const auto switches = mask_switches(e);
  for (int i = 0; i < MaskForm::kSwitches; ++i) ui::set_check(d, kPinPlainText + i, switches[i]);
  if (e.change_company_active() != 0 && !e.company_description().empty())
    ui::set_text(d, kCompanyCodeLabel, e.company_description());
}

void note(ui::Window d, const std::string& text) {
  views::box(d, text, res::CAP_IMPORTANT_NOTE);
}

// Every person in use gets the fingerprint flag; the first failing write ends it.
void rewrite_fingerprint_flags(ui::Window d, std::uint8_t flag) {
  store::Tables& t = store::db();
  for (const store::Personensatz& p : t.persons) {
    if (!p.used()) continue;
    t.person_write = p;
    t.person_write.set_fingerprint_flag(flag);
    if (store::rw_person(store::kWrite) < 0) {
      views::info(d, res::text(res::AD_PERSON_WRITE_FAILED));
      return;
    }
  }
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  MaskForm form;
  for (int i = 0; i < MaskForm::kFields; ++i) form.fields[i] = ui::get_text(d, kNameLength + i);
  for (int i = 0; i < MaskForm::kSwitches; ++i) form.switches[i] = ui::checked(d, kPinPlainText + i);
  store::Tables& t = store::db();
  // Compared with what the file holds, so that a change taken in by an earlier
  // save that stopped at a refused value is not missed.
  const store::Eingabesatz stored = t.eingabe_saved;
  std::string refusal = take_mask_form(form, t.eingabe);
  if (!refusal.empty()) {
    views::info(d, refusal);
    return;
  }
  if (t.eingabe.b != stored.b) {
    if (!write_mask(d, res::AD_SAVE_FAILED)) return;
    const store::Eingabesatz& e = t.eingabe;
    if (e.with_fingerprint() != stored.with_fingerprint()) {
      note(d, res::text(res::AD_FINGERPRINT_CHANGED) + res::text(res::AD_PERSONS_UPDATED) +
                  res::text(res::AD_TEMPLATES_TO_EDIT));
      rewrite_fingerprint_flags(d, static_cast<std::uint8_t>(e.with_fingerprint()));
    }
    if (e.finger_count() != stored.finger_count()) {
      const int n = e.finger_count();
      note(d, res::text(res::AD_FINGERS_CHANGED) +
                  (e.with_fingerprint() != 0
                       ? res::format(res::AD_FINGERS_AT_FINGERPRINTS, n, store::kFingerBlocks / n)
                       : res::format(res::AD_FINGERS_ONLY, n)) +
                  res::text(res::AD_TEMPLATES_TO_EDIT));
    }
  }
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  const int i = field_index(e.id);
  switch (e.kind) {
    case ui::EventKind::Command:
      if (e.id != ui::kIdAction) return false;
      save(d);
      return true;
    case ui::EventKind::EditChanged: {
      if (i < 0) return false;
      if (i == MaskForm::kCompanyCode) {
        views::hex_typing(d, e.id);
        return true;
      }
      std::string refusal = mask_typed_refusal(i, ui::get_text(d, e.id));
      if (!refusal.empty()) {
        views::field_box(d, refusal);
        ui::set_text(d, e.id, "");
      }
      return true;
    }
    case ui::EventKind::FocusLost: {
      if (i < 0) return false;
      std::string refusal = mask_left_refusal(i, ui::get_text(d, e.id));
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

}  // namespace

void open_input_mask(std::intptr_t) {
  open_parameter_dialog(kCommand, "D_EINGABE", events, fill);
}

}  // namespace admin
