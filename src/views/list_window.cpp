#include "views/list_window.h"

#include "resources/catalogue.h"
#include "resources/menu.h"
#include "views/boxes.h"
#include "views/host.h"

namespace views {
namespace {

// Windows-1252 letters folded to lower case.
unsigned char fold(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
  }
}

bool make_report_list(ui::Window w, const std::vector<Column>& columns) {
  const unsigned styles = ui::kGridLines | ui::kFullRowSelect | ui::kMultiSelect;
  if (!ui::create_report_list(w, kListControl, styles)) return false;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::string title = columns[i].title;
    if (title.empty() && columns[i].string_id != 0) {
      res::TextId text;
      if (!res::string_table(columns[i].string_id, &text)) return false;
      title = res::text(text);
    }
    if (!ui::list_add_column(w, kListControl, static_cast<int>(i), title, columns[i].width))
      return false;
  }
  return true;
}

}  // namespace

int compare_nocase(const std::string& a, const std::string& b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = fold(static_cast<unsigned char>(a[i]));
    unsigned char y = fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

long leading_number(const std::string& text, std::size_t from) {
  long value = 0;
  for (std::size_t i = from; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000000L) break;
  }
  return value;
}

void SortState::reset_directions() {
  for (bool& d : descending) d = false;
}

// ------------------------------------------------------------------ window

bool ListWindow::open(const char* class_name, const std::string& title,
                      const std::vector<Column>& columns, SortState* sort, ListHooks hooks,
                      const std::function<bool()>& fill) {
  if (is_open()) {
    ui::focus_window(window_);
    return true;
  }
  ui::Window main = main_window();
  ui::Rect rect = ui::window_rect(main);
  rect.x += 30;
  rect.y += 30;
  ui::Window w = ui::create_list_window(class_name, main, title, rect,
                                        [this](ui::Window win, const ui::Event& e) {
                                          return handle(win, e);
                                        });
  if (w == ui::kNoWindow) return false;
  window_ = w;
  dialog_ = ui::kNoWindow;
  sort_ = sort;
  hooks_ = std::move(hooks);
  if (!make_report_list(w, columns) || (fill && !fill())) {
    ui::destroy_window(w);
    return false;
  }
  ui::enable_window(main, false);
  ui::focus_window(w);
  return true;
}

bool ListWindow::is_open() const { return window_ != ui::kNoWindow && ui::window_exists(window_); }

void ListWindow::close() {
  if (!is_open()) return;
  ui::Window main = main_window();
  if (main != ui::kNoWindow && ui::window_exists(main)) {
    ui::enable_window(main, true);
    ui::focus_window(main);
  }
  ui::destroy_window(window_);
}

void ListWindow::forget() {
  window_ = dialog_ = ui::kNoWindow;
  sort_ = nullptr;
  hooks_ = ListHooks{};
}

bool ListWindow::handle(ui::Window w, const ui::Event& e) {
  switch (e.kind) {
    case ui::EventKind::Command:
      return route(hooks_.routes, hooks_.route_count, e.id, e.param, dialog_open());
    case ui::EventKind::HeaderClick:
      if (e.id != kListControl) return true;
      if (hooks_.header_click) {
        hooks_.header_click(e.column);
      } else if (sort_ && e.column >= 0 && e.column < SortState::kColumns) {
        sort_->descending[e.column] = !sort_->descending[e.column];
        sort_->column = e.column;
        resort();
      }
      return true;
    case ui::EventKind::DoubleClick:
    case ui::EventKind::ListEnter:
      if (e.id == kListControl && hooks_.choose) hooks_.choose();
      return true;
    case ui::EventKind::RightClick:
      if (e.id == kListControl && hooks_.right_click) hooks_.right_click();
      return true;
    case ui::EventKind::Close:
      if (hooks_.may_close && !hooks_.may_close()) return true;
      close();
      return true;
    case ui::EventKind::Destroyed:
      if (w == window_) {
        std::function<void()> destroyed = hooks_.destroyed;
        forget();
        if (destroyed) destroyed();
      }
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------------ rows

bool ListWindow::insert(int row, const std::vector<std::string>& texts) {
  if (ui::list_insert_row(window_, kListControl, row, texts) < 0) {
    error_info(window_, res::text(res::VW_ROW_NOT_ADDED));
    return false;
  }
  return true;
}

bool ListWindow::append_sorted(const std::vector<std::string>& texts) {
  if (!append(texts)) return false;
  ui::redraw(window_);
  resort();
  return true;
}

void ListWindow::refresh(int row, const std::vector<std::string>& texts) {
  for (std::size_t c = 0; c < texts.size(); ++c)
    ui::list_set_text(window_, kListControl, row, static_cast<int>(c), texts[c]);
}

bool ListWindow::remove(int row) {
  if (!ui::list_delete_row(window_, kListControl, row)) {
    error_info(window_, res::format(res::VW_ROW_NOT_DELETED, row + 1));
    return false;
  }
  return true;
}

int ListWindow::count() const { return ui::list_count(window_, kListControl); }

std::vector<std::string> ListWindow::texts(int row) const {
  std::vector<std::string> out;
  int columns = ui::list_column_count(window_, kListControl);
  for (int c = 0; c < columns; ++c) out.push_back(ui::list_text(window_, kListControl, row, c));
  return out;
}

int ListWindow::first_selected() const { return ui::list_first_selected(window_, kListControl); }

bool ListWindow::is_selected(int row) const {
  for (int s : ui::list_selected(window_, kListControl))
    if (s == row) return true;
  return false;
}

void ListWindow::for_each_selected(const std::function<bool(int row)>& visit) {
  int row = 0;
  while (row < count()) {
    if (is_selected(row) && visit(row))
      row = 0;
    else
      ++row;
  }
}

void ListWindow::resort() {
  if (!sort_) return;
  const int col = sort_->column;
  const bool down = sort_->descending[col];
  sort([col, down](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::string empty;
    const std::string& x = col < static_cast<int>(a.size()) ? a[col] : empty;
    const std::string& y = col < static_cast<int>(b.size()) ? b[col] : empty;
    int c = compare_nocase(x, y);
    return down ? -c : c;
  });
}

void ListWindow::sort(const ui::RowCompare& compare) { ui::list_sort(window_, kListControl, compare); }

void ListWindow::select_only(int row) { ui::list_focus_row(window_, kListControl, row); }

// ------------------------------------------------------------------ dialog

ui::Window ListWindow::open_dialog(const char* resource, const ui::Handler& handler) {
  ui::Window d = open_dialog_over(window_, resource,
                                  [this, handler](ui::Window dw, const ui::Event& e) {
                                    bool handled = handler ? handler(dw, e) : false;
                                    if (e.kind == ui::EventKind::Destroyed && dw == dialog_)
                                      dialog_ = ui::kNoWindow;
                                    return handled;
                                  },
                                  Edge::Screen);
  if (d != ui::kNoWindow) dialog_ = d;
  return d;
}

void ListWindow::close_dialog() {
  if (dialog_ != ui::kNoWindow && ui::window_exists(dialog_)) ui::destroy_window(dialog_);
  dialog_ = ui::kNoWindow;
  if (is_open()) {
    ui::enable_window(window_, true);
    ui::focus_window(window_);
  }
}

}  // namespace views
