// Reader records and the template download for service staff: `reader add`
// with the reader form's checks, `reader list`, `download` (the bulk download
// of the program, with --erase as "Delete all templates", or the person
// download with --persons; readers on separate connections at the same time,
// see parallel.h), `person add` to put persons in place for a
// demonstration or a test, `person change` and `person delete` as the person
// form and list do them, and `revocations`, what readers still must remove.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "link/link.h"
#include "os.h"
#include "parallel.h"
#include "progress.h"
#include "ops/reader_entry.h"
#include "ops/persons.h"
#include "ops/reader_loop.h"
#include "platform/serial.h"
#include "platform/tcp.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"

namespace enroltool {
namespace {

bool parse_int(const std::string& text, int lo, int hi, int* out) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || v < lo || v > hi) return false;
  *out = static_cast<int>(v);
  return true;
}

// Opens the installation and reads every record file into memory, the ledger
// of unfinished removals too (a failure there is shown and every reader is
// then taken as one to erase, as the program does).
int load_installation(const std::string& dir) {
  int rc = open_installation(dir);
  if (rc != kExitOk) return rc;
  int loaded = store::load_all();
  if (loaded != store::kLoadAllOk)
    return fail(kExitFailed, dir + ": the data files do not read (load_all " +
                                 std::to_string(loaded) + ")");
  ops::open_ledger(ui::kNoWindow);
  return kExitOk;
}

// The first person slot in use with Personalnummer `pnr`, or -1.
int person_slot(const std::string& pnr) {
  for (int i = 0; i < store::kPersons; ++i) {
    const store::Personensatz& p = store::db().persons[i];
    if (p.used() && p.personalnummer() == pnr) return i;
  }
  return -1;
}

// What the reader removals of a change or deletion left open, on one line.
void print_removal(const ops::RemovalResult& r) {
  if (r.failed == 0) return;
  std::fprintf(stderr, "enroltool: %d reader%s did not confirm the removal; see enroltool revocations\n",
               r.failed, r.failed == 1 ? "" : "s");
  if (r.not_noted > 0)
    std::fprintf(stderr, "enroltool: %d of them could not be noted in Widerruf.dat\n", r.not_noted);
}

// A box's text as the operator would see it, on one line after its caption.
int refused(const std::string& text) {
  ui::message_box(ui::kNoWindow, text, res::text(res::CAP_INFO), ui::kOk);
  return kExitUsage;
}

// ------------------------------------------------------------------ reader add

