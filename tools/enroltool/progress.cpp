#include "progress.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "commands.h"
#include "os.h"
#include "platform/tcp.h"
#include "store/store.h"

namespace enroltool {
namespace {

std::string connection_of(const store::Lesersatz& r) {
  if (r.verbindung() == 0) return "com " + std::to_string(r.com_port() + 1);
  // Two names of one device ("localhost", "127.0.0.1") are one connection: a
  // host that has an address is known by it. Otherwise names are the same
  // whatever their case.
  std::string host = r.ip();
  std::uint32_t address = 0;
  if (platform::tcp_lookup(host.c_str(), &address)) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);  // network byte order
    host = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
  }
  for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "tcp " + term(host) + ":" + std::to_string(r.tcp_port());
}

std::string plural(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// "4.2 s" under a minute, then "m:ss", from an hour on "h:mm:ss".
std::string clock_text(double seconds) {
  char buf[32];
  if (seconds < 59.95) {
    std::snprintf(buf, sizeof buf, "%.1f s", seconds < 0 ? 0.0 : seconds);
    return buf;
  }
  const long s = static_cast<long>(seconds + 0.5);
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

// A line wider than the terminal would wrap and spoil the rewrite: cut to
// fewer characters than `columns` (UTF-8, counted by their first bytes).
std::string fit(const std::string& line, int columns) {
  if (columns < 2) return line;
  int seen = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (++seen == columns) return line.substr(0, i);
  }
  return line;
}

}  // namespace

std::vector<Connection> group_by_connection(const std::vector<int>& readers) {
  std::vector<Connection> out;
  for (int slot : readers) {
    const std::string label = connection_of(store::db().readers[slot]);
    Connection* c = nullptr;
    for (Connection& known : out)
      if (known.label == label) c = &known;
    if (!c) {
      out.push_back(Connection{label, {}});
      c = &out.back();
    }
    c->readers.push_back(slot);
  }
  return out;
}

std::string reader_line(const ops::ReaderReport& r) {
  std::string line = "reader " + std::to_string(r.slot) + " " + term(r.name) + ": ";
  if (r.skipped) return line + "check failed (" + std::to_string(r.first_check) + "), skipped";
  line += r.first_check > 1 ? "parameters updated" : "check passed";
  if (r.erase != 1) line += ", erase failed (" + std::to_string(r.erase) + ")";
  line += ", " + plural(r.stored, "person") + " stored";
  if (r.iversion != 1) line += ", release info failed (" + std::to_string(r.iversion) + ")";
  if (r.failures) line += ", " + plural(r.failures, "failure");
  return line;
}

Progress::Progress(const std::vector<Connection>& connections, const std::vector<int>& order,
                   int persons, bool terminal)
    : order_(order), persons_(persons), terminal_(terminal), begun_(Clock::now()) {
  for (const Connection& c : connections) {
    Conn conn;
    conn.label = c.label;
    conn.total = static_cast<int>(c.readers.size()) * persons;
    conn.readers_left = static_cast<int>(c.readers.size());
    for (int slot : c.readers) {
      Reader r;
      r.slot = slot;
      r.connection = static_cast<int>(conns_.size());
      r.name = term(store::db().readers[slot].name());
      readers_.push_back(r);
    }
    conns_.push_back(conn);
  }
}

const Progress::Reader* Progress::find(int slot) const {
  for (const Reader& r : readers_)
    if (r.slot == slot) return &r;
  return nullptr;
}

Progress::Reader* Progress::reader(int slot) { return const_cast<Reader*>(find(slot)); }

void Progress::connection_started(int connection) {
  conns_[static_cast<std::size_t>(connection)].running = true;
  draw(true);
}

void Progress::reader_start(int slot) {
  Reader* r = reader(slot);
  if (!r) return;
  r->started = Clock::now();
  r->began = true;
  Conn& c = conns_[static_cast<std::size_t>(r->connection)];
  c.running = true;
  c.current = slot;
  draw(true);
}

void Progress::person_done(int slot) {
  Reader* r = reader(slot);
  if (!r) return;
  ++conns_[static_cast<std::size_t>(r->connection)].done;
  draw(false);
}

