// The template list window LView_t: one row per person with its fingerprint
// flag, header-click sorting with its tie rule, the choice of a person for
// D_ENROL (command 8020), and what follows when D_ENROL closes: the Spezial
// PIN, the offers to write the transponder and to load the readers, and the
// question back to the person data.
#include <cstdlib>

#include "diag/log.h"
#include "persons/template_state.h"
#include "persons/templates.h"
#include "platform/clock.h"
#include "link/link.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/person_rows.h"

namespace persons {
namespace {

const std::vector<views::Column> kColumns = {
    {8200, 150, {}}, {8201, 100, {}}, {8202, 100, {}}, {8203, 150, {}}, {8204, 100, {}}};
constexpr int kFingerprintColumn = 4;
constexpr int kChangePersonCommand = 2010;
constexpr int kTransponderOffer = 8040;
constexpr int kLoadReaders = 8050;
constexpr std::uint64_t kRepaintEveryMs = 200;

views::ListWindow& list() { return templates().list; }
ui::Window window() { return list().window(); }

std::vector<std::string> row_of(const store::Personensatz& p) {
  return {p.name(), p.vorname(), p.personalnummer(), p.ausweisnummer(),
          res::text(p.fingerprint_flag() != 0 ? res::EN_FINGERPRINT_YES : res::EN_FINGERPRINT_NO)};
}

bool any_person() {
  for (const auto& p : store::db().persons)
    if (p.used()) return true;
  return false;
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
    views::error_info(owner, res::format(res::EN_TEMPLATE_READ_FAILED,
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
    views::info(window(), res::text(res::EN_NONE_SELECTED), ui::kIconInfo);
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

bool transponder_module() {
  const int module = store::db().eingabe.module_type();
  return module == store::kDesfireModule || module == store::kLegicModule ||
         module == store::kMifareModule;
}

// What follows a stored enrolment: the transponder write offer, else the
// offer to load the readers, else the question back to the person data.
void offer_after_enrolment() {
  const store::Personensatz& p = store::db().person_read;
  if (p.write_on_transponder() != 0 && transponder_module()) {
    ui::send_command(window(), kTransponderOffer, 0);
    return;
  }
  if (p.distribute_to_reader() != 0) {
    enrol_trace(res::ENL_ASK_LOAD_READERS);
    if (views::ask(window(), res::text(res::EN_ASK_LOAD_READERS), res::CAP_TEMPLATE)) {
      ui::send_command(window(), kLoadReaders, 0);
      return;
    }
  }
  ask_person_data();
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
};

bool open_list() {
  views::ListHooks hooks;
  hooks.choose = choose;
  hooks.right_click = choose;
  hooks.header_click = header_clicked;
  hooks.routes = kRoutes;
  hooks.route_count = sizeof kRoutes / sizeof kRoutes[0];
  hooks.destroyed = [] {
    TemplateState& s = templates();
    s.from_person_form = 0;
    s.enrol = s.finger = s.pin_dialog = ui::kNoWindow;
  };
  templates().sort.reset_directions();
  return list().open(ui::kListTemplates, res::text(res::EN_LIST_TITLE), kColumns,
                     &templates().sort, hooks, [] {
                       for (const auto& p : store::db().persons)
                         if (p.used() && !list().append(row_of(p))) return false;
                       return true;
                     });
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

StationWait::StationWait(std::function<void()> repaint) {
  std::function<void()>& hook = rlink::state().between_polls;
  previous_ = hook;
  std::uint64_t last = platform::tick_ms();
  hook = [repaint, last]() mutable {
    const std::uint64_t now = platform::tick_ms();
    if (now - last < kRepaintEveryMs) return;
    last = now;
    repaint();
  };
}

StationWait::~StationWait() { rlink::state().between_polls = previous_; }

bool open_template_list(std::intptr_t record, bool from_person_form) {
  if (!any_person()) {
    views::info(views::main_window(), res::text(res::EN_NO_PERSONS));
    return false;
  }
  if (list().is_open())
    ui::focus_window(window());
  else if (!open_list())
    return false;
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