int reader_add(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "reader add: give DIR first");
  ops::ReaderEntry e;
  bool have_name = false, have_connection = false, have_address = false;
  bool preselect = false, inactive = false, have_baud = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (opt == "--preselect") {
      preselect = true;
      continue;
    }
    if (opt == "--inactive") {
      inactive = true;
      continue;
    }
    if (i + 1 >= args.size()) return fail(kExitUsage, "reader add: option " + opt + " needs a value");
    const std::string& v = args[++i];
    int n = 0;
    if (opt == "--name") {
      e.name = res::utf8_to_cp1252(v);
      have_name = true;
    } else if (opt == "--tcp") {
      if (have_connection) return fail(kExitUsage, "reader add: give either --tcp or --com, once");
      std::size_t colon = v.rfind(':');
      if (colon == std::string::npos) return fail(kExitUsage, "reader add: --tcp needs HOST:PORT");
      e.tcp = true;
      e.address = v.substr(0, colon);
      e.port = v.substr(colon + 1);
      have_connection = true;
    } else if (opt == "--com") {
      if (have_connection) return fail(kExitUsage, "reader add: give either --tcp or --com, once");
      if (!parse_int(v, 1, 32, &n)) return fail(kExitUsage, "reader add: --com needs a port 1 to 32");
      e.tcp = false;
      e.com_port = n - 1;
      have_connection = true;
    } else if (opt == "--baud") {
      if (!parse_int(v, 0, platform::kBaudCount - 1, &n))
        return fail(kExitUsage, "reader add: --baud needs an index 0 (115200) to 4 (9600)");
      e.baud = n;
      have_baud = true;
    } else if (opt == "--address") {
      if (!parse_int(v, 1, 15, &n)) return fail(kExitUsage, "reader add: --address needs a bus address 1 to 15");
      e.bus = n - 1;
      have_address = true;
    } else {
      return fail(kExitUsage, "reader add: unknown option " + opt);
    }
  }
  if (!have_name) return fail(kExitUsage, "reader add: --name NAME is needed");
  if (!have_connection) return fail(kExitUsage, "reader add: --tcp HOST:PORT or --com N is needed");
  if (!have_address) return fail(kExitUsage, "reader add: --address N is needed");
  if (have_baud && e.tcp) return fail(kExitUsage, "reader add: --baud belongs to --com");
  if (preselect && inactive) return fail(kExitUsage, "reader add: give --preselect or --inactive, not both");
  e.preselect = preselect;

  int rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  // A new reader starts from the defaults, as the form's "Create new set" does.
  store::Tables& t = store::db();
  const store::Lesersatz current = t.current_reader;
  store::default_leser();
  t.current_reader = current;
  std::string refusal;
  if (!ops::enter_reader(e, &refusal)) return refused(refusal);
  int number = store::rw_leser(store::kWrite);
  if (number < 0) {
    ui::message_box(ui::kNoWindow, res::text(res::RD_WRITE_FAILED), res::text(res::CAP_INFO), ui::kOk);
    return fail(kExitFailed, "reader add: Leser.dat was not written (" + std::to_string(number) + ")");
  }
  std::printf("reader slot %d (record %d): %s\n", number - 1, number, term(t.edit_reader.name()).c_str());
  return kExitOk;
}

// ------------------------------------------------------------------ reader list

std::string connection_text(const store::Lesersatz& r) {
  if (r.verbindung() != 0) return "tcp " + term(r.ip()) + ":" + std::to_string(r.tcp_port());
  return "com " + std::to_string(r.com_port() + 1) + " at " +
         std::to_string(platform::com_baud_rate(r.baud())) + " baud";
}

int reader_list(const Args& args) {
  if (args.size() != 1) return fail(kExitUsage, "reader list: give exactly one DIR");
  int rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  int shown = 0;
  std::printf("slot  bus  pre-selected  connection                  name\n");
  for (int i = 0; i < store::kReaders; ++i) {
    const store::Lesersatz& r = store::db().readers[i];
    if (!r.used()) continue;
    std::printf("%4d  %3d  %-12s  %-26s  %s\n", i, r.bus_address() + 1, r.preselect() ? "yes" : "no",
                connection_text(r).c_str(), term(r.name()).c_str());
    ++shown;
  }
  std::printf("%d reader%s\n", shown, shown == 1 ? "" : "s");
  return kExitOk;
}

// ------------------------------------------------------------------ download

// A list "A,B,C" of slots: each item becomes a slot through `slot_of` (-1
// with `complaint` set refuses it); an item given twice is refused too.
template <typename SlotOf>
bool parse_list(const std::string& text, std::vector<int>* slots, std::string* complaint, SlotOf slot_of) {
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t comma = text.find(',', at);
    const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    const int slot = slot_of(item);
    if (slot < 0) return false;
    for (int s : *slots)
      if (s == slot) {
        *complaint = item + " is given twice";
        return false;
      }
    slots->push_back(slot);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return true;
}

// "--readers 0,3,4": reader slots in use with a name; false with a complaint.
bool parse_slots(const std::string& text, std::vector<int>* slots, std::string* complaint) {
  return parse_list(text, slots, complaint, [complaint](const std::string& item) {
    int slot = 0;
    if (!parse_int(item, 0, store::kReaders - 1, &slot)) {
      *complaint = "--readers needs reader slots 0 to 31, separated by commas";
      return -1;
    }
    const store::Lesersatz& r = store::db().readers[slot];
    if (!r.used() || r.name().empty()) {
      *complaint = "reader slot " + item + " holds no reader (see enroltool reader list)";
      return -1;
    }
    return slot;
  });
}

