// enroltool show: an installation's records as readable text. Passwords, PINs
// and key bytes are never printed.
#include <cstdio>
#include <string>

#include "commands.h"
#include "platform/serial.h"
#include "store/store.h"

namespace enroltool {
namespace {

const char* yes_no(unsigned v) { return v ? "yes" : "no"; }
const char* set_or_empty(const std::string& s) { return s.empty() ? "empty" : "set"; }

void field(const char* label, const std::string& value) {
  std::printf("  %-28s %s\n", label, value.c_str());
}
void field(const char* label, unsigned value) { field(label, std::to_string(value)); }

// A record that does not read: printed in place, counted for the exit code.
int report_unreadable(const char* what, int n, int rc) {
  std::printf("%s %d: does not read (code %d)\n", what, n, rc);
  return 1;
}

// The line speed the link opens the port with (an unknown index runs at 9600).
std::string baud_text(unsigned index) {
  return std::to_string(platform::com_baud_rate(static_cast<int>(index)));
}

int show_config() {
  const store::Konfigsatz& k = store::db().konfig;
  std::printf("Configuration (Programm.cfg)\n");
  field("installation number", term(k.installation_number()));
  field("database version", k.db_version());
  field("enrol station registered", yes_no(k.station_registered()));
  if (k.station_connection() == 0) {
    field("enrol station connection", "serial, COM" + std::to_string(k.com_port() + 1u) + ", " +
                                          baud_text(k.baud()) + " baud");
  } else {
    field("enrol station connection",
          "TCP/IP, " + term(k.ip()) + " port " + std::to_string(k.tcp_port()));
  }
  field("serial wait value", k.wait_value());
  field("enrol station identity", term(k.station_identity()));
  field("station transponder number", term(k.station_transponder()));
  field("reader release info", term(k.release_info()));
  field("last export file", term(k.export_path()));
  std::string sep(1, static_cast<char>(k.export_separator()));
  field("export separator", k.export_separator() ? term(sep) : "none");
  field("last import file", term(k.import_path()));
  field("last backup file", term(k.backup_path()));
  field("backup time stamp", term(k.backup_stamp()));
  field("backup transponder number", term(k.backup_transponder()));
  field("keys and password", "not shown");
  return 0;
}

std::string combined_mode_text(unsigned m) {
  std::string out;
  auto add = [&out](const char* s) { out += out.empty() ? s : std::string(", ") + s; };
  if (m & store::kNeedTransponder) add("transponder");
  if (m & store::kNeedPin) add("PIN");
  if (m & store::kNeedFinger) add("finger");
  return out.empty() ? "none" : out;
}

int templates_of(int n) {
  store::Tables& t = store::db();
  t.template_read.set_nummer(static_cast<std::uint32_t>(n));
  if (store::rw_template(store::kRead) < 0) return -1;
  int count = 0;
  for (int b = 0; b < store::kFingerBlocks; ++b) {
    if (store::holds_real_template(t.template_read, b)) ++count;
  }
  return count;
}

int show_persons() {
  store::Tables& t = store::db();
  int bad = 0, shown = 0;
  for (int n = 1; n <= store::kPersons; ++n) {
    t.person_read.set_nummer(static_cast<std::uint32_t>(n));
    int rc = store::rw_person(store::kRead);
    if (rc < 0) {
      bad += report_unreadable("Person", n, rc);
      continue;
    }
    const store::Personensatz& p = t.person_read;
    if (!p.used()) continue;
    ++shown;
    std::printf("Person %d: %s, %s\n", n, term(p.name()).c_str(), term(p.vorname()).c_str());
    field("Personalnummer", term(p.personalnummer()));
    field("Ausweisnummer", term(p.ausweisnummer()));
    field("Firmenkennung", term(p.firmenkennung()));
    field("UserPIN", set_or_empty(p.user_pin()));
    field("Spezial PIN", set_or_empty(p.spezial_pin()));
    for (int i = 1; i <= 4; ++i) {
      if (!p.zusatz(i).empty()) {
        field(("additional field " + std::to_string(i)).c_str(), term(p.zusatz(i)));
      }
    }
    field("fingers to capture", p.finger_count());
    std::string groups;
    for (int g = 1; g <= 10; ++g) {
      if (p.group_mark(g) != 0) groups += (groups.empty() ? "" : " ") + std::to_string(g);
    }
    field("template groups", groups.empty() ? "none" : groups);
    int count = templates_of(n);
    field("templates stored", count < 0 ? std::string("Template.dat does not read")
                                        : std::to_string(count));
    if (count < 0) ++bad;
    char mask[16];
    std::snprintf(mask, sizeof mask, "0x%08X", static_cast<unsigned>(p.reader_mask()));
    field("reader mask", mask);
    field("Combined Mode", combined_mode_text(p.combined_mode()));
    field("write template on card", yes_no(p.write_on_transponder()));
    field("distribute to readers", yes_no(p.distribute_to_reader()));
    field("save template in database", yes_no(p.save_in_db()));
  }
  std::printf("%d person%s\n", shown, shown == 1 ? "" : "s");
  return bad;
}

int show_readers() {
  store::Tables& t = store::db();
  int bad = 0, shown = 0;
  for (int n = 1; n <= store::kReaders; ++n) {
    t.current_reader.set_nummer(static_cast<std::uint32_t>(n));
    int rc = store::rw_leser(store::kRead);
    if (rc < 0) {
      bad += report_unreadable("Reader", n, rc);
      continue;
    }
    const store::Lesersatz& r = t.current_reader;
    if (!r.used()) continue;
    ++shown;
    std::printf("Reader %d: %s\n", n, term(r.name()).c_str());
    if (r.verbindung() == 0) {
      field("connection", "COM" + std::to_string(r.com_port() + 1u) + ", " +
                              baud_text(r.baud()) + " baud");
    } else {
      field("connection", "TCP/IP, " + term(r.ip()) + " port " + std::to_string(r.tcp_port()));
    }
    char bus[8];
    std::snprintf(bus, sizeof bus, "%02u", r.bus_address() + 1u);
    field("bus address", bus);
    field("active (pre-selected)", yes_no(r.preselect()));
  }
  std::printf("%d reader%s\n", shown, shown == 1 ? "" : "s");
  return bad;
}

const char* module_text(unsigned type) {
  static const char* const kTypes[] = {"no Reader module", "DESFire EV 1 Module",
                                       "Legic advant Module", "Mifare Classic Module",
                                       "125 kHz Reader module"};
  return type < 5 ? kTypes[type] : "unknown";
}

int show_input() {
  int rc = store::rw_eingabe(store::kRead);
  if (rc != 1) return report_unreadable("Input mask", 1, rc);
  const store::Eingabesatz& e = store::db().eingabe;
  std::printf("Input mask (Eingabe.dat)\n");
  field("length of Name", e.name_len());
  field("length of first name", e.vorname_len());
  field("length of Personalnummer", e.personalnummer_len());
  field("length of Ausweisnummer", e.ausweis_len());
  field("default Firmenkennung", term(e.default_firma()));
  field("length of UserPIN", e.user_pin_len());
  field("with fingerprint", yes_no(e.with_fingerprint()));
  field("fingers per person", e.finger_count());
  field("minimum quality", e.min_quality());
  field("good quality from", e.good_quality());
  field("show Q-value after enrol", yes_no(e.show_quality()));
  field("default: template on card", yes_no(e.def_write_on_transponder()));
  field("default: distribute", yes_no(e.def_distribute_to_reader()));
  field("default: save in database", yes_no(e.def_save_in_db()));
  field("matching level", e.matching_level());
  field("template settings", std::to_string(e.template_setting_a()) + ", " +
                                 std::to_string(e.template_setting_b()));
  field("RF-ID module", module_text(e.module_type()));
  field("RF-ID keys", "not shown");
  field("special PIN in plain text", yes_no(e.spin_plain()));
  field("special PIN entered manually", yes_no(e.spin_manual()));
  field("special PIN via keyboard", yes_no(e.spin_keyboard()));
  field("assign finger name", yes_no(e.assign_finger_name()));
  field("change company code", yes_no(e.change_company_active()));
  field("company code description", term(e.company_description()));
  for (int i = 1; i <= 4; ++i) {
    std::string label = "additional field " + std::to_string(i);
    if (!e.zusatz_active(i)) {
      field(label.c_str(), "inactive");
      continue;
    }
    bool fixed = (e.fix_bits() >> (i - 1)) & 1;
    field(label.c_str(), "\"" + term(e.zusatz_description(i)) + "\", " +
                             std::to_string(e.zusatz_len(i)) + " bytes, default \"" +
                             term(e.zusatz_default(i)) + "\"" + (fixed ? ", fixed" : ""));
  }
  return 0;
}

int show_users() {
  store::Tables& t = store::db();
  int bad = 0, shown = 0;
  for (int n = 1; n <= store::kUsers; ++n) {
    t.user_read.set_nummer(static_cast<std::uint32_t>(n));
    int rc = store::rw_user(store::kRead);
    if (rc < 0) {
      bad += report_unreadable("User", n, rc);
      continue;
    }
    const store::Usersatz& u = t.user_read;
    if (n == store::kLastUserRecord) {
      std::printf("Last login: record %u\n", u.nummer());
      continue;
    }
    if (!u.used()) continue;
    ++shown;
    std::printf("User %d: %s\n", n, term(u.name()).c_str());
    std::string date = u.change_date();
    if (date.size() == 8) date = date.substr(0, 2) + "." + date.substr(2, 2) + "." + date.substr(4);
    field("password changed on", date.empty() ? "never" : term(date));
    field("must change password", yes_no(u.must_change()));
  }
  std::printf("%d user%s\n", shown, shown == 1 ? "" : "s");
  return bad;
}

}  // namespace

int run_show(const Args& args) {
  if (int rc = check_operands("show", args, args.size()); rc != kExitOk) return rc;
  if (args.size() != 2) {
    return fail(kExitUsage, "show: give a directory and one of config|persons|readers|input|users");
  }
  const std::string& what = args[1];
  int (*show)() = nullptr;
  if (what == "config") show = show_config;
  if (what == "persons") show = show_persons;
  if (what == "readers") show = show_readers;
  if (what == "input") show = show_input;
  if (what == "users") show = show_users;
  if (show == nullptr) {
    return fail(kExitUsage, "show: unknown record kind '" + what +
                                "' (config, persons, readers, input or users)");
  }
  int rc = open_installation(args[0]);
  if (rc != kExitOk) return rc;
  int bad = show();
  if (bad > 0) return fail(kExitFailed, std::to_string(bad) + " record(s) do not read");
  return kExitOk;
}

}  // namespace enroltool
