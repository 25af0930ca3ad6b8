// D_EXPORT and D_IMPORT: one implementation of the rows both dialogs share (file
// name with "search", separator, start-and-length switch, header, set length,
// terminators, the ten positions, footer, with templates), parameterised by the
// ids that differ; the checks, the sorting and the save are the core's
// (ops::save_layout). The completions of commands 1100 and 1200 run the core's
// export and import over the main window.
#include "exchange/exchange.h"

#include <climits>
#include <string>

#include "ops/export.h"
#include "ops/import.h"
#include "ops/layout.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "resources/ids/d_export.h"
#include "resources/ids/d_import.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"

namespace exchange {
namespace {

namespace rows = res::exchange_layout;

constexpr int kPathChars = 510;
constexpr int kCountChars = 5;  // header, footer and set length: 0 to 65535
constexpr int kStartChars = 6;  // starts and lengths: signed 16-bit
constexpr int kRepaintEvery = 50;

// What tells the two dialogs apart.
struct Kind {
  ops::Exchange which;
  const char* resource;
  int command;
  int separator, start_and_length, header, header_as_length, set_length, cr, lf;
  int template_start;  // 0: the dialog has none
  bool save_dialog;    // "search" asks for a file to write, else one to read
};

const Kind kExport{ops::Exchange::Export,
                   "D_EXPORT",
                   1100,
                   res::d_export::kSeparator,
                   res::d_export::kStartAndLength,
                   res::d_export::kHeader,
                   res::d_export::kHeaderAsLength,
                   res::d_export::kSetLength,
                   res::d_export::kCr,
                   res::d_export::kLf,
                   0,
                   true};

const Kind kImport{ops::Exchange::Import,
                   "D_IMPORT",
                   1200,
                   res::d_import::kSeparator,
                   res::d_import::kStartAndLength,
                   res::d_import::kHeader,
                   res::d_import::kHeaderAsLength,
                   res::d_import::kSetLength,
                   res::d_import::kCr,
                   res::d_import::kLf,
                   res::d_import::kTemplateStart,
                   false};

int field_id(int i) { return rows::kFirstField + i; }
int start_id(int i) { return rows::kFirstStart + 10 * i; }
int length_id(int i) { return rows::kFirstLength + 10 * i; }

void set_number(ui::Window d, int id, int value) { ui::set_text(d, id, res::sformat("%d", value)); }

// A number field: empty reads as 0; text that is no whole number reads as -1,
// which the checks refuse as they refuse a negative value; values beyond the
// range of int are held at its ends, which the range checks refuse.
int number(ui::Window d, int id) {
  std::string s = ui::get_text(d, id);
  std::size_t from = s.find_first_not_of(' ');
  if (from == std::string::npos) return 0;
  s = s.substr(from, s.find_last_not_of(' ') + 1 - from);
  bool negative = s[0] == '-';
  std::size_t i = negative ? 1 : 0;
  if (i == s.size()) return -1;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    if (v <= INT_MAX) v = v * 10 + (s[i] - '0');
  }
  if (negative) return v > INT_MAX ? INT_MIN : -static_cast<int>(v);
  return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// "Start" in start-and-length mode, "Separator" ("Trennz.") in separator mode.
void show_column_title(ui::Window d, bool start_length) {
  ui::set_text(d, rows::kStartTitle,
               res::text(start_length ? res::EX_TITLE_START : res::UI_COLUMN_SEPARATOR));
}

void show_position(ui::Window d, int i, const ops::Position& p) {
  ui::items_select(d, field_id(i), p.code >= 0 && p.code < ops::kFieldCodes ? p.code : -1);
  set_number(d, start_id(i), p.start);
  set_number(d, length_id(i), p.length);
}

void fill(ui::Window d, const Kind& k, const ops::Layout& l) {
  const store::Eingabesatz& mask = store::db().eingabe;
  ui::limit_text(d, rows::kFile, kPathChars);
  ui::set_text(d, rows::kFile, l.path);
  ui::limit_text(d, k.separator, 1);
  ui::set_text(d, k.separator, l.separator != 0 ? std::string(1, static_cast<char>(l.separator)) : "");
  ui::set_check(d, k.start_and_length, l.start_length);
  show_column_title(d, l.start_length);
  for (int id : {k.header, k.set_length, int{rows::kFooter}}) ui::limit_text(d, id, kCountChars);
  set_number(d, k.header, l.header);
  ui::set_check(d, k.header_as_length, l.header_as_length);
  set_number(d, k.set_length, l.set_length);
  ui::set_check(d, k.cr, l.cr);
  ui::set_check(d, k.lf, l.lf);
  for (int i = 0; i < ops::kPositions; ++i) {
    ui::items_clear(d, field_id(i));
    for (int code = 0; code < ops::kFieldCodes; ++code)
      ui::items_add(d, field_id(i), ops::field_list_text(code, mask));
    ui::limit_text(d, start_id(i), kStartChars);
    ui::limit_text(d, length_id(i), kStartChars);
    show_position(d, i, l.pos[i]);
  }
  set_number(d, rows::kFooter, l.footer);
  ui::set_check(d, rows::kFooterAsLength, l.footer_as_length);
  ui::set_check(d, rows::kTemplates, l.templates);
  if (k.template_start != 0) {
    ui::limit_text(d, k.template_start, kCountChars);
    set_number(d, k.template_start, l.template_start);
  }
}

ops::Layout read(ui::Window d, const Kind& k) {
  ops::Layout l;
  l.path = ui::get_text(d, rows::kFile);
  std::string sep = ui::get_text(d, k.separator);
  l.separator = sep.empty() ? 0 : static_cast<std::uint8_t>(sep[0]);
  l.start_length = ui::checked(d, k.start_and_length);
  l.header = number(d, k.header);
  l.header_as_length = ui::checked(d, k.header_as_length);
  l.set_length = number(d, k.set_length);
  l.cr = ui::checked(d, k.cr);
  l.lf = ui::checked(d, k.lf);
  for (int i = 0; i < ops::kPositions; ++i) {
    int code = ui::items_selected(d, field_id(i));
    l.pos[i] = {code > 0 ? code : ops::kFieldNone, number(d, start_id(i)), number(d, length_id(i))};
  }
  l.footer = number(d, rows::kFooter);
  l.footer_as_length = ui::checked(d, rows::kFooterAsLength);
  l.templates = ui::checked(d, rows::kTemplates);
  if (k.template_start != 0) l.template_start = number(d, k.template_start);
  return l;
}

// True when the check got as far as sorting the positions.
bool sorted(int result) {
  switch (result) {
    case ops::kLayoutOk:
    case ops::kLayoutOverlap:
    case ops::kLayoutNoKeyField:
    case ops::kLayoutDoubleField:
    case ops::kLayoutSaveFailed:
      return true;
    default:
      return false;
  }
}

// "Save changes" (and the save before "Export"/"Import"): the core checks,
// sorts and stores the layout; the dialog shows the positions sorted and the
// message of a refusal. True when the layout was saved.
bool save(ui::Window d, const Kind& k) {
  ops::Layout l = read(d, k);
  ops::LayoutCheck c = ops::save_layout(k.which, l);
  if (sorted(c.result)) {
    for (int i = 0; i < ops::kPositions; ++i) show_position(d, i, l.pos[i]);
    if (k.template_start != 0) set_number(d, k.template_start, l.template_start);
  }
  if (!c.message.empty()) views::box(d, c.message, res::CAP_FEHLER_MELDUNG);
  return c.result == ops::kLayoutOk;
}

// Typing a separator the files cannot use empties the field with a message.
void check_separator(ui::Window d, const Kind& k) {
  std::string sep = ui::get_text(d, k.separator);
  if (sep.empty() || ops::separator_allowed(static_cast<std::uint8_t>(sep[0]))) return;
  // Emptied first, so that nothing reads the refused text while the box is up.
  ui::set_text(d, k.separator, "");
  views::box(d, res::text(res::EX_BAD_SEPARATOR), res::CAP_FEHLER_MELDUNG);
}

// "search": the system's file dialog, from the stored path or, without one,
// from the working directory; the chosen path goes into the file name field.
void search(ui::Window d, const Kind& k) {
  ui::FileDialog f;
  f.save = k.save_dialog;
  f.title = res::text(k.save_dialog ? res::EX_SAVE_FILE : res::EX_OPEN_FILE);
  f.filter_name = res::text(res::ALL_FILES);
  f.filter_pattern = "*.*";
  std::string stored = ops::layout_from_konfig(k.which, store::db().konfig).path;
  f.initial = stored.empty() ? platform::working_directory() : stored;
  f.overwrite_prompt = k.save_dialog;
  f.path_must_exist = true;
  std::string path;
  if (ui::file_dialog(d, f, &path)) ui::set_text(d, rows::kFile, path);
}

bool handle(const Kind& k, ui::Window d, const ui::Event& e) {
  if (e.kind == ui::EventKind::EditChanged && e.id == k.separator) {
    check_separator(d, k);
    return true;
  }
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == k.start_and_length) {
    show_column_title(d, ui::checked(d, k.start_and_length));
  } else if (e.id == rows::kSearch) {
    search(d, k);
  } else if (e.id == ui::kIdAction) {
    save(d, k);
  } else if (e.id == ui::kIdSecond) {
    if (save(d, k)) views::report_to_main(k.command, 1);
  } else if (e.id == ui::kIdExitMenu) {
    views::report_to_main(k.command, 0);
  } else {
    return false;
  }
  return true;
}

void open(const Kind& k) {
  ui::Window d = views::open_main_dialog(
      k.resource, [&k](ui::Window w, const ui::Event& e) { return handle(k, w, e); });
  if (d == ui::kNoWindow) return;
  fill(d, k, ops::layout_from_konfig(k.which, store::db().konfig));
}

// Lets the main window repaint while an operation works through the persons.
ops::Progress repaint(ui::Window w) {
  return [w](int done, int total) {
    if (done % kRepaintEvery == 0 || done == total) ui::redraw(w);
  };
}

}  // namespace

void open_export(std::intptr_t) { open(kExport); }

void export_completed(std::intptr_t result) {
  if (result < 1) return;
  ui::Window main = views::main_window();
  ops::ExportReport report;
  int code = ops::export_persons(main, repaint(main), &report);
  views::show_box(ops::export_result_text(code, report), ops::export_caption());
}

void open_import(std::intptr_t) { open(kImport); }

void import_completed(std::intptr_t result) {
  if (result < 1) return;
  ui::Window main = views::main_window();
  ops::ImportResult r = ops::import_persons(main, repaint(main));
  ops::log_import_result(r);
  views::show_box(ops::import_result_text(r), ops::import_caption());
}

}  // namespace exchange