// "--persons P,P...": person slots by Personalnummer; false with a complaint.
bool parse_persons(const std::string& text, std::vector<int>* slots, std::string* complaint) {
  return parse_list(text, slots, complaint, [complaint](const std::string& item) {
    const int slot = person_slot(res::utf8_to_cp1252(item));
    if (slot < 0) *complaint = "no person has the personnel number '" + item + "'";
    return slot;
  });
}

// The loop in this process, one reader after the other (--parallel 1, or
// every reader on one connection), with the same progress as the workers.
DownloadTotals download_here(DownloadKind kind, const std::vector<int>& readers,
                             const std::vector<int>& persons, Progress* progress) {
  int current = -1;
  options().box_line = [&](const std::string& line) { progress->box(current, line); };
  ops::LoopHooks hooks;
  hooks.reader_start = [&](int slot) {
    current = slot;
    progress->reader_start(slot);
  };
  hooks.person_done = [&] { progress->person_done(current); };
  hooks.failed = [&] { progress->failure(current); };
  hooks.reader_done = [&](const ops::ReaderReport& r) {
    progress->reader_done(r);
    current = -1;
  };
  const ops::LoopResult result = ops::run_reader_loop(download_plan(kind), readers, persons, hooks);
  options().box_line = [progress](const std::string& line) { progress->box(-1, line); };
  return DownloadTotals{result.stored, result.failures};
}

int download(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "download: give DIR first");
  std::string slots_text, persons_text;
  bool erase = false, some_persons = false;
  int parallel = store::kReaders;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--erase") {
      erase = true;
    } else if (args[i] == "--readers" && i + 1 < args.size()) {
      slots_text = args[++i];
    } else if (args[i] == "--persons" && i + 1 < args.size()) {
      persons_text = args[++i];
      some_persons = true;
    } else if (args[i] == "--parallel" && i + 1 < args.size()) {
      if (!parse_int(args[++i], 1, store::kReaders, &parallel))
        return fail(kExitUsage, "download: --parallel needs a number of connections 1 to 32");
    } else {
      return fail(kExitUsage, "download: unknown option " + args[i] +
                                  " (DIR [--readers SLOT,SLOT...] [--erase | --persons P,P...] [--parallel N])");
    }
  }
  if (erase && some_persons) return fail(kExitUsage, "download: give --erase or --persons, not both");
  int rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  std::vector<int> chosen;
  if (some_persons) {
    std::string complaint;
    if (!parse_persons(persons_text, &chosen, &complaint)) return fail(kExitUsage, "download: " + complaint);
  }
  std::vector<int> readers;
  if (!slots_text.empty()) {
    std::string complaint;
    if (!parse_slots(slots_text, &readers, &complaint)) return fail(kExitUsage, "download: " + complaint);
  } else {
    for (int i = 0; i < store::kReaders; ++i) {
      const store::Lesersatz& r = store::db().readers[i];
      if (r.used() && !r.name().empty() && r.preselect() != 0) readers.push_back(i);
    }
    if (readers.empty()) return fail(kExitUsage, "download: no reader is pre-selected; give --readers");
  }
  if (ops::persons_in_use().empty()) {
    ui::message_box(ui::kNoWindow, res::text(res::DS_NO_PERSONS), res::text(res::CAP_INFO), ui::kOk);
    return kExitFailed;
  }
  bool deleted_all = true;
  if (erase) {
    if (ui::message_box(ui::kNoWindow, res::text(res::DS_ASK_DELETE_ALL),
                        res::text(res::DS_CAP_DELETE_TEMPLATES), ui::kYesNo) != ui::kIdYes)
      return fail(kExitFailed, "download: nothing deleted, nothing sent (answer --yes to go on)");
    deleted_all = ops::delete_all_templates(ui::kNoWindow) == 0;
    if (!deleted_all) std::fprintf(stderr, "enroltool: some persons' templates were not deleted\n");
  }
  // The person download adds the chosen persons without erasing the readers.
  const DownloadKind kind = some_persons ? DownloadKind::Persons : erase ? DownloadKind::Erase : DownloadKind::Bulk;
  const std::vector<int> persons = some_persons ? chosen : ops::persons_in_use();
  if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");
  const std::vector<Connection> connections = group_by_connection(readers);
  Progress progress(connections, readers, static_cast<int>(persons.size()), os::stderr_is_terminal());
  DownloadTotals totals;
  if (parallel == 1 || connections.size() == 1) {
    totals = download_here(kind, readers, persons, &progress);
  } else {
    totals = download_in_workers(kind, persons, connections, parallel, &progress);
    const ops::LoopPlan plan = download_plan(kind);
    if (totals.stored > 0 && plan.closing != ops::kNone)
      ui::message_box(ui::kNoWindow, res::text(plan.closing), res::text(plan.closing_caption), ui::kOk);
  }
  platform::tcp_cleanup();
  progress.finish();
  options().box_line = nullptr;
  std::printf("persons stored: %d, failures: %d\n", totals.stored, totals.failures);
  // A template left in the database after --erase is a failure too: the
  // readers then hold fewer persons than the operator asked for.
  return totals.failures == 0 && deleted_all ? kExitOk : kExitFailed;
}

