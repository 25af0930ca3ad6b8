#include "scripted.h"

#include <algorithm>

#include "link/transport.h"
#include "platform/clock.h"

namespace scripted {
namespace {

Device* g_dev = nullptr;
Bytes g_pending;  // host bytes not yet cut into a unit

// XOR of the wire bytes after DLE <start>: a stuffed pair cancels out.
std::uint8_t bcc_of(const Bytes& payload) {
  std::uint8_t x = 0x10 ^ 0x03;
  for (std::uint8_t b : payload)
    if (b != 0x10) x ^= b;
  return x;
}

bool starts_with(const Bytes& payload, const Bytes& key) {
  if (payload.size() < key.size() + 1) return false;
  return std::equal(key.begin(), key.end(), payload.begin() + 1);
}

void answer_frame(Device& d, const HostUnit& u) {
  if (!u.bcc_ok) {
    d.send({0x10, 0x15});
    return;
  }
  if (d.nak_frames > 0) {
    --d.nak_frames;
    d.send({0x10, 0x15});
    return;
  }
  const Bytes& p = u.payload;
  int address = p.empty() ? 0 : p[0] - 0x30;
  d.send({0x10, 0x06});
  if (p.size() >= 2 && p[1] == 'N') {
    for (auto& dl : d.deliveries) {
      if (dl.first != address) continue;
      Bytes payload{static_cast<std::uint8_t>(0x30 + address)};
      payload.insert(payload.end(), dl.second.begin(), dl.second.end());
      d.send(frame(payload));
      return;
    }
    return;
  }
  if (p.size() >= 2 && p[1] == 'Q') {
    for (auto it = d.deliveries.begin(); it != d.deliveries.end(); ++it) {
      if (it->first == address) {
        d.deliveries.erase(it);
        break;
      }
    }
    return;
  }
  for (auto& a : d.answers) {
    if (starts_with(p, a.first)) {
      Bytes payload{p[0]};
      payload.insert(payload.end(), a.second.begin(), a.second.end());
      d.send(frame(payload));
      return;
    }
  }
  for (auto& f : d.followups) {
    if (starts_with(p, f.first)) {
      d.deliver(address, f.second);
      return;
    }
  }
  bool led = p.size() >= 3 && p[1] == 'Y' && p[2] == 0x09;
  if (d.auto_prompt && p.size() >= 2 && (p[1] == 'Y' || p[1] == 'P') && !led)
    d.deliver(address, {'s', '>'});
  if (d.auto_prompt && p.size() >= 2 && p[1] == 'W') d.deliver(address, {'s', 'C'});
}

void model(Device& d, const HostUnit& u) {
  d.seen.push_back(u);
  if (d.hook && d.hook(d, u)) return;
  if (d.silent) return;
  switch (u.kind) {
    case HostUnit::Poll: {
      bool any = std::any_of(d.deliveries.begin(), d.deliveries.end(),
                             [&](const std::pair<int, Bytes>& x) { return x.first == u.address; });
      d.send({0x10, static_cast<std::uint8_t>(any ? 0x11 : 0x12)});
      break;
    }
    case HostUnit::Frame:
      answer_frame(d, u);
      break;
    default:
      break;
  }
}

// Cuts complete units off the pending host bytes.
void cut(Device& d) {
  for (;;) {
    Bytes& b = g_pending;
    if (b.size() < 2) return;
    if (b[0] != 0x10) {
      b.erase(b.begin());
      continue;
    }
    if (b[1] == 0x05) {
      if (b.size() < 3) return;
      HostUnit u{HostUnit::Poll, b[2] - 0x30, {}, true};
      b.erase(b.begin(), b.begin() + 3);
      model(d, u);
      continue;
    }
    if (b[1] == 0x06 || b[1] == 0x15) {
      HostUnit u{b[1] == 0x06 ? HostUnit::Ack : HostUnit::Nak, 0, {}, true};
      b.erase(b.begin(), b.begin() + 2);
      model(d, u);
      continue;
    }
    if (b[1] != 0x02) {
      b.erase(b.begin());
      continue;
    }
    Bytes payload;
    std::uint8_t x = 0;
    std::size_t i = 2;
    bool done = false;
    while (i < b.size()) {
      std::uint8_t c = b[i];
      if (c == 0x10) {
        if (i + 1 >= b.size()) return;
        std::uint8_t n = b[i + 1];
        x ^= c ^ n;
        i += 2;
        if (n == 0x03) {
          done = true;
          break;
        }
        payload.push_back(n == 0x10 ? 0x10 : n);
        continue;
      }
      x ^= c;
      payload.push_back(c);
      ++i;
    }
    if (!done || i + 2 > b.size()) return;
    std::uint8_t got = static_cast<std::uint8_t>((b[i] - 0x30) << 4 | (b[i + 1] - 0x30));
    HostUnit u{HostUnit::Frame, 0, payload, got == x};
    b.erase(b.begin(), b.begin() + static_cast<long>(i + 2));
    model(d, u);
  }
}

void host_sent(const std::uint8_t* p, int n) {
  Device& d = *g_dev;
  d.raw.insert(d.raw.end(), p, p + n);
  g_pending.insert(g_pending.end(), p, p + n);
  cut(d);
}

void idle(int ms) {
  if (ms >= 2) platform::sleep_ms(static_cast<std::uint32_t>(ms / 2 * 2));
}

int com_open(int, int) {
  ++g_dev->opens;
  g_dev->is_open = g_dev->open_result == 1;
  return g_dev->open_result;
}
int com_close() {
  if (g_dev->is_open) ++g_dev->closes;
  g_dev->is_open = false;
  return g_dev->close_result_serial;
}
int purge() { return 1; }
int com_wait_input(int ms) {
  if (!g_dev->out.empty()) return 1;
  idle(ms);
  return 0;
}
std::uint8_t com_read_byte() {
  if (g_dev->out.empty()) return 0;
  std::uint8_t b = g_dev->out.front();
  g_dev->out.pop_front();
  return b;
}
int com_write_byte(std::uint8_t b, int) {
  if (!g_dev->is_open) return 0;
  host_sent(&b, 1);
  return 1;
}
int com_read_exact(int count, std::uint8_t* buf) {
  if (static_cast<int>(g_dev->out.size()) < count) {
    idle(100);
    return 0;
  }
  for (int i = 0; i < count; ++i) buf[i] = com_read_byte();
  return count;
}
int com_send(const std::uint8_t* buf, int length) {
  if (!g_dev->is_open) return 0;
  host_sent(buf, length);
  return 1;
}
int tcp_connect(const char*, int) {
  ++g_dev->opens;
  g_dev->is_open = g_dev->open_result == 1;
  return g_dev->open_result == 1 ? 0 : -2;
}
int tcp_close() {
  if (g_dev->is_open) ++g_dev->closes;
  g_dev->is_open = false;
  return g_dev->close_result_tcp;
}
int tcp_send(const std::uint8_t* data, int length, int) {
  if (!g_dev->is_open) return -1;
  host_sent(data, length);
  return length;
}
int tcp_receive(std::uint8_t* buf, int length, int wait_ms) {
  if (g_dev->out.empty()) {
    idle(wait_ms);
    return -1;
  }
  int n = 0;
  while (n < length && !g_dev->out.empty()) buf[n++] = com_read_byte();
  buf[n] = 0;
  return n;
}
int tcp_wait_readable(int wait_ms) {
  if (!g_dev->out.empty()) return 1;
  idle(wait_ms);
  return 0;
}

const rlink::Transport kScripted = {com_open,       com_close,      purge,         purge,
                                   com_wait_input, com_read_byte,  com_write_byte, com_read_exact,
                                   com_send,       tcp_connect,    tcp_close,     tcp_send,
                                   tcp_receive,    tcp_wait_readable};

}  // namespace

Bytes frame(const Bytes& payload, std::uint8_t start) {
  Bytes w{0x10, start};
  for (std::uint8_t b : payload) {
    w.push_back(b);
    if (b == 0x10) w.push_back(0x10);
  }
  std::uint8_t x = bcc_of(payload);
  w.push_back(0x10);
  w.push_back(0x03);
  w.push_back(static_cast<std::uint8_t>(0x30 | (x >> 4)));
  w.push_back(static_cast<std::uint8_t>(0x30 | (x & 0x0F)));
  return w;
}

Bytes bad_bcc_frame(const Bytes& payload) {
  Bytes w = frame(payload);
  w.back() ^= 0x01;
  return w;
}

std::vector<Bytes> Device::frames() const {
  std::vector<Bytes> r;
  for (const HostUnit& u : seen)
    if (u.kind == HostUnit::Frame) r.push_back(u.payload);
  return r;
}

std::vector<Bytes> Device::commands(std::uint8_t letter) const {
  std::vector<Bytes> r;
  for (const Bytes& f : frames())
    if (f.size() >= 2 && f[1] == letter) r.push_back(f);
  return r;
}

Install::Install(Device& d) {
  g_dev = &d;
  g_pending.clear();
  platform::vclock::enable(platform::LocalTime{2026, 1, 5, 8, 0, 0, 0, 1});
  rlink::set_transport(&kScripted);
}

Install::~Install() {
  rlink::set_transport(nullptr);
  platform::vclock::disable();
  g_dev = nullptr;
}

}  // namespace scripted
