// The template list window LView_t: one row per person with its fingerprint
// flag, header-click sorting with its tie rule, the choice of a person for
// D_ENROL (command 8020), and what follows when D_ENROL closes: the Spezial
// PIN, the offer to write the transponder (command 8040 with D_MATCHING), the
// load of the person into the readers (command 8050 with the reader
// selection), and the question back to the person data.
#include <cstdlib>

#include "diag/log.h"
#include "ops/reader_loop.h"
#include "persons/template_state.h"
#include "persons/templates.h"
#include "persons/toc.h"
#include "persons/transponder.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/person_rows.h"
#include "views/reader_select.h"

namespace persons {
namespace {

const std::vector<views::Column> kColumns = {
    {8200, 150, {}}, {8201, 100, {}}, {8202, 100, {}}, {8203, 150, {}}, {8204, 100, {}}};
constexpr int kFingerprintColumn = 4;
constexpr int kChangePersonCommand = 2010;
constexpr int kOverlayHeight = 30;

// The transponder write of this window: every step traced, a failed
// transparent off logged too.
const WriteStyle kWriteStyle{kEnrolTag, kOverlayHeight, true, true, false, res::DS_CAP_TEMPLATE};

views::ListWindow& list() { return templates().list; }
ui::Window window() { return list().window(); }

std::vector<std::string> row_of(const store::Personensatz& p) {
  return {p.name(), p.vorname(), p.personalnummer(), p.ausweisnummer(),
          res::text(p.fingerprint_flag() != 0 ? res::EN_FINGERPRINT_YES : res::EN_FINGERPRINT_NO)};
}

// Sorts by the remembered column: ascending as the texts compare, descending
// reversed with equal rows ordered by Personalnummer and then by the
// fingerprint column, both ascending.
void sort_rows() {
  const views::SortState& s = templates().sort;
  const int column = s.column;
  const bool down = s.descending[column];
  list().sort([column, down](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    auto at = [](const std::vector<std::string>& row, int c) {
      return c < static_cast<int>(row.size()) ? row[c] : std::string();
    };
    int c = views::compare_nocase(at(a, column), at(b, column));
    if (!down) return c;
    if (c != 0) return -c;
    c = views::compare_nocase(at(a, views::kPersonnelNumberColumn),
                              at(b, views::kPersonnelNumberColumn));
    if (c != 0) return c;
    return views::compare_nocase(at(a, kFingerprintColumn), at(b, kFingerprintColumn));
  });
}

void header_clicked(int column) {
  if (column < 0 || column >= static_cast<int>(kColumns.size())) return;
  views::SortState& s = templates().sort;
  s.descending[column] = !s.descending[column];
  s.column = column;
  sort_rows();
}

// Person slot `slot` becomes the current person and its template record the
// current template record. A record that does not read leaves the dialog shut:
// the buffer would still hold another person's templates.
bool make_current(int slot, ui::Window owner) {
  store::Tables& t = store::db();
  t.person_read = t.persons[slot];
  t.template_read = store::Templatesatz{};
  t.template_read.set_nummer(t.persons[slot].nummer());
  if (store::rw_template(store::kRead) < 0) {
    t.template_read = store::Templatesatz{};
    views::error_info(owner, res::format(res::DS_TEMPLATE_RECORD_FAILED,
                                         static_cast<long>(t.persons[slot].nummer())));
    return false;
  }
  return true;
}

// Right click, double click or Enter: D_ENROL for the first selected person.
void choose() {
  if (list().dialog_open()) return;
  const int row = list().first_selected();
  if (row < 0) {
    views::info(window(), res::text(res::DS_NO_PERSON_SELECTED), ui::kIconInfo);
    return;
  }
  const std::vector<std::string> texts = list().texts(row);
  const int slot = views::find_person(texts, false);
  if (slot < 0) {
    diag::log_trace("%s%s", kEnrolTag,
                    res::format(res::ENL_PERSON_NOT_FOUND,
                                views::leading_number(texts[views::kPersonnelNumberColumn]))
                        .c_str());
    views::error_info(window(), res::text(res::EN_PERSON_NOT_FOUND));
    return;
  }
  if (!make_current(slot, window())) return;
  ui::send_command(window(), kEnrolReport, 0);
}

// The question back to the person data: Yes closes the list and changes the
// person in the person list.
void ask_person_data() {
  TemplateState& s = templates();
  const res::TextId question =
      s.from_person_form != 0 ? res::EN_ASK_BACK_TO_PERSON : res::EN_ASK_TO_PERSON;
  if (!views::ask(window(), res::text(question), res::CAP_FRAGE)) {
    s.from_person_form = 0;
    return;
  }
  const std::uint32_t number =
      s.from_person_form != 0 ? s.from_person_form : store::db().person_read.nummer();
  list().close();
  ui::post_command(views::main_window(), kChangePersonCommand, number);
}

// What follows a stored enrolment: the transponder write offer, else the
// offer to load the readers, else the question back to the person data.
void offer_after_enrolment() {
  const store::Personensatz& p = store::db().person_read;
  if (p.write_on_transponder() != 0 && toc_module()) {
    ui::send_command(window(), kMatchingReport, 0);
    return;
  }
  if (p.distribute_to_reader() != 0) enrol_trace(res::ENL_ASK_LOAD_READERS);
  if (!offer_load(list(), res::DS_CAP_TEMPLATE)) ask_person_data();
}

// Command 8040 without a dialog: the transponder write is offered; declined,
// the load into the readers, else the question about the person data.
void offer_write(std::intptr_t) {
  enrol_trace(res::DSL_ASK_WRITE);
  if (views::ask(window(), res::text(res::DS_ASK_WRITE), res::DS_CAP_TEMPLATE)) {
    enrol_trace(res::DSL_YES);
    open_matching(list());
    return;
  }
  enrol_trace(res::DSL_NO);
  if (!offer_load(list(), res::DS_CAP_TEMPLATE)) ask_person_data();
}

void level_chosen(std::intptr_t level) { level_reported(list(), kWriteStyle, level); }

void open_selection(std::intptr_t) { open_person_load(list()); }

void selection_reported(std::intptr_t value) {
  person_load_reported(list(), ops::template_list_plan(), value);
}

void open_enrol_dialog(std::intptr_t) { open_enrol(); }

// D_ENROL (or D_SPEZIAL_PIN) reported its close value.
void enrol_reported(std::intptr_t value) {
  list().close_dialog();
  if (value == kPinToEnter) {
    if (enter_spezial_pin() && list().is_open()) offer_after_enrolment();
    return;
  }
  if (value != kStored) return;
  sort_rows();
  offer_after_enrolment();
}

const views::Route kRoutes[] = {
    {kEnrolReport, open_enrol_dialog, enrol_reported},
    {kMatchingReport, offer_write, level_chosen},
    {views::kReaderSelectReport, open_selection, selection_reported},
};

bool open_list() {
  views::ListHooks hooks;
  hooks.choose = choose;
  hooks.right_click = choose;
  hooks.header_click = header_clicked;
  hooks.routes = kRoutes;
  hooks.route_count = sizeof kRoutes / sizeof kRoutes[0];
  hooks.may_close = [] { return !writing(); };
  hooks.destroyed = [] {
    TemplateState& s = templates();
    s.from_person_form = 0;
    s.enrol = s.finger = s.pin_dialog = ui::kNoWindow;
    views::set_select_target(views::SelectTarget::TemplateList, ui::kNoWindow);
  };
  templates().sort.reset_directions();
  const bool shown = list().open(ui::kListTemplates, res::text(res::EN_LIST_TITLE), kColumns,
                                 &templates().sort, hooks, [] {
                                   for (const auto& p : store::db().persons)
                                     if (p.used() && !list().append(row_of(p))) return false;
                                   return true;
                                 });
  if (shown) views::set_select_target(views::SelectTarget::TemplateList, window());
  return shown;
}

}  // namespace

TemplateState& templates() {
  static TemplateState s;
  return s;
}

void enrol_trace(res::TextId line) {
  diag::log_trace("%s%s", kEnrolTag, res::text(line).c_str());
}

void enrol_log(const std::string& line) { diag::log_line("%s%s", kEnrolTag, line.c_str()); }

bool show_for_command(views::ListWindow& l, const std::function<bool()>& open) {
  bool any = false;
  for (const auto& p : store::db().persons) any = any || p.used();
  if (!any) {
    views::info(views::main_window(), res::text(res::DS_NO_PERSONS));
    return false;
  }
  if (!l.is_open()) return open();
  ui::focus_window(l.window());
  return true;
}

bool open_template_list(std::intptr_t record, bool from_person_form) {
  if (!show_for_command(list(), open_list)) return false;
  if (record < 1 || record > store::kPersons || list().dialog_open()) return true;
  const int slot = static_cast<int>(record - 1);
  if (!store::db().persons[slot].used()) return true;
  templates().from_person_form = from_person_form ? static_cast<std::uint32_t>(record) : 0;
  if (make_current(slot, window())) ui::send_command(window(), kEnrolReport, 0);
  return true;
}

ui::Window template_list() { return window(); }
ui::Window enrol_dialog() { return templates().enrol; }
ui::Window template_delete_list() { return templates().delete_list.window(); }

void reset_templates() { templates() = TemplateState{}; }

}  // namespace persons
