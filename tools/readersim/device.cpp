#include "device.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kCardMemory = 8192;
constexpr std::size_t kMaxTraffic = 200000;

// Status codes of the fingerprint unit (class 0x01).
constexpr std::uint8_t kFingerInDb = 0x01, kDbFull = 0x02, kCardWrong = 0x07,
                       kEqualFingers = 0x0A, kWrongUserData = 0x0C, kParamError = 0x0D;

Bytes slice(const Bytes& b, std::size_t from, std::size_t to) {
  if (from >= b.size()) return {};
  return Bytes(b.begin() + static_cast<long>(from),
               b.begin() + static_cast<long>(std::min(to, b.size())));
}

bool starts_with(const Bytes& b, const Bytes& prefix) {
  return prefix.size() <= b.size() && std::equal(prefix.begin(), prefix.end(), b.begin());
}

std::uint8_t addr_char(int address) { return static_cast<std::uint8_t>(0x30 + address); }

// The confirmation code the host must send for a delivery of this type.
int confirm_code(std::uint8_t type) {
  switch (type) {
    case 'Y':
    case 'a':
      return '1';
    case 'i':
    case 'k':
      return '2';
    default:
      return '0';
  }
}

// The exchange in progress: the bus, the connection, the address and the
// command bytes the answers belong to, and what goes out.
struct Exchange {
  BusState* bus;
  ConnContext* conn;
  int address;
  Bytes context;
  std::vector<Out> out;

  Device& dev() { return bus->devices[address]; }

  // Takes one use of the first fault of `kind` that matches this exchange.
  bool take(FaultKind kind, Fault* taken = nullptr) {
    auto& faults = bus->faults;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
      const bool from_then = kind == FaultKind::Silence && it->kind == FaultKind::SilenceFromThen;
      if (it->kind != kind && !from_then) continue;
      if (it->address != 0 && it->address != address) continue;
      if (!starts_with(context, it->command)) continue;
      if (taken) *taken = *it;
      // Once matched it is plain silence for every command at its address.
      if (from_then) {
        it->kind = FaultKind::Silence;
        it->command.clear();
      }
      if (--it->count <= 0) faults.erase(it);
      return true;
    }
    return false;
  }

  void send(Unit unit, Bytes wire, Bytes payload = {}, bool disconnect = false) {
    Fault garbage;
    if (take(FaultKind::Garbage, &garbage)) {
      Out g;
      g.unit = Unit::Garbage;
      g.wire = garbage.garbage.empty() ? Bytes{'x', 0x00, 0xFF, 0x31, 0x10, 0x42} : garbage.garbage;
      out.push_back(std::move(g));
    }
    Out o;
    o.unit = unit;
    o.wire = std::move(wire);
    o.payload = std::move(payload);
    o.address = unit == Unit::Frame || unit == Unit::Dc1 || unit == Unit::Dc2 ? address : 0;
    o.disconnect = disconnect;
    out.push_back(std::move(o));
  }

  void control(Unit unit, std::uint8_t second) { send(unit, {kDle, second}); }

  // An answer frame, plain or sealed, with whatever frame faults are due.
  void frame(const Bytes& whole) {
    const Bytes payload = take(FaultKind::Short) ? slice(whole, 0, (whole.size() + 1) / 2) : whole;
    FrameFaults ff;
    ff.bad_bcc = take(FaultKind::BadBcc);
    ff.bcc_range = take(FaultKind::BccOutOfRange);
    ff.other_address = take(FaultKind::OtherAddress);
    Fault enc;
    bool sealed = false;
    bool two_byte = bus->encryption == Encryption::Etb;
    Bytes key = bus->record_key;
    if (take(FaultKind::EncryptSoh, &enc) || take(FaultKind::EncryptEtb, &enc)) {
      sealed = true;
      two_byte = enc.kind == FaultKind::EncryptEtb;
      if (!enc.key.empty()) key = enc.key;
    } else {
      sealed = bus->encryption != Encryption::None;
    }
    Bytes wire;
    if (sealed) {
      const Bytes plain = slice(payload, 1, payload.size());
      // The one-byte length form cannot tell longer payloads; those go two-byte.
      if (plain.size() > 255) two_byte = true;
      Bytes body = {payload.empty() ? addr_char(address) : payload[0]};
      const Bytes sealed_part = seal(plain, two_byte, key);
      body.insert(body.end(), sealed_part.begin(), sealed_part.end());
      wire = build_frame(two_byte ? kEtb : kSoh, body, ff);
    } else {
      wire = build_frame(kStx, payload, ff);
    }
    if (take(FaultKind::Disconnect)) {
      wire.resize(wire.size() / 2);
      send(Unit::Frame, std::move(wire), payload, true);
      return;
    }
    send(Unit::Frame, std::move(wire), payload);
  }

  // Queues a delivery answering the current command, unless an answer was
  // scripted for it.
  void deliver(const Bytes& after_address) {
    Device& d = dev();
    Bytes payload = {addr_char(address)};
    payload.insert(payload.end(), after_address.begin(), after_address.end());
    d.queue.push_back({std::move(payload), context});
  }
  void deliver_status(std::uint8_t code) { deliver({'Y', 0x01, code}); }

  // A scripted answer replaces the command's own: the command is not carried out.
  bool scripted() {
    Device& d = dev();
    if (d.scripted.empty()) return false;
    const ScriptedAnswer s = d.scripted.front();
    d.scripted.pop_front();
    if (!s.silent) deliver_status(s.code);
    return true;
  }
  void deliver_mark(std::uint8_t mark) { deliver({'s', mark}); }
};

