#include "host.h"

#include <algorithm>
#include <chrono>

#include "platform/serial.h"
#include "platform/tcp.h"

namespace simtest {

namespace {
constexpr int kSerialPort = 7;

std::uint64_t now_ms() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}
}  // namespace

Bytes frame(const Bytes& payload) {
  Bytes out = {DLE, STX};
  std::uint8_t bcc = 0;
  for (std::uint8_t b : payload) {
    out.push_back(b);
    bcc ^= b;
    if (b == DLE) {
      out.push_back(b);
      bcc ^= b;
    }
  }
  out.push_back(DLE);
  out.push_back(ETX);
  bcc ^= DLE ^ ETX;
  out.push_back(static_cast<std::uint8_t>(0x30 + (bcc >> 4)));
  out.push_back(static_cast<std::uint8_t>(0x30 + (bcc & 0x0F)));
  return out;
}

Bytes poll(int address) { return {DLE, ENQ, static_cast<std::uint8_t>(0x30 + address)}; }

Bytes cmd(const std::string& text, const Bytes& more) {
  Bytes b(text.begin(), text.end());
  b.insert(b.end(), more.begin(), more.end());
  return b;
}

Host Host::tcp(int port) {
  Host h;
  h.tcp_ = true;
  h.open_ = platform::tcp_connect("127.0.0.1", port) == 0;
  return h;
}

Host Host::serial(const std::string& path) {
  Host h;
  h.tcp_ = false;
  platform::com_set_device(kSerialPort, path);
  h.open_ = platform::com_open(kSerialPort, 0) == 1;
  return h;
}

Host::Host(Host&& other) noexcept : tcp_(other.tcp_), open_(other.open_) { other.open_ = false; }

Host::~Host() { close(); }

void Host::close() {
  if (!open_) return;
  if (tcp_) {
    platform::tcp_close();
  } else {
    platform::com_close();
    platform::com_reset_devices();
  }
  open_ = false;
}

bool Host::send(const Bytes& data) {
  if (tcp_) return platform::tcp_send(data.data(), static_cast<int>(data.size()), 100) == static_cast<int>(data.size());
  return platform::com_send(data.data(), static_cast<int>(data.size())) == 1;
}

Bytes Host::receive(std::size_t n, int ms) {
  Bytes got;
  const std::uint64_t end = now_ms() + static_cast<std::uint64_t>(ms);
  while (got.size() < n && now_ms() < end) {
    if (tcp_) {
      std::uint8_t buf[2048];
      const int want = static_cast<int>(std::min<std::size_t>(n - got.size(), sizeof buf - 1));
      const int r = platform::tcp_receive(buf, want, 10);
      if (r == 0) break;  // closed
      if (r > 0) got.insert(got.end(), buf, buf + r);
    } else if (platform::com_wait_input(10)) {
      got.push_back(platform::com_read_byte());
    }
  }
  return got;
}

Bytes Host::receive_all(int quiet_ms) {
  Bytes got;
  for (;;) {
    Bytes more = receive(4096, quiet_ms);
    if (more.empty()) return got;
    got.insert(got.end(), more.begin(), more.end());
  }
}

Bytes Host::command(const Bytes& payload) {
  send(frame(payload));
  return receive(2);
}

Bytes Host::read_frame() {
  Bytes wire = receive(2);
  if (wire.size() != 2 || wire[0] != DLE) return wire;
  for (;;) {
    Bytes b = receive(1);
    if (b.empty()) return wire;
    wire.push_back(b[0]);
    if (b[0] != DLE) continue;
    Bytes c = receive(1);
    if (c.empty()) return wire;
    wire.push_back(c[0]);
    if (c[0] == ETX) break;
  }
  Bytes bcc = receive(2);
  wire.insert(wire.end(), bcc.begin(), bcc.end());
  return wire;
}

Bytes payload_of(const Bytes& wire) {
  Bytes payload;
  for (std::size_t i = 2; i + 1 < wire.size(); ++i) {
    if (wire[i] == DLE && wire[i + 1] == ETX) break;
    if (wire[i] == DLE) ++i;  // stuffed pair
    payload.push_back(wire[i]);
  }
  return payload;
}

bool bcc_right(const Bytes& wire) {
  if (wire.size() < 6) return false;
  std::uint8_t bcc = 0;
  for (std::size_t i = 2; i + 2 < wire.size(); ++i) bcc ^= wire[i];
  const std::uint8_t hi = wire[wire.size() - 2], lo = wire[wire.size() - 1];
  return hi >= 0x30 && hi <= 0x3F && lo >= 0x30 && lo <= 0x3F && ((hi - 0x30) << 4 | (lo - 0x30)) == bcc;
}

Bytes Host::fetch(int address, std::uint8_t confirm) {
  send(poll(address));
  if (receive(2) != Bytes{DLE, DC1}) return {};
  const std::uint8_t a = static_cast<std::uint8_t>(0x30 + address);
  if (command({a, 'N'}) != Bytes{DLE, ACK}) return {};
  const Bytes wire = read_frame();
  if (!bcc_right(wire)) return {};
  send({DLE, ACK});
  if (command({a, 'Q', confirm}) != Bytes{DLE, ACK}) return {};
  return payload_of(wire);
}

}  // namespace simtest
