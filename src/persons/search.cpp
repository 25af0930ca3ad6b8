// The search D_SUCHEN (commands 2030 and 2120): persons by last name or by
// Personalnummer, the matches refilled as the search text grows or shrinks,
// and the chosen person handed on to change or delete (persons or templates).
#include <cstdint>
#include <string>

#include "persons/persons.h"
#include "persons/state.h"
#include "resources/catalogue.h"
#include "resources/ids/d_suchen.h"
#include "store/store.h"
#include "views/host.h"
#include "views/list_window.h"

namespace persons {
namespace {

using namespace res::d_suchen;

constexpr int kNameChars = 20;
constexpr int kPersonnelChars = 10;

// The text the search key looks at.
std::string key_of(const store::Personensatz& p) {
  return state().by_number ? p.personalnummer() : p.name();
}

bool begins_with(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         views::compare_nocase(text.substr(0, prefix.size()), prefix) == 0;
}

void clear_shown(ui::Window d) {
  ui::set_text(d, kShowPersonnelNumber, std::string());
  ui::set_text(d, kShowName, std::string());
  ui::set_text(d, kShowFirstName, std::string());
}

// The matches: every person in use whose key begins with `prefix` (letter case
// aside), in slot order. What was chosen before is forgotten: its display is
// cleared.
void refill(ui::Window d, const std::string& prefix) {
  State& s = state();
  ui::items_clear(d, kMatches);
  for (const store::Personensatz& p : store::db().persons)
    if (p.used() && begins_with(key_of(p), prefix)) ui::items_add(d, kMatches, key_of(p));
  s.refill_length = static_cast<int>(prefix.size());
  s.chosen = 0;
  clear_shown(d);
}

void limit_search_text(ui::Window d) {
  const store::Eingabesatz& m = store::db().eingabe;
  int chars = state().by_number ? m.personalnummer_len() : m.name_len();
  const int most = state().by_number ? kPersonnelChars : kNameChars;
  ui::limit_text(d, kSearchText, chars < 1 || chars > most ? most : chars);
}

// A radio button: another search key starts the search afresh.
void switch_key(ui::Window d, bool by_number) {
  State& s = state();
  if (s.by_number == by_number) return;
  s.by_number = by_number;
  s.refill_length = 0;
  ui::set_text(d, kSearchText, std::string());
  limit_search_text(d);
  refill(d, std::string());
}

void text_changed(ui::Window d) {
  const std::string text = ui::get_text(d, kSearchText);
  if (static_cast<int>(text.size()) != state().refill_length) refill(d, text);
}

// An entry of the matches: the person whose key equals it is shown (of several,
// the last in slot order).
void chosen(ui::Window d) {
  State& s = state();
  clear_shown(d);
  s.chosen = 0;
  const int at = ui::items_selected(d, kMatches);
  if (at < 0) return;
  const std::string entry = ui::items_text(d, kMatches, at);
  for (const store::Personensatz& p : store::db().persons) {
    if (!p.used() || key_of(p) != entry) continue;
    ui::set_text(d, kShowPersonnelNumber, p.personalnummer());
    ui::set_text(d, kShowName, p.name());
    ui::set_text(d, kShowFirstName, p.vorname());
    s.chosen = static_cast<int>(p.nummer());
  }
}

// "Change" (sign 1) and "Delete" (sign -1) hand the chosen person on.
void hand_on(ui::Window d, int sign, res::TextId refusal) {
  const int number = state().chosen;
  if (number == 0) {
    ui::message_box(d, res::text(refusal), res::text(res::CAP_INFO), ui::kOk);
    return;
  }
  views::report_to_main(kSearchCommand, sign * number);
}

bool handler(ui::Window d, const ui::Event& e) {
  State& s = state();
  switch (e.kind) {
    case ui::EventKind::Command:
      switch (e.id) {
        case kByName:
        case kByPersonnelNumber:
          switch_key(d, e.id == kByPersonnelNumber);
          return true;
        case ui::kIdAction:
          hand_on(d, 1, res::PS_NONE_CHOSEN_CHANGE);
          return true;
        case ui::kIdSecond:
          hand_on(d, -1, res::PS_NONE_CHOSEN_DELETE);
          return true;
        case ui::kIdExitMenu:
          views::report_to_main(kSearchCommand, 0);
          return true;
        default:
          return false;
      }
    case ui::EventKind::EditChanged:
      if (e.id == kSearchText) text_changed(d);
      return true;
    case ui::EventKind::SelectionChanged:
      if (e.id == kMatches) chosen(d);
      return true;
    case ui::EventKind::Destroyed:
      if (s.search == d) s.search = ui::kNoWindow;
      return true;
    default:
      return false;
  }
}

}  // namespace

ui::Window open_search() {
  State& s = state();
  ui::Window d = views::open_main_dialog("D_SUCHEN", handler);
  if (d == ui::kNoWindow) return d;
  s.search = d;
  s.by_number = false;
  ui::check_radio(d, kByName, kByPersonnelNumber, kByName);
  limit_search_text(d);
  refill(d, std::string());
  ui::focus_control(d, kSearchText);
  return d;
}

void search_completed(std::intptr_t result, bool for_templates) {
  ui::Window main = views::main_window();
  if (result >= 1)
    ui::post_command(main, for_templates ? kTemplatesCommand : kChangeCommand, result);
  else if (result < 0)
    ui::post_command(main, for_templates ? kTemplateDeleteCommand : kDeleteCommand, result);
}

ui::Window search_dialog() { return state().search; }

}  // namespace persons