// ---------------------------------------------------------------- fingerprint store

bool set1_configured(const Bytes& set1) {
  return set1.size() >= 21 && (set1[17] != 0 || set1[20] != 0);
}

User* find_user(DeviceState* st, const Bytes& id) {
  for (User& u : st->users)
    if (u.user_id == id) return &u;
  return nullptr;
}

// fp_add: "Y", 0x01, user ID, PIN, flag byte, count, length table, template data.
// The user-ID and PIN lengths are those of parameter set 1. The length table
// holds `count` lengths followed by zero entries; the template data fills the
// rest of the telegram.
std::uint8_t add_user(DeviceState* st, const Bytes& p) {
  if (!set1_configured(st->set1)) return kParamError;
  const std::size_t uid_len = st->set1[2], pin_len = st->set1[3];
  const std::size_t flag_at = 3 + uid_len + pin_len;
  if (p.size() < flag_at + 2) return kWrongUserData;
  const std::uint8_t flags = p[flag_at];
  const std::size_t count = p[flag_at + 1];
  const std::size_t table = flag_at + 2;
  if (count > 10 || p.size() < table + 2 * count) return kWrongUserData;
  std::vector<std::size_t> lengths;
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t n = static_cast<std::size_t>(p[table + 2 * i] << 8 | p[table + 2 * i + 1]);
    if (n == 0) return kWrongUserData;
    lengths.push_back(n);
    total += n;
  }
  const std::size_t after_lengths = table + 2 * count;
  if (p.size() < after_lengths + total) return kWrongUserData;
  const std::size_t padding = p.size() - after_lengths - total;
  if (padding % 2 != 0 || padding / 2 > 10 - count) return kWrongUserData;
  for (std::size_t i = after_lengths; i < after_lengths + padding; ++i)
    if (p[i] != 0) return kWrongUserData;

  const int group = flags & 0x0F;
  std::vector<Template> fresh;
  std::size_t at = p.size() - total;
  for (std::size_t n : lengths) {
    fresh.push_back({group, slice(p, at, at + n)});
    at += n;
  }
  for (std::size_t i = 0; i < fresh.size(); ++i)
    for (std::size_t j = i + 1; j < fresh.size(); ++j)
      if (fresh[i].data == fresh[j].data) return kEqualFingers;

  const Bytes id = slice(p, 3, 3 + uid_len);
  for (const User& u : st->users) {
    if (u.user_id == id) continue;
    for (const Template& t : u.templates)
      for (const Template& f : fresh)
        if (t.data == f.data) return kFingerInDb;
  }
  User* user = find_user(st, id);
  if (!user) {
    if (static_cast<int>(st->users.size()) >= st->capacity) return kDbFull;
    st->users.push_back(User{});
    user = &st->users.back();
    user->user_id = id;
  }
  const Bytes pin = slice(p, 3 + uid_len, flag_at);
  user->pin.assign(pin.begin(), pin.end());
  user->flags = static_cast<std::uint8_t>(flags & 0x70);
  auto& tpl = user->templates;
  tpl.erase(std::remove_if(tpl.begin(), tpl.end(),
                           [group](const Template& t) { return group == 0 || t.group == group; }),
            tpl.end());
  tpl.insert(tpl.end(), fresh.begin(), fresh.end());
  return 0;
}

