// The person form D_PERSON: a new person (command 2000, over the main window),
// a person of the list (change mode, over the list window) or a copy of one
// (copy mode); its field rules, the checks of a save, "Save Changes",
// "Copy\n(new set)" / "Create\nnew set", "To the\ntemplate data", "Info Access
// reader" and "Exit Menu". The transponder reading is in card_reader.cpp.
#include <algorithm>
#include <cstdint>
#include <string>

#include "ops/persons.h"
#include "persons/persons.h"
#include "persons/state.h"
#include "platform/clock.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_person.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/field_checks.h"
#include "views/host.h"

namespace persons {
namespace {

using namespace res::d_person;

// What the record fields hold (characters).
constexpr int kNameChars = 20;
constexpr int kPersonnelChars = 10;
constexpr int kCompanyChars = 10;
constexpr int kIdentificationChars = 20;
constexpr int kPinChars = 10;
constexpr int kFieldChars = 10;

// Pause after a save that filled in leading zeros, so that the operator sees
// the padded values before the form closes.
constexpr std::uint32_t kPaddedPauseMs = 2000;

const store::Eingabesatz& mask() { return store::db().eingabe; }

int clamp(int value, int most) { return std::max(0, std::min(value, most)); }

int field_edit(int i) { return kField1 + i - 1; }
int field_label(int i) { return kField1Label + i - 1; }
bool field_active(int i) { return mask().zusatz_active(i) != 0; }
bool field_fixed(int i) { return (mask().fix_bits() & (1u << (i - 1))) != 0; }

// The additional field 1 to 4 behind an edit, 0 for another control.
int field_of(int id) { return id >= kField1 && id <= kField4 ? id - kField1 + 1 : 0; }

// The hexadecimal fields, and the number of digits each is filled up to.
bool is_hex_field(int id) { return id == kIdentification || id == kUserPin || field_of(id) != 0; }
int digits_of(int id) {
  if (id == kIdentification) return ops::identification_digits();
  if (id == kUserPin) return ops::pin_digits();
  return ops::zusatz_digits(field_of(id));
}

void info(ui::Window d, const std::string& text) { form_box(d, text, res::text(res::CAP_INFO)); }

// An input limit from the input mask; a length of 0 lets nothing be typed.
void limit(ui::Window d, int id, int chars) {
  if (chars > 0)
    ui::limit_text(d, id, chars);
  else
    ui::set_edit_style(d, id, ui::kReadOnly, true);
}

// The identification row in its stored order. Inactive additional fields are
// hidden with their labels; the pairs to their right move left into the room,
// keeping the gaps between pairs.
void lay_out_identification_row(ui::Window d) {
  struct Pair {
    int label, edit, field;
  };
  const Pair row[] = {{kField1Label, kField1, 1},         {kCompanyCodeLabel, kCompanyCode, 0},
                      {kField2Label, kField2, 2},         {kField3Label, kField3, 3},
                      {kIdentificationLabel, kIdentification, 0}, {kField4Label, kField4, 4}};
  constexpr int n = sizeof row / sizeof row[0];
  ui::Rect label[n], edit[n];
  for (int i = 0; i < n; ++i) {
    label[i] = ui::control_rect(d, row[i].label);
    edit[i] = ui::control_rect(d, row[i].edit);
  }
  int x = edit[0].x;
  for (int i = 0; i < n; ++i) {
    if (row[i].field != 0 && !field_active(row[i].field)) {
      ui::show_control(d, row[i].label, false);
      ui::show_control(d, row[i].edit, false);
      continue;
    }
    const int shift = x - edit[i].x;
    if (shift != 0) {
      ui::move_control(d, row[i].label,
                       ui::Rect{label[i].x + shift, label[i].y, label[i].width, label[i].height});
      ui::move_control(d, row[i].edit, ui::Rect{x, edit[i].y, edit[i].width, edit[i].height});
    }
    const int gap = i + 1 < n ? edit[i + 1].x - (edit[i].x + edit[i].width) : 0;
    x += edit[i].width + gap;
  }
}

void set_if_any(ui::Window d, int id, const std::string& text) {
  if (!text.empty()) ui::set_text(d, id, text);
}

void show_options(ui::Window d, const store::Personensatz& p) {
  ui::set_check(d, kWriteOnTransponder, p.write_on_transponder() != 0);
  ui::set_check(d, kDistributeToReader, p.distribute_to_reader() != 0);
  ui::set_check(d, kSaveInDatabase, p.save_in_db() != 0);
  ui::set_check(d, kTransponderRequired, (p.combined_mode() & store::kNeedTransponder) != 0);
  ui::set_check(d, kPinRequired, (p.combined_mode() & store::kNeedPin) != 0);
  ui::set_check(d, kFingerRequired, (p.combined_mode() & store::kNeedFinger) != 0);
}

// Fills the form for `p`: a person to change, or the defaults of a new one.
void fill(ui::Window d, const store::Personensatz& p, bool change) {
  State& s = state();
  const store::Eingabesatz& m = mask();
  s.filling = true;
  limit(d, kName, clamp(m.name_len(), kNameChars));
  limit(d, kFirstName, clamp(m.vorname_len(), kNameChars));
  limit(d, kPersonnelNumber, clamp(m.personalnummer_len(), kPersonnelChars));
  limit(d, kIdentification, digits_of(kIdentification));
  limit(d, kUserPin, digits_of(kUserPin));
  ui::set_text(d, kDigitsLabel, res::format(res::PS_DIGITS, static_cast<int>(m.user_pin_len())));
  ui::set_text(d, kCompanyCode, m.default_firma());
  const std::string caption = m.company_description();
  if (m.change_company_active() != 0 && !caption.empty())
    ui::set_text(d, kCompanyCodeLabel, caption);
  for (int i = 1; i <= 4; ++i) {
    if (!field_active(i)) continue;
    limit(d, field_edit(i), ops::zusatz_digits(i));
    set_if_any(d, field_label(i), m.zusatz_description(i));
    std::string value = change ? p.zusatz(i) : std::string();
    ui::set_text(d, field_edit(i), value.empty() ? m.zusatz_default(i) : value);
    if (field_fixed(i)) ui::set_edit_style(d, field_edit(i), ui::kReadOnly, true);
  }
  lay_out_identification_row(d);
  if (change) {
    set_if_any(d, kName, p.name());
    set_if_any(d, kFirstName, p.vorname());
    set_if_any(d, kPersonnelNumber, p.personalnummer());
    set_if_any(d, kIdentification, p.ausweisnummer());
    set_if_any(d, kUserPin, p.user_pin());
  }
  show_options(d, p);
  s.filling = false;
  ui::focus_control(d, kName);
}

// "Create\nnew set" takes over from the unusable "Save Changes".
void to_create_mode(ui::Window d) {
  ui::enable_control(d, kInfoAccessReader, false);
  ui::enable_control(d, ui::kIdAction, false);
  ui::show_control(d, ui::kIdAction, false);
  ui::set_text(d, ui::kIdSecond, res::text(res::PS_CREATE_NEW_SET));
}

// ------------------------------------------------------------------ typing

// Leaving a hexadecimal field: a value is filled up with leading zeros; the
// identification number and an additional field may not stay empty. An empty
// field may be left for "Reader", which is there to fill the identification
// number, and for "Exit Menu", which drops what was typed; the checks of a
// save still refuse it.
void leave_field(ui::Window d, int id) {
  const std::string text = ui::get_text(d, id);
  if (text.empty()) {
    if (id == kUserPin || (ui::edit_style(d, id) & ui::kReadOnly)) return;
    const int next = ui::focused_control(d);
    if (next == kReadCard || next == ui::kIdExitMenu) return;
    views::field_box(d, res::text(res::PS_INPUT_REQUIRED));
    views::refocus(d, id);
    return;
  }
  const std::string padded = store::pad_left_zero(text, digits_of(id));
  if (padded != text) ui::set_text(d, id, padded);
}

// ------------------------------------------------------------------ saving

// The field's text cut to `chars`.
std::string take(ui::Window d, int id, int chars) {
  return res::cut(ui::get_text(d, id), static_cast<std::size_t>(chars));
}

std::uint16_t ticked(ui::Window d, int id) { return ui::checked(d, id) ? 1 : 0; }

void take_options(ui::Window d, store::Personensatz& w) {
  w.set_write_on_transponder(ticked(d, kWriteOnTransponder));
  w.set_distribute_to_reader(ticked(d, kDistributeToReader));
  w.set_save_in_db(ticked(d, kSaveInDatabase));
}

std::uint8_t combined_flags(ui::Window d, std::uint8_t flags) {
  const struct {
    int id;
    std::uint8_t flag;
  } boxes[] = {{kTransponderRequired, store::kNeedTransponder},
               {kPinRequired, store::kNeedPin},
               {kFingerRequired, store::kNeedFinger}};
  for (const auto& b : boxes)
    flags = ui::checked(d, b.id) ? (flags | b.flag) : (flags & ~b.flag);
  return static_cast<std::uint8_t>(flags);
}

// The hexadecimal fields and the personnel number as typed, each cut to what
// its record field takes.
ops::PersonFields typed_fields(ui::Window d) {
  ops::PersonFields f;
  for (int i = 1; i <= 4; ++i)
    if (field_active(i)) f.zusatz[i - 1] = take(d, field_edit(i), kFieldChars);
  f.personnel = take(d, kPersonnelNumber, kPersonnelChars);
  f.identification = take(d, kIdentification, kIdentificationChars);
  f.pin = take(d, kUserPin, kPinChars);
  return f;
}

// Shows the values a save filled up with leading zeros in their fields.
void show_padded(ui::Window d, const ops::PersonFields& f) {
  auto show = [d](int id, const std::string& value) {
    if (ui::get_text(d, id) != value) ui::set_text(d, id, value);
  };
  for (int i = 1; i <= 4; ++i)
    if (field_active(i)) show(field_edit(i), f.zusatz[i - 1]);
  show(kIdentification, f.identification);
  show(kUserPin, f.pin);
}

// The checks every save runs, then the write: the record number (>= 1), or 0
// after a refusal (its message shown, the form keeping what was typed).
int check_and_write(ui::Window d, bool* padded) {
  ops::PersonFields f = typed_fields(d);
  std::string refusal;
  const int number = ops::check_and_write_person(f, padded, &refusal);
  show_padded(d, f);
  if (number < 1) info(d, refusal);
  return number;
}

void pause_after_padding(ui::Window d) {
  ui::redraw(d);
  platform::sleep_ms(kPaddedPauseMs);
}

// Ends the form the way it was opened: command 2000 to the main window for a
// new person, command 8010 to the list otherwise.
void report(ui::Window d, std::intptr_t result) {
  State& s = state();
  if (s.form_mode == FormMode::New) {
    s.form_mode = FormMode::None;
    views::report_to_main(kNewPersonCommand, result);
  } else if (s.list.is_open()) {
    ui::send_command(s.list.window(), kFormReport, result);
  } else {
    info(d, res::text(res::PS_CANNOT_HAPPEN));
  }
}

// Leaves the form for the template list of person `number`.
void go_to_templates(std::intptr_t number) {
  State& s = state();
  s.templates_after_save = false;
  if (s.form_mode == FormMode::New)
    views::close_main_dialog();
  else
    s.list.close();
  ui::post_command(views::main_window(), kTemplatesCommand, number);
}

// "Save Changes": the person rebuilt from the form under its record number,
// keeping its fingerprint flag, Spezial PIN and finger data; an old user ID
// leaves the readers.
void save_changes(ui::Window d) {
  State& s = state();
  const store::Personensatz current = store::db().person_read;
  store::Personensatz w;
  w.set_name(take(d, kName, kNameChars));
  w.set_vorname(take(d, kFirstName, kNameChars));
  w.set_firmenkennung(take(d, kCompanyCode, kCompanyChars));
  take_options(d, w);
  w.set_combined_mode(combined_flags(d, 0));
  bool padded = false;
  ops::PersonFields f = typed_fields(d);
  const ops::ChangeResult saved = ops::save_person_changes(current, w, f, &padded, d);
  show_padded(d, f);
  if (saved.number < 1) {
    info(d, saved.refusal);
    s.templates_after_save = false;
    return;
  }
  if (s.templates_after_save) {
    ui::send_command(d, kToTemplateData, 0);
    return;
  }
  if (padded) pause_after_padding(d);
  report(d, 0);
}

// "Create\nnew set": a new record from the form and the input mask's defaults.
void create(ui::Window d) {
  State& s = state();
  store::Tables& t = store::db();
  store::new_person_defaults();
  store::Personensatz& w = t.person_write;
  w.set_name(take(d, kName, kNameChars));
  w.set_vorname(take(d, kFirstName, kNameChars));
  if (mask().with_fingerprint() != 0) w.set_fingerprint_flag(1);
  take_options(d, w);
  w.set_combined_mode(combined_flags(d, store::kNeedFinger));
  bool padded = false;
  int number = check_and_write(d, &padded);
  if (number < 1) {
    s.templates_after_save = false;
    return;
  }
  if (padded) pause_after_padding(d);
  if (s.form_mode == FormMode::New && s.templates_after_save) {
    go_to_templates(number);
    return;
  }
  report(d, number);
}

// "Copy\n(new set)": the first press in change mode prepares a copy; in
// new-set and copy mode the button creates the new record.
void copy_or_create(ui::Window d) {
  State& s = state();
  if (s.form_mode != FormMode::Change) {
    create(d);
    return;
  }
  store::new_person_defaults();
  to_create_mode(d);
  ui::show_control(d, kToTemplateData, false);
  ui::focus_next(d);
  s.form_mode = FormMode::Copy;
}

// "To the\ntemplate data". A new person is created first and then goes on to
// its templates: before it is stored it has no templates to capture.
void to_template_data(ui::Window d) {
  State& s = state();
  if (s.form_mode == FormMode::New) {
    s.templates_after_save = true;
    create(d);
    return;
  }
  if (!s.templates_after_save &&
      form_box(d, res::text(res::PS_ASK_SAVE_FIRST), res::text(res::CAP_QUESTION), ui::kYesNo) ==
          ui::kIdYes) {
    s.templates_after_save = true;
    save_changes(d);
    return;
  }
  go_to_templates(static_cast<std::intptr_t>(store::db().person_read.nummer()));
}

// "Info Access reader": the readers of the current person's reader mask.
void show_access_readers(ui::Window d) {
  const store::Tables& t = store::db();
  const std::uint32_t sent = t.person_read.reader_mask();
  std::string text = res::text(res::PS_SENT_TO_READERS);
  for (int i = 0; i < store::kReaders; ++i)
    if (sent & (1u << i))
      text += res::format(res::PS_SENT_TO_READER_LINE, i + 1, t.readers[i].name().c_str());
  if (sent == 0) text += res::text(res::PS_NOT_TO_ANY_READER);
  text += "\r\n";
  form_box(d, text, res::text(res::CAP_READER_INFO));
}

bool form_handler(ui::Window d, const ui::Event& e) {
  State& s = state();
  switch (e.kind) {
    case ui::EventKind::Command:
      switch (e.id) {
        case kReadCard:
          start_card_reading(d);
          return true;
        case kInfoAccessReader:
          show_access_readers(d);
          return true;
        case ui::kIdAction:
          save_changes(d);
          return true;
        case ui::kIdSecond:
          copy_or_create(d);
          return true;
        case kToTemplateData:
          to_template_data(d);
          return true;
        case ui::kIdExitMenu:
          report(d, -1);
          return true;
        default:
          return false;
      }
    case ui::EventKind::EditChanged:
      if (!s.filling && is_hex_field(e.id)) views::hex_typing(d, e.id);
      return true;
    case ui::EventKind::FocusLost:
      if (!s.filling && s.boxes_open == 0 && !views::field_check_running() && is_hex_field(e.id))
        leave_field(d, e.id);
      return true;
    case ui::EventKind::Timer:
      if (e.id == static_cast<int>(kBlinkTimer)) card_reading_tick(d);
      return true;
    case ui::EventKind::Destroyed:
      if (s.form == d) {
        abandon_card_reading();
        s.form = ui::kNoWindow;
        s.form_mode = FormMode::None;
        s.templates_after_save = false;
      }
      return true;
    default:
      return false;
  }
}

void start_form(ui::Window d, FormMode mode) {
  State& s = state();
  s.form = d;
  s.form_mode = mode;
  s.templates_after_save = false;
  s.boxes_open = 0;
}

}  // namespace

int form_box(ui::Window form, const std::string& text, const std::string& caption,
             unsigned style) {
  State& s = state();
  ++s.boxes_open;
  int answer = ui::message_box(form, text, caption, style);
  --s.boxes_open;
  return answer;
}

bool open_change_form() {
  State& s = state();
  ui::Window d = s.list.open_dialog("D_PERSON", form_handler);
  if (d == ui::kNoWindow) return false;
  start_form(d, FormMode::Change);
  fill(d, store::db().person_read, true);
  if (s.list.count() == 0) ui::enable_control(d, ui::kIdAction, false);
  return true;
}

ui::Window open_new_person() {
  ui::Window d = views::open_main_dialog("D_PERSON", form_handler, views::kModeNew);
  if (d == ui::kNoWindow) return ui::kNoWindow;
  start_form(d, FormMode::New);
  store::new_person_defaults();
  fill(d, store::db().person_write, false);
  to_create_mode(d);
  return d;
}

void new_person_completed(std::intptr_t result) {
  if (result < 1) return;
  if (views::ask(views::main_window(), res::text(res::PS_NEW_PERSON_DONE),
                 res::CAP_MESSAGE_QUESTION))
    ui::post_command(views::main_window(), kTemplatesCommand, result);
}

ui::Window person_form() { return state().form; }

State& state() {
  static State s;
  return s;
}

void reset_persons() { state() = State{}; }

}  // namespace persons
