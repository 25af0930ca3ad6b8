// The Spezial PIN of a person who got a dummy template instead of fingers:
// typed twice at the enrol station's keypad (with prompts on the overlay over
// the template list), or entered in D_SPEZIAL_PIN; stored with the Combined
// Mode question.
#include "link/link.h"
#include "persons/template_state.h"
#include "persons/templates.h"
#include "resources/catalogue.h"
#include "resources/ids/d_spezial_pin.h"
#include "store/store.h"
#include "views/boxes.h"

namespace persons {
namespace {

constexpr int kStationAddress = 1;
constexpr int kKeypadWaitMs = 15000;
constexpr int kOverlayHeight = 30;
constexpr std::uint32_t kBetweenEntriesMs = 2000;
constexpr std::uint32_t kSuccessShownMs = 3000;

TemplateState& st() { return templates(); }
store::Tables& db() { return store::db(); }
int pin_length() { return store::db().eingabe.user_pin_len(); }

// The PIN typed at the keypad: the delivered record after its type letter "K",
// cut to the UserPIN length.
std::string keypad_pin() {
  std::string text = rlink::last_delivery();
  if (!text.empty() && text[0] == 'K') text.erase(0, 1);
  const int length = pin_length();
  if (length >= 0 && static_cast<int>(text.size()) > length) text.resize(static_cast<std::size_t>(length));
  return text;
}

// Every dummy block of the current template record is emptied and the record
// written; group 1 loses its mark when nothing is left in it.
void remove_dummies(ui::Window owner, res::TextId failure, bool with_code) {
  store::Tables& t = db();
  t.template_write = t.template_read;
  remove_dummy_blocks(t.template_write);
  const int rc = store::rw_template(store::kWrite);
  if (rc < 0) {
    enrol_log(with_code ? res::format(res::ENL_TEMPLATE_WRITE_FAILED, static_cast<long>(rc))
                        : res::text(res::ENL_TEMPLATE_WRITE_FAILED_PLAIN));
    views::info(owner, with_code ? res::format(failure, static_cast<long>(rc)) : res::text(failure));
    return;
  }
  t.template_read = t.template_write;
  if (t.person_read.group_mark(1) != 0 &&
      store::group_template_count(t.template_read, 1, fingers_per_person()) == 0) {
    t.person_write = t.person_read;
    t.person_write.set_group_mark(1, 0);
    if (store::rw_person(store::kWrite) >= 0) t.person_read.set_group_mark(1, 0);
  }
}

// The keypad road. True when the steps after the enrolment go on.
bool keypad_entry() {
  const ui::Window list = st().list.window();
  Overlay prompt(list, kOverlayHeight);
  StationWait wait([list] {
    if (ui::window_exists(list)) ui::redraw(list);
  });
  for (;;) {
    res::TextId question;
    prompt.show(res::EN_ENTER_PIN);
    enrol_trace(res::ENL_ENTER_PIN);
    std::string first;
    if (rlink::enrol_keyboard(kStationAddress, kKeypadWaitMs) != 1 || (first = keypad_pin()).empty()) {
      question = res::EN_NO_PIN;
      enrol_trace(res::ENL_NO_PIN);
    } else if (spezial_pin_taken(first)) {
      question = res::EN_KEYPAD_PIN_TAKEN;
      enrol_trace(res::ENL_PIN_TAKEN);
    } else {
      pause_repainting(list, kBetweenEntriesMs);
      prompt.show(res::EN_REPEAT_PIN);
      enrol_trace(res::ENL_REPEAT_PIN);
      if (rlink::enrol_keyboard(kStationAddress, kKeypadWaitMs) != 1) {
        question = res::EN_NO_PIN;
        enrol_trace(res::ENL_NO_PIN);
      } else if (keypad_pin() != first) {
        question = res::EN_KEYPAD_PIN_MISMATCH;
        enrol_trace(res::ENL_PIN_MISMATCH);
      } else {
        prompt.hide();
        const int rc = store_spezial_pin(list, first);
        if (rc >= 0) {
          prompt.show(res::EN_PIN_DONE);
          enrol_trace(res::EN_PIN_DONE);
          pause_repainting(list, kSuccessShownMs);
          return true;
        }
        question = res::EN_PIN_WRITE_RETRY;
        enrol_log(res::format(res::ENL_PERSON_WRITE_FAILED, static_cast<long>(rc)));
      }
    }
    prompt.hide();
    if (!views::ask(list, res::text(question), res::CAP_FRAGE)) break;
  }
  prompt.hide();
  if (!db().person_read.spezial_pin().empty()) return true;
  remove_dummies(list, res::EN_TEMPLATE_WRITE_FAILED_PLAIN, false);
  return false;
}

// ------------------------------------------------------------------ D_SPEZIAL_PIN

void refuse(ui::Window d, res::TextId text, res::TextId line) {
  enrol_trace(line);
  views::box(d, res::text(text), res::CAP_FEHLER_MELDUNG);
}

void report(std::intptr_t value) {
  ui::Window list = st().list.window();
  if (list != ui::kNoWindow) ui::send_command(list, kEnrolReport, value);
}

void save_pin(ui::Window d) {
  namespace ids = res::d_spezial_pin;
  const std::string pin = ui::get_text(d, ids::kPin);
  const std::string again = ui::get_text(d, ids::kRepeat);
  const std::size_t length = static_cast<std::size_t>(pin_length() > 0 ? pin_length() : 0);
  if (pin.empty()) return refuse(d, res::EN_PIN_REQUIRED, res::ENL_PIN_REQUIRED);
  if (pin.size() < length) return refuse(d, res::EN_PIN_SHORT, res::ENL_PIN_SHORT);
  if (again.empty()) return refuse(d, res::EN_REPEAT_REQUIRED, res::ENL_REPEAT_REQUIRED);
  if (again.size() < length) return refuse(d, res::EN_REPEAT_SHORT, res::ENL_REPEAT_SHORT);
  const std::string chosen = pin.substr(0, length);
  if (chosen != again.substr(0, length)) return refuse(d, res::EN_PIN_MISMATCH, res::ENL_PIN_MISMATCH);
  if (spezial_pin_taken(chosen)) return refuse(d, res::EN_PIN_TAKEN, res::ENL_PIN_TAKEN);
  const int rc = store_spezial_pin(d, chosen);
  if (rc < 0) {
    enrol_log(res::format(res::ENL_PERSON_WRITE_FAILED, static_cast<long>(rc)));
    views::info(d, res::format(res::EN_PERSON_WRITE_FAILED, static_cast<long>(rc)));
    return;
  }
  report(kStored);
}

bool pin_handler(ui::Window d, const ui::Event& e) {
  TemplateState& s = st();
  if (e.kind == ui::EventKind::Destroyed) {
    if (s.pin_dialog == d) s.pin_dialog = ui::kNoWindow;
    return true;
  }
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdAction) {
    save_pin(d);
    return true;
  }
  if (e.id == ui::kIdExitMenu) {
    remove_dummies(d, res::EN_TEMPLATE_WRITE_FAILED, true);
    report(kNothingStored);
    return true;
  }
  return false;
}

void open_pin_dialog() {
  TemplateState& s = st();
  ui::Window d = s.list.open_dialog("D_SPEZIAL_PIN", pin_handler);
  if (d == ui::kNoWindow) return;
  s.pin_dialog = d;
  ui::limit_text(d, res::d_spezial_pin::kPin, pin_length());
  ui::limit_text(d, res::d_spezial_pin::kRepeat, pin_length());
  ui::focus_control(d, res::d_spezial_pin::kPin);
}

}  // namespace

