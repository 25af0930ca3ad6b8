#include "views/host.h"

#include "views/dialogs.h"
#include "views/reader_select.h"

namespace views {

Host& host() {
  static Host h;
  return h;
}

void reset_host() {
  host() = Host{};
  reset_reader_select();
}

ui::Window main_window() { return host().main; }

const User& logged_in() { return host().user; }

ui::Window open_main_dialog(const char* resource, const ui::Handler& handler, int mode) {
  Host& h = host();
  ui::Window d = open_dialog_over(h.main, resource, handler, Edge::Owner);
  if (d == ui::kNoWindow) return d;
  h.dialog = d;
  h.dialog_mode = mode;
  return d;
}

void report_to_main(int command, std::intptr_t result) {
  ui::enable_window(host().main, true);
  ui::post_command(host().main, command, result);
}

void close_main_dialog() {
  Host& h = host();
  if (h.dialog != ui::kNoWindow && ui::window_exists(h.dialog)) ui::destroy_window(h.dialog);
  h.dialog = ui::kNoWindow;
  h.dialog_mode = kModeNone;
  if (h.main != ui::kNoWindow && ui::window_exists(h.main)) {
    ui::enable_window(h.main, true);
    ui::focus_window(h.main);
  }
}

int show_box(const std::string& text, const std::string& caption, unsigned style) {
  const Host& h = host();
  ui::Window owner = h.dialog != ui::kNoWindow ? h.dialog : h.main;
  return ui::message_box(owner, text, caption, style);
}

void enable_command(int command, bool on) { ui::menu_enable(host().main, command, on); }

}  // namespace views
