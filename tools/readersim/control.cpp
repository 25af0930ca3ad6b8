// The control line protocol: one command a line, one reply (one or more lines).
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "sim.h"

namespace sim {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A whole decimal number in [lo, hi].
bool parse_int(const std::string& text, int lo, int hi, int* out) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const int v = std::atoi(text.c_str());
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool fault_kind(const std::string& name, FaultKind* kind) {
  static const struct {
    const char* name;
    FaultKind kind;
  } kNames[] = {{"silence", FaultKind::Silence},     {"badbcc", FaultKind::BadBcc},
                {"bccrange", FaultKind::BccOutOfRange}, {"nak", FaultKind::NakForAck},
                {"address", FaultKind::OtherAddress}, {"garbage", FaultKind::Garbage},
                {"disconnect", FaultKind::Disconnect}, {"soh", FaultKind::EncryptSoh},
                {"etb", FaultKind::EncryptEtb},       {"short", FaultKind::Short}};
  for (const auto& n : kNames) {
    if (name == n.name) {
      *kind = n.kind;
      return true;
    }
  }
  return false;
}

const char* unit_name(Unit u) {
  switch (u) {
    case Unit::Poll:
      return "poll";
    case Unit::Ack:
      return "ack";
    case Unit::Nak:
      return "nak";
    case Unit::Dc1:
      return "dc1";
    case Unit::Dc2:
      return "dc2";
    case Unit::Frame:
      return "frame";
    case Unit::Garbage:
      return "garbage";
  }
  return "?";
}

std::string describe_device(const Simulator& sim, int address) {
  const DeviceState st = sim.device(address);
  std::ostringstream s;
  s << "address " << address << ": transparent " << (st.transparent ? "on" : "off") << ", mode "
    << st.mode << ", release \"" << st.release << "\", users " << st.users.size() << ", pending "
    << sim.pending_deliveries(address) << "\n";
  s << "  general " << to_hex(st.general) << "\n  set1 " << to_hex(st.set1) << "\n";
  return s.str();
}

std::string dump(const Simulator& sim) {
  std::ostringstream s;
  s << "ok\nconnections opened " << sim.connections_opened() << ", closed " << sim.connections_closed()
    << "\n";
  for (int a = 1; a <= 15; ++a)
    if (sim.has_address(a)) s << describe_device(sim, a);
  for (const Card& c : sim.cards()) s << "card " << to_hex(c.csn) << ", writes " << c.writes << "\n";
  return s.str();
}

std::string users(const Simulator& sim, int address) {
  std::ostringstream s;
  s << "ok\n";
  for (const User& u : sim.users(address)) {
    s << "user " << to_hex(u.user_id) << " pin \"" << u.pin << "\" flags " << int(u.flags) << " templates";
    for (const Template& t : u.templates) s << " g" << t.group << ":" << t.data.size();
    s << "\n";
  }
  return s.str();
}

std::string traffic(const Simulator& sim) {
  std::ostringstream s;
  s << "ok\n";
  for (const Record& r : sim.traffic())
    s << (r.dir == Dir::FromHost ? "host> " : "sim>  ") << unit_name(r.unit) << " " << to_hex(r.wire)
      << (r.bcc_ok ? "" : " (bad bcc)") << "\n";
  return s.str();
}

}  // namespace

bool parse_hex(const std::string& text, Bytes* out) {
  if (text.size() % 2 != 0) return false;
  Bytes bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = hex_value(text[i]), lo = hex_value(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
  }
  *out = bytes;
  return true;
}

std::string to_hex(const Bytes& data) {
  std::string s;
  char two[3];
  for (std::uint8_t b : data) {
    std::snprintf(two, sizeof two, "%02X", b);
    s += two;
  }
  return s;
}

std::string control_line(Simulator& sim, int* address, const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  if (w.empty()) return "error: empty line\n";
  const std::string& cmd = w[0];
  const std::size_t n = w.size();
  Bytes bytes;
  int value = 0;

  if (cmd == "card" && n == 3 && w[1] == "present" && parse_hex(w[2], &bytes) && !bytes.empty() &&
      bytes.size() <= 10) {
    sim.present_card(bytes);
  } else if (cmd == "card" && n == 2 && w[1] == "remove") {
    sim.remove_card();
  } else if (cmd == "card" && n == 3 && w[1] == "auto" && w[2] == "off") {
    sim.set_auto_card({});
  } else if (cmd == "card" && n == 3 && w[1] == "auto" && parse_hex(w[2], &bytes) && !bytes.empty() &&
             bytes.size() <= 10) {
    sim.set_auto_card(bytes);
  } else if (cmd == "card" && n == 3 && w[1] == "delay" && parse_int(w[2], 0, 100000, &value)) {
    sim.set_card_delay(value);
  } else if (cmd == "slow" && n == 2 && parse_int(w[1], 0, 10000, &value)) {
    sim.set_answer_delay(value);
  } else if (cmd == "quality" && n == 2 && parse_int(w[1], 0, 255, &value)) {
    sim.set_quality(value);
  } else if (cmd == "keys" && n == 2 && w[1].find_first_not_of("0123456789") == std::string::npos) {
    sim.set_keys(w[1]);
  } else if (cmd == "status" && n == 2 && parse_int(w[1], 0, 255, &value)) {
    sim.script_status(*address, static_cast<std::uint8_t>(value));
  } else if (cmd == "silence" && n == 1) {
    sim.script_no_answer(*address);
  } else if (cmd == "fault" && (n == 2 || n == 3)) {
    Fault f;
    if (!fault_kind(w[1], &f.kind) || (n == 3 && !parse_int(w[2], 1, 100000, &f.count)))
      return "error: fault <silence|badbcc|bccrange|nak|address|garbage|disconnect|soh|etb> [count]\n";
    sim.inject(f);
  } else if (cmd == "faults" && n == 2 && w[1] == "clear") {
    sim.clear_faults();
  } else if (cmd == "address" && n == 2 && parse_int(w[1], 1, 15, &value)) {
    if (!sim.has_address(value)) return "error: no unit at address " + w[1] + "\n";
    *address = value;
  } else if (cmd == "serial" && n == 2 && parse_hex(w[1], &bytes) && bytes.size() == 10) {
    sim.set_serial(bytes);
  } else if (cmd == "hwtype" && n == 2 && parse_int(w[1], 0, 255, &value)) {
    sim.set_hw_type(value);
  } else if (cmd == "mode" && n == 1) {
    return "ok " + std::to_string(sim.device(*address).mode) + "\n";
  } else if (cmd == "transparent" && n == 1) {
    return std::string("ok ") + (sim.transparent(*address) ? "on" : "off") + "\n";
  } else if (cmd == "users" && n == 1) {
    return users(sim, *address);
  } else if (cmd == "traffic" && n == 1) {
    return traffic(sim);
  } else if (cmd == "dump" && n == 1) {
    return dump(sim);
  } else {
    return "error: unknown or malformed command: " + line + "\n";
  }
  return "ok\n";
}

}  // namespace sim
