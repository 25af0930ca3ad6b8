// The Template-on-Card list LView_dc: the persons with templates, the choice
// of one of them, the transponder write (command 8040 with D_MATCHING) and the
// load of that person into the readers (command 8050 with the reader
// selection).
#include "ops/reader_loop.h"
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

constexpr int kOverlayHeight = 32;

struct State {
  views::ListWindow list;
};

State& state() {
  static State s;
  return s;
}

views::ListWindow& list() { return state().list; }
ui::Window window() { return list().window(); }

const WriteStyle kStyle{"ToC       - ", kOverlayHeight, false, false, true, res::CAP_QUESTION};

bool has_template(const store::Templatesatz& t) {
  for (int i = 0; i < store::kFingerBlocks; ++i)
    if (t.length(i) > 0) return true;
  return false;
}

// Reads the template record of person slot `slot` into the current template
// record; on failure the operator is told and false returned.
bool read_templates(int slot, ui::Window owner) {
  store::Tables& t = store::db();
  t.template_read.set_nummer(t.persons[slot].nummer());
  const int r = store::rw_template(store::kRead);
  if (r > 0) return true;
  views::box(owner,
             res::format(res::DS_TEMPLATE_LOAD_FAILED, t.persons[slot].personalnummer().c_str(), r),
             res::DS_CAP_TEMPLATE_LOAD);
  return false;
}

// Right click, double click or Enter: the first selected person becomes the
// current person, and the write or the reader load is offered.
void choose() {
  const int row = list().first_selected();
  if (row < 0) {
    views::info(window(), res::text(res::DS_NO_PERSON_SELECTED), ui::kIconInfo);
    return;
  }
  const int slot = views::find_person(list().texts(row), false);
  if (slot < 0) return;
  store::Tables& t = store::db();
  t.person_read = t.person_write = t.persons[slot];
  if (!read_templates(slot, window())) return;
  const store::Personensatz& p = t.person_read;
  if (p.write_on_transponder() != 0 && toc_module()) {
    if (views::ask(window(), res::text(res::DS_ASK_WRITE), res::CAP_QUESTION))
      ui::send_command(window(), kMatchingReport, 0);
  } else {
    offer_load(list(), res::CAP_QUESTION);
  }
}

void open_matching_dialog(std::intptr_t) { open_matching(list()); }

void level_chosen(std::intptr_t level) { level_reported(list(), kStyle, level); }

void open_selection(std::intptr_t) { open_person_load(list()); }

void selection_reported(std::intptr_t value) { person_load_reported(list(), ops::toc_plan(), value); }

const views::Route kRoutes[] = {
    {kMatchingReport, open_matching_dialog, level_chosen},
    {views::kReaderSelectReport, open_selection, selection_reported},
};

bool open_list() {
  views::ListHooks hooks;
  hooks.choose = choose;
  hooks.right_click = choose;
  hooks.routes = kRoutes;
  hooks.route_count = sizeof kRoutes / sizeof kRoutes[0];
  hooks.may_close = [] { return !writing(); };
  hooks.destroyed = [] { views::set_select_target(views::SelectTarget::TemplateOnCard, ui::kNoWindow); };
  views::person_sort().reset_directions();
  const bool shown = list().open(
      ui::kListTemplateOnCard, res::text(res::DS_TOC_TITLE),
      views::person_columns(views::CompanyCaption::Always), &views::person_sort(), hooks, [] {
        const store::Tables& t = store::db();
        for (int slot : ops::persons_in_use())
          if (read_templates(slot, window()) && has_template(t.template_read))
            list().append(views::person_row(t.persons[slot]));
        return true;
      });
  if (shown) views::set_select_target(views::SelectTarget::TemplateOnCard, window());
  return shown;
}

}  // namespace

void open_template_on_card(std::intptr_t) {
  if (list().is_open()) return;
  ui::Window main = views::main_window();
  bool found = false;
  for (int slot : ops::persons_in_use()) {
    if (read_templates(slot, main) && has_template(store::db().template_read)) {
      found = true;
      break;
    }
  }
  if (!found) {
    views::info(main, res::text(res::DS_NO_TEMPLATE_PERSONS));
    return;
  }
  open_list();
}

ui::Window toc_list() { return window(); }

bool toc_module() {
  const int module = store::db().eingabe.module_type();
  return module == store::kDesfireModule || module == store::kLegicModule ||
         module == store::kMifareModule;
}

void reset_toc() {
  list().forget();
}

}  // namespace persons
