// Service commands of the reader link: talk to an enrol station or a reader
// over TCP/IP or a serial device with the program's own operations.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "link_args.h"
#include "link/link.h"
#include "ops/maintenance.h"
#include "ops/revocation.h"
#include "platform/message_box.h"
#include "platform/serial.h"
#include "platform/tcp.h"
#include "store/store.h"

namespace enroltool {
namespace {

// The port index a --serial device is mapped to.
constexpr int kToolPort = 0;

bool parse_int(const char* text, int lo, int hi, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!text[0] || *end || v < lo || v > hi) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

std::string parse_link_args(int argc, char** argv, unsigned extras, LinkArgs* a) {
  struct Known {
    const char* name;
    unsigned needs;  // the LinkOption the command must accept, 0 for every command
  };
  static const Known kKnown[] = {{"--dir", 0},  {"--tcp", 0},  {"--serial", 0},
                                 {"--baud", 0}, {"--address", kAddressOption}, {"--time", kTimeOption},
                                 {"--file", kFileOption}, {"--mode", kModeOption}};
  bool baud_given = false;
  for (int i = 0; i < argc; ++i) {
    std::string opt = argv[i];
    const Known* known = nullptr;
    for (const Known& k : kKnown)
      if (opt == k.name) known = &k;
    if (!known) {
      if (opt.rfind("-", 0) == 0) return "unknown option " + opt;
      return "unexpected argument '" + opt + "'";
    }
    if (known->needs != 0 && !(extras & known->needs)) return opt + " does not apply to this command";
    if (i + 1 >= argc) return "option " + opt + " needs a value";
    const char* v = argv[++i];
    if (opt == "--dir") {
      a->dir = v;
    } else if (opt == "--tcp") {
      std::string hp = v;
      std::size_t colon = hp.rfind(':');
      if (colon == std::string::npos || colon == 0 ||
          !parse_int(hp.c_str() + colon + 1, 1, 65535, &a->port))
        return "--tcp needs HOST:PORT";
      a->host = hp.substr(0, colon);
      if (a->host.size() > 19) return "host name longer than 19 characters";
    } else if (opt == "--serial") {
      a->device = v;
    } else if (opt == "--baud") {
      if (!parse_int(v, 0, platform::kBaudCount - 1, &a->baud)) return "--baud needs an index 0 (115200) to 4 (9600)";
      baud_given = true;
    } else if (opt == "--address") {
      if (!parse_int(v, 1, 15, &a->address)) return "--address needs a bus address 1 to 15";
    } else if (opt == "--time") {
      if (!parse_int(v, 20, 600000, &a->time_ms)) return "--time needs milliseconds, 20 to 600000";
    } else if (opt == "--file") {
      a->file = v;
    } else {  // --mode
      if (!parse_int(v, 0, 5, &a->mode)) return "--mode needs an operating mode 0 to 5";
    }
  }
  if (!a->host.empty() && !a->device.empty()) return "give either --tcp or --serial, not both";
  if (baud_given && a->device.empty()) return "--baud goes with --serial";
  return "";
}

void point_station(const LinkArgs& a) {
  if (!a.device.empty()) platform::com_set_device(kToolPort, a.device);
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(a.host.empty() ? 0 : 1);
  k.set_com_port(kToolPort);
  k.set_baud(static_cast<std::uint8_t>(a.baud));
  k.set_ip(a.host);
  k.set_tcp_port(static_cast<std::uint16_t>(a.port > 0 ? a.port : 0));
}

int prepare_link(const LinkArgs& a, bool reader) {
  if (!a.dir.empty()) {
    int rc = open_installation(a.dir);
    if (rc != kExitOk) return rc;
    int mask = store::rw_eingabe(store::kRead);
    if (mask != 1) return fail(kExitFailed, "Eingabe.dat does not read (" + std::to_string(mask) + ")");
  } else {
    store::reset_store();
    store::default_konfig(0);
    store::default_eingabe();
  }
  rlink::reset_link();
  bool given = !a.host.empty() || !a.device.empty();
  if (reader && !given) return fail(kExitUsage, "a reader command needs --tcp or --serial");
  if (!given && a.dir.empty()) return fail(kExitUsage, "give --tcp, --serial or --dir");
  if (given) point_station(a);
  if (reader) {
    store::Lesersatz r;
    r.set_nummer(1);
    r.set_name("enroltool");
    r.set_verbindung(a.host.empty() ? 0 : 1);
    r.set_com_port(kToolPort);
    r.set_baud(static_cast<std::uint16_t>(a.baud));
    r.set_ip(a.host);
    r.set_tcp_port(static_cast<std::uint16_t>(a.port > 0 ? a.port : 0));
    r.set_bus_address(static_cast<std::uint16_t>(a.address - 1));
    rlink::select_reader(r);
  }
  if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");
  return kExitOk;
}

int finish_link(const char* op, int result, bool ok) {
  platform::tcp_cleanup();
  if (ok) return kExitOk;
  std::fprintf(stderr, "enroltool: %s failed, result %d\n", op, result);
  // The exit code the shell sees (1 to 255), never a negative value that the
  // dispatch would take for "no such command".
  int code = result & 0xFF;
  return code == 0 ? kExitFailed : code;
}

namespace {

int station_info(const LinkArgs& a) {
  int rc = prepare_link(a, false);
  if (rc != kExitOk) return rc;
  int r = rlink::enrol_init();
  if (r == 1) {
    std::printf("serial number: %s\n", rlink::state().serial_number.c_str());
    std::printf("hardware type: %d\n", rlink::state().hardware_type);
  }
  return finish_link("enrol_init", r, r == 1);
}

int read_card(const LinkArgs& a) {
  int rc = prepare_link(a, false);
  if (rc != kExitOk) return rc;
  int r = rlink::enrol_read_csn(1, a.time_ms);
  if (r == 1) std::printf("card serial number: %s\n", rlink::last_delivery().c_str());
  const std::string& answer = rlink::state().csn_answer;
  if (r == 0 && answer.empty()) std::fprintf(stderr, "enroltool: no card within %d ms\n", a.time_ms);
  if (r == 0 && !answer.empty()) {
    // A card was reported, but the station's answer to read_csn carries no
    // complete serial number (13 bytes with address, command and flag).
    std::fprintf(stderr, "enroltool: a card was presented, but the answer holds no card serial number: %d bytes %s\n",
                 static_cast<int>(answer.size() / 2), answer.c_str());
  }
  return finish_link("enrol_read_csn", r, r == 1);
}

int reader_check(const LinkArgs& a) {
  int rc = prepare_link(a, true);
  if (rc != kExitOk) return rc;
  int r = rlink::check_leser_parameter();
  if (r == 1) std::printf("reader parameters in order\n");
  if (r == 2) std::printf("reader parameters updated; the reader must be loaded again\n");
  return finish_link("check_leser_parameter", r, r == 1 || r == 2);
}

// The reader slot of the installation's reader behind the connection and bus
// address of `a`, or -1.
int reader_slot_of(const LinkArgs& a) {
  // Serial readers are known by their COM port; the device names are the
  // platform's own, not the one --serial pointed port 0 at.
  platform::com_reset_devices();
  int found = -1;
  for (int i = 0; i < store::kReaders && found < 0; ++i) {
    const store::Lesersatz& r = store::db().readers[i];
    if (!r.used() || r.bus_address() + 1 != a.address) continue;
    const bool tcp = r.verbindung() != 0;
    if (tcp && !a.host.empty() && r.ip() == a.host && r.tcp_port() == a.port) found = i;
    if (!tcp && !a.device.empty() && platform::com_device_name(r.com_port()) == a.device) found = i;
  }
  if (!a.device.empty()) platform::com_set_device(kToolPort, a.device);
  return found;
}

// After an erase with --dir: the reader holds nobody, so no person's mask may
// claim it, and what was left for it to remove is done.
int note_erase(const LinkArgs& a) {
  if (store::load_all() != store::kLoadAllOk) {
    std::fprintf(stderr, "enroltool: the data files of %s do not read; nothing noted\n", a.dir.c_str());
    return kExitFailed;
  }
  ops::open_ledger(ui::kNoWindow);
  const int slot = reader_slot_of(a);
  if (slot < 0) {
    std::printf("no reader of %s has this connection and bus address: nothing noted\n", a.dir.c_str());
    return kExitOk;
  }
  int failures = 0;
  const ops::MaskClearing cleared = ops::clear_reader_bit(slot, [&failures](const std::string& text, res::TextId caption) {
    ui::message_box(ui::kNoWindow, text, res::text(caption), ui::kOk);
    ++failures;
  });
  if (ops::reader_erased(slot) != 1) ++failures;
  std::printf("reader slot %d: %d person%s no longer marked as held, open removals and erase mark cleared\n",
              slot, cleared.written, cleared.written == 1 ? "" : "s");
  return failures == 0 ? kExitOk : kExitFailed;
}

int reader_erase(const LinkArgs& a) {
  int rc = prepare_link(a, true);
  if (rc != kExitOk) return rc;
  int r = rlink::del_template(1);
  if (r == 1) std::printf("all templates deleted in the reader\n");
  const int done = finish_link("del_template", r, r == 1);
  if (done != kExitOk || a.dir.empty()) return done;
  return note_erase(a);
}

}  // namespace

const char* link_usage() {
  return "  station-info CONNECTION [--dir DIR]\n"
         "      Initialise the enrol station: prints its serial number and hardware type.\n"
         "  read-card CONNECTION [--dir DIR] [--time MS]\n"
         "      Wait for a transponder at the station (default 10000 ms), print its CSN.\n"
         "  reader-check CONNECTION --address N [--dir DIR]\n"
         "      Check the reader's parameters against the input mask; offers an update.\n"
         "  reader-erase CONNECTION --address N [--dir DIR]\n"
         "      Delete every template in the reader. With --dir, when DIR has a reader\n"
         "      with this connection and bus address, its bit is cleared in every\n"
         "      person's reader mask, and its open removals and erase mark go.\n";
}

const char* connection_usage() {
  return "\n  CONNECTION: --tcp HOST:PORT, or --serial DEVICE [--baud 0..4]. Without\n"
         "      one, station commands use the station connection of --dir DIR. Without\n"
         "      --dir the input-mask defaults apply. The exit code of a failed\n"
         "      operation is its result (modulo 256).\n";
}

int run_link_command(const std::string& name, int argc, char** argv) {
  int (*run)(const LinkArgs&) = nullptr;
  if (name == "station-info") run = station_info;
  if (name == "read-card") run = read_card;
  if (name == "reader-check") run = reader_check;
  if (name == "reader-erase") run = reader_erase;
  if (!run) return kNotLinkCommand;
  bool reader = name == "reader-check" || name == "reader-erase";
  LinkArgs a;
  unsigned extras = 0;
  if (reader) extras = kAddressOption;
  if (name == "read-card") extras = kTimeOption;
  std::string complaint = parse_link_args(argc, argv, extras, &a);
  if (!complaint.empty()) return fail(kExitUsage, name + ": " + complaint);
  if (reader && a.address == 0) return fail(kExitUsage, name + ": --address N is needed");
  return run(a);
}

}  // namespace enroltool