// ------------------------------------------------------------------ person add

// Template data for a demonstration: bytes that differ from person to person
// and from finger to finger, so that no reader takes two as the same finger.
void demo_template(const std::string& seed, int block, std::uint8_t* out, int length) {
  std::uint32_t h = 2166136261u;
  for (char c : seed) h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
  h ^= static_cast<std::uint32_t>(block + 1) * 0x9E3779B9u;
  for (int i = 0; i < length; ++i) {
    h ^= h << 13;
    h ^= h >> 17;
    h ^= h << 5;
    out[i] = static_cast<std::uint8_t>(h);
  }
}

int person_add(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "person add: give DIR first");
  std::string name, first, pnr, id, pin, spin;
  int demo = 0;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (i + 1 >= args.size()) return fail(kExitUsage, "person add: option " + opt + " needs a value");
    const std::string v = res::utf8_to_cp1252(args[++i]);
    if (opt == "--name") name = v;
    else if (opt == "--first-name") first = v;
    else if (opt == "--personnel-number") pnr = v;
    else if (opt == "--id") id = v;
    else if (opt == "--pin") pin = v;
    else if (opt == "--special-pin") spin = v;
    else if (opt == "--demo-templates") {
      if (!parse_int(v, 0, store::kFingerBlocks, &demo))
        return fail(kExitUsage, "person add: --demo-templates needs 0 to 10");
    } else {
      return fail(kExitUsage, "person add: unknown option " + opt);
    }
  }
  int rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  store::Tables& t = store::db();
  const store::Eingabesatz& mask = t.eingabe;
  if (name.empty() || name.size() > mask.name_len())
    return fail(kExitUsage, "person add: --name needs 1 to " + std::to_string(mask.name_len()) + " characters");
  if (first.size() > mask.vorname_len())
    return fail(kExitUsage, "person add: --first-name takes at most " + std::to_string(mask.vorname_len()) + " characters");
  if (pnr.size() != mask.personalnummer_len())
    return fail(kExitUsage, "person add: --personnel-number needs " +
                                std::to_string(mask.personalnummer_len()) + " characters");
  if (id.empty() || !store::is_hex_text(id) || id.size() > mask.ausweis_len())
    return fail(kExitUsage, "person add: --id needs 1 to " + std::to_string(mask.ausweis_len()) +
                                " hexadecimal digits");
  if (pin.size() > mask.user_pin_len() || spin.size() > 11)
    return fail(kExitUsage, "person add: --pin or --special-pin too long");
  store::new_person_defaults();
  store::Personensatz& p = t.person_write;
  p.set_name(name);
  p.set_vorname(first);
  p.set_personalnummer(pnr);
  p.set_ausweisnummer(store::pad_left_zero(id, mask.ausweis_len()));
  p.set_user_pin(pin);
  p.set_spezial_pin(spin);
  if (store::check_pers_eindeutig() != 0)
    return fail(kExitUsage, "person add: the personnel number or the identification number is taken");
  const int number = store::rw_person(store::kWrite);
  if (number < 0) return fail(kExitFailed, "person add: Personen.dat was not written (" + std::to_string(number) + ")");
  store::Templatesatz& tpl = t.template_write;
  tpl = store::Templatesatz{};
  tpl.set_nummer(static_cast<std::uint32_t>(number));
  const int fingers = mask.finger_count() >= 1 ? mask.finger_count() : 1;
  for (int b = 0; b < demo; ++b) {
    tpl.set_length(b, 400);
    tpl.set_group(b, static_cast<std::uint8_t>(b / fingers + 1));
    tpl.set_quality(b, 80);
    demo_template(pnr, b, tpl.data(b), 400);
    p.set_group_mark(b / fingers + 1, static_cast<std::uint8_t>(b / fingers + 1));
  }
  if (store::rw_template(store::kWrite) != number)
    return fail(kExitFailed, "person add: Template.dat was not written");
  if (demo > 0 && store::rw_person(store::kWrite) != number)
    return fail(kExitFailed, "person add: Personen.dat was not written");
  std::printf("person record %d: %s\n", number, term(pnr).c_str());
  return kExitOk;
}

