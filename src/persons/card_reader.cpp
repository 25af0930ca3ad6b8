// Reading a transponder into the person form's identification number ("Reader",
// 250): the enrol station in transparent mode, timer 20 every 50 ms, each tick
// one poll of 200 ms for a delivery, at most 25 polls, the button blinking
// "wait" meanwhile.
#include <string>

#include "diag/log.h"
#include "link/link.h"
#include "persons/state.h"
#include "resources/catalogue.h"
#include "resources/ids/d_person.h"
#include "store/store.h"

namespace persons {
namespace {

using res::d_person::kIdentification;
using res::d_person::kReadCard;

constexpr int kPolls = 25;
constexpr unsigned kTickMs = 50;
constexpr int kPollMs = 200;
constexpr int kIdentificationChars = 20;

// Transparent mode off at the station; a failure is logged.
bool transparent_off() {
  if (rlink::enrol_transparent(0, 0) == rlink::kOk) return true;
  diag::log_line("%s", res::text(res::PSL_TRANSPARENT_OFF_FAILED).c_str());
  return false;
}

// The end of a reading: the button back, transparent mode off.
void finish(ui::Window d) {
  State& s = state();
  s.reading = false;
  s.countdown = 0;
  ui::set_text(d, kReadCard, res::text(res::PS_READER_IDLE));
  ui::redraw(d);
  if (!transparent_off())
    form_box(d, res::text(res::PS_TRANSPARENT_OFF_FAILED), res::text(res::CAP_INFO));
}

// The delivered code into the identification number; a code longer than the
// field is cut at the front or at the back, as the operator chooses, or not
// taken at all.
void take_code(ui::Window d) {
  std::string code = rlink::last_delivery();
  const int most = store::db().eingabe.ausweis_len();
  const std::size_t length =
      static_cast<std::size_t>(most < 0 ? 0 : most > kIdentificationChars ? kIdentificationChars : most);
  if (code.size() > length) {
    const unsigned style = ui::kYesNo | ui::kIconQuestion;
    const std::string& caption = res::text(res::CAP_FRAGE);
    if (form_box(d, res::format(res::PS_CODE_TOO_LONG_FRONT, code.c_str()), caption, style) ==
        ui::kIdYes)
      code = code.substr(code.size() - length);
    else if (form_box(d, res::format(res::PS_CODE_TOO_LONG_BACK, code.c_str()), caption, style) ==
             ui::kIdYes)
      code = code.substr(0, length);
    else
      return;
  }
  ui::set_text(d, kIdentification, code);
}

}  // namespace

void start_card_reading(ui::Window d) {
  State& s = state();
  if (s.reading) return;
  ui::set_text(d, kReadCard, res::text(res::PS_WAIT));
  s.countdown = kPolls;
  s.blink = 0;
  s.first_poll = true;
  if (!ui::set_timer(d, kBlinkTimer, kTickMs)) {
    form_box(d, res::text(res::PS_BLINK_TIMER_FAILED), res::text(res::CAP_INFO_TIMER));
    s.countdown = 0;
    ui::set_text(d, kReadCard, res::text(res::PS_READER_IDLE));
    return;
  }
  s.reading = true;
  if (rlink::enrol_transparent(0, 1) != rlink::kOk)
    diag::log_line("%s", res::text(res::PSL_TRANSPARENT_ON_FAILED).c_str());
}

void card_reading_tick(ui::Window d) {
  State& s = state();
  const bool stopped = ui::kill_timer(d, kBlinkTimer);
  if (!s.reading) return;
  if (!stopped) {
    form_box(d, res::text(res::SH_TIMER_NOT_STOPPED), res::text(res::CAP_INFO_TIMER));
    finish(d);
    return;
  }
  if (s.countdown > 0) {
    --s.countdown;
    int r = rlink::enrol_wait_delivery(0, kPollMs, s.first_poll ? 1 : 0);
    s.first_poll = false;
    if (r == 1) {
      s.countdown = 0;
      take_code(d);
    } else if (r != 0) {
      s.countdown = 0;
      form_box(d, res::format(res::PS_READ_ERROR, r), res::text(res::CAP_INFO),
               ui::kIconQuestion);
    }
  }
  if (s.countdown > 0) {
    s.blink ^= 1;
    ui::set_text(d, kReadCard, s.blink ? std::string() : res::text(res::PS_WAIT));
    if (ui::set_timer(d, kBlinkTimer, kTickMs)) {
      // The window stays painted while the next poll blocks.
      ui::redraw(d);
      return;
    }
    form_box(d, res::text(res::PS_BLINK_TIMER_FAILED), res::text(res::CAP_INFO_TIMER));
  }
  finish(d);
}

void abandon_card_reading() {
  State& s = state();
  if (!s.reading) return;
  s.reading = false;
  s.countdown = 0;
  transparent_off();
}

}  // namespace persons
