// readersim: a simulated enrol station or bus of fingerprint readers for the
// Enrol Station program, for operators, demos and service staff.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "os.h"
#include "sim.h"

#ifdef READERSIM_WITH_STORE
#include "platform/workdir.h"
#include "store/seal.h"
#include "store/store.h"
#endif

namespace {

std::atomic<bool> g_stop{false};

void on_signal(int) { g_stop = true; }

#ifdef _WIN32
#define READERSIM_LINES "--tcp HOST:PORT"
#define READERSIM_PTY_LINE ""
#else
#define READERSIM_LINES "[--tcp HOST:PORT] [--pty]"
#define READERSIM_PTY_LINE "  --pty             open a pseudo-terminal and print its path (serial line)\n"
#endif

const char kUsage[] =
    "usage: readersim (--station | --readers 1,2,3) " READERSIM_LINES "\n"
    "                 [--auto-card CSN] [--quality N] [--record-key HEX [--encrypt soh|etb]]\n"
    "                 [--install DIR] [--card-delay N] [--auto-keys DIGITS] [--slow MS]\n"
    "                 [--control PORT] [--demo]\n"
    "       readersim --help\n"
    "  --station         the enrol station (bus address 1)\n"
    "  --readers LIST    fingerprint readers at these bus addresses (1..15)\n"
    "  --tcp HOST:PORT   listen for the program on this IPv4 address (port 0: any)\n"
    READERSIM_PTY_LINE
    "  --auto-card CSN   present a card with this number whenever the station waits\n"
    "                    for one (station only)\n"
    "  --quality N       quality value of enrolled fingers (0..255, default 85)\n"
    "  --card-delay N    report a card only at the Nth poll of a wait (default 0)\n"
    "  --auto-keys DIGITS\n"
    "                    type these digits at every keypad entry (station only)\n"
    "  --slow MS         carry out each command MS milliseconds after it arrived\n"
    "  --record-key HEX  the installation's record key (32 hex digits); answer frames\n"
    "                    are then sealed (two-byte length form unless --encrypt soh)\n"
    "  --install DIR     read the record key from DIR/Programm.cfg instead\n"
    "  --control PORT    take control lines on 127.0.0.1:PORT instead of standard input\n"
    "  --demo            the demo station (scripts/run.sh): unless given otherwise,\n"
    "                    --auto-card 04A1B2C3D4 --card-delay 5 --auto-keys 471100\n"
    "  --help, -h        this text\n"
    "Control lines: card present CSN | card remove | card auto CSN|off | card delay N |\n"
    "  slow MS | quality N |\n"
    "  keys DIGITS | status CODE | silence | fault KIND [COUNT] | faults clear |\n"
    "  address N | serial HEX | hwtype N | mode | transparent | users | traffic | dump\n"
    "  (address N chooses the unit the later lines of the same connection mean)\n"
    "Exit codes: 0 stopped (Ctrl-C, SIGTERM), 1 cannot serve, 2 wrong arguments.\n";

struct Args {
  sim::Options options;
  bool station = false;
  bool readers = false;
  std::string tcp_host;
  int tcp_port = -1;
  bool pty = false;
  sim::Bytes auto_card;
  int quality = 85;
  int card_delay = -1;  // not given
  std::string auto_keys;
  bool demo = false;
  int slow_ms = 0;
  sim::Bytes record_key;
  std::string install_dir;
  sim::Encryption encryption = sim::Encryption::Etb;
  int control_port = -1;
  bool help = false;
  bool encrypt_given = false;
};

bool parse_port(const std::string& text, int* port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *port = std::atoi(text.c_str());
  return *port <= 65535;
}

bool parse_addresses(const std::string& text, std::vector<int>* out) {
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = text.find(',', at);
    const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    int a = 0;
    if (!parse_port(item, &a) || a < 1 || a > 15) return false;
    out->push_back(a);
    if (comma == std::string::npos) return true;
    at = comma + 1;
  }
  return false;
}

// A dotted IPv4 address: four numbers 0..255 (the simulator listens on an
// address of this machine, never on a host name).
bool parse_ipv4(const std::string& text) {
  int groups = 0;
  std::size_t at = 0;
  while (groups < 4) {
    const std::size_t dot = text.find('.', at);
    const std::string item = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
    int n = 0;
    if (item.empty() || item.size() > 3 || !parse_port(item, &n) || n > 255) return false;
    ++groups;
    if (dot == std::string::npos) break;
    at = dot + 1;
  }
  return groups == 4 && std::count(text.begin(), text.end(), '.') == 3;
}

