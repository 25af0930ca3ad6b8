// What a reader still holds that the database no longer grants: the rule
// "ask the reader to delete, and remember what it did not confirm" over the
// ledger of unfinished removals (store/ledger.h). The person deletion, a
// changed user ID and every reader loop go through here; views only show
// the count of readers still to be cleaned.
#pragma once

#include <string>

#include "platform/message_box.h"
#include "store/ledger.h"

namespace ops {

// Reads the ledger of the installation just loaded. A missing file (an
// installation from before the ledger) is created empty. A file that does not
// read leaves every reader in use marked for a complete erase, and is written
// again from what is known; each failure is shown in a box owned by `owner`.
// 1 when the ledger was read or created, else the failing code.
int open_ledger(ui::Window owner);

// The reader slots (in use, with a name) that hold entries or an erase mark,
// and how many there are.
bool needs_cleaning(int slot);
int readers_to_clean();
// Open entries of reader slot `slot`.
int open_removals(int slot);

// The operator's text for an erase reason.
std::string erase_reason_text(store::EraseReason why);

// Reader slot `slot` was asked to delete `id` and did not confirm it: an
// entry is made (none when it has one already); when its region is full the
// reader is marked for a complete erase instead. 1, or the store's code when
// Widerruf.dat could not be written (memory keeps the entry all the same).
int remember_removal(int slot, const store::UserId& id, const std::string& personalnummer,
                     const std::string& ausweisnummer);
// Reader slot `slot` confirmed the deletion of `id` (or took it afresh for a
// current person, which deletes it first): its entry leaves. 1 or a code.
int removal_done(int slot, const store::UserId& id);
// Reader slot `slot` was erased completely: its entries and its mark go.
int reader_erased(int slot);
// A parameter update deleted what reader slot `slot` held: its entries go,
// its mark stays (only an erase clears it).
int reader_wiped(int slot);
// The reader record of slot `slot` was deleted: what was noted for it goes.
int reader_deleted(int slot);
// Every reader slot in use gets an erase mark for `why`. 1 or a code.
int mark_all_readers(store::EraseReason why);

// The input mask was saved: when `before` built user IDs otherwise than the
// mask in use, every reader is marked (their IDs can no longer be named).
void input_mask_saved(const store::Eingabesatz& before);

// Asks reader slot `slot` (made the current reader) to delete the user IDs
// of its entries again, without boxes; each outcome goes to Log.txt and what
// it confirms leaves the ledger. A reader that cannot be reached is not asked
// for the rest. The entries left.
int retry_removals(int slot);

// A user ID to remove from the readers, and whose it was.
struct Removal {
  store::UserId id;
  std::string personalnummer;
  std::string ausweisnummer;
};
struct RemovalResult {
  int failed = 0;       // readers that did not confirm (each noted in the ledger)
  int not_noted = 0;    // of those, readers whose entry Widerruf.dat did not take
};
// Asks every reader slot in use with a name, in slot order, to delete the ID.
// Each failure shows "The identification no. %s could not be deleted on ther
// reader %s." (caption "Info", owned by `owner`) and is noted in the ledger;
// an entry Widerruf.dat does not take shows its own box.
RemovalResult remove_everywhere(const Removal& r, ui::Window owner);

// One text for the operator: per reader to clean what is open, and what to do.
// Empty when nothing is.
std::string cleaning_report();
// The status-bar text: how many readers still have to be cleaned ("" none).
std::string cleaning_status();

}  // namespace ops
