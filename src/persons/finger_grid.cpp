#include "persons/finger_grid.h"

#include <cstdlib>

#include "diag/log.h"
#include "resources/ids/d_enrol.h"
#include "store/store.h"
#include "views/boxes.h"

namespace persons {

namespace grid = res::finger_grid;

int fingers_per_person() {
  const int n = store::db().eingabe.finger_count();
  return n < 1 ? 1 : n > store::kFingerBlocks ? store::kFingerBlocks : n;
}

int grid_button_id(int index) {
  return grid::kFirstFingerButton + 10 * (index / kGridColumns) + index % kGridColumns;
}

int grid_index(int control_id) {
  const int offset = control_id - grid::kFirstFingerButton;
  if (offset < 0) return -1;
  const int row = offset / 10, column = offset % 10;
  if (row >= kGridRows || column >= kGridColumns) return -1;
  return row * kGridColumns + column;
}

std::string grid_label(int index, int fingers, bool fingerprint) {
  if (index < 0 || index >= kGridButtons || fingers < 1 || fingers > store::kFingerBlocks)
    return std::string();
  const int row = index / kGridColumns, column = index % kGridColumns;
  if (fingerprint && fingers == 1) {
    // One finger per group: groups 1 to 10 in two rows.
    return index < 10 ? res::sformat("%d/1", index + 1) : std::string();
  }
  if (fingerprint && fingers <= 5) {
    // A row per group, while the group exists.
    const int group = row + 1;
    if (group > 10 / fingers || column >= fingers) return std::string();
    return res::sformat("%d/%d", group, column + 1);
  }
  // One group of N positions, five to a row: group 1 with the flag (N from 6),
  // the unnumbered group "0" without it.
  const int position = index + 1;
  if (index >= 10 || position > fingers) return std::string();
  return res::sformat("%d/%d", fingerprint ? 1 : 0, position);
}

Selection selection_of_label(const std::string& label) {
  Selection s;
  if (label.size() >= 2 && label[1] == '/') {
    s.group = label[0] >= '0' && label[0] <= '9' ? label[0] - '0' : 0;
    if (s.group == 0) s.group = 1;
    s.position = std::atoi(label.c_str() + 2);
  } else {
    s.group = 10;
    s.position = 1;
  }
  return s;
}

int block_of(Selection s, int fingers, bool fingerprint) {
  if (s.position < 1 || s.position > fingers) return -1;
  if (!fingerprint) return s.position - 1;
  return store::finger_block_index(s.group, s.position, fingers);
}

std::string selection_text(Selection s, bool fingerprint) {
  return fingerprint ? res::sformat("%d/%d", s.group, s.position)
                     : res::sformat("0/%d", s.position);
}

Thresholds thresholds() {
  const store::Eingabesatz& e = store::db().eingabe;
  return Thresholds{e.min_quality(), e.good_quality()};
}

ui::Colour button_colour(int q, Thresholds t) {
  if (q == 255) return ui::rgb(255, 153, 255);
  if (q <= 0 || q < t.minimum) return ui::kFaceColour;
  if (q < t.good) return ui::rgb(255, 255, 153);
  return ui::rgb(153, 255, 153);
}

ui::Colour quality_box_colour(int q, Thresholds t) {
  if (q == 0) return ui::rgb(204, 204, 204);
  if (q == 255) return ui::rgb(255, 102, 255);
  if (q < t.minimum) return ui::rgb(255, 102, 102);
  if (q < t.good) return ui::rgb(255, 255, 102);
  return ui::rgb(102, 255, 102);
}

res::TextId quality_word(int q, Thresholds t) {
  if (q == 0) return res::EN_Q_UNKNOWN;
  if (q < t.minimum) return res::EN_Q_BAD;
  if (q < t.good) return res::EN_Q_OK;
  return res::EN_Q_GOOD;
}

res::TextId finger_name(int code) {
  if (code < 0 || code >= kFingerTypes) code = 0;
  return static_cast<res::TextId>(res::EN_FINGER_0 + code);
}

res::TextId finger_entry(int code) {
  if (code < 0 || code >= kFingerTypes) code = 0;
  return static_cast<res::TextId>(res::EN_FINGER_ENTRY_0 + code);
}

bool grid_holds_template(const store::Templatesatz& t, int fingers, bool fingerprint) {
  for (int i = 0; i < kGridButtons; ++i) {
    const std::string label = grid_label(i, fingers, fingerprint);
    if (label.empty()) continue;
    const int block = block_of(selection_of_label(label), fingers, fingerprint);
    if (block >= 0 && t.length(block) != 0 && t.quality(block) != 0) return true;
  }
  return false;
}

// ------------------------------------------------------------------ dialogs

void show_person(ui::Window d, const store::Personensatz& p) {
  ui::set_text(d, grid::kName, p.name());
  ui::set_text(d, grid::kFirstName, p.vorname());
  ui::set_text(d, grid::kPersonnelNumber, p.personalnummer());
  ui::set_text(d, grid::kIdentification, p.ausweisnummer());
  const int options[] = {grid::kWriteOnTransponder, grid::kDistributeToReader,
                         grid::kSaveInDatabase};
  const bool on[] = {p.write_on_transponder() != 0, p.distribute_to_reader() != 0,
                     p.save_in_db() != 0};
  for (int i = 0; i < 3; ++i) {
    ui::set_check(d, options[i], on[i]);
    ui::enable_control(d, options[i], false);
  }
}

void lay_out_grid(ui::Window d, int fingers, bool fingerprint) {
  for (int i = 0; i < kGridButtons; ++i) {
    const std::string label = grid_label(i, fingers, fingerprint);
    const int id = grid_button_id(i);
    ui::set_text(d, id, label);
    ui::show_control(d, id, !label.empty());
  }
}

void colour_grid(ui::Window d, const store::Templatesatz& t, int fingers, bool fingerprint) {
  const Thresholds limits = thresholds();
  for (int i = 0; i < kGridButtons; ++i) {
    const std::string label = grid_label(i, fingers, fingerprint);
    if (label.empty()) continue;
    const int block = block_of(selection_of_label(label), fingers, fingerprint);
    const int q = block >= 0 ? t.quality(block) : 0;
    ui::set_colour(d, grid_button_id(i), button_colour(q, limits));
  }
}

void show_quality(ui::Window d, int q, const std::string& word) {
  ui::set_colour(d, grid::kQualityBox, quality_box_colour(q, thresholds()));
  ui::set_text(d, grid::kQualityBox, res::sformat("%d", q));
  ui::set_text(d, grid::kQualityWord, word);
}

void show_display(ui::Window d, Selection s, const store::Templatesatz& t, int fingers,
                  bool fingerprint, bool finger_name_on) {
  const int block = block_of(s, fingers, fingerprint);
  const int q = block >= 0 ? t.quality(block) : 0;
  ui::set_text(d, grid::kSelection, selection_text(s, fingerprint));
  if (ui::control_exists(d, res::d_enrol::kFingerName))
    ui::set_text(d, res::d_enrol::kFingerName,
                 finger_name_on && block >= 0 ? res::text(finger_name(t.finger_type(block)))
                                              : std::string());
  show_quality(d, q, res::text(quality_word(q, thresholds())));
}

Selection opening_selection(const store::Personensatz& p, int fingers) {
  if (p.fingerprint_flag() == 0) return Selection{0, 1};
  for (int g = 1; g <= 10 / fingers; ++g)
    if (p.group_mark(g) == 0) return Selection{g, 1};
  return Selection{0, 1};
}

void remove_dummy_blocks(store::Templatesatz& t) {
  for (int i = 0; i < store::kFingerBlocks; ++i) {
    if (t.length(i) != store::kDummyTemplate) continue;
    t.set_length(i, 0);
    t.set_group(i, 0);
    t.set_quality(i, 0);
  }
}

void start_selection_timer(ui::Window d, const char* tag, bool start_failure_always) {
  if (ui::set_timer(d, kSelectionTimer, kSelectionDelayMs)) return;
  if (start_failure_always)
    diag::log_line("%s%s", tag, res::text(res::EN_TIMER_CREATE_FAILED).c_str());
  else
    diag::log_trace("%s%s", tag, res::text(res::EN_TIMER_CREATE_FAILED).c_str());
  views::box(d, res::text(res::EN_TIMER_CREATE_FAILED), res::CAP_INFO_TIMER);
}

Selection selection_timer_fired(ui::Window d, const char* tag, bool fingerprint) {
  if (!ui::kill_timer(d, kSelectionTimer)) {
    diag::log_line("%s%s", tag, res::text(res::EN_TIMER_KILL_FAILED).c_str());
    views::box(d, res::text(res::EN_TIMER_KILL_FAILED), res::CAP_INFO_TIMER);
  }
  return Selection{fingerprint ? 1 : 0, 1};
}

}  // namespace persons