void Progress::failure(int slot) {
  Reader* r = reader(slot);
  if (!r) return;
  ++conns_[static_cast<std::size_t>(r->connection)].failures;
  draw(false);
}

void Progress::box(int slot, const std::string& line) {
  Reader* r = reader(slot);
  if (r && !r->done && !terminal_) {
    r->boxes.push_back(line);
    return;
  }
  scroll(line);
}

void Progress::reader_done(const ops::ReaderReport& report) {
  Reader* r = reader(report.slot);
  if (r && !r->done) close(r, reader_line(report));
}

void Progress::reader_lost(int slot, const std::string& why) {
  Reader* r = reader(slot);
  if (!r || r->done) return;
  ++conns_[static_cast<std::size_t>(r->connection)].failures;
  close(r, "reader " + std::to_string(slot) + " " + r->name + ": not done, " + why);
}

void Progress::close(Reader* r, const std::string& outcome) {
  r->done = true;
  if (r->began) r->seconds = std::chrono::duration<double>(Clock::now() - r->started).count();
  r->outcome = outcome;
  Conn& c = conns_[static_cast<std::size_t>(r->connection)];
  c.active += r->seconds;
  // A reader that was skipped counts its persons as done.
  const int given = c.total - c.done - persons_ * (c.readers_left - 1);
  if (given > 0) c.done += given;
  c.finished = --c.readers_left == 0;
  c.current = -1;
  for (const std::string& line : r->boxes) scroll(line);
  r->boxes.clear();
  scroll(r->outcome);
}

void Progress::tick() { draw(false); }

void Progress::finish() {
  draw(true);
  const double total = std::chrono::duration<double>(Clock::now() - begun_).count();
  drawn_ = 0;  // the block stays as it is; the summary follows below it
  std::fprintf(stderr, "summary: %s on %s, %s\n", plural(static_cast<int>(readers_.size()), "reader").c_str(),
               plural(static_cast<int>(conns_.size()), "connection").c_str(), clock_text(total).c_str());
  for (int slot : order_) {
    const Reader* r = find(slot);
    if (r && r->done) std::fprintf(stderr, "  %s (%s)\n", r->outcome.c_str(), clock_text(r->seconds).c_str());
  }
  std::fflush(stderr);
}

void Progress::scroll(const std::string& line) {
  if (terminal_ && drawn_ > 0) std::fprintf(stderr, "\x1b[%dA\r\x1b[J", drawn_);
  drawn_ = 0;
  std::fprintf(stderr, "%s\n", line.c_str());
  if (terminal_) draw(true);
  std::fflush(stderr);
}

std::string Progress::status(const Conn& c) const {
  std::string s = c.label;
  if (s.size() < 22) s.append(22 - s.size(), ' ');
  s += "  ";
  if (!c.running) return s + "waiting";
  double spent = c.active;
  if (c.finished) {
    s += "done";
  } else if (const Reader* r = c.current >= 0 ? find(c.current) : nullptr) {
    s += "reader " + std::to_string(r->slot) + " " + r->name;
    spent += std::chrono::duration<double>(Clock::now() - r->started).count();
  } else {
    s += "waiting";
  }
  s += "  " + std::to_string(c.done) + "/" + std::to_string(c.total) + " persons  " +
       plural(c.failures, "failure") + "  ";
  if (c.finished) return s + clock_text(spent);
  if (c.done == 0) return s + "time left unknown";
  return s + clock_text(spent / c.done * (c.total - c.done)) + " left";
}

void Progress::draw(bool now) {
  if (!terminal_) return;
  const Clock::time_point t = Clock::now();
  if (!now && t - last_draw_ < std::chrono::milliseconds(200)) return;
  last_draw_ = t;
  const int columns = os::terminal_columns();
  std::string out;
  if (drawn_ > 0) out += "\x1b[" + std::to_string(drawn_) + "A";
  for (const Conn& c : conns_) {
    out += "\r\x1b[2K" + fit(status(c), columns) + "\n";
  }
  drawn_ = static_cast<int>(conns_.size());
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace enroltool