// ------------------------------------------------------------------ person change

// "--personnel-number P" and the options of `allowed` (each with a value).
bool person_options(const std::string& command, const Args& args, const std::vector<std::string>& allowed,
                    std::string* pnr, std::vector<std::pair<std::string, std::string>>* given, int* rc) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& opt = args[i];
    bool known = opt == "--personnel-number";
    for (const std::string& a : allowed) known = known || opt == a;
    if (!known) {
      *rc = fail(kExitUsage, command + ": unknown option " + opt);
      return false;
    }
    if (i + 1 >= args.size()) {
      *rc = fail(kExitUsage, command + ": option " + opt + " needs a value");
      return false;
    }
    const std::string v = res::utf8_to_cp1252(args[++i]);
    if (opt == "--personnel-number")
      *pnr = v;
    else
      given->emplace_back(opt, v);
  }
  if (pnr->empty()) {
    *rc = fail(kExitUsage, command + ": --personnel-number P is needed");
    return false;
  }
  return true;
}

int person_change(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "person change: give DIR first");
  std::string pnr;
  std::vector<std::pair<std::string, std::string>> given;
  int rc = kExitOk;
  if (!person_options("person change", args, {"--id", "--name", "--first-name", "--pin"}, &pnr, &given, &rc))
    return rc;
  rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  store::Tables& t = store::db();
  const store::Eingabesatz& mask = t.eingabe;
  const int slot = person_slot(pnr);
  if (slot < 0) return fail(kExitUsage, "person change: no person has the personnel number " + term(pnr));
  const store::Personensatz stored = t.persons[slot];
  t.person_read = stored;
  // The record as the form shows it: what was given replaces what is stored.
  store::Personensatz w;
  w.set_name(stored.name());
  w.set_vorname(stored.vorname());
  w.set_firmenkennung(mask.default_firma());
  w.set_write_on_transponder(stored.write_on_transponder());
  w.set_distribute_to_reader(stored.distribute_to_reader());
  w.set_save_in_db(stored.save_in_db());
  w.set_combined_mode(stored.combined_mode());
  ops::PersonFields f;
  for (int i = 1; i <= 4; ++i)
    f.zusatz[i - 1] = stored.zusatz(i).empty() ? mask.zusatz_default(i) : stored.zusatz(i);
  f.personnel = stored.personalnummer();
  f.identification = stored.ausweisnummer();
  f.pin = stored.user_pin();
  for (const auto& [opt, v] : given) {
    if (opt == "--name" || opt == "--first-name") {
      const int most = opt == "--name" ? mask.name_len() : mask.vorname_len();
      if (static_cast<int>(v.size()) > most)
        return fail(kExitUsage, "person change: " + opt + " takes at most " + std::to_string(most) + " characters");
      if (opt == "--name") w.set_name(v); else w.set_vorname(v);
    } else if (opt == "--id") {
      if (!store::is_hex_text(v) || static_cast<int>(v.size()) > ops::identification_digits())
        return fail(kExitUsage, "person change: --id needs up to " + std::to_string(ops::identification_digits()) +
                                    " hexadecimal digits");
      f.identification = v;
    } else {  // --pin
      if (v.find_first_not_of("0123456789") != std::string::npos ||
          static_cast<int>(v.size()) > ops::pin_digits())
        return fail(kExitUsage, "person change: --pin needs up to " + std::to_string(ops::pin_digits()) + " digits");
      f.pin = v;
    }
  }
  if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");
  bool padded = false;
  const ops::ChangeResult r = ops::save_person_changes(stored, w, f, &padded, ui::kNoWindow);
  platform::tcp_cleanup();
  if (r.number < 1) return refused(r.refusal);
  std::printf("person record %d changed%s\n", r.number,
              r.id_changed ? "; the old user ID was sent to every reader for removal" : "");
  print_removal(r.removal);
  return r.removal.failed == 0 ? kExitOk : kExitFailed;
}

