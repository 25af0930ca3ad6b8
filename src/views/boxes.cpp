#include "views/boxes.h"

namespace views {

void info(ui::Window owner, const std::string& text, unsigned icon) {
  ui::message_box(owner, text, res::text(res::CAP_INFO), ui::kOk | icon);
}

void error_info(ui::Window owner, const std::string& text) {
  ui::message_box(owner, text, res::text(res::CAP_FEHLER_INFO), ui::kOk);
}

int box(ui::Window owner, const std::string& text, res::TextId caption, unsigned style) {
  return ui::message_box(owner, text, res::text(caption), style);
}

bool ask(ui::Window owner, const std::string& text, res::TextId caption, unsigned icon) {
  return ui::message_box(owner, text, res::text(caption), ui::kYesNo | icon) == ui::kIdYes;
}

}  // namespace views
