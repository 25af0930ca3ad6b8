// The reader simulator: the device side of the reader link. One Simulator is one
// bus: the enrol station (bus address 1) or a bus of fingerprint readers
// (addresses 1 to 15). It answers polls, acknowledges frames, queues deliveries
// per address and hands them out through the "N" fetch and "Q" confirmation
// exchange, and carries the state a real unit keeps: template store,
// parameter blocks, operating mode, release info, transponder field, keypad.
//
// Serving runs on a thread of its own (start/stop); every public function may be
// called from any thread while it runs. Nothing here throws; failures are
// returned as values.
//
// The answers to each telegram are listed in tools/readersim/README.md.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

enum class Bus { Station, Readers };

struct Options {
  Bus bus = Bus::Station;
  // Reader addresses 1..15 present on a reader bus (duplicates and values out of
  // range are ignored). The station bus always holds exactly address 1.
  std::vector<int> addresses;
};

// Answer frames can be sent sealed: DLE SOH (one-byte length form) or DLE ETB
// (two-byte length form), the payload from byte 1 on sealed under a 16-byte key.
enum class Encryption { None, Soh, Etb };

// Faults to inject into what the device sends.
enum class FaultKind {
  Silence,        // no answer at all (no poll answer, no ACK, no frame)
  BadBcc,         // an answer frame with a wrong (but well-formed) BCC
  BccOutOfRange,  // an answer frame whose first BCC character is 0x40
  NakForAck,      // DLE NAK instead of DLE ACK for a good frame (the frame is ignored)
  OtherAddress,   // an answer frame carrying the next address character
  Garbage,        // bytes sent before the answer (poll answer, ACK or frame)
  Disconnect,     // half an answer frame, then the connection is dropped
  EncryptSoh,     // an answer frame sealed in the one-byte form (DLE SOH)
  EncryptEtb,     // an answer frame sealed in the two-byte form (DLE ETB)
  Short,          // an answer frame (well formed) with only the first half of its payload
  // Silence from the first answer it matches on, to every unit at its address
  // whatever command it belongs to (a unit that stops answering half-way).
  SilenceFromThen,
};

struct Fault {
  FaultKind kind = FaultKind::Silence;
  int count = 1;    // how many answers it applies to
  int address = 0;  // 0: any address
  // Empty: any answer. Otherwise only answers that belong to a command whose
  // bytes after the address character start with these bytes, e.g. {'H'} for
  // read_hw_info or {'Y', 0x02} for the delivery that answers fp_enrol.
  Bytes command;
  Bytes garbage;  // Garbage: the bytes to send (empty: a fixed default string)
  Bytes key;      // Encrypt*: 16 key bytes (empty: the record key)
};

// Observation: every unit received or sent, in order.
enum class Dir { FromHost, ToHost };
enum class Unit { Poll, Ack, Nak, Dc1, Dc2, Frame, Garbage };

struct Record {
  Dir dir = Dir::FromHost;
  Unit unit = Unit::Garbage;
  Bytes wire;     // the bytes as on the line (a frame with stuffing and BCC)
  Bytes payload;  // frames: the unstuffed plain payload (address character first)
  int address = 0;     // polls and frames: the address (character - 0x30); else 0
  bool bcc_ok = true;  // frames from the host: the BCC was right
};

// One template in a reader's store, with the finger group it was added under.
struct Template {
  int group = 0;
  Bytes data;
};

// One user in a reader's store, as the fp_add user record gave it.
struct User {
  Bytes user_id;
  std::string pin;
  std::uint8_t flags = 0;  // combined-mode flags (0x10, 0x20, 0x40) of the last add
  std::vector<Template> templates;
};

// A transponder known to the simulator (presented now or earlier).
struct Card {
  Bytes csn;     // up to 10 bytes
  Bytes memory;  // transponder memory, 8192 bytes, 0 until written
  Bytes last_key;  // the write key of the last write telegram (16 or 6 bytes)
  int writes = 0;  // write telegrams accepted
};

// Device settings of one bus address, readable and settable as a whole.
struct DeviceState {
  bool transparent = false;
  // General parameters: payload bytes 3..22 of the fp_get_parameter_allg answer
  // (20 bytes; byte 9 of the answer, index 6 here, is the PIN length).
  Bytes general;
  // Parameter set 1: answer bytes 4..24 (21 bytes; index 2 = answer byte 6 user-ID
  // length, 3 = byte 7 PIN length, 4 = byte 8 with-fingerprint flag; the set
  // counts as configured when answer byte 21 or 24, index 17 or 20, is nonzero).
  Bytes set1;
  int mode = 0;              // operating mode set by fp_change_bmode (0..5)
  std::string release;       // interface-version text set by fp_set_iversion
  Bytes led;                 // the bytes of the last fp_led after "Y", 0x09
  std::vector<Bytes> loaded_sets;  // parameter-set telegrams taken over by fp_load_parameter_set
  int capacity = 1000;       // users the template store holds
  std::vector<User> users;
  int resets = 0;            // fp_parameter_reset telegrams carried out
};