// Returns an error text, or "" when the arguments are good (or --help was asked).
std::string parse_args(int argc, char** argv, Args* a) {
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (opt == "--help" || opt == "-h") {
      a->help = true;
      return "";
    }
  }
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (opt == "--station") {
      a->station = true;
      continue;
    }
    if (opt == "--demo") {
      a->demo = true;
      continue;
    }
    if (opt == "--pty") {
#ifdef _WIN32
      return "--pty is not available on Windows (TCP only)";
#else
      a->pty = true;
      continue;
#endif
    }
    const bool takes_value = opt == "--readers" || opt == "--tcp" || opt == "--auto-card" ||
                             opt == "--quality" || opt == "--record-key" || opt == "--install" ||
                             opt == "--encrypt" || opt == "--control" || opt == "--card-delay" ||
                             opt == "--slow" || opt == "--auto-keys";
    if (!takes_value) return "unknown option: " + opt;
    if (i + 1 >= argc) return opt + " needs a value";
    const std::string value = argv[++i];
    if (opt == "--readers") {
      a->readers = true;
      a->options.addresses.clear();
      if (!parse_addresses(value, &a->options.addresses)) return "bad reader addresses (1..15): " + value;
    } else if (opt == "--tcp") {
      const std::size_t colon = value.rfind(':');
      if (colon == std::string::npos || !parse_ipv4(value.substr(0, colon)) ||
          !parse_port(value.substr(colon + 1), &a->tcp_port))
        return "bad --tcp address (IPV4:PORT): " + value;
      a->tcp_host = value.substr(0, colon);
    } else if (opt == "--auto-card") {
      if (!sim::parse_hex(value, &a->auto_card) || a->auto_card.empty() || a->auto_card.size() > 10)
        return "bad card number (2 to 20 hex digits): " + value;
    } else if (opt == "--quality") {
      int q = 0;
      if (!parse_port(value, &q) || q > 255) return "bad quality (0..255): " + value;
      a->quality = q;
    } else if (opt == "--card-delay") {
      if (!parse_port(value, &a->card_delay)) return "bad --card-delay: " + value;
    } else if (opt == "--auto-keys") {
      if (value.empty() || value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos)
        return "bad --auto-keys (1 to 10 digits): " + value;
      a->auto_keys = value;
    } else if (opt == "--slow") {
      if (!parse_port(value, &a->slow_ms) || a->slow_ms > 10000) return "bad --slow (0 to 10000 ms): " + value;
    } else if (opt == "--record-key") {
      if (!sim::parse_hex(value, &a->record_key) || a->record_key.size() != 16)
        return "bad record key (32 hex digits): " + value;
    } else if (opt == "--install") {
      if (value.empty()) return "--install needs a directory";
      a->install_dir = value;
    } else if (opt == "--encrypt") {
      if (value != "soh" && value != "etb") return "bad --encrypt (soh or etb): " + value;
      a->encryption = value == "soh" ? sim::Encryption::Soh : sim::Encryption::Etb;
      a->encrypt_given = true;
    } else {  // --control
      if (!parse_port(value, &a->control_port) || a->control_port == 0) return "bad control port: " + value;
    }
  }
  if (a->station == a->readers) return "give exactly one of --station and --readers";
#ifdef _WIN32
  if (a->tcp_port < 0) return "give --tcp HOST:PORT";
#else
  if (a->tcp_port < 0 && !a->pty) return "give --tcp HOST:PORT and/or --pty";
#endif
  if (!a->record_key.empty() && !a->install_dir.empty()) return "give --record-key or --install, not both";
  if (a->encrypt_given && a->record_key.empty() && a->install_dir.empty())
    return "--encrypt needs --record-key or --install";
  if (a->readers && !a->auto_card.empty()) return "--auto-card is for the station only";
  if (a->readers && !a->auto_keys.empty()) return "--auto-keys is for the station only";
  if (a->demo && !a->station) return "--demo is for the station only";
  // The demo station presents its card at the sixth poll of a wait, as when the
  // operator holds it out a moment after the prompt: reported at once, it would
  // be taken away by the link synchronisation that begins the person form's
  // first wait.
  if (a->demo && a->auto_card.empty()) a->auto_card = {0x04, 0xA1, 0xB2, 0xC3, 0xD4};
  if (a->demo && a->card_delay < 0) a->card_delay = 5;
  if (a->demo && a->auto_keys.empty()) a->auto_keys = "471100";
  a->options.bus = a->station ? sim::Bus::Station : sim::Bus::Readers;
  return "";
}

// The record key of an installation: Programm.cfg loaded as the program loads
// it, then key slot 0. Returns an error text, or "".
std::string install_key(const std::string& dir, sim::Bytes* key) {
#ifdef READERSIM_WITH_STORE
  platform::set_working_directory(dir);
  const int r = store::load_konfig();
  if (r != 1) return "cannot load " + dir + "/Programm.cfg (error " + std::to_string(r) + ")";
  const std::uint8_t* row = store::key_row(store::kSlotRecord);
  key->assign(row, row + store::kKeyBytes);
  return "";
#else
  (void)dir;
  (void)key;
  return "--install is not available in this build (no record store)";
#endif
}

