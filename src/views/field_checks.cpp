#include "views/field_checks.h"

#include "resources/catalogue.h"
#include "views/boxes.h"

namespace views {
namespace {

int running = 0;

// Marks a field check as running for its lifetime.
struct Running {
  Running() { ++running; }
  ~Running() { --running; }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
};

bool is_hex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::size_t first_non_hex(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!is_hex(text[i])) return i;
  return std::string::npos;
}

std::string without_non_hex(const std::string& text) {
  std::string kept;
  for (char c : text)
    if (is_hex(c)) kept += c;
  return kept;
}

bool hex_typing(ui::Window dialog, int id) {
  const std::string text = ui::get_text(dialog, id);
  const std::size_t bad = first_non_hex(text);
  if (bad == std::string::npos) return true;
  Running guard;
  // The field is mended first, so that nothing reads the refused text while the
  // box is up; set_text leaves the caret at the end.
  ui::set_text(dialog, id, without_non_hex(text));
  info(dialog, res::format(res::VW_HEX_CHAR_REFUSED, static_cast<int>(text[bad])));
  return false;
}

void field_box(ui::Window dialog, const std::string& text) {
  Running guard;
  info(dialog, text);
}

void refocus(ui::Window dialog, int id) {
  Running guard;
  ui::focus_control(dialog, id);
}

bool field_check_running() { return running > 0; }

}  // namespace views
