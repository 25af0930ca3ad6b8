#include "readers/maintenance.h"

#include "ops/maintenance.h"
#include "ops/param_file.h"
#include "readers/state.h"
#include "resources/catalogue.h"
#include "resources/ids/d_bmode.h"
#include "resources/ids/d_leser_vers_info.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/reader_select.h"

namespace readers {
namespace {

constexpr int kModeCommand = 5540;
constexpr int kReleaseCommand = 5550;
constexpr int kReleaseChars = 5;

// The command the reader selection serves in reports 5500 and 5520, by the
// dialog mode.
bool kind_of_mode(int mode, ops::Maintenance* kind) {
  switch (mode) {
    case views::kModeReaderTest: *kind = ops::Maintenance::Test; return true;
    case views::kModeReaderErase: *kind = ops::Maintenance::Erase; return true;
    case views::kModeParameterReset: *kind = ops::Maintenance::Reset; return true;
    case views::kModeReaderParameters: *kind = ops::Maintenance::ReaderParameters; return true;
    default: return false;
  }
}

void open_selection(int mode, res::TextId instruction) {
  views::open_reader_select(mode, res::text(instruction));
}

// Runs `kind` on the readers ticked in the open selection, the main window kept
// disabled under it (a box of the run must not let a menu command in).
void run_on_ticked(ops::Maintenance kind, int mode) {
  const ui::Window d = views::host().dialog;
  ui::enable_window(views::main_window(), false);
  ops::run_maintenance(kind, views::checked_readers(d), views::status_hooks(d), mode);
}

// ------------------------------------------------------------------ D_BMODE

namespace bmode {

using namespace res::d_bmode;

int button_of(int mode) { return kFirstMode + 10 * mode; }

bool events(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdExitMenu) {
    views::report_to_main(kModeCommand, -1);
    return true;
  }
  if (e.id != ui::kIdAction) return false;
  if (!views::logged_in().admin()) {
    views::info(d, res::text(res::AD_ONLY_VIEW));
    return true;
  }
  int chosen = -1;
  for (int m = 0; m < kModes && chosen < 0; ++m)
    if (ui::checked(d, button_of(m))) chosen = m;
  views::report_to_main(kModeCommand, chosen);
  return true;
}

}  // namespace bmode

// ------------------------------------------------------------------ D_LESER_VERS_INFO

namespace release {

using namespace res::d_leser_vers_info;

std::string first_chars(const std::string& s) { return s.substr(0, kReleaseChars); }

bool events(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdExitMenu) {
    views::report_to_main(kReleaseCommand, 0);
    return true;
  }
  if (e.id != ui::kIdAction) return false;
  const std::string typed = first_chars(ui::get_text(d, kText));
  store::Konfigsatz& k = store::db().konfig;
  if (typed != first_chars(k.release_info())) {
    k.set_release_info(typed);
    // A failed write puts the stored text back; the dialog stays.
    const int r = store::rw_konfig(store::kWrite);
    if (r < 0) {
      views::box(d, res::format(res::STN_SAVE_FAILED, r), res::CAP_FEHLER_MELDUNG);
      return true;
    }
  }
  views::report_to_main(kReleaseCommand, 1);
  return true;
}

}  // namespace release

}  // namespace

void open_reader_test(std::intptr_t) {
  open_selection(views::kModeReaderTest, res::MT_TEST_INSTRUCTION);
}

void open_reader_erase(std::intptr_t) {
  open_selection(views::kModeReaderErase, res::MT_ERASE_INSTRUCTION);
}

void open_parameter_reset(std::intptr_t) {
  open_selection(views::kModeParameterReset, res::MT_RESET_INSTRUCTION);
}

void open_reader_parameters(std::intptr_t) {
  const int read = ops::read_parameter_file(ops::ParamFile::Reader);
  if (read <= 0) {
    ops::report_parameter_file_error(views::main_window(), ops::ParamFile::Reader, read);
    return;
  }
  open_selection(views::kModeReaderParameters, res::MT_PARAMETER_INSTRUCTION);
}

void maintenance_selected(std::intptr_t value) {
  ops::Maintenance kind;
  if (kind_of_mode(views::host().dialog_mode, &kind)) {
    if (value == 1)
      run_on_ticked(kind, 0);
    else
      ops::show_maintenance_closing(kind, views::host().dialog);
  }
  views::close_main_dialog();
}

void download_enrol_parameters(std::intptr_t) {
  const ui::Window main = views::main_window();
  const int read = ops::read_parameter_file(ops::ParamFile::Enrol);
  if (read <= 0) {
    ops::report_parameter_file_error(main, ops::ParamFile::Enrol, read);
    return;
  }
  if (ops::download_enrol_parameters(main) == 1) ui::focus_window(main);
}

void focus_main(std::intptr_t) { ui::focus_window(views::main_window()); }

void open_operating_mode(std::intptr_t) {
  ui::Window d = views::open_main_dialog("D_BMODE", bmode::events);
  if (d == ui::kNoWindow) return;
  ui::check_radio(d, bmode::button_of(0), bmode::button_of(res::d_bmode::kModes - 1),
                  bmode::button_of(0));
}

void operating_mode_reported(std::intptr_t value) {
  views::Host& h = views::host();
  State& s = state();
  if (h.dialog_mode == views::kModeOperatingMode) {
    // The reader selection: -1 "Send", -2 "Exit Menu".
    if (value == -1) {
      h.dialog_mode = views::kModeNone;
      run_on_ticked(ops::Maintenance::OperatingMode, s.chosen_mode);
    }
    s.chosen_mode = 0;
    views::close_main_dialog();
    return;
  }
  // D_BMODE: the mode chosen, or -1.
  views::close_main_dialog();
  if (value < 0 || value >= res::d_bmode::kModes) return;
  s.chosen_mode = static_cast<int>(value);
  open_selection(views::kModeOperatingMode, res::MT_PARAMETER_INSTRUCTION);
}

void open_release_info(std::intptr_t) {
  using namespace res::d_leser_vers_info;
  ui::Window d = views::open_main_dialog("D_LESER_VERS_INFO", release::events);
  if (d == ui::kNoWindow) return;
  ui::limit_text(d, kText, kReleaseChars);
  ui::set_text(d, kText, release::first_chars(store::db().konfig.release_info()));
}

}  // namespace readers