// An enrolled template: n bytes whose last byte is the XOR of the others.
Bytes make_template(int address, unsigned number, int n) {
  Bytes block(static_cast<std::size_t>(n), 0);
  std::uint32_t x = 0x9E3779B9u ^ (static_cast<std::uint32_t>(address) << 24) ^ (number * 2654435761u);
  std::uint8_t check = 0;
  for (int i = 0; i + 1 < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x >> 11);
    check ^= block[static_cast<std::size_t>(i)];
  }
  block.back() = check;
  return block;
}

// ---------------------------------------------------------------- telegrams

void fingerprint_command(Exchange& ex, const Bytes& p) {
  Device& d = ex.dev();
  const std::uint8_t sub = p.size() > 2 ? p[2] : 0xFF;
  switch (sub) {
    case 0x0C:
    case 0x0D:
      d.state.transparent = sub == 0x0C;
      d.card_wait = d.state.transparent;
      d.card_reported = false;
      d.wait_polls = 0;
      ex.deliver_mark('>');
      return;
    case 0x09:
      d.state.led = slice(p, 3, p.size());
      return;
    default:
      break;
  }
  if (ex.scripted()) return;
  switch (sub) {
    case 0x01: {
      const std::uint8_t status = add_user(&d.state, p);
      if (status == 0) {
        ex.deliver_mark('>');
      } else {
        ex.deliver_status(status);
      }
      return;
    }
    case 0x02: {
      const int n = ex.bus->template_size;
      const Bytes block = make_template(ex.address, d.enrols++, n);
      int quality = ex.bus->quality;
      if (!ex.bus->quality_script.empty()) {
        quality = ex.bus->quality_script.front();
        ex.bus->quality_script.pop_front();
      }
      Bytes answer = {'Y', 0x66, 0x02, static_cast<std::uint8_t>(quality),
                      static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)};
      answer.insert(answer.end(), block.begin(), block.end());
      ex.deliver(answer);
      return;
    }
    case 0x06: {
      const Bytes id = slice(p, 3, p.size());
      auto& users = d.state.users;
      const auto it = std::find_if(users.begin(), users.end(), [&](const User& u) { return u.user_id == id; });
      if (it == users.end()) {
        ex.deliver_mark('?');
      } else {
        users.erase(it);
        ex.deliver_mark('>');
      }
      return;
    }
    case 0x07:
      d.state.users.clear();
      ex.deliver_mark('>');
      return;
    case 0x0E:
      if (p.size() < 4 || p[3] > 5) {
        ex.deliver_mark('?');
        return;
      }
      d.state.mode = p[3];
      ex.deliver_mark('>');
      return;
    default:
      ex.deliver_mark('?');
      return;
  }
}

void parameter_reset(Device& d) {
  d.state.general = default_general();
  d.state.set1.assign(21, 0);
  d.state.mode = 0;
  ++d.state.resets;
}

