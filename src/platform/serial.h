// Serial transport: one process-wide COM channel, at most one port open at a time.
// The port is opened raw 8N1 at the speed of a baud index, single bytes and whole
// buffers are moved with bounded waits, and closing restores the settings found
// at open. Every transfer goes through the fault seam (SerialOpen/Read/Write) and
// every wait sleeps through platform::sleep_ms, so the virtual clock applies.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Baud indices as stored in the configuration and reader records: 0 115200,
// 1 57600, 2 38400, 3 19200, 4 9600 (anything else is taken as 9600).
constexpr int kBaudCount = 5;
// Line speed and byte-rate factor (bytes per millisecond) of a baud index:
// 115200/10, 57600/5, 38400/4, 19200/2, 9600/1.
int com_baud_rate(int baud_index);
int com_byte_rate(int baud_index);
// The line speed as the selection lists and reader rows show it ("115200" ...);
// "0" for an index outside 0..4.
const char* baud_text(int baud_index);

// Opens COM port number port_index + 1. 1 open; -1 the device could not be opened
// (missing, or held by another program); -2 setting the driver queues failed;
// -3 reading the settings to be saved failed; -4 reading the working settings
// failed; -5 writing the working settings failed; -6 reading the time-outs
// failed; -7 writing the time-outs failed. A failure leaves the channel closed.
int com_open(int port_index, int baud_index);
// Restores the saved settings and closes. 1, also when nothing was open; -5 when
// closing the device failed, less 1 when restoring the settings failed and less
// 2 when restoring the time-outs failed (-5 to -8).
int com_close();
bool com_is_open();
// Discard pending and queued output / input. 1; nothing happens when closed.
int com_purge_output();
int com_purge_input();
// 1 when at least one byte is waiting in the input queue, else 0.
int com_input_waiting();
// Up to ms/2 rounds: 1 as soon as input is waiting, else sleep 2 ms; 0 when the
// rounds are used up (0 at once for a wait below 2 ms).
int com_wait_input(int ms);
// One byte; 0 when the read failed. Call only when input was seen waiting.
std::uint8_t com_read_byte();
// Waits up to ms/2 rounds of 2 ms for the output queue to drain, then writes the
// byte whether or not it drained. 1 written, 0 failed.
int com_write_byte(std::uint8_t byte, int ms);
// Waits up to 50 rounds of 2 ms for count bytes; fewer waiting: 0, nothing read.
// Else reads them one by one and returns the number read.
int com_read_exact(int count, std::uint8_t* buf);
// Writes a whole buffer within length / byte-rate + 50 ms after the output queue
// drained (up to 100 ms). 1 when every byte went out, else 0.
int com_send(const std::uint8_t* buf, int length);

// Device naming. On Windows port index n is "\\.\COM<n+1>". On POSIX it is
// "/dev/ttyS<n>" unless com_set_device pointed the index at another device (a
// USB adapter "/dev/ttyUSB0", or a pseudo-terminal in tests and tools).
std::string com_device_name(int port_index);
void com_set_device(int port_index, const std::string& path);
// Forgets every com_set_device mapping.
void com_reset_devices();

}  // namespace platform
