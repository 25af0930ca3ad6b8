// Message boxes with the program's fixed captions, so that a view states only
// its text (and an icon where it wants one).
#pragma once

#include <string>

#include "platform/ui.h"
#include "resources/catalogue.h"

namespace views {

// "Info", OK.
void info(ui::Window owner, const std::string& text, unsigned icon = 0);
// "Fehler Info", OK.
void error_info(ui::Window owner, const std::string& text);
// A box with the caption of the catalogue text `caption`.
int box(ui::Window owner, const std::string& text, res::TextId caption, unsigned style = ui::kOk);
// A Yes/No question; true for Yes.
bool ask(ui::Window owner, const std::string& text, res::TextId caption, unsigned icon = 0);

}  // namespace views