int person_delete(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "person delete: give DIR first");
  std::string pnr;
  std::vector<std::pair<std::string, std::string>> given;
  int rc = kExitOk;
  if (!person_options("person delete", args, {}, &pnr, &given, &rc)) return rc;
  rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  const int slot = person_slot(pnr);
  if (slot < 0) return fail(kExitUsage, "person delete: no person has the personnel number " + term(pnr));
  if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");
  const ops::PersonDeletion d = ops::delete_person(slot, ui::kNoWindow);
  platform::tcp_cleanup();
  if (d.person <= 0) return fail(kExitFailed, "person delete: Personen.dat was not written (" +
                                                  std::to_string(d.person) + ")");
  print_removal(d.removal);
  return d.removal.failed == 0 && d.templates ? kExitOk : kExitFailed;
}

// ------------------------------------------------------------------ revocations

int revocations(const Args& args) {
  if (args.empty()) return fail(kExitUsage, "revocations: give DIR first");
  bool retry = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--retry") return fail(kExitUsage, "revocations: unknown option " + args[i] + " (DIR [--retry])");
    retry = true;
  }
  int rc = load_installation(args[0]);
  if (rc != kExitOk) return rc;
  const store::Ledger& l = store::db().ledger;
  if (retry) {
    if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");
    for (int slot = 0; slot < store::kReaders; ++slot)
      if (store::db().readers[slot].used() && ops::open_removals(slot) > 0) ops::retry_removals(slot);
    platform::tcp_cleanup();
  }
  int open = 0;
  for (int slot = 0; slot < store::kReaders; ++slot) {
    const store::EraseReason why = l.head.reason(slot);
    if (why != store::EraseReason::None) {
      std::printf("%d erase %s (%s)\n", slot, term(ops::erase_reason_text(why)).c_str(),
                  l.head.datum(slot).c_str());
      ++open;
    }
    const int first = store::ledger_region(slot);
    for (int i = first; i < first + store::kLedgerPerReader; ++i) {
      const store::Widerrufsatz& e = l.entries[i];
      if (!e.used()) continue;
      std::printf("%d remove %s %s %s %s\n", slot, e.user_id().hex().c_str(),
                  term(e.personalnummer()).c_str(), term(e.ausweisnummer()).c_str(), e.datum().c_str());
      ++open;
    }
  }
  if (open == 0) std::printf("nothing left to remove in any reader\n");
  return open == 0 ? kExitOk : kExitFailed;
}

}  // namespace

