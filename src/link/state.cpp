#include "diag/log.h"
#include "link/link.h"
#include "link/link_internal.h"
#include "platform/message_box.h"
#include "store/store.h"

namespace rlink {

State& state() {
  static State s;
  return s;
}

void reset_link() { state() = State{}; }

void select_reader(const store::Lesersatz& r) {
  store::db().current_reader = r;
  state().via_tcp = r.verbindung() != 0 ? 1 : 0;
}

std::string last_delivery() {
  const auto& t = state().last_delivery;
  std::size_t n = 0;
  while (n < t.size() && t[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(t.data()), n);
}

int default_address() { return store::db().current_reader.bus_address(); }

std::string reader_name() { return store::db().current_reader.name(); }

void show(const std::string& text, const std::string& caption) {
  if (state().quiet) {
    // One log line: the box's line breaks become blanks.
    std::string line;
    for (char c : text)
      if (c == '\n') line += line.empty() || line.back() == ' ' ? "" : " ";
      else if (c != '\r') line += c;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    diag::log_line("%s: %s", caption.c_str(), line.c_str());
    return;
  }
  ui::message_box(ui::kNoWindow, text, caption, ui::kOk);
}

int ask_yes_no(const std::string& text, const std::string& caption) {
  return ui::message_box(ui::kNoWindow, text, caption, ui::kYesNo | ui::kIconQuestion);
}

}  // namespace rlink