class Simulator {
 public:
  explicit Simulator(const Options& options);
  ~Simulator();  // stops serving and closes everything
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // ---- transports (set up before start) ----
  // Listens on host:port (port 0 picks a free one). Returns the port, or -1.
  int listen_tcp(const std::string& host = "127.0.0.1", int port = 0);
  // Opens a pseudo-terminal in raw mode. Returns the slave device path to open
  // as the serial port, or "" on failure.
  std::string open_pty();
  // Starts the serving thread (false when no transport is set up or it runs).
  bool start();
  // Stops the serving thread and closes every transport. Idempotent.
  void stop();

  // ---- station scripting ----
  // Puts a card (CSN, up to 10 bytes) into the field / takes it away.
  void present_card(const Bytes& csn);
  void remove_card();
  // With a CSN set, a card with it is presented whenever the host waits for one
  // (transparent mode on and nothing asked since), and read_csn always finds it.
  // An empty CSN switches this off.
  void set_auto_card(const Bytes& csn);
  // A waiting host is told of a card in the field only after this many of its
  // polls (default 0: at the first), as when the operator presents the card a
  // moment after the prompt; a link sync at the start of the wait then does not
  // take the card record away.
  void set_card_delay(int polls);
  // A slow device: each command frame is carried out `ms` milliseconds after it
  // arrived (default 0; at most 10000).
  void set_answer_delay(int ms);
  // Quality value of the fingers enrolled from now on (default 85).
  void set_quality(int quality);
  // Qualities of the next enrolments, one each, in order; afterwards the value
  // of set_quality applies again. Appends to what is still queued.
  void script_qualities(const std::vector<int>& qualities);
  // Size n of the template block an enrolment delivers (2..1010, default 384).
  void set_template_size(int n);
  // Digits typed at the keypad, delivered at the next fp_keyboard (one-shot).
  void set_keys(const std::string& digits);
  // Entries typed at the keypad for the next fp_keyboard telegrams, one each,
  // in order (an empty entry: nothing typed that time); they come before a
  // digit string given by set_keys. Appends to what is still queued.
  void script_keys(const std::vector<std::string>& entries);
  // Digits typed at every keypad entry that neither a script nor set_keys
  // answers, as an operator who types the same PIN each time; empty: none.
  void set_auto_keys(const std::string& digits);
  // Serial number (10 bytes) reported by get_system_info.
  void set_serial(const Bytes& serial10);
  // Hardware type reported by read_hw_info (2..5 select the RF-ID set).
  void set_hw_type(int type);
  // RF-ID parameter set 2, 3 or 4: the data from answer byte 4 on.
  void set_rfid_set(int set, const Bytes& data);
  Bytes rfid_set(int set) const;
  std::vector<Card> cards() const;

  // ---- answers of the next command ----
  // The next command at `address` that is answered by a delivery gets the unit
  // status class 0x01 with this code instead ("Y", 0x01, code): 0x01 finger
  // already in DB, 0x02 DB full, 0x03 time-out, 0x05 unit status 5, 0x07 wrong
  // card ID, 0x0A two equal fingers, 0x0B user ID already in DB, 0x0C wrong user
  // data, 0x0D parameter error ... One-shot, queued in order.
  void script_status(int address, std::uint8_t code);
  // The next command at `address` answered by a delivery gets no delivery at all.
  void script_no_answer(int address);
  // Queues a delivery now: the payload after the address character.
  void queue_delivery(int address, const Bytes& after_address);
  int pending_deliveries(int address) const;

  // ---- device state ----
  bool has_address(int address) const;
  DeviceState device(int address) const;  // a copy; empty state for unknown addresses
  void set_device(int address, const DeviceState& state);
  bool transparent(int address) const;
  std::vector<User> users(int address) const;
  // Frames the host confirmed with a "Q" code other than the one its type needs.
  int confirm_mismatches() const;

  // ---- encryption and faults ----
  void set_record_key(const Bytes& key16);
  void set_encryption(Encryption e);  // for every answer frame from now on
  void inject(const Fault& fault);
  void clear_faults();

  // ---- observation ----
  // Every unit received and sent, in order (the newest 100000 or more).
  std::vector<Record> traffic() const;
  void clear_traffic();
  int connections_opened() const;  // TCP connections accepted, pty slave opens seen
  int connections_closed() const;
  bool connected() const;
  // Polls `done` every few milliseconds until it is true or timeout_ms passed.
  bool wait_until(const std::function<bool()>& done, int timeout_ms) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Parses "0A1b..." into bytes; false on an odd length or a non-hex character.
bool parse_hex(const std::string& text, Bytes* out);
std::string to_hex(const Bytes& data);

// The control line protocol of the program (also usable in process):
//   card present <CSN hex> | card remove | card auto <CSN hex>|off
//   quality <n> | keys <digits> | status <code> | silence
//   fault <silence|badbcc|bccrange|nak|address|garbage|disconnect|soh|etb> [count]
//   faults clear | address <n> (selects the address the next lines apply to)
//   serial <hex 10 bytes> | hwtype <n> | mode | transparent | users | traffic | dump
// Returns the reply text (one or more lines, each ending in "\n"); replies begin
// with "ok" or "error:".
std::string control_line(Simulator& sim, int* address, const std::string& line);

}  // namespace sim
