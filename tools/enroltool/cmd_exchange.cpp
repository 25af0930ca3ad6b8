// enroltool layout, export and import: the master-data exchange of an
// installation from scripts, through the same operations and checks as the
// program's export and import dialogs.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "ops/export.h"
#include "ops/import.h"
#include "ops/layout.h"
#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace enroltool {
namespace {

int open_with_tables(const std::string& dir) {
  int rc = open_installation(dir);
  if (rc != kExitOk) return rc;
  int loaded = store::load_all();
  if (loaded != 1) {
    return fail(kExitFailed, "the data files do not read (load code " + std::to_string(loaded) +
                                 "); see enroltool verify");
  }
  return kExitOk;
}

// A whole number from `s` (an optional '-' when `negative`); false when it is none.
bool parse_int(const std::string& s, bool negative, int* out) {
  std::size_t i = 0;
  if (negative && !s.empty() && s[0] == '-') i = 1;
  if (i == s.size() || s.size() - i > 6) return false;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
  }
  *out = std::atoi(s.c_str());
  return true;
}

// CODE:START[:LENGTH]
bool parse_position(const std::string& s, ops::Position* p) {
  std::size_t a = s.find(':');
  if (a == std::string::npos) return false;
  std::size_t b = s.find(':', a + 1);
  std::string code = s.substr(0, a);
  std::string start = s.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
  std::string length = b == std::string::npos ? "0" : s.substr(b + 1);
  if (!parse_int(code, false, &p->code) || p->code < 0 || p->code >= ops::kFieldCodes) return false;
  return parse_int(start, true, &p->start) && parse_int(length, true, &p->length);
}

void print_layout(ops::Exchange which, const ops::Layout& l) {
  const store::Eingabesatz& mask = store::db().eingabe;
  auto line = [](const char* label, const std::string& value) {
    std::printf("  %-22s %s\n", label, value.c_str());
  };
  auto frame = [](int count, bool as_length) {
    if (count == 0) return std::string("none");
    return std::to_string(count) + (as_length ? " blanks (as a length)" : " lines");
  };
  std::printf("%s layout\n", which == ops::Exchange::Export ? "Export" : "Import");
  line("file", term(l.path));
  line("separator", l.separator == 0 ? std::string("tab")
                                     : "'" + std::string(1, static_cast<char>(l.separator)) + "'");
  line("positions by", l.start_length ? "start and length" : "separator count");
  line("header", frame(l.header, l.header_as_length));
  line("set length", std::to_string(l.set_length));
  std::string end = std::string(l.cr ? "CR" : "") + (l.cr && l.lf ? " " : "") + (l.lf ? "LF" : "");
  line("record end", end.empty() ? "none" : end);
  line("footer", frame(l.footer, l.footer_as_length));
  line("templates", l.templates ? "yes" : "no");
  if (which == ops::Exchange::Import && l.start_length && l.templates) {
    line("template data start", std::to_string(l.template_start));
  }
  for (int i = 0; i < ops::kPositions; ++i) {
    const ops::Position& p = l.pos[i];
    if (p.code == ops::kFieldNone) continue;
    std::string v = term(ops::field_list_text(p.code, mask)) + " (code " + std::to_string(p.code) +
                    "), " + (l.start_length ? "start " : "column ") + std::to_string(p.start);
    if (l.start_length) v += ", length " + std::to_string(p.length);
    line(("position " + std::to_string(i + 1)).c_str(), v);
  }
}

int usage(const std::string& what) { return fail(kExitUsage, what + " (see enroltool --help)"); }

