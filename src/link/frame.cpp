// Frames, control sequences, deliveries and the link initialisation (leser_komm).
#include <cstring>

#include "link/link.h"
#include "link/link_internal.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "resources/catalogue.h"
#include "diag/log.h"
#include "store/seal.h"
#include "store/store.h"

namespace rlink {
namespace {

bool tcp() { return state().via_tcp != 0; }

// One byte within `ms`: serial waits for input and reads it, TCP/IP receives one
// byte. False when none came.
bool get_byte(int ms, std::uint8_t* out) {
  if (tcp()) {
    std::uint8_t cell[2] = {0, 0};
    if (io().tcp_receive(cell, 1, ms) <= 0) return false;
    *out = cell[0];
    return true;
  }
  if (!io().com_wait_input(ms)) return false;
  *out = io().com_read_byte();
  return true;
}

// Sends a few control bytes in one write.
bool put_bytes(const std::uint8_t* bytes, int n) {
  if (tcp()) return io().tcp_send(bytes, n, 100) == n;
  return io().com_send(bytes, n) == 1;
}

void checksum_box() {
  show(res::format(LINK_CHECKSUM_WRONG, reader_name().c_str()), res::text(CAP_ERROR_MESSAGE));
}

// Drains what follows a bad check character.
void drain_after_bad_bcc() {
  if (tcp()) {
    std::uint8_t junk[101];
    io().tcp_receive(junk, 100, 100);
    return;
  }
  for (int i = 0; i < 50 && io().com_wait_input(100); ++i) io().com_read_byte();
}

// The poll answer byte after DLE: 1 DC1, 0 DC2, else `other`.
int poll_answer(std::uint8_t b, int other) {
  if (b == DC1) return 1;
  if (b == DC2) return 0;
  return other;
}

int poll_not_dle(std::uint8_t b) {
  show(res::format(LINK_EXPECT_DLE, b, reader_name().c_str()), res::text(CAP_ERROR_MESSAGE));
  return -4;
}

// Sends the poll; a failure is logged.
bool send_poll(int address) {
  std::uint8_t ask[3] = {DLE, ENQ, address_char(address)};
  if (put_bytes(ask, 3)) return true;
  diag::log_line("%s", res::text(LINK_LOG_ENQ_FAILED).c_str());
  return false;
}

int leser_poll_serial(int address) {
  if (!send_poll(address)) return -1;
  if (!io().com_wait_input(200)) return -2;
  std::uint8_t answer[2] = {0, 0};
  int n = io().com_read_exact(2, answer);
  if (n == 2) {
    if (answer[0] != DLE) return poll_not_dle(answer[0]);
    return poll_answer(answer[1], -5);
  }
  if (n != 0) return -3;
  // Only one byte arrived: when it is the DLE, await the second alone.
  std::uint8_t first = io().com_read_byte();
  if (first != DLE) return -3;
  if (!io().com_wait_input(100)) return -6;
  if (io().com_read_exact(1, answer) != 1) return -7;
  return poll_answer(answer[0], -8);
}

int leser_poll_tcp(int address) {
  if (!send_poll(address)) return -1;
  std::uint8_t answer[3] = {0, 0, 0};
  int n = io().tcp_receive(answer, 2, 200);
  if (n <= 0) return -3;
  if (answer[0] != DLE) return poll_not_dle(answer[0]);
  if (n == 2) return poll_answer(answer[1], -5);
  std::uint8_t second = 0;
  if (!get_byte(100, &second)) return -1;
  return poll_answer(second, -8);
}

}  // namespace

int send_frame(const std::uint8_t* payload, int length) {
  if (length >= kMaxPayload + 1 || length < 0) return -1;
  static std::uint8_t buf[kSendBuffer];
  std::memset(buf, 0, sizeof buf);
  int n = 0;
  buf[n++] = DLE;
  buf[n++] = STX;
  std::uint8_t bcc = 0;
  for (int i = 0; i < length; ++i) {
    buf[n++] = payload[i];
    bcc ^= payload[i];
    if (payload[i] == DLE) {
      buf[n++] = DLE;
      bcc ^= DLE;
    }
  }
  buf[n++] = DLE;
  buf[n++] = ETX;
  bcc ^= DLE ^ ETX;
  buf[n++] = static_cast<std::uint8_t>((bcc >> 4) | 0x30);
  buf[n++] = static_cast<std::uint8_t>((bcc & 0x0F) | 0x30);
  for (int at = 0; at < n; at += kPiece) {
    int piece = n - at < kPiece ? n - at : kPiece;
    if (!put_bytes(buf + at, piece)) {
      show(res::text(LINK_SEND_ABORTED), res::text(CAP_INFO));
      return -2;
    }
    if (at + piece < n) platform::sleep_ms(static_cast<std::uint32_t>(piece / 2));
  }
  return 1;
}

int receive_frame(std::uint8_t* buf, int capacity) {
  std::uint8_t b = 0;
  if (!get_byte(200, &b)) return tcp() ? -3 : -1;
  if (b != DLE) return -2;
  if (!get_byte(100, &b)) return -3;
  std::uint8_t kind = b;
  if (kind != STX && kind != SOH && kind != ETB) return -4;
  if (capacity <= 0) return -6;
  std::uint8_t check = 0;
  int n = 0;
  bool prev_dle = false;
  for (;;) {
    int wait = tcp() ? 100 : (n == 0 ? 100 : 50);
    if (!get_byte(wait, &b)) return tcp() ? -3 : -5;
    check ^= b;
    buf[n++] = b;
    if (prev_dle && b == ETX) {
      n -= 2;
      break;
    }
    if (prev_dle && b == DLE) {
      --n;
      prev_dle = false;
    } else {
      prev_dle = !prev_dle && b == DLE;
    }
    if (n >= capacity) return -6;
  }
  std::uint8_t hi = 0, lo = 0;
  if (!get_byte(100, &hi) || !get_byte(100, &lo)) return -7;
  if (hi < 0x30 || hi > 0x3F || lo < 0x30 || lo > 0x3F) {
    drain_after_bad_bcc();
    return 0;
  }
  if (((hi - 0x30) << 4 | (lo - 0x30)) != check) return 0;
  if (kind == STX) return n;
  int len = n - 1;
  bool opened = len >= 16 &&
                store::seal_decrypt(buf + 1, &len, store::kSlotRecord,
                                    kind == SOH ? store::LengthForm::OneByte
                                                : store::LengthForm::TwoByte) == 0 &&
                len >= 0 && len <= n - 1;
  if (!opened) {
    show(res::text(LINK_DECRYPT_FAILED), res::text(CAP_ERROR_MESSAGE));
    return -9;
  }
  return len + 1;
}

int wait_ack() {
  std::uint8_t b = 0;
  if (!get_byte(500, &b)) return tcp() ? -3 : -1;
  if (b != DLE) return -2;
  if (!get_byte(500, &b)) return -3;
  if (b == ACK) return 1;
  if (b == NAK) return 0;
  return -4;
}

namespace {

int send_control(std::uint8_t second) {
  if (tcp()) {
    std::uint8_t pair[2] = {DLE, second};
    return io().tcp_send(pair, 2, 100) == 2 ? 1 : -2;
  }
  if (!io().com_write_byte(DLE, 50)) return -1;
  if (!io().com_write_byte(second, 50)) return -2;
  return 1;
}

}  // namespace

int send_ack() {
  int r = send_control(ACK);
  if (r != 1) diag::log_line("%s", res::text(LINK_LOG_ACK_FAILED).c_str());
  return r;
}
int send_nak() { return send_control(NAK); }

int leser_poll(int address) {
  return tcp() ? leser_poll_tcp(address) : leser_poll_serial(address);
}

void flush_input() {
  if (tcp()) {
    std::uint8_t junk[101];
    while (io().tcp_receive(junk, 100, 200) > 0) {
    }
    return;
  }
  for (int i = 0; i < 100 && io().com_wait_input(200); ++i) io().com_read_byte();
}

namespace {

void put_text(Text& text, const std::uint8_t* from, int n) {
  if (n > kTextSize) n = kTextSize;
  if (n < 0) n = 0;
  std::memcpy(text.b.data(), from, static_cast<std::size_t>(n));
  text.len = n;
  text.b[static_cast<std::size_t>(n)] = 0;
}

// Puts `lead` and then `n` payload bytes into the text.
void put_led_text(Text& text, char lead, const std::uint8_t* from, int n) {
  text.b[0] = static_cast<std::uint8_t>(lead);
  if (n > kTextSize - 1) n = kTextSize - 1;
  if (n < 0) n = 0;
  std::memcpy(text.b.data() + 1, from, static_cast<std::size_t>(n));
  text.len = n + 1;
  text.b[static_cast<std::size_t>(text.len)] = 0;
}

// Subtype answers "a": the bytes after the subtype as upper-case hex, cut to
// what the text holds.
void put_hex_text(Text& text, const std::uint8_t* from, int n) {
  static const char kHex[] = "0123456789ABCDEF";
  int len = 0;
  for (int i = 0; i < n && len + 2 <= kTextSize; ++i) {
    text.b[static_cast<std::size_t>(len++)] = static_cast<std::uint8_t>(kHex[from[i] >> 4]);
    text.b[static_cast<std::size_t>(len++)] = static_cast<std::uint8_t>(kHex[from[i] & 0x0F]);
  }
  text.len = len;
  text.b[static_cast<std::size_t>(len)] = 0;
}

}  // namespace

int daten_holen(int address, Text& text) {
  std::uint8_t me = address_char(address);
  std::uint8_t request[2] = {me, 'N'};
  text.clear();
  if (send_frame(request, 2) != 1) return -1;
  if (wait_ack() != 1) return -2;
  static std::uint8_t buf[kFetchCapacity + 1];
  std::memset(buf, 0, sizeof buf);
  int r = receive_frame(buf, kFetchCapacity);
  int failed = 0;
  if (r > 0 && buf[0] != me) failed = -4;
  if (r == 0) checksum_box();
  if (r <= 0) failed = -3;
  if (failed) {
    platform::sleep_ms(10);
    send_nak();
    return failed;
  }
  send_ack();
  std::uint8_t type = r >= 2 ? buf[1] : 0;
  std::uint8_t code = 0;
  int result = 0;
  switch (type) {
    case 'Y':
      put_text(text, buf + 1, r - 1);
      decode_answer(text);
      code = '1';
      break;
    case 'a': {
      int sub = r >= 3 ? buf[2] : 0;
      if (sub >= 1 && sub <= 10) put_hex_text(text, buf + 3, r - 3);
      code = '1';
      result = address;
      break;
    }
    case 'e':
      put_text(text, buf + 2, r - 2);
      decode_answer(text);
      code = '0';
      break;
    case 'i':
      put_led_text(text, 'T', buf + 2, r - 2);
      code = '2';
      result = address;
      break;
    case 'k':
      put_led_text(text, 'K', buf + 2, r - 2);
      code = '2';
      result = address;
      break;
    case 's':
      put_text(text, buf + 2, r - 2);
      code = '0';
      break;
    default:
      return -5;
  }
  std::uint8_t confirm[3] = {me, 'Q', code};
  if (send_frame(confirm, 3) != 1) return -6;
  if (wait_ack() != 1) return -7;
  return result;
}

int l_zam_init(int address) {
  if (address == 0) address = default_address();
  int deliveries = 0, quiet = 0, statuses = 0;
  for (;;) {
    int poll = leser_poll(address);
    if (poll == 1) {
      Text text;
      int got = daten_holen(address, text);
      if (got == address && got != 0) {
        quiet = 0;
        if (++deliveries > 10) return 0;
      } else if (got != 0) {
        ++deliveries;
        io().com_purge_output();
        io().com_purge_input();
        flush_input();
      } else if (++statuses > kMaxStatusDeliveries) {
        // A reader that never stops sending statuses would hold the link forever.
        return -1;
      }
    } else if (poll == 0) {
      ++quiet;
    } else {
      io().com_purge_output();
      io().com_purge_input();
      flush_input();
      platform::sleep_ms(100);
      return -3;
    }
    if (deliveries > 10) return -1;
    if (quiet > 2) {
      platform::sleep_ms(3);
      return address;
    }
  }
}

}  // namespace rlink
