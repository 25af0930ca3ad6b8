// The behaviour of the simulated units: the state of a bus and the answer to
// each unit the host sends. No input or output here; the serving loop in
// sim.cpp feeds units in and writes what comes out.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "codec.h"
#include "sim.h"

namespace sim {

// Something the unit has to deliver: the full payload (address character first)
// and the command bytes it answers (for fault filters).
struct Delivery {
  Bytes payload;
  Bytes origin;
};

// An answer scripted for the next command that is answered by a delivery.
struct ScriptedAnswer {
  bool silent = false;
  std::uint8_t code = 0;
};

struct Device {
  DeviceState state;
  std::deque<Delivery> queue;
  bool head_fetched = false;  // the head delivery went out to an "N" since it was queued
  std::deque<ScriptedAnswer> scripted;
  // Station: transparent mode was switched on and no command came since, so the
  // host is waiting for a card.
  bool card_wait = false;
  bool card_reported = false;
  int wait_polls = 0;  // polls seen since the wait began
  unsigned enrols = 0;
};

struct BusState {
  Bus bus = Bus::Station;
  std::map<int, Device> devices;
  // Station: transponder field, keypad, identity, RF-ID sets.
  bool card_present = false;
  Bytes card_csn;
  Bytes auto_csn;
  std::vector<Card> cards;
  int quality = 85;
  std::deque<int> quality_script;  // qualities of the next enrolments, in order
  int template_size = 384;
  int card_delay = 0;       // polls of a wait before a card in the field is reported
  int answer_delay_ms = 0;  // each command frame is carried out this much later
  bool keys_pending = false;
  std::string keys;
  std::string auto_keys;  // typed at every keypad entry that nothing else answers
  std::deque<std::string> key_script;  // entries of the next fp_keyboard telegrams
  Bytes serial;
  int hw_type = 3;
  Bytes rfid[5];  // sets 2, 3 and 4
  // Link.
  Bytes record_key;
  Encryption encryption = Encryption::None;
  std::vector<Fault> faults;
  std::vector<Record> traffic;
  int confirm_mismatches = 0;
  int opened = 0;
  int closed = 0;
};

// Per connection: where a module-3 write goes next (its telegram carries no
// start address, so the module writes one chunk after the other).
struct ConnContext {
  int write_pointer = 0;
};

struct Out {
  Unit unit = Unit::Garbage;
  Bytes wire;
  Bytes payload;
  int address = 0;
  bool disconnect = false;  // drop the connection after writing `wire`
};

// A fresh bus with its factory state.
void init_bus(BusState* bus, const Options& options);
// Parameter blocks of a unit as delivered / after a parameter reset.
Bytes default_general();
Bytes default_set1();

// Records `unit` and returns what the device sends back, recording that too.
std::vector<Out> handle_unit(BusState* bus, ConnContext* conn, const InUnit& unit);

// The card now in the transponder field (manual card first, then the automatic
// one); empty when there is none.
Bytes card_in_field(const BusState& bus);
Card* find_card(BusState* bus, const Bytes& csn);

}  // namespace sim
