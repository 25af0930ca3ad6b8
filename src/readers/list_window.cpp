#include "readers/list_window.h"

#include "resources/catalogue.h"
#include "resources/menu.h"

namespace readers {
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

}  // namespace

bool make_report_list(ui::Window w, int list_id, const Column* columns, std::size_t count,
                      bool multi_select) {
  unsigned styles = ui::kGridLines | ui::kFullRowSelect | (multi_select ? ui::kMultiSelect : 0u);
  if (!ui::create_report_list(w, list_id, styles)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    res::TextId text;
    if (!res::string_table(columns[i].string_id, &text)) return false;
    if (!ui::list_add_column(w, list_id, static_cast<int>(i), res::text(text), columns[i].width))
      return false;
  }
  return true;
}

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

void ListSort::header_clicked(ui::Window w, int list_id, int clicked) {
  if (clicked < 0 || clicked >= kColumns) return;
  descending[clicked] = !descending[clicked];
  column = clicked;
  resort(w, list_id);
}

void ListSort::resort(ui::Window w, int list_id) const {
  const int col = column;
  const bool down = descending[col];
  ui::list_sort(w, list_id,
                [col, down](const std::vector<std::string>& a, const std::vector<std::string>& b) {
                  const std::string empty;
                  const std::string& x = col < static_cast<int>(a.size()) ? a[col] : empty;
                  const std::string& y = col < static_cast<int>(b.size()) ? b[col] : empty;
                  int c = compare_nocase(x, y);
                  return down ? -c : c;
                });
}

std::vector<std::string> row_texts(ui::Window w, int list_id, int row) {
  std::vector<std::string> texts;
  int columns = ui::list_column_count(w, list_id);
  for (int c = 0; c < columns; ++c) texts.push_back(ui::list_text(w, list_id, row, c));
  return texts;
}

long leading_number(const std::string& text, std::size_t from) {
  long value = 0;
  for (std::size_t i = from; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000000L) break;
  }
  return value;
}

}  // namespace readers
