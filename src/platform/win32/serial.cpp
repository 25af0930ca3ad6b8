// Win32 serial backend: overlapped COM I/O with a shared one-byte cell and
// overlapped record for single bytes and an event-driven buffer write.
#include <windows.h>

#include <map>
#include <string>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/serial.h"

namespace platform {
namespace {

struct Channel {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DCB saved_dcb{};
  DCB work_dcb{};
  COMMTIMEOUTS saved_timeouts{};
  COMMTIMEOUTS work_timeouts{};
  int byte_rate = 1;
  BYTE cell = 0;
  OVERLAPPED shared{};
  std::map<int, std::string> devices;
};

Channel& chan() {
  static Channel c;
  return c;
}

void drop_handle() {
  CloseHandle(chan().handle);
  chan().handle = INVALID_HANDLE_VALUE;
}

constexpr DWORD kStillPending = 0x103;

// Completion check after a single-byte transfer that did not complete at once:
// 0 completed, 61 end of file, 62 still pending after 40 ms, 63 other error.
int completion_check() {
  DWORD err = GetLastError();
  if (err == ERROR_HANDLE_EOF) return 61;
  if (err == ERROR_IO_PENDING) {
    for (int i = 0; i < 4; ++i) {
      if (chan().shared.Internal != kStillPending) return 0;
      sleep_ms(10);
    }
    return chan().shared.Internal != kStillPending ? 0 : 62;
  }
  return chan().shared.Internal == kStillPending ? 63 : 0;
}

bool output_empty() {
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(chan().handle, &errors, &st)) return false;
  return st.cbOutQue == 0;
}

bool wait_output_empty(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    if (output_empty()) return true;
    sleep_ms(2);
  }
  return output_empty();
}

DWORD queued_input() {
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(chan().handle, &errors, &st)) return 0;
  return st.cbInQue;
}

}  // namespace

std::string com_device_name(int port_index) {
  auto it = chan().devices.find(port_index);
  if (it != chan().devices.end()) return it->second;
  return "\\\\.\\COM" + std::to_string(port_index + 1);
}

void com_set_device(int port_index, const std::string& path) { chan().devices[port_index] = path; }

void com_reset_devices() { chan().devices.clear(); }

bool com_is_open() { return chan().handle != INVALID_HANDLE_VALUE; }

int com_open(int port_index, int baud_index) {
  Channel& c = chan();
  if (c.handle != INVALID_HANDLE_VALUE) com_close();
  c.saved_dcb = DCB{};
  c.work_dcb = DCB{};
  c.saved_dcb.DCBlength = sizeof(DCB);
  c.work_dcb.DCBlength = sizeof(DCB);
  if (fault::hit(fault::Op::SerialOpen)) return -1;
  std::string name = com_device_name(port_index);
  HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  c.handle = h;
  if (!SetupComm(h, 2048, 2048)) {
    drop_handle();
    return -2;
  }
  if (!GetCommState(h, &c.saved_dcb)) {
    drop_handle();
    return -3;
  }
  if (!GetCommState(h, &c.work_dcb)) {
    drop_handle();
    return -4;
  }
  DCB& d = c.work_dcb;
  d.BaudRate = static_cast<DWORD>(com_baud_rate(baud_index));
  c.byte_rate = com_byte_rate(baud_index);
  d.fBinary = TRUE;
  d.fParity = FALSE;
  d.fOutxCtsFlow = FALSE;
  d.fOutxDsrFlow = FALSE;
  d.fDtrControl = DTR_CONTROL_ENABLE;
  d.fDsrSensitivity = FALSE;
  d.fTXContinueOnXoff = FALSE;
  d.fOutX = FALSE;
  d.fInX = FALSE;
  d.fRtsControl = RTS_CONTROL_ENABLE;
  d.XonLim = 1;
  d.XoffLim = 1;
  d.ByteSize = 8;
  d.Parity = NOPARITY;
  d.StopBits = ONESTOPBIT;
  if (!SetCommState(h, &d)) {
    drop_handle();
    return -5;
  }
  if (!GetCommTimeouts(h, &c.saved_timeouts) || !GetCommTimeouts(h, &c.work_timeouts)) {
    drop_handle();
    return -6;
  }
  c.work_timeouts.ReadIntervalTimeout = MAXDWORD;
  c.work_timeouts.ReadTotalTimeoutMultiplier = 0;
  c.work_timeouts.ReadTotalTimeoutConstant = 0;
  c.work_timeouts.WriteTotalTimeoutMultiplier = 0;
  c.work_timeouts.WriteTotalTimeoutConstant = 0;
  if (!SetCommTimeouts(h, &c.work_timeouts)) {
    drop_handle();
    return -7;
  }
  PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  return 1;
}