bool spezial_pin_taken(const std::string& pin) {
  for (const auto& p : store::db().persons)
    if (p.used() && p.spezial_pin() == pin) return true;
  return false;
}

int store_spezial_pin(ui::Window owner, const std::string& pin) {
  store::Tables& t = db();
  store::Personensatz& w = t.person_write;
  w = t.person_read;
  w.set_spezial_pin(pin);
  const std::uint8_t mode = w.combined_mode();
  bool changed = false;
  if ((mode & store::kNeedPin) == 0 || (mode & store::kNeedFinger) != 0) {
    enrol_trace(res::ENL_ASK_COMBINED);
    if (views::ask(owner, res::text(res::EN_ASK_COMBINED), res::CAP_FRAGE)) {
      w.set_combined_mode(static_cast<std::uint8_t>((mode | store::kNeedPin) & ~store::kNeedFinger));
      changed = true;
    }
  }
  const int rc = store::rw_person(store::kWrite);
  if (rc < 0) return rc;
  t.person_read.set_spezial_pin(pin);
  if (changed) {
    t.person_read.set_combined_mode(w.combined_mode());
    enrol_trace(res::ENL_COMBINED_CHANGED);
    views::info(owner, res::text(res::EN_COMBINED_CHANGED));
  }
  return rc;
}

bool enter_spezial_pin() {
  if (db().eingabe.spin_keyboard() != 0) return keypad_entry();
  open_pin_dialog();
  return false;
}

}  // namespace persons