int run_layout(const Args& args) {
  if (int rc = check_operands("layout", args, 1); rc != kExitOk) return rc;
  if (args.size() < 2 || (args[1] != "export" && args[1] != "import")) {
    return usage("layout needs DIR and export or import");
  }
  const ops::Exchange which = args[1] == "export" ? ops::Exchange::Export : ops::Exchange::Import;
  ops::Layout l;
  int positions = 0;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--start-length") {
      l.start_length = true;
    } else if (a == "--header-length") {
      l.header_as_length = true;
    } else if (a == "--footer-length") {
      l.footer_as_length = true;
    } else if (a == "--cr") {
      l.cr = true;
    } else if (a == "--lf") {
      l.lf = true;
    } else if (a == "--templates") {
      l.templates = true;
    } else if (a == "--file") {
      if (!value(&l.path)) return usage("--file needs a path");
    } else if (a == "--separator") {
      if (!value(&v) || (v != "tab" && v.size() != 1)) {
        return usage("--separator needs one character or 'tab'");
      }
      l.separator = v == "tab" ? 0 : static_cast<std::uint8_t>(v[0]);
    } else if (a == "--header" || a == "--footer" || a == "--set-length") {
      int n = 0;
      if (!value(&v) || !parse_int(v, false, &n)) return usage(a + " needs a number");
      (a == "--header" ? l.header : a == "--footer" ? l.footer : l.set_length) = n;
    } else if (a == "--template-start") {
      if (which != ops::Exchange::Import) return usage("--template-start is for the import");
      if (!value(&v) || !parse_int(v, true, &l.template_start)) {
        return usage("--template-start needs a number");
      }
    } else if (a == "--pos") {
      if (positions == ops::kPositions) return usage("at most ten --pos");
      if (!value(&v) || !parse_position(v, &l.pos[positions])) {
        return usage("--pos needs CODE:START[:LENGTH] with CODE 0 to 10");
      }
      ++positions;
    } else {
      return usage("unknown option '" + a + "' for layout");
    }
  }
  int rc = open_with_tables(args[0]);
  if (rc != kExitOk) return rc;
  if (args.size() == 2) {
    print_layout(which, ops::layout_from_konfig(which, store::db().konfig));
    return kExitOk;
  }
  ops::LayoutCheck c = ops::save_layout(which, l);
  if (c.result != ops::kLayoutOk) {
    ui::message_box(ui::kNoWindow, c.message, res::text(res::CAP_FEHLER_MELDUNG),
                    ui::kOk | ui::kIconError);
    return c.result == ops::kLayoutSaveFailed ? kExitFailed : kExitUsage;
  }
  std::printf("Saved.\n");
  print_layout(which, l);
  return kExitOk;
}

ops::Progress progress_lines(const char* what) {
  return [what](int done, int total) {
    if (done % 100 == 0 || done == total) std::fprintf(stderr, "%s %d of %d\n", what, done, total);
  };
}

int run_export(const Args& args) {
  if (int rc = check_operands("export", args, args.size()); rc != kExitOk) return rc;
  if (args.size() != 1) return usage("export needs DIR");
  int rc = open_with_tables(args[0]);
  if (rc != kExitOk) return rc;
  ops::ExportReport report;
  int code = ops::export_persons(ui::kNoWindow, progress_lines("exported"), &report);
  std::printf("%s: %s\n", term(ops::export_caption()).c_str(),
              term(one_line(ops::export_result_text(code, report))).c_str());
  return code == 1 ? kExitOk : kExitFailed;
}

int run_import(const Args& args) {
  if (int rc = check_operands("import", args, args.size()); rc != kExitOk) return rc;
  if (args.size() != 1) return usage("import needs DIR");
  int rc = open_with_tables(args[0]);
  if (rc != kExitOk) return rc;
  ops::ImportResult r = ops::import_persons(ui::kNoWindow, progress_lines("read"));
  ops::log_import_result(r);
  std::printf("%s: %s\n", term(ops::import_caption()).c_str(),
              term(one_line(ops::import_result_text(r))).c_str());
  std::printf("read in: %d\nfaulty: %d\n", r.read_in, r.faulty);
  return r.code == 1 ? kExitOk : kExitFailed;
}

}  // namespace

int run_exchange_command(const std::string& name, const Args& args) {
  if (name == "layout") return run_layout(args);
  if (name == "export") return run_export(args);
  if (name == "import") return run_import(args);
  return kNotExchangeCommand;
}

const char* exchange_usage() {
  return "  layout DIR export|import [--file PATH] [--separator C|tab] [--start-length]\n"
         "         [--header N] [--header-length] [--footer N] [--footer-length] [--cr]\n"
         "         [--lf] [--set-length L] [--templates] [--template-start S]\n"
         "         [--pos CODE:START[:LENGTH]]...\n"
         "      Without options: print the stored export or import layout. With options:\n"
         "      replace it with exactly the one given (what is not given is 0 or off),\n"
         "      checked and sorted as the program's dialog does; refused: exit code 2.\n"
         "      CODE: 0 not used, 1 name, 2 first name, 3 personnel number, 4 additional\n"
         "      field 1, 5 company code, 6 additional field 2, 7 additional field 3,\n"
         "      8 identification number, 9 additional field 4, 10 user PIN; up to ten --pos.\n"
         "  export DIR\n"
         "      Export all persons to the stored export file (an existing file is\n"
         "      replaced only with --yes).\n"
         "  import DIR\n"
         "      Import persons from the stored import file; faulty records are\n"
         "      skipped with --yes and stop the import with --no. Prints the records\n"
         "      read in and the faulty ones; exit code 0 when every record was processed.\n";
}

}  // namespace enroltool
