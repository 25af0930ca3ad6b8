#include "ops/revocation.h"

#include <vector>

#include "diag/log.h"
#include "link/link.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace ops {
namespace {

constexpr const char* kTag = "Widerruf  - ";

store::Ledger& ledger() { return store::db().ledger; }

bool valid_slot(int slot) { return slot >= 0 && slot < store::kReaders; }

std::string name_of(int slot) { return store::db().readers[slot].name(); }

template <typename... Args>
void log(res::TextId id, Args... args) {
  diag::log_line("%s%s", kTag, res::format(id, args...).c_str());
}

// Keeps the first failure of a series of writes.
int first_failure(int so_far, int rc) { return so_far == 1 && rc != 1 ? rc : so_far; }

int note_write(int rc) {
  if (rc != 1) log(res::RVL_WRITE_FAILED, rc);
  return rc;
}

// The used entries of a reader's region, as indices.
std::vector<int> entries_of(int slot) {
  std::vector<int> out;
  const int first = store::ledger_region(slot);
  for (int i = first; i < first + store::kLedgerPerReader; ++i)
    if (ledger().entries[i].used()) out.push_back(i);
  return out;
}

int find_entry(int slot, const store::UserId& id) {
  for (int i : entries_of(slot))
    if (ledger().entries[i].user_id() == id) return i;
  return -1;
}

int clear_entry(int index) {
  ledger().entries[index] = store::Widerrufsatz{};
  return note_write(store::write_ledger_entry(index));
}

// Clears every entry of `slot`; the count cleared, and the first failure in `rc`.
int clear_entries(int slot, int* rc) {
  const std::vector<int> open = entries_of(slot);
  for (int i : open) *rc = first_failure(*rc, clear_entry(i));
  return static_cast<int>(open.size());
}

// Sets the erase mark of `slot` in memory (when it has none); true when set.
bool mark(int slot, store::EraseReason why, const std::string& when) {
  store::Widerrufkopf& head = ledger().head;
  if (head.reason(slot) != store::EraseReason::None) return false;
  head.set_reason(slot, why);
  head.set_datum(slot, when);
  log(res::RVL_MARKED, slot, name_of(slot).c_str(), erase_reason_text(why).c_str());
  return true;
}

void not_written_box(ui::Window owner, int rc) {
  ui::message_box(owner, res::format(res::RV_NOT_WRITTEN, rc), res::text(res::CAP_FEHLER_INFO),
                  ui::kOk);
}

}  // namespace

std::string erase_reason_text(store::EraseReason why) {
  switch (why) {
    case store::EraseReason::Restore: return res::text(res::RV_REASON_RESTORE);
    case store::EraseReason::InputMask: return res::text(res::RV_REASON_MASK);
    case store::EraseReason::LedgerFull: return res::text(res::RV_REASON_FULL);
    case store::EraseReason::Unreadable:
    default: return res::text(res::RV_REASON_UNREADABLE);
  }
}

int open_ledger(ui::Window owner) {
  const int rc = store::load_ledger();
  if (rc == 1) return 1;
  if (rc == 0) {
    const int created = store::create_ledger();
    if (created == 1)
      log(res::RVL_CREATED);
    else
      not_written_box(owner, note_write(created));
    return created;
  }
  ui::message_box(owner, res::format(res::RV_UNREADABLE, rc), res::text(res::CAP_FEHLER_INFO), ui::kOk);
  const std::string now = store::ledger_stamp();
  for (int i = 0; i < store::kReaders; ++i)
    if (store::db().readers[i].used()) mark(i, store::EraseReason::Unreadable, now);
  const int written = note_write(store::rewrite_ledger());
  if (written != 1) not_written_box(owner, written);
  store::ledger_changed();
  return rc;
}

int open_removals(int slot) { return valid_slot(slot) ? static_cast<int>(entries_of(slot).size()) : 0; }

bool needs_cleaning(int slot) {
  if (!valid_slot(slot)) return false;
  const store::Lesersatz& r = store::db().readers[slot];
  if (!r.used() || r.name().empty()) return false;
  return ledger().head.reason(slot) != store::EraseReason::None || open_removals(slot) > 0;
}

int readers_to_clean() {
  int n = 0;
  for (int i = 0; i < store::kReaders; ++i) n += needs_cleaning(i);
  return n;
}

int remember_removal(int slot, const store::UserId& id, const std::string& personalnummer,
                     const std::string& ausweisnummer) {
  if (!valid_slot(slot)) return -1;
  if (find_entry(slot, id) >= 0) return 1;
  const std::string now = store::ledger_stamp();
  const int first = store::ledger_region(slot);
  int index = -1;
  for (int i = first; i < first + store::kLedgerPerReader && index < 0; ++i)
    if (!ledger().entries[i].used()) index = i;
  int rc = 1;
  if (index < 0) {
    // No room left: only a complete erase can clean this reader now.
    if (mark(slot, store::EraseReason::LedgerFull, now)) rc = note_write(store::write_ledger_head());
  } else {
    store::Widerrufsatz& e = ledger().entries[index];
    e = store::Widerrufsatz{};
    e.set_nummer(static_cast<std::uint32_t>(index + 1));
    e.set_reader(static_cast<std::uint8_t>(slot));
    e.set_user_id(id);
    e.set_personalnummer(personalnummer);
    e.set_ausweisnummer(ausweisnummer);
    e.set_datum(now);
    rc = store::write_ledger_entry(index);
    log(res::RVL_ENTRY_MADE, slot, name_of(slot).c_str(), id.hex().c_str(), personalnummer.c_str(),
        ausweisnummer.c_str());
    note_write(rc);
  }
  store::ledger_changed();
  return rc;
}