// Reads control lines from a descriptor and answers them on `reply_fd`
// (-1: the standard output). False at end of input.
bool serve_lines(int fd, int reply_fd, std::string* pending, sim::Simulator* s, int* address) {
  std::uint8_t buf[256];
  const long n = sim::os::read_some(fd, buf, sizeof buf);
  if (n == -2) return true;
  if (n <= 0) return false;
  pending->append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n));
  for (std::size_t nl; (nl = pending->find('\n')) != std::string::npos;) {
    std::string line = pending->substr(0, nl);
    pending->erase(0, nl + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string reply = sim::control_line(*s, address, line);
    if (reply_fd < 0) {
      std::fwrite(reply.data(), 1, reply.size(), stdout);
      std::fflush(stdout);
    } else {
      sim::os::write_all(reply_fd, reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size());
    }
  }
  if (pending->size() > 4096) pending->clear();
  return true;
}

// Serves control lines from standard input, or from connections on
// `listen_fd` when it is open (one connection at a time).
void control_loop(sim::Simulator* s, int listen_fd) {
  int first = s->has_address(1) ? 1 : 0;
  for (int a = 1; first == 0 && a <= 15; ++a)
    if (s->has_address(a)) first = a;
  int address = first;
  int conn = -1;
  const int in = listen_fd < 0 ? sim::os::stdin_fd() : -1;
  bool stdin_open = in >= 0;
  std::string pending;
  while (!g_stop) {
    std::vector<sim::os::Wait> waits;
    if (stdin_open) waits.push_back({in, false});
    if (conn >= 0) waits.push_back({conn, false});
    else if (listen_fd >= 0) waits.push_back({listen_fd, false});
    sim::os::wait_readable(&waits, 200);
    for (const auto& w : waits) {
      if (!w.readable) continue;
      if (stdin_open && w.fd == in) {
        stdin_open = serve_lines(in, -1, &pending, s, &address);
      } else if (w.fd == listen_fd) {
        conn = sim::os::tcp_accept(listen_fd);
        pending.clear();
        address = first;  // "address N" holds for the connection that gave it
      } else if (!serve_lines(conn, conn, &pending, s, &address)) {
        sim::os::close_fd(conn);
        conn = -1;
      }
    }
  }
  sim::os::close_fd(conn);
  sim::os::close_fd(listen_fd);
  if (in > 0) sim::os::close_fd(in);
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  const std::string error = parse_args(argc, argv, &args);
  if (args.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!error.empty()) {
    std::fprintf(stderr, "readersim: %s (see readersim --help)\n", error.c_str());
    return 2;
  }
  if (!args.install_dir.empty()) {
    const std::string failed = install_key(args.install_dir, &args.record_key);
    if (!failed.empty()) {
      std::fprintf(stderr, "readersim: %s\n", failed.c_str());
      return 1;
    }
  }
  sim::Simulator s(args.options);
  s.set_quality(args.quality);
  s.set_card_delay(args.card_delay < 0 ? 0 : args.card_delay);
  s.set_answer_delay(args.slow_ms);
  if (!args.auto_card.empty()) s.set_auto_card(args.auto_card);
  s.set_auto_keys(args.auto_keys);
  if (!args.record_key.empty()) {
    s.set_record_key(args.record_key);
    s.set_encryption(args.encryption);
  }
  // The control port listens before the endpoints are printed, so that a
  // script that waits for them can connect to it at once.
  int control_fd = -1;
  if (args.control_port > 0) {
    int bound = 0;
    control_fd = sim::os::tcp_listen("127.0.0.1", args.control_port, &bound);
    if (control_fd < 0) {
      std::fprintf(stderr, "readersim: cannot listen for control on port %d\n", args.control_port);
      return 1;
    }
  }
  if (args.tcp_port >= 0) {
    const int port = s.listen_tcp(args.tcp_host, args.tcp_port);
    if (port < 0) {
      std::fprintf(stderr, "readersim: cannot listen on %s:%d\n", args.tcp_host.c_str(), args.tcp_port);
      return 1;
    }
    std::printf("tcp %s:%d\n", args.tcp_host.c_str(), port);
  }
  if (args.pty) {
    const std::string path = s.open_pty();
    if (path.empty()) {
      std::fprintf(stderr, "readersim: cannot open a pseudo-terminal\n");
      return 1;
    }
    std::printf("pty %s\n", path.c_str());
  }
  std::fflush(stdout);
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  if (!s.start()) {
    std::fprintf(stderr, "readersim: cannot start serving\n");
    return 1;
  }
  control_loop(&s, control_fd);
  s.stop();
  return 0;
}
