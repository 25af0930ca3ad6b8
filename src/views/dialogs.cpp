#include "views/dialogs.h"

namespace views {

ui::Rect centre_over(const ui::Rect& owner, ui::Size size, Edge edge) {
  if (edge == Edge::Owner) return ui::centred_over(owner, size);
  ui::Rect r{owner.x + (owner.width - size.width) / 2, owner.y + (owner.height - size.height) / 2,
             size.width, size.height};
  if (size.width > owner.width) r.x = 0;
  if (size.height > owner.height) r.y = 0;
  return r;
}

ui::Window open_dialog_over(ui::Window owner, const char* resource, const ui::Handler& handler,
                            Edge edge) {
  ui::Window d = ui::create_dialog(resource, owner, handler);
  if (d == ui::kNoWindow) return d;
  ui::Rect r = ui::window_rect(d);
  ui::move_window(d, centre_over(ui::window_rect(owner), ui::Size{r.width, r.height}, edge));
  ui::enable_window(owner, false);
  return d;
}

bool route(const Route* routes, std::size_t count, int command, std::intptr_t param,
           bool dialog_open) {
  for (std::size_t i = 0; i < count; ++i) {
    const Route& r = routes[i];
    if (r.command != command) continue;
    if (dialog_open) {
      if (r.complete) r.complete(param);
    } else if (r.open) {
      r.open(param);
    }
    return true;
  }
  return false;
}

}  // namespace views