int removal_done(int slot, const store::UserId& id) {
  if (!valid_slot(slot)) return -1;
  const int index = find_entry(slot, id);
  if (index < 0) return 1;
  const int rc = clear_entry(index);
  log(res::RVL_ENTRY_DONE, slot, name_of(slot).c_str(), id.hex().c_str());
  store::ledger_changed();
  return rc;
}

namespace {

// Clears the entries of `slot` and, when `unmark`, its erase mark; logs `line`
// with the count when anything was there.
int clear_reader(int slot, bool unmark, res::TextId line) {
  if (!valid_slot(slot)) return -1;
  int rc = 1;
  const bool marked = ledger().head.reason(slot) != store::EraseReason::None;
  const int cleared = clear_entries(slot, &rc);
  // The mark goes last: a failure before leaves the reader marked.
  if (unmark && marked) {
    ledger().head.set_reason(slot, store::EraseReason::None);
    ledger().head.set_datum(slot, std::string());
    rc = first_failure(rc, note_write(store::write_ledger_head()));
  }
  if (cleared > 0 || (unmark && marked)) {
    log(line, slot, name_of(slot).c_str(), cleared);
    store::ledger_changed();
  }
  return rc;
}

}  // namespace

int reader_erased(int slot) { return clear_reader(slot, true, res::RVL_ERASED); }
int reader_wiped(int slot) { return clear_reader(slot, false, res::RVL_WIPED); }
int reader_deleted(int slot) { return clear_reader(slot, true, res::RVL_DROPPED); }

int mark_all_readers(store::EraseReason why) {
  const std::string now = store::ledger_stamp();
  bool changed = false;
  for (int i = 0; i < store::kReaders; ++i)
    if (store::db().readers[i].used()) changed |= mark(i, why, now);
  if (!changed) return 1;
  const int rc = note_write(store::write_ledger_head());
  store::ledger_changed();
  return rc;
}

void input_mask_saved(const store::Eingabesatz& before) {
  if (store::same_user_id_rule(before, store::db().eingabe)) return;
  const int rc = mark_all_readers(store::EraseReason::InputMask);
  if (rc != 1) not_written_box(ui::kNoWindow, rc);
}

int retry_removals(int slot) {
  if (!valid_slot(slot)) return 0;
  const std::vector<int> open = entries_of(slot);
  if (open.empty()) return 0;
  rlink::State& link = rlink::state();
  const bool was_quiet = link.quiet;
  link.quiet = true;
  rlink::select_reader(store::db().readers[slot]);
  for (int index : open) {
    const store::UserId id = ledger().entries[index].user_id();
    const int rc = rlink::del_user_id(id.b.data(), id.len);
    if (rc == 1) {
      clear_entry(index);
      log(res::RVL_ENTRY_DONE, slot, name_of(slot).c_str(), id.hex().c_str());
      continue;
    }
    log(res::RVL_RETRY_FAILED, slot, name_of(slot).c_str(), id.hex().c_str(), rc);
    // Only a refused removal (a status other than ">" or "?") says nothing
    // about the next one; any other failure means the reader is not there.
    if (rc != -21) break;
  }
  link.quiet = was_quiet;
  store::ledger_changed();
  return open_removals(slot);
}

RemovalResult remove_everywhere(const Removal& r, ui::Window owner) {
  RemovalResult out;
  store::Tables& t = store::db();
  for (int slot = 0; slot < store::kReaders; ++slot) {
    const store::Lesersatz reader = t.readers[slot];
    if (!reader.used() || reader.name().empty()) continue;
    rlink::select_reader(reader);
    if (rlink::del_user_id(r.id.b.data(), r.id.len) == 1) {
      removal_done(slot, r.id);
      continue;
    }
    ++out.failed;
    ui::message_box(owner,
                    res::format(res::PS_READER_DELETE_FAILED, r.ausweisnummer.c_str(),
                                reader.name().c_str()),
                    res::text(res::CAP_INFO), ui::kOk);
    const int noted = remember_removal(slot, r.id, r.personalnummer, r.ausweisnummer);
    if (noted != 1) {
      ++out.not_noted;
      ui::message_box(owner,
                      res::format(res::RV_NOT_NOTED, r.ausweisnummer.c_str(), reader.name().c_str(),
                                  noted),
                      res::text(res::CAP_FEHLER_INFO), ui::kOk);
    }
  }
  return out;
}

std::string cleaning_report() {
  std::string lines;
  for (int i = 0; i < store::kReaders; ++i) {
    if (!needs_cleaning(i)) continue;
    const store::EraseReason why = ledger().head.reason(i);
    if (why != store::EraseReason::None)
      lines += res::format(res::RV_LOGIN_ERASE, i + 1, name_of(i).c_str(), erase_reason_text(why).c_str());
    else
      lines += res::format(res::RV_LOGIN_RETRY, i + 1, name_of(i).c_str(), open_removals(i));
  }
  if (lines.empty()) return lines;
  return res::text(res::RV_LOGIN_HEAD) + lines + res::text(res::RV_LOGIN_TODO);
}

std::string cleaning_status() {
  const int n = readers_to_clean();
  if (n == 0) return std::string();
  return n == 1 ? res::text(res::RV_STATUS_ONE) : res::format(res::RV_STATUS_MANY, n);
}

}  // namespace ops
