// Saving and deleting a person as the person form and the person list do it,
// shared with enroltool: the checks every save runs, "Save Changes" (which
// removes a user ID the readers knew the person by when it changes), and the
// deletion of a person in the files and in every reader.
#pragma once

#include <string>

#include "ops/revocation.h"
#include "platform/message_box.h"
#include "store/records.h"

namespace ops {

// What the hexadecimal fields and the personnel number of the form hold, as
// typed (each cut to what its record field takes).
struct PersonFields {
  std::string zusatz[4];  // additional fields 1 to 4 (only the active ones count)
  std::string personnel;
  std::string identification;
  std::string pin;
};

// Characters a hexadecimal field is filled up to under the input mask in use.
int zusatz_digits(int field);
int identification_digits();
int pin_digits();

// The checks every save of a person runs, in their order, then the write of
// store::db().person_write: the active additional fields must not be empty, a
// personnel number must have its full length, an identification number must
// be given; short hexadecimal values are filled with leading zeros in `f`
// (noted in `padded`); both numbers must be unique. The record number (>= 1),
// or 0 with the refusal's text in `refusal`.
int check_and_write_person(PersonFields& f, bool* padded, std::string* refusal);

// What "Save Changes" did.
struct ChangeResult {
  int number = 0;         // record number written, 0 when refused
  std::string refusal;    // the refusal's text
  bool id_changed = false;
  RemovalResult removal;  // the old user ID in the readers
};
// "Save Changes" of the stored person `stored`: `w` holds what the form gives
// (name, first name, company code, template options, combined flags); the
// record number, fingerprint flag, Spezial PIN, finger count and template-group
// marks come from `stored`; the reader mask starts at 0. After the write, a user
// ID that changed is removed from every reader as a deletion does (boxes owned
// by `owner`).
ChangeResult save_person_changes(const store::Personensatz& stored, store::Personensatz w,
                                 PersonFields& f, bool* padded, ui::Window owner);

// What deleting a person did.
struct PersonDeletion {
  int person = 0;          // rw_person's result (0 or below: the person is still stored)
  bool templates = false;  // the template record was emptied
  RemovalResult removal;   // the readers
};
// Deletes the person of table slot `slot`: its record, its template record
// (failures shown, caption "Fehler Info"), the table slot ("Set %ld with the
// indentification no. %s was deleted.", caption "Info"), then its user ID in
// every reader (remove_everywhere). Boxes are owned by `owner`.
PersonDeletion delete_person(int slot, ui::Window owner);

}  // namespace ops
