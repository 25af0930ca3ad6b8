// The enrol dialog D_ENROL over the template list: the finger grid, capturing
// a finger at the enrol station and judging its quality, storing the template
// (or a dummy template for a person without usable fingers), the test-load at
// the enrol station, the finger name in D_FINGER, and the "Special PIN" button.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "link/link.h"
#include "persons/template_state.h"
#include "persons/templates.h"
#include "resources/catalogue.h"
#include "resources/ids/d_enrol.h"
#include "resources/ids/d_finger.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/dialogs.h"

namespace persons {
namespace {

namespace ids = res::d_enrol;

constexpr int kStationAddress = 1;
constexpr int kEnrolTime = 15;        // time value of template_enrol
constexpr int kBadCapturesToLower = 3;
constexpr int kLowestToLower = 40;    // the offer to lower comes while the minimum is above
constexpr int kLowerBy = 10;

TemplateState& st() { return templates(); }
store::Tables& db() { return store::db(); }
const store::Eingabesatz& mask() { return store::db().eingabe; }
bool fingerprint() { return db().person_read.fingerprint_flag() != 0; }
bool show_q() { return mask().show_quality() != 0; }
bool finger_names() { return mask().assign_finger_name() != 0; }

void refresh_display(ui::Window d) {
  if (show_q())
    show_display(d, st().selection, db().template_read, fingers_per_person(), fingerprint(),
                 finger_names());
}

void redraw_grid(ui::Window d) {
  colour_grid(d, db().template_read, fingers_per_person(), fingerprint());
  ui::redraw(d);
}

// The dialog ends: the template list receives its close value.
void report(std::intptr_t value) {
  ui::Window list = st().list.window();
  if (list != ui::kNoWindow) ui::send_command(list, kEnrolReport, value);
}

// Repaints the dialog and the list while the station works.
StationWait station_wait(ui::Window d) {
  return StationWait([d] {
    if (ui::window_exists(d)) ui::redraw(d);
    if (st().list.is_open()) ui::redraw(st().list.window());
  });
}

void show_pin(ui::Window d) {
  const std::string pin = db().person_read.spezial_pin();
  ui::show_control(d, ids::kSpecialPinLabel, !pin.empty());
  ui::show_control(d, ids::kSpecialPin, !pin.empty());
  if (pin.empty()) return;
  ui::set_text(d, ids::kSpecialPinLabel, res::text(res::UI_SPECIAL_PIN));
  ui::set_text(d, ids::kSpecialPin,
               mask().spin_plain() != 0 ? pin : std::string(pin.size(), '*'));
}

bool has_real_template(const store::Templatesatz& t) {
  for (int i = 0; i < store::kFingerBlocks; ++i)
    if (t.length(i) >= 1 && t.length(i) <= store::kMaxTemplateLength) return true;
  return false;
}

bool has_dummy(const store::Templatesatz& t) {
  for (int i = 0; i < store::kFingerBlocks; ++i)
    if (t.length(i) == store::kDummyTemplate) return true;
  return false;
}

void make_dummy(store::Templatesatz& t) {
  t.set_length(0, store::kDummyTemplate);
  t.set_group(0, 1);
  t.set_quality(0, 255);
}

int count_real_templates(const store::Templatesatz& t) {
  int n = 0;
  for (int i = 0; i < store::kFingerBlocks; ++i)
    if (store::holds_real_template(t, i)) ++n;
  return n;
}

// "Speichern ohne Templatedaten ist nicht möglich ...": the person has templates.
void refuse_dummy(ui::Window d) {
  enrol_trace(res::ENL_TEMPLATES_EXIST);
  views::info(d, res::text(res::EN_TEMPLATES_EXIST));
}

// Writes template_write; on success the current template record takes it.
bool write_templates(ui::Window owner) {
  const int rc = store::rw_template(store::kWrite);
  if (rc < 0) {
    enrol_log(res::format(res::ENL_TEMPLATE_WRITE_FAILED, static_cast<long>(rc)));
    views::info(owner, res::format(res::EN_TEMPLATE_WRITE_FAILED, static_cast<long>(rc)));
    return false;
  }
  db().template_read = db().template_write;
  return true;
}

// Writes person_write; the table slot takes it (the store does). The current
// person is the caller's to update.
bool write_person(ui::Window owner) {
  const int rc = store::rw_person(store::kWrite);
  if (rc < 0) {
    enrol_log(res::format(res::ENL_PERSON_WRITE_FAILED, static_cast<long>(rc)));
    views::info(owner, res::format(res::EN_PERSON_WRITE_FAILED, static_cast<long>(rc)));
    return false;
  }
  return true;
}

// Sets the template-group mark of group g when it is not set yet.
bool mark_group(ui::Window owner, int g) {
  store::Tables& t = db();
  if (g < 1 || g > store::kFingerBlocks || t.person_read.group_mark(g) != 0) return true;
  t.person_write = t.person_read;
  t.person_write.set_group_mark(g, static_cast<std::uint8_t>(g));
  if (!write_person(owner)) return false;
  t.person_read.set_group_mark(g, static_cast<std::uint8_t>(g));
  return true;
}

// A real template replaces the dummy: the Spezial PIN goes with it, and the
// Combined Mode may change from PIN to finger.
bool replace_pin_with_finger(ui::Window d) {
  store::Tables& t = db();
  store::Personensatz& w = t.person_write;
  w = t.person_read;
  w.set_spezial_pin(std::string());
  const std::uint8_t mode = w.combined_mode();
  bool changed = false;
  if ((mode & store::kNeedPin) != 0 || (mode & store::kNeedFinger) == 0) {
    enrol_trace(res::ENL_ASK_COMBINED);
    if (views::ask(d, res::text(res::EN_ASK_COMBINED), res::CAP_FRAGE)) {
      w.set_combined_mode(static_cast<std::uint8_t>((mode & ~store::kNeedPin) | store::kNeedFinger));
      changed = true;
    }
  }
  if (!write_person(d)) return false;
  t.person_read.set_spezial_pin(std::string());
  show_pin(d);
  if (changed) {
    t.person_read.set_combined_mode(w.combined_mode());
    enrol_trace(res::ENL_COMBINED_CHANGED);
    views::info(d, res::text(res::EN_COMBINED_CHANGED));
  }
  return true;
}

// ------------------------------------------------------------------ D_FINGER

void open_finger(ui::Window d);

void ask_more(ui::Window d) {
  enrol_trace(res::ENL_ASK_MORE);
  if (views::ask(d, res::text(res::EN_ASK_MORE), res::DS_CAP_TEMPLATE)) {
    enrol_trace(res::DSL_YES);
    return;
  }
  enrol_trace(res::DSL_NO);
  report(st().close_value);
}

bool finger_handler(ui::Window f, const ui::Event& e) {
  TemplateState& s = st();
  if (e.kind == ui::EventKind::Destroyed) {
    if (s.finger == f) s.finger = ui::kNoWindow;
    return true;
  }
  if (e.kind != ui::EventKind::Command || e.id != ui::kIdAction) return false;
  const int block = block_of(s.selection, fingers_per_person(), fingerprint());
  const int chosen = ui::items_selected(f, res::d_finger::kFingerType);
  store::Tables& t = db();
  t.template_write = t.template_read;
  if (block >= 0) t.template_write.set_finger_type(block, static_cast<std::uint8_t>(chosen < 0 ? 0 : chosen));
  if (!write_templates(f)) return true;
  ui::send_command(s.enrol, kFingerAccepted, 0);
  return true;
}

void open_finger(ui::Window d) {
  TemplateState& s = st();
  ui::Window f = views::open_dialog_over(d, "D_FINGER", finger_handler, views::Edge::Screen);
  if (f == ui::kNoWindow) {
    ask_more(d);
    return;
  }
  s.finger = f;
  ui::items_clear(f, res::d_finger::kFingerType);
  for (int code = 0; code < kFingerTypes; ++code)
    ui::items_add(f, res::d_finger::kFingerType, res::text(finger_entry(code)));
  const int block = block_of(s.selection, fingers_per_person(), fingerprint());
  const int code = block >= 0 ? db().template_read.finger_type(block) : 0;
  ui::items_select(f, res::d_finger::kFingerType, code < kFingerTypes ? code : 0);
}

// D_FINGER was accepted: it closes and the question of more templates follows.
void finger_accepted(ui::Window d) {
  TemplateState& s = st();
  if (s.finger != ui::kNoWindow && ui::window_exists(s.finger)) ui::destroy_window(s.finger);
  s.finger = ui::kNoWindow;
  ui::enable_window(d, true);
  ui::focus_window(d);
  refresh_display(d);
  ui::redraw(d);
  ask_more(d);
}

// ------------------------------------------------------------------ storing

// The enrol station as the current reader: its connection, bus address 01.
void station_becomes_current_reader() {
  const store::Konfigsatz& k = db().konfig;
  store::Lesersatz r;
  r.set_verbindung(k.station_connection() != 0 ? 1 : 0);
  r.set_com_port(k.com_port());
  r.set_baud(k.baud());
  r.set_wait_value(k.wait_value());
  r.set_ip(k.ip());
  r.set_tcp_port(k.tcp_port());
  r.set_bus_address(0);
  rlink::select_reader(r);
}

// add_template at the station failed: the new template leaves the record
// again, and its group mark with it when the group holds no other template.
void take_back(ui::Window d, int block, int group) {
  store::Tables& t = db();
  t.template_write = t.template_read;
  store::Templatesatz& w = t.template_write;
  w.set_length(block, 0);
  w.set_group(block, 0);
  w.set_quality(block, 0);
  w.set_finger_type(block, 0);
  std::memset(w.data(block), 0, store::kTemplateDataSize);
  write_templates(d);
  if (group >= 1 && group <= store::kFingerBlocks && t.person_read.group_mark(group) != 0 &&
      store::group_template_count(t.template_read, group, fingers_per_person()) == 0) {
    t.person_write = t.person_read;
    t.person_write.set_group_mark(group, 0);
    if (write_person(d)) t.person_read.set_group_mark(group, 0);
  }
}

// Loads the person into the enrol station to see that the station takes the
// templates together, then removes it there again. False when the dialog
// stays as it is with nothing more to do.
bool test_load(ui::Window d, int block, int group) {
  station_becomes_current_reader();
  StationWait wait = station_wait(d);
  if (rlink::check_enrol_parameter() < 1) {
    enrol_log(res::text(res::EN_STATION_PARAMETERS));
    views::info(d, res::text(res::EN_STATION_PARAMETERS));
    return false;
  }
  const int added = rlink::add_template();
  if (added <= 0) {
    take_back(d, block, group);
    enrol_log(res::format(res::ENL_ADD_FAILED, added));
    views::info(d, res::text(res::EN_ADD_FAILED));
    redraw_grid(d);
    refresh_display(d);
    return false;
  }
  const int removed = rlink::del_template(0);
  if (removed != 1) {
    enrol_log(res::format(res::ENL_DEL_FAILED, removed));
    views::info(d, res::format(res::EN_DEL_FAILED, removed));
  }
  return true;
}

enum class Outcome { Template, Dummy };

// Stores the outcome of a capture in the selected block (a dummy in block 0),
// then goes on as the outcome says.
void store_outcome(ui::Window d, Outcome outcome, int q, const std::vector<std::uint8_t>& data) {
  TemplateState& s = st();
  store::Tables& t = db();
  const int fingers = fingers_per_person();
  t.template_write = t.template_read;
  t.person_write = t.person_read;
  int block = 0;
  // The person as it was before a dummy gave way to this finger: its PIN is
  // written back when the templates cannot be, so that the dummy that stays
  // on disk keeps the PIN it stands for.
  std::optional<store::Personensatz> replaced_person;
  if (outcome == Outcome::Dummy) {
    if (has_real_template(t.template_read)) {
      refuse_dummy(d);
      return;
    }
    s.selection = Selection{1, 1};
    make_dummy(t.template_write);
  } else {
    if (has_dummy(t.template_read)) {
      enrol_trace(res::ENL_DUMMY_1);
      enrol_trace(res::ENL_DUMMY_2);
      enrol_trace(res::ENL_DUMMY_3);
      if (!views::ask(d, res::text(res::EN_ASK_REPLACE_DUMMY), res::CAP_FINGER_INFO)) {
        enrol_trace(res::DSL_NO);
        return;
      }
      enrol_trace(res::DSL_YES);
      replaced_person = t.person_read;
      if (!replace_pin_with_finger(d)) return;
      t.template_write = t.template_read;
      remove_dummy_blocks(t.template_write);
      s.selection = Selection{1, 1};
    }
    block = block_of(s.selection, fingers, fingerprint());
    if (block < 0) return;
    enrol_log(res::format(res::ENL_POSITION, block));
    store::Templatesatz& w = t.template_write;
    const int length = std::min<int>(static_cast<int>(data.size()), store::kTemplateDataSize);
    w.set_length(block, static_cast<std::int16_t>(length));
    w.set_group(block, static_cast<std::uint8_t>(s.selection.group));
    w.set_quality(block, static_cast<std::uint8_t>(q));
    std::memset(w.data(block), 0, store::kTemplateDataSize);
    std::memcpy(w.data(block), data.data(), static_cast<std::size_t>(length));
  }
  if (!write_templates(d)) {
    if (replaced_person) {
      t.person_write = *replaced_person;
      if (write_person(d)) {
        t.person_read = *replaced_person;
        show_pin(d);
      }
    }
    return;
  }
  enrol_log(res::format(res::ENL_LENGTH, t.template_read.length(block), t.template_read.quality(block)));
  if (!mark_group(d, s.selection.group)) return;
  s.close_value = kStored;
  redraw_grid(d);
  if (outcome == Outcome::Dummy) {
    report(kPinToEnter);
    return;
  }
  if (count_real_templates(t.template_read) >= 2 && !test_load(d, block, s.selection.group)) return;
  if (finger_names())
    open_finger(d);
  else
    ask_more(d);
}

// ------------------------------------------------------------------ enrolling

// "Enrol\n(Save)": captures fingers until one is accepted or the operator
// gives up, judging each by the working minimum Q.
void enrol(ui::Window d) {
  TemplateState& s = st();
  const Thresholds limits = thresholds();
  int bad = 0;
  for (;;) {
    int q;
    std::vector<std::uint8_t> data;
    {
      StationWait wait = station_wait(d);
      q = rlink::template_enrol(kStationAddress, kEnrolTime);
      const rlink::State& link = rlink::state();
      const int length = std::min<int>(std::max(link.template_len1, 0), rlink::kTemplateBuffer);
      data.assign(link.template1.begin(), link.template1.begin() + length);
    }
    if (!ui::window_exists(d)) return;
    if (q > s.working_minimum) {
      enrol_trace(res::ENL_CAPTURED);
      if (show_q()) {
        const bool good = q >= limits.good;
        show_quality(d, q, res::text(good ? res::EN_Q_GOOD : res::EN_Q_OK));
        enrol_trace(good ? res::ENL_Q_GOOD : res::ENL_Q_OK);
      }
      enrol_trace(res::ENL_ASK_SAVE);
      if (views::ask(d, res::text(res::EN_ASK_SAVE), res::CAP_FINGER_INFO)) {
        enrol_trace(res::DSL_YES);
        store_outcome(d, Outcome::Template, q, data);
      } else {
        enrol_trace(res::DSL_NO);
        refresh_display(d);
      }
      return;
    }
    std::string text;
    if (q < 1) {
      ui::set_colour(d, ids::kQualityBox, quality_box_colour(0, limits));
      ui::set_text(d, ids::kQualityBox, "0");
      text = res::text(q == -5 ? res::EN_TIMEOUT : res::EN_NO_DATA);
      enrol_trace(q == -5 ? res::ENL_TIMEOUT : res::ENL_NO_DATA);
    } else {
      enrol_trace(res::ENL_DATA_RECEIVED);
      enrol_trace(res::ENL_Q_BAD);
      text = res::text(res::EN_BAD_CAPTURE);
      if (show_q()) show_quality(d, q, res::text(res::EN_Q_SCHLECHT));
      ++bad;
      if (bad >= kBadCapturesToLower) {
        if (s.working_minimum > kLowestToLower) {
          enrol_trace(res::ENL_ASK_LOWER_1);
          enrol_trace(res::ENL_ASK_LOWER_2);
          if (views::ask(d, text + res::text(res::EN_ASK_LOWER), res::CAP_FINGER_INFO)) {
            s.working_minimum -= kLowerBy;
            bad = kBadCapturesToLower - 1;
            refresh_display(d);
            continue;
          }
        }
        enrol_trace(res::ENL_ASK_WITHOUT);
        if (views::ask(d, text + res::text(res::EN_ASK_WITHOUT), res::CAP_FINGER_INFO))
          store_outcome(d, Outcome::Dummy, 0, {});
        return;
      }
    }
    enrol_trace(res::ENL_ASK_REPEAT);
    if (!views::ask(d, text + res::text(res::EN_ASK_REPEAT), res::CAP_FINGER_INFO)) return;
  }
}

// "Special PIN": a person without templates gets the dummy template and the
// PIN entry follows.
void special_pin(ui::Window d) {
  store::Tables& t = db();
  if (has_real_template(t.template_read)) {
    refuse_dummy(d);
    return;
  }
  t.template_write = t.template_read;
  make_dummy(t.template_write);
  if (!write_templates(d)) return;
  st().selection = Selection{1, 1};
  if (!mark_group(d, 1)) return;
  report(kPinToEnter);
}

void grid_pressed(ui::Window d, int id) {
  TemplateState& s = st();
  s.selection = selection_of_label(ui::get_text(d, id));
  s.working_minimum = mask().min_quality();
  refresh_display(d);
}

void timer_fired(ui::Window d) {
  st().selection = selection_timer_fired(d, kEnrolTag, fingerprint());
  refresh_display(d);
}

bool enrol_handler(ui::Window d, const ui::Event& e) {
  TemplateState& s = st();
  switch (e.kind) {
    case ui::EventKind::Command:
      if (grid_index(e.id) >= 0) {
        grid_pressed(d, e.id);
        return true;
      }
      switch (e.id) {
        case ui::kIdAction:
          enrol(d);
          return true;
        case ui::kIdSecond:
          special_pin(d);
          return true;
        case ui::kIdExitMenu:
          s.from_person_form = 0;
          report(s.close_value);
          return true;
        case kFingerAccepted:
          finger_accepted(d);
          return true;
        default:
          return false;
      }
    case ui::EventKind::Timer:
      if (e.id != static_cast<int>(kSelectionTimer)) return false;
      timer_fired(d);
      return true;
    case ui::EventKind::Destroyed:
      if (s.enrol == d) s.enrol = ui::kNoWindow;
      return true;
    default:
      return false;
  }
}

}  // namespace

bool open_enrol() {
  TemplateState& s = st();
  store::Tables& t = db();
  ui::Window d = s.list.open_dialog("D_ENROL", enrol_handler);
  if (d == ui::kNoWindow) return false;
  s.enrol = d;
  s.close_value = kNothingStored;
  s.working_minimum = mask().min_quality();
  const int fingers = fingers_per_person();
  const store::Personensatz& p = t.person_read;
  show_person(d, p);
  s.selection = opening_selection(p, fingers);
  lay_out_grid(d, fingers, fingerprint());
  colour_grid(d, t.template_read, fingers, fingerprint());
  ui::set_text(d, ids::kQualityLabel, show_q() ? res::text(res::EN_QUALITY_LABEL) : std::string());
  refresh_display(d);
  show_pin(d);
  if (mask().spin_manual() == 0) ui::show_control(d, ui::kIdSecond, false);
  t.person_write.set_nummer(p.nummer());
  start_selection_timer(d, kEnrolTag, false);
  ui::focus_control(d, grid_button_id(0));
  return true;
}

}  // namespace persons