void parameter_command(Exchange& ex, const Bytes& p) {
  Device& d = ex.dev();
  const std::uint8_t sub = p.size() > 2 ? p[2] : 0;
  const std::uint8_t a = addr_char(ex.address);
  // Read telegrams are answered by a frame at once.
  if (sub == 'a') {
    Bytes answer = {a, 'P', 'a'};
    answer.insert(answer.end(), d.state.general.begin(), d.state.general.end());
    ex.frame(answer);
    return;
  }
  if (sub == '/') {
    const int set = p.size() > 3 ? p[3] : 0;
    Bytes data;
    if (set == 1) data = d.state.set1;
    if (ex.bus->bus == Bus::Station && set >= 2 && set <= 4) data = ex.bus->rfid[set];
    Bytes answer = {a, 'P', '/', static_cast<std::uint8_t>(data.empty() ? 0 : set)};
    answer.insert(answer.end(), data.begin(), data.end());
    ex.frame(answer);
    return;
  }
  if (ex.scripted()) return;
  switch (sub) {
    case 'R':
      if (p.size() == 4 && p[3] == 0xAD) {
        parameter_reset(d);
        ex.deliver_mark('>');
      } else {
        ex.deliver_mark('?');
      }
      return;
    case 'A': {
      Bytes block = slice(p, 3, 23);
      block.resize(20, 0);
      d.state.general = block;
      ex.deliver_mark('>');
      return;
    }
    case '?': {
      if (p.size() < 25 || p[3] != 0x01) {
        ex.deliver_mark('?');
        return;
      }
      const Bytes block = slice(p, 4, 25);
      // A new user-ID or PIN length makes the stored users unreadable.
      if (!set1_configured(d.state.set1) || block[2] != d.state.set1[2] || block[3] != d.state.set1[3])
        d.state.users.clear();
      d.state.set1 = block;
      ex.deliver_mark('>');
      return;
    }
    case 'E': {
      if (p.size() < 4 || p[3] != 0x01) {
        ex.deliver_mark('?');
        return;
      }
      const Bytes text = slice(p, 4, 20);
      d.state.release.assign(text.begin(), std::find(text.begin(), text.end(), 0));
      ex.deliver_mark('>');
      return;
    }
    default:
      // Any other parameter telegram is a set of the parameter file; the unit
      // takes it over as it stands.
      d.state.loaded_sets.push_back(slice(p, 1, p.size()));
      ex.deliver_mark('>');
      return;
  }
}

// Keypad: the digits typed are delivered as one data record "k".
void keyboard_command(Exchange& ex, const Bytes& p) {
  BusState& bus = *ex.bus;
  if (ex.scripted()) return;
  std::string digits;
  if (!bus.key_script.empty()) {
    digits = bus.key_script.front();
    bus.key_script.pop_front();
    if (digits.empty()) return;  // nothing typed this time
  } else if (bus.keys_pending) {
    bus.keys_pending = false;
    digits = bus.keys;
  } else if (!bus.auto_keys.empty()) {
    digits = bus.auto_keys;
  } else {
    return;
  }
  const std::size_t pin_len = p.size() > 2 ? p[2] : 0;
  if (pin_len > 0 && digits.size() > pin_len) digits.resize(pin_len);
  Bytes record = {'k'};
  record.insert(record.end(), digits.begin(), digits.end());
  ex.deliver(record);
}

void read_csn(Exchange& ex) {
  Bytes answer = {addr_char(ex.address), 'G', 0x00};
  const Bytes csn = card_in_field(*ex.bus);
  if (!csn.empty()) {
    answer.insert(answer.end(), 10 - csn.size(), 0);
    answer.insert(answer.end(), csn.begin(), csn.end());
    find_card(ex.bus, csn);
  }
  ex.frame(answer);
}

