// The ledger of unfinished removals, Widerruf.dat: which user IDs a reader was
// asked to delete and did not confirm, and which readers hold what nobody can
// name any more and must be erased completely. A record file of our own beside
// the others, sealed with the record key like them and of a fixed size: one
// head record (a mark per reader slot) followed by 64 entries per reader slot.
//
// The tables live in store::db().ledger; each change is written at once, one
// record in place. Results follow the record files: 1 on success; -2 no
// working directory, -3 path too long, -4 open, -5 position; -10 read, -11
// check byte, -12 length; -20 sealing, -21 sealed size, -22 write; for the
// whole file also -23 the new file could not be put into place.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/fields.h"
#include "store/records.h"

namespace store {

class Change;  // store/commit.h

extern const char* const kLedgerFile;  // "Widerruf.dat"

constexpr int kLedgerReaders = 32;  // one region per reader slot
constexpr int kLedgerPerReader = 64;
constexpr int kLedgerEntries = kLedgerReaders * kLedgerPerReader;
constexpr int kUserIdBytes = 40;  // the longest user ID the input mask can make is 35 bytes

// Why a reader must be erased completely.
enum class EraseReason : std::uint8_t {
  None = 0,
  Restore = 1,     // the database was restored from a backup
  InputMask = 2,   // the input mask now builds other user IDs
  LedgerFull = 3,  // more removals were left open than its entries hold
  Unreadable = 4,  // the ledger itself could not be read
};

// A user ID as the readers know it: the packed bytes.
struct UserId {
  std::array<std::uint8_t, kUserIdBytes> b{};
  int len = 0;
  bool operator==(const UserId& o) const;
  bool operator!=(const UserId& o) const { return !(*this == o); }
  // Upper-case hexadecimal digits of its bytes.
  std::string hex() const;
};

// The user ID of person `p` under input mask `mask`.
UserId user_id_of(const Personensatz& p, const Eingabesatz& mask);
// True when two input masks build every person's user ID alike (company-code
// default, identification-number length, active additional fields and their
// lengths).
bool same_user_id_rule(const Eingabesatz& a, const Eingabesatz& b);

// Head record: per reader slot i the erase mark and when it was set.
struct Widerrufkopf {
  static constexpr int kSize = 4 + kLedgerReaders * 20;  // 644
  static constexpr int kSlot = sealed_slot(kSize);         // 656
  static constexpr std::uint32_t kVersion = 1;
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(version, 0)
  EraseReason reason(int i) const { return static_cast<EraseReason>(get_u8(b.data(), 4 + 20 * i)); }
  void set_reason(int i, EraseReason r) { put_u8(b.data(), 4 + 20 * i, static_cast<std::uint8_t>(r)); }
  std::string datum(int i) const { return get_text(b.data(), 6 + 20 * i, 18); }
  void set_datum(int i, const std::string& s) { put_text(b.data(), 6 + 20 * i, 18, s); }
};

// One unfinished removal: reader slot, the user ID it was asked to delete and,
// for the operator, whose it was and since when.
struct Widerrufsatz {
  static constexpr int kSize = 100;
  static constexpr int kSlot = sealed_slot(kSize);  // 112
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(nummer, 0)  // entry number 1 .. kLedgerEntries; 0 = free
  STORE_U8(reader, 4)
  STORE_TEXT(personalnummer, 46, 12)
  STORE_TEXT(ausweisnummer, 58, 22)
  STORE_TEXT(datum, 80, 18)
  UserId user_id() const;
  void set_user_id(const UserId& id);
  bool used() const { return nummer() != 0; }
};

struct Ledger {
  Widerrufkopf head;
  std::array<Widerrufsatz, kLedgerEntries> entries;
};

// The first entry index (0-based) of reader slot `reader`'s region.
constexpr int ledger_region(int reader) { return reader * kLedgerPerReader; }

// Writes an empty ledger (no marks, no entries) as new contents of `change`
// (a new installation's), or without one beside Widerruf.dat and puts it into
// place; the table in memory is cleared. 1 or a code.
int create_ledger(Change* change = nullptr);
// Writes the ledger held in memory as a whole new file (after a restore, whose
// record key may differ, or when the file did not read). 1 or a code.
int rewrite_ledger();
// Reads Widerruf.dat into memory. 1; 0 when the file does not exist (memory
// cleared); a code when it does not read (memory holds what did read).
int load_ledger();
// Writes the head record / entry `index` (0-based) of memory in place.
int write_ledger_head();
int write_ledger_entry(int index);

// The date and time an entry or mark is made: "YYYY-MM-DD hh:mm", local time.
std::string ledger_stamp();

// Called after every change of the ledger in memory (a window shows its count).
void set_ledger_observer(std::function<void()> observer);
void ledger_changed();

}  // namespace store