int com_close() {
  Channel& c = chan();
  if (c.handle == INVALID_HANDLE_VALUE) return 1;
  int rc = -5;
  if (!SetCommState(c.handle, &c.saved_dcb)) rc -= 1;
  if (!SetCommTimeouts(c.handle, &c.saved_timeouts)) rc -= 2;
  if (!CloseHandle(c.handle)) return rc;
  c.handle = INVALID_HANDLE_VALUE;
  return 1;
}

int com_purge_output() {
  if (com_is_open()) PurgeComm(chan().handle, PURGE_TXABORT | PURGE_TXCLEAR);
  return 1;
}

int com_purge_input() {
  if (com_is_open()) PurgeComm(chan().handle, PURGE_RXABORT | PURGE_RXCLEAR);
  return 1;
}

int com_input_waiting() {
  if (!com_is_open()) return 0;
  return queued_input() > 0 ? 1 : 0;
}

int com_wait_input(int ms) {
  for (int round = ms / 2; round > 0; --round) {
    if (com_input_waiting()) return 1;
    sleep_ms(2);
  }
  return 0;
}

std::uint8_t com_read_byte() {
  Channel& c = chan();
  if (!com_is_open()) return 0;
  if (fault::hit(fault::Op::SerialRead)) return 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    c.cell = 0;
    c.shared = OVERLAPPED{};
    DWORD got = 0;
    if (ReadFile(c.handle, &c.cell, 1, &got, &c.shared)) return c.cell;
    // A pending read is not delivered, even when it completes during the check:
    // callers read only bytes the driver reported waiting.
    if (completion_check() != 63) return 0;
  }
  return 0;
}

int com_write_byte(std::uint8_t byte, int ms) {
  Channel& c = chan();
  if (!com_is_open()) return 0;
  wait_output_empty(ms / 2);
  if (fault::hit(fault::Op::SerialWrite)) return 0;
  c.cell = byte;
  c.shared = OVERLAPPED{};
  DWORD put = 0;
  if (WriteFile(c.handle, &c.cell, 1, &put, &c.shared)) return 1;
  return completion_check() == 0 ? 1 : 0;
}

int com_read_exact(int count, std::uint8_t* buf) {
  if (!com_is_open() || count <= 0) return 0;
  int rounds = 50;
  while (queued_input() < static_cast<DWORD>(count)) {
    if (rounds-- == 0) return 0;
    sleep_ms(2);
  }
  int got = 0;
  for (; got < count; ++got) {
    if (fault::hit(fault::Op::SerialRead)) break;
    buf[got] = com_read_byte();
  }
  return got;
}

int com_send(const std::uint8_t* buf, int length) {
  Channel& c = chan();
  if (!com_is_open() || length < 0) return 0;
  if (!wait_output_empty(50)) return 0;
  fault::Kind kind = fault::Kind::Fail;
  DWORD to_write = static_cast<DWORD>(length);
  if (fault::hit(fault::Op::SerialWrite, &kind)) {
    if (kind == fault::Kind::Fail) return 0;
    to_write = length > 0 ? static_cast<DWORD>(length - 1) : 0;
  }
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return 0;
  int result = 0;
  DWORD put = 0;
  if (WriteFile(c.handle, buf, to_write, &put, &ov)) {
    result = put == static_cast<DWORD>(length) ? 1 : 0;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    DWORD wait = static_cast<DWORD>(length / c.byte_rate + 50);
    if (WaitForSingleObject(ov.hEvent, wait) == WAIT_OBJECT_0) {
      if (GetOverlappedResult(c.handle, &ov, &put, FALSE) && put == static_cast<DWORD>(length))
        result = 1;
    } else {
      // Given up: cancel the write so that the buffer is no longer referenced.
      CancelIo(c.handle);
      GetOverlappedResult(c.handle, &ov, &put, TRUE);
      PurgeComm(c.handle, PURGE_TXABORT | PURGE_TXCLEAR);
    }
  }
  CloseHandle(ov.hEvent);
  return result;
}

}  // namespace platform