// Transponder write telegrams; the data lands in the memory of the card in the field.
void write_card(Exchange& ex, const Bytes& p) {
  if (ex.scripted()) return;
  const Bytes csn = card_in_field(*ex.bus);
  if (csn.empty()) {
    ex.deliver_status(kCardWrong);
    return;
  }
  const std::uint8_t sub = p.size() > 2 ? p[2] : 0;
  std::size_t start = 0, length = 0, data_at = 0;
  Bytes key;
  if (sub == 0x01 && p.size() >= 18) {  // module type 2
    start = static_cast<std::size_t>(p[4] << 8 | p[5]);
    length = p[6];
    data_at = 18;
  } else if (sub == 0x11 && p.size() >= 29) {  // module type 1
    key = slice(p, 9, 25);
    start = static_cast<std::size_t>(p[25] << 8 | p[26]);
    length = static_cast<std::size_t>(p[27] << 8 | p[28]);
    data_at = 29;
  } else if (sub == 0x10 && p.size() >= 13) {  // module type 3: no address, chunks follow each other
    key = slice(p, 7, 13);
    start = static_cast<std::size_t>(ex.conn->write_pointer);
    length = p.size() - 13;
    data_at = 13;
  } else {
    ex.deliver_mark('?');
    return;
  }
  if (p.size() != data_at + length || start + length > kCardMemory) {
    ex.deliver_mark('?');
    return;
  }
  Card* card = find_card(ex.bus, csn);
  std::copy(p.begin() + static_cast<long>(data_at), p.end(), card->memory.begin() + static_cast<long>(start));
  card->last_key = key;
  ++card->writes;
  if (sub == 0x10) ex.conn->write_pointer = static_cast<int>(start + length);
  ex.deliver_mark('C');
}

void fetch(Exchange& ex) {
  Device& d = ex.dev();
  if (d.queue.empty()) {
    ex.frame({addr_char(ex.address), 's'});
    return;
  }
  d.head_fetched = true;
  ex.frame(d.queue.front().payload);
}

void confirm(Exchange& ex, const Bytes& p) {
  Device& d = ex.dev();
  if (d.queue.empty() || !d.head_fetched) return;
  const Bytes& head = d.queue.front().payload;
  const int expected = head.size() > 1 ? confirm_code(head[1]) : '0';
  if (p.size() != 3 || p[2] != expected) ++ex.bus->confirm_mismatches;
  d.queue.pop_front();
  d.head_fetched = false;
}

void command(Exchange& ex, const Bytes& p) {
  Device& d = ex.dev();
  const std::uint8_t letter = p.size() > 1 ? p[1] : 0;
  if (letter != 'N' && letter != 'Q' && !(letter == 'Y' && p.size() > 2 && (p[2] == 0x0C || p[2] == 0x0D)))
    d.card_wait = false;
  const std::uint8_t a = addr_char(ex.address);
  switch (letter) {
    case 'N':
      fetch(ex);
      return;
    case 'Q':
      confirm(ex, p);
      return;
    case 'H':
      ex.frame({a, 'H', static_cast<std::uint8_t>(ex.bus->hw_type), 0x01, 0x00});
      return;
    case 'J': {
      static const char kFirmware[] = "READERSIM 1.0";  // answer bytes 2 to 14
      Bytes answer(15 + ex.bus->serial.size(), 0);
      answer[0] = a;
      answer[1] = 'J';
      for (int i = 0; i < 13; ++i) answer[2 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(kFirmware[i]);
      std::copy(ex.bus->serial.begin(), ex.bus->serial.end(), answer.begin() + 15);
      ex.frame(answer);
      return;
    }
    case 'G':
      read_csn(ex);
      return;
    case 'T':
      keyboard_command(ex, p);
      return;
    case 'P':
      parameter_command(ex, p);
      return;
    case 'Y':
      fingerprint_command(ex, p);
      return;
    case 'W':
      write_card(ex, p);
      return;
    default:
      ex.deliver_mark('?');
      return;
  }
}

Bytes head_origin(BusState* bus, int address) {
  auto it = bus->devices.find(address);
  if (it == bus->devices.end() || it->second.queue.empty()) return {};
  return it->second.queue.front().origin;
}

void poll(Exchange& ex) {
  if (ex.take(FaultKind::Silence)) return;
  Device& d = ex.dev();
  BusState& bus = *ex.bus;
  if (bus.bus == Bus::Station && d.card_wait && !d.card_reported && d.queue.empty() &&
      d.wait_polls++ >= bus.card_delay) {
    const Bytes csn = card_in_field(bus);
    if (!csn.empty()) {
      Bytes record = {addr_char(ex.address), 'a', 0x01};
      record.insert(record.end(), csn.begin(), csn.end());
      d.queue.push_back({record, {}});
      d.card_reported = true;
      d.card_wait = false;
    }
  }
  ex.control(d.queue.empty() ? Unit::Dc2 : Unit::Dc1, d.queue.empty() ? kDc2 : kDc1);
}

void frame_in(Exchange& ex, const InUnit& unit) {
  const Bytes& p = unit.payload;
  const std::uint8_t letter = p.size() > 1 ? p[1] : 0;
  ex.context = letter == 'N' || letter == 'Q' ? head_origin(ex.bus, ex.address) : slice(p, 1, p.size());
  if (ex.take(FaultKind::Silence)) return;
  if (!unit.bcc_ok || p.size() < 2 || ex.take(FaultKind::NakForAck)) {
    ex.control(Unit::Nak, kNak);
    return;
  }
  ex.control(Unit::Ack, kAck);
  command(ex, p);
}

void record(BusState* bus, Dir dir, Unit unit, const Bytes& wire, const Bytes& payload, int address,
            bool bcc_ok) {
  Record r;
  r.dir = dir;
  r.unit = unit;
  r.wire = wire;
  r.payload = payload;
  r.address = address;
  r.bcc_ok = bcc_ok;
  // A long-running simulator keeps the newest units only.
  if (bus->traffic.size() >= kMaxTraffic)
    bus->traffic.erase(bus->traffic.begin(), bus->traffic.begin() + kMaxTraffic / 2);
  bus->traffic.push_back(std::move(r));
}

}  // namespace

