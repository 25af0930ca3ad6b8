// The template-delete list LView_dt: the persons who hold templates; all
// templates of the chosen persons at once, or finger by finger in D_TEMP_DEL
// one person after another; and the load of the changed persons into the
// readers the operator picks, so that what was deleted leaves them too.
#include <string>
#include <vector>

#include "diag/log.h"
#include "ops/reader_loop.h"
#include "persons/template_state.h"
#include "persons/templates.h"
#include "resources/catalogue.h"
#include "resources/ids/d_temp_del.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/person_rows.h"
#include "views/reader_select.h"

namespace persons {
namespace {

namespace ids = res::d_temp_del;

const std::vector<views::Column> kColumns = {
    {8100, 150, {}}, {8101, 150, {}}, {8102, 100, {}}, {8103, 100, {}}, {8104, 150, {}}};
constexpr int kLoadReaders = views::kReaderSelectReport;
constexpr const char* kTag = "TDestroy  - ";

TemplateState& st() { return templates(); }
store::Tables& db() { return store::db(); }
views::ListWindow& list() { return st().delete_list; }
ui::Window window() { return list().window(); }
bool fingerprint() { return db().person_read.fingerprint_flag() != 0; }

std::vector<std::string> row_of(const store::Personensatz& p) {
  std::vector<std::string> row = views::person_row(p);
  row.resize(kColumns.size());
  return row;
}

// A block holds a template here when its length and its quality are not 0
// (a dummy template counts).
bool holds(const store::Templatesatz& t, int block) {
  return block >= 0 && t.length(block) != 0 && t.quality(block) != 0;
}

bool any_template(const store::Templatesatz& t) {
  for (int i = 0; i < store::kFingerBlocks; ++i)
    if (holds(t, i)) return true;
  return false;
}

std::string personnel_number(int slot) { return db().persons[slot].personalnummer(); }

// The row that shows person slot `slot`, -1 when none does.
int row_of_slot(int slot) {
  const store::Personensatz& p = db().persons[slot];
  for (int row = 0; row < list().count(); ++row) {
    const std::vector<std::string> texts = list().texts(row);
    if (texts.size() > views::kIdentificationColumn &&
        texts[views::kPersonnelNumberColumn] == p.personalnummer() &&
        texts[views::kIdentificationColumn] == p.ausweisnummer())
      return row;
  }
  return -1;
}

// "T = %d, RPers = %d, Pers = %d" for every person slot that is selected now
// or in the saved selection.
void show_selection() {
  const TemplateState& s = st();
  for (int slot = 0; slot < store::kPersons; ++slot)
    if (s.saved[slot] || s.selected[slot])
      views::info(window(), res::format(res::TD_SELECTION, slot + 1, s.saved[slot] ? 1 : 0,
                                        s.selected[slot] ? 1 : 0));
}

// ------------------------------------------------------------------ all at once

// An empty template record and cleared group marks for person slot `slot`.
bool delete_all_of(int slot) {
  store::Tables& t = db();
  const std::string pnr = personnel_number(slot);
  t.template_write = store::Templatesatz{};
  t.template_write.set_nummer(t.persons[slot].nummer());
  if (store::rw_template(store::kWrite) < 0) {
    views::error_info(window(), res::format(res::TD_DELETE_FAILED, pnr.c_str()));
    return false;
  }
  t.person_write = t.persons[slot];
  for (int g = 1; g <= store::kFingerBlocks; ++g) t.person_write.set_group_mark(g, 0);
  if (store::rw_person(store::kWrite) < 0) {
    views::error_info(window(), res::format(res::TD_MARKS_FAILED, pnr.c_str()));
    return false;
  }
  return true;
}

// Right click, double click or Enter: the question decides between deleting
// all templates of the selected persons and going through them one by one.
void choose() {
  TemplateState& s = st();
  if (list().dialog_open()) return;
  if (list().first_selected() < 0) {
    views::info(window(), res::text(res::DS_NO_PERSON_SELECTED), ui::kIconInfo);
    return;
  }
  const bool all = views::ask(window(), res::text(res::TD_ASK_DELETE_ALL), res::CAP_FRAGE);
  s.selected.fill(false);
  int found = 0;
  // A person whose deletion failed keeps its row and its selection; it is
  // not tried a second time when the walk starts again from the top.
  std::vector<bool> tried(store::kPersons, false);
  list().for_each_selected([&](int row) {
    const int slot = views::find_person(list().texts(row), true);
    if (slot < 0 || tried[slot]) return false;
    tried[slot] = true;
    if (all && !delete_all_of(slot)) return false;
    s.selected[slot] = true;
    ++found;
    return all && list().remove(row);
  });
  if (found == 0) return;
  ui::post_command(window(), all ? kLoadReaders : kDeleteNext, 0);
}

// ------------------------------------------------------------------ D_TEMP_DEL

void report(std::intptr_t value) {
  if (list().is_open()) ui::send_command(window(), kDeleteNext, value);
}

void refresh(ui::Window d) {
  const TemplateState& s = st();
  const store::Templatesatz& t = db().template_read;
  const int fingers = fingers_per_person();
  colour_grid(d, t, fingers, fingerprint());
  if (db().eingabe.show_quality() != 0) show_display(d, s.delete_selection, t, fingers, fingerprint(), false);
  ui::enable_control(d, ui::kIdAction, holds(t, block_of(s.delete_selection, fingers, fingerprint())));
}

// "Delete": the selected block is emptied in the file; a Spezial PIN goes
// with it.
void delete_block(ui::Window d) {
  TemplateState& s = st();
  store::Tables& t = db();
  const int fingers = fingers_per_person();
  const int block = block_of(s.delete_selection, fingers, fingerprint());
  if (!holds(t.template_read, block)) return;
  const std::string pnr = t.person_read.personalnummer();
  t.template_write = t.template_read;
  store::clear_finger_block(t.template_write, block);
  if (store::rw_template(store::kWrite) < 0) {
    views::error_info(d, res::format(res::TD_DELETE_FAILED, pnr.c_str()));
    return;
  }
  t.template_read = t.template_write;
  if (!t.person_read.spezial_pin().empty()) {
    t.person_write = t.person_read;
    t.person_write.set_spezial_pin(std::string());
    if (store::rw_person(store::kWrite) < 0) {
      views::error_info(d, res::format(res::TD_PERSON_SAVE_FAILED, pnr.c_str()));
    } else {
      t.person_read.set_spezial_pin(std::string());
      views::info(d, res::format(res::TD_CHECK_COMBINED, pnr.c_str()));
    }
  }
  s.deletion_result = 2;
  if (!grid_holds_template(t.template_read, fingers, fingerprint())) {
    views::info(d, res::format(res::TD_NONE_LEFT, pnr.c_str(), pnr.c_str()));
    report(1);
    return;
  }
  if (s.delete_selection.group == 0) s.delete_selection.group = 1;
  if (s.delete_selection.position == 0) s.delete_selection.position = 1;
  refresh(d);
  ui::redraw(d);
}

void timer_fired(ui::Window d) {
  st().delete_selection = selection_timer_fired(d, kTag, fingerprint());
  refresh(d);
}

bool temp_del_handler(ui::Window d, const ui::Event& e) {
  TemplateState& s = st();
  switch (e.kind) {
    case ui::EventKind::Command:
      if (grid_index(e.id) >= 0) {
        s.delete_selection = selection_of_label(ui::get_text(d, e.id));
        refresh(d);
        return true;
      }
      if (e.id == ui::kIdAction) {
        delete_block(d);
        return true;
      }
      if (e.id == ui::kIdExitMenu) {
        report(s.deletion_result);
        return true;
      }
      return false;
    case ui::EventKind::Timer:
      if (e.id != static_cast<int>(kSelectionTimer)) return false;
      timer_fired(d);
      return true;
    case ui::EventKind::Destroyed:
      if (s.temp_del == d) s.temp_del = ui::kNoWindow;
      return true;
    default:
      return false;
  }
}

void open_temp_del(int slot) {
  TemplateState& s = st();
  store::Tables& t = db();
  ui::Window d = list().open_dialog("D_TEMP_DEL", temp_del_handler);
  if (d == ui::kNoWindow) return;
  s.temp_del = d;
  s.current_slot = slot;
  s.deletion_result = 0;
  const int fingers = fingers_per_person();
  const store::Personensatz& p = t.person_read;
  show_person(d, p);
  s.delete_selection = opening_selection(p, fingers);
  lay_out_grid(d, fingers, fingerprint());
  ui::set_text(d, ids::kQualityLabel,
               t.eingabe.show_quality() != 0 ? res::text(res::EN_QUALITY_LABEL) : std::string());
  refresh(d);
  t.person_write.set_nummer(p.nummer());
  start_selection_timer(d, kTag, true);
  ui::focus_control(d, grid_button_id(0));
}

// Reads person slot `slot` and its template record into the current buffers;
// each failure is told.
bool load(int slot) {
  store::Tables& t = db();
  const std::string pnr = personnel_number(slot);
  t.person_read.set_nummer(t.persons[slot].nummer());
  if (store::rw_person(store::kRead) < 0) {
    views::info(window(), res::format(res::TD_PERSON_LOAD_FAILED, pnr.c_str()));
    return false;
  }
  t.template_read.set_nummer(t.persons[slot].nummer());
  if (store::rw_template(store::kRead) < 0) {
    views::info(window(), res::format(res::TD_TEMPLATE_LOAD_FAILED, pnr.c_str()));
    return false;
  }
  return true;
}

// D_TEMP_DEL for the first selected person that loads.
void open_next(std::intptr_t) {
  const TemplateState& s = st();
  for (int slot = 0; slot < store::kPersons; ++slot) {
    if (!s.selected[slot] || !db().persons[slot].used()) continue;
    if (load(slot)) {
      open_temp_del(slot);
      return;
    }
  }
}

// D_TEMP_DEL reported: the person leaves the selection (and the list, when
// nothing is left of it); after a deletion the readers may be loaded at once.
void temp_del_reported(std::intptr_t result) {
  TemplateState& s = st();
  const int slot = s.current_slot;
  list().close_dialog();
  if (slot >= 0 && slot < store::kPersons) s.selected[slot] = false;
  if (result == 1 && slot >= 0) {
    const int row = row_of_slot(slot);
    if (row >= 0) list().remove(row);
  }
  if ((result == 1 || result == 2) && slot >= 0 &&
      views::ask(window(), res::text(res::TD_ASK_SEND), res::CAP_FRAGE)) {
    s.send_now = true;
    s.saved = s.selected;
    show_selection();
    s.selected.fill(false);
    s.selected[slot] = true;
  }
  ui::enable_window(window(), true);
  ui::focus_window(window());
  ui::post_command(window(), s.send_now ? kLoadReaders : kDeleteNext, 0);
}

// Command 8055: D_TEMP_DEL for one person alone.
void open_one(std::intptr_t record) {
  TemplateState& s = st();
  if (record < 1 || record > store::kPersons) return;
  s.selected.fill(false);
  s.selected[record - 1] = true;
  open_next(0);
}

// ------------------------------------------------------------------ readers

void open_selection(std::intptr_t) {
  views::open_reader_select(list(), res::text(res::DS_SEND_INSTRUCTION));
}

// The reader selection reported: "Send" loads the selected persons into the
// checked readers (a person without templates leaves them). In the middle of
// a finger-by-finger pass the saved selection then comes back and the pass
// goes on with the next person.
void selection_reported(std::intptr_t value) {
  TemplateState& s = st();
  if (value == 1) {
    std::vector<int> persons;
    for (int slot = 0; slot < store::kPersons; ++slot)
      if (s.selected[slot] && db().persons[slot].used()) persons.push_back(slot);
    // Without a bar nothing runs and the dialog stays open.
    if (!views::send_to_checked(list().dialog(), ops::template_delete_plan(), persons)) return;
  }
  list().close_dialog();
  if (!s.send_now) return;
  s.send_now = false;
  s.selected = s.saved;
  show_selection();
  ui::post_command(window(), kDeleteNext, 0);
}

const views::Route kRoutes[] = {
    {kDeleteOne, open_one, nullptr},
    {kDeleteNext, open_next, temp_del_reported},
    {kLoadReaders, open_selection, selection_reported},
};

bool open_list() {
  views::ListHooks hooks;
  hooks.choose = choose;
  hooks.right_click = choose;
  hooks.routes = kRoutes;
  hooks.route_count = sizeof kRoutes / sizeof kRoutes[0];
  hooks.destroyed = [] {
    TemplateState& s = st();
    s.temp_del = ui::kNoWindow;
    s.current_slot = -1;
    s.send_now = false;
    views::set_select_target(views::SelectTarget::TemplateDelete, ui::kNoWindow);
  };
  views::person_sort().reset_directions();
  const bool shown = list().open(
      ui::kListTemplateDelete, res::text(res::TD_TITLE), kColumns, &views::person_sort(), hooks, [] {
        store::Tables& t = db();
        for (int slot = 0; slot < store::kPersons; ++slot) {
          const store::Personensatz& p = t.persons[slot];
          if (!p.used()) continue;
          t.template_read.set_nummer(p.nummer());
          if (store::rw_template(store::kRead) < 0) {
            views::error_info(window(), res::format(res::DS_TEMPLATE_RECORD_FAILED,
                                                    static_cast<long>(p.nummer())));
            continue;
          }
          if (any_template(t.template_read) && !list().append(row_of(p))) return false;
        }
        return true;
      });
  if (shown) views::set_select_target(views::SelectTarget::TemplateDelete, window());
  return shown;
}

}  // namespace

bool open_template_delete(std::intptr_t record) {
  if (!show_for_command(list(), open_list)) return false;
  const std::intptr_t number = record < 0 ? -record : record;
  if (number < 1 || number > store::kPersons || list().dialog_open()) return true;
  store::Tables& t = db();
  if (!t.persons[number - 1].used()) return true;
  t.person_read = t.persons[number - 1];
  t.template_read.set_nummer(static_cast<std::uint32_t>(number));
  if (store::rw_template(store::kRead) < 0) {
    views::error_info(window(), res::format(res::DS_TEMPLATE_RECORD_FAILED, static_cast<long>(number)));
    return true;
  }
  ui::send_command(window(), kDeleteOne, number);
  return true;
}

}  // namespace persons