const char* readers_usage() {
  return "  reader add DIR --name NAME (--tcp HOST:PORT | --com N [--baud 0..4]) --address N\n"
         "             [--preselect | --inactive]\n"
         "      Store a new reader with the checks of the reader form: address or host\n"
         "      name, TCP port 1000 to 65535, a name (25 characters are kept), unique\n"
         "      name and connection with bus address N (1 to 15). --preselect ticks it\n"
         "      for downloads; --inactive (the default) does not. Exit 2 when refused.\n"
         "  reader list DIR\n"
         "      The readers with their slot numbers (for download --readers).\n"
         "  download DIR [--readers SLOT,SLOT...] [--erase | --persons P,P...]\n"
         "             [--parallel N]\n"
         "      Send every person and its templates to the readers in these slots (by\n"
         "      default the pre-selected ones), after erasing each reader, and keep\n"
         "      the persons' reader masks. --erase first deletes every template in\n"
         "      the database (asks; answer with --yes). --persons sends only the\n"
         "      persons with these personnel numbers, without erasing (the person\n"
         "      download). Readers on separate connections (COM port, or host and\n"
         "      TCP port) are loaded at the same time, up to N connections (default:\n"
         "      all; --parallel 1 loads one reader after the other); readers on one\n"
         "      connection take turns. On a terminal one line per connection shows\n"
         "      its progress; otherwise one line per reader when it is done; then a\n"
         "      summary. Exit 0 only when nothing failed.\n"
         "  person add DIR --name NAME --personnel-number P --id HEX [--first-name F]\n"
         "             [--pin PIN] [--special-pin PIN] [--demo-templates N]\n"
         "      Store a person under the input mask's lengths; --demo-templates gives\n"
         "      it N generated placeholder templates (for demonstrations and tests).\n"
         "  person change DIR --personnel-number P [--id HEX] [--name N]\n"
         "             [--first-name F] [--pin PIN]\n"
         "      \"Save Changes\" of the person form with its checks. A new user ID is\n"
         "      not sent; the old one is removed from every reader. Exit 1 when a\n"
         "      reader did not confirm that removal (noted, see revocations), 2 when\n"
         "      refused.\n"
         "  person delete DIR --personnel-number P\n"
         "      Delete the person in the files, then in every reader. Exit 1 when a\n"
         "      reader did not confirm (noted, see revocations), 2 unknown person.\n"
         "  revocations DIR [--retry]\n"
         "      What readers still have to remove: \"SLOT remove USERID PERSONNEL-NO\n"
         "      IDENTIFICATION-NO DATE\" per open removal, \"SLOT erase REASON\" per\n"
         "      reader that must be erased completely. --retry asks the readers\n"
         "      first. Exit 0 when nothing is left, 1 when something is.\n";
}

int run_readers_command(const std::string& name, const Args& args) {
  if (name == "download") return download(args);
  if (name == kWorkerCommand) return run_download_worker(args);
  if (name == "revocations") return revocations(args);
  if (name != "reader" && name != "person") return kNotReadersCommand;
  const std::string sub = args.empty() ? std::string() : args[0];
  const Args rest(args.empty() ? args.end() : args.begin() + 1, args.end());
  if (name == "person") {
    if (sub == "add") return person_add(rest);
    if (sub == "change") return person_change(rest);
    if (sub == "delete") return person_delete(rest);
    return fail(kExitUsage, "person: give add, change or delete");
  }
  if (sub == "add") return reader_add(rest);
  if (sub == "list") return reader_list(rest);
  return fail(kExitUsage, "reader: give add or list");
}

}  // namespace enroltool