Bytes default_general() { return {1, 1, 1, 1, 1, 1, 6, 10, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0}; }

Bytes default_set1() {
  // Configured for the default input mask: user ID 10 bytes, PIN 6 digits,
  // without fingerprint; the remaining bytes as the host writes them first.
  return {1, 0, 10, 6, 0, 0, 5, 1, 1, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 1};
}

void init_bus(BusState* bus, const Options& options) {
  *bus = BusState{};
  bus->bus = options.bus;
  std::vector<int> addresses = {1};
  if (options.bus == Bus::Readers) addresses = options.addresses;
  for (int a : addresses) {
    if (a < 1 || a > 15) continue;
    Device& d = bus->devices[a];
    d.state.general = default_general();
    d.state.set1 = default_set1();
  }
  bus->serial = {0x53, 0x49, 0x4D, 0x2D, 0x30, 0x30, 0x30, 0x30, 0x30, 0x31};
  bus->rfid[2] = {0, 43, 1, 4, 0, 44, 44, 44, 0, 0, 0};
  bus->rfid[3] = {40, 86, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  bus->rfid[4] = {40, 86, 52, 18, 2, 6, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                  0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0x00, 0x00};
}

Bytes card_in_field(const BusState& bus) {
  if (bus.card_present) return bus.card_csn;
  return bus.auto_csn;
}

Card* find_card(BusState* bus, const Bytes& csn) {
  for (Card& c : bus->cards)
    if (c.csn == csn) return &c;
  Card card;
  card.csn = csn;
  card.memory.assign(kCardMemory, 0);
  bus->cards.push_back(std::move(card));
  return &bus->cards.back();
}

std::vector<Out> handle_unit(BusState* bus, ConnContext* conn, const InUnit& unit) {
  record(bus, Dir::FromHost, unit.unit, unit.wire, unit.payload, unit.address, unit.bcc_ok);
  Exchange ex{bus, conn, unit.address, {}, {}};
  const bool present = bus->devices.count(unit.address) != 0;
  if (unit.unit == Unit::Poll && present) {
    ex.context = head_origin(bus, unit.address);
    poll(ex);
  } else if (unit.unit == Unit::Frame && present) {
    frame_in(ex, unit);
  }
  for (const Out& o : ex.out) record(bus, Dir::ToHost, o.unit, o.wire, o.payload, o.address, true);
  return ex.out;
}

}  // namespace sim
