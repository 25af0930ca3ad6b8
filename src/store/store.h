// The data store: the in-memory tables and one-record buffers, the record
// operations on the files of the working directory, the configuration file and
// its keys, the creation of a new installation and the conversions of old layouts.
//
// Every operation opens its file for itself alone, transfers one sealed record
// (or the whole file for a conversion) and closes the file before it returns.
// Results: 1 or a record number on success, a distinct negative code for each
// failing step (-1..-5 path, open, position; -10..-13 read, check byte, length;
// -20..-23 sealing and writing).
#pragma once

#include <array>
#include <string>

#include "platform/files.h"
#include "store/ledger.h"
#include "store/records.h"
#include "store/seal.h"

namespace store {

class Change;  // store/commit.h

constexpr int kPersons = 500;
constexpr int kReaders = 32;
constexpr int kUsers = 17;

// File names in the working directory.
extern const char* const kKonfigFile;    // "Programm.cfg"
extern const char* const kPersonFile;    // "Personen.dat"
extern const char* const kTemplateFile;  // "Template.dat"
extern const char* const kReaderFile;    // "Leser.dat"
extern const char* const kEingabeFile;   // "Eingabe.dat"
extern const char* const kUserFile;      // "Usepas.dat"

// Process-wide tables and buffers of the store.
struct Tables {
  // Persons: entry n-1 holds record n; read buffer (filled by reads) and write
  // buffer (stored by writes). The current person is these buffers.
  std::array<Personensatz, kPersons> persons;
  Personensatz person_read;
  Personensatz person_write;
  // Templates: no table, a read and a write buffer.
  Templatesatz template_read;
  Templatesatz template_write;
  // Readers: entry i holds record i + 1; the current reader (filled by reads,
  // addressed by every reader operation) and the edit record (stored by writes).
  std::array<Lesersatz, kReaders> readers;
  Lesersatz current_reader;
  Lesersatz edit_reader;
  // Users: entry i holds record i + 1; the read buffer (after a login: the user
  // logged in) and the current-user buffer (stored by writes).
  std::array<Usersatz, kUsers> users;
  Usersatz user_read;
  Usersatz user_current;
  // The input mask in use and its last saved copy.
  Eingabesatz eingabe;
  Eingabesatz eingabe_saved;
  // The configuration in use and its last saved copy.
  Konfigsatz konfig;
  Konfigsatz konfig_saved;
  // The 120 plain bytes of the key header of Programm.cfg, as the last load or
  // creation of the configuration found or made them.
  std::array<std::uint8_t, kKeyHeaderSize> key_header{};
  // The ledger of unfinished removals in the readers (store/ledger.h).
  Ledger ledger;
};

Tables& db();
// Clears every table and buffer and the key slots (tests, and a fresh start).
void reset_store();

// ---------------------------------------------------------------- record files
// What a record operation does with its record. Read and write are 0 and 1 for
// every record file; delete (2) clears the record and writes it, freeing the slot.
enum RecordMode : int { kRead = 0, kWrite = 1, kDelete = 2 };

// Person: kRead reads the record named by person_read's number into
// person_read; kWrite writes person_write; kDelete clears person_write and
// writes it (frees the slot). Number 0 selects the first free table entry (-1
// when none). The number goes into both buffers. After a successful write the
// table entry takes the written record. -2/-3 path, -4 open, -5 position, -10
// read, -11 check byte, -12 length, -20 sealing, -21 sealed size, -22 write.
int rw_person(RecordMode mode);
// Template: kWrite stores template_write at the slot of its number, kRead
// reads the slot named by template_read's number. No free-slot search; a number
// outside 1..500 gives -1. Codes otherwise as rw_person.
int rw_template(RecordMode mode);
// Reads template records 1 to 500 in one pass over Template.dat into
// out[0] .. out[499]; the template buffers are not touched. 1, or the code
// rw_template's read gives for the open, the position or the first record
// that fails.
int read_all_templates(Templatesatz* out);
// Reader: kRead reads into current_reader (number from current_reader); kWrite
// writes edit_reader; kDelete clears edit_reader and writes it. Number 0 selects
// the first free reader entry (-1 when none). Codes as rw_person.
int rw_leser(RecordMode mode);
// Input mask: kWrite stores the record in use, kRead reads it. Success makes
// the saved copy equal to the record in use; a failed write restores the record
// in use from the saved copy. -1/-2 path, -3 open, -4 position, -10 read, -11
// check byte, -12 length, -20 sealing, -21 sealed size, -22 write.
int rw_eingabe(RecordMode mode);
// User: kRead reads the slot named by user_read's number into user_read; kWrite
// writes user_current (number 0: first free of records 2..16, -1 when none;
// record 17: stores the number of the user logged in (user_read) into the stored
// last-user record); kDelete clears user_current, puts filler into it and
// writes it (frees the slot). The number goes into the buffer of the mode; after a
// successful write the table entry takes the written record. Codes as rw_person.
int rw_user(RecordMode mode);
// Stores `user_number` into the number field of the last-user record (record
// 17), keeping the rest of that record; the user buffers are not touched.
// 17 or a code as rw_user.
int write_last_user(int user_number);
// Clears both user buffers (before a login list is built).
void clear_user_buffers();

// Presets: clears both person buffers and fills them from the input mask in use
// (Firmenkennung, number of fingers, three template flags, Combined Mode 0x40).
void new_person_defaults();
// Clears current_reader and edit_reader and sets wait value 20, IP address
// "192.168.0.1", TCP port 10001, bus address index 0.
void default_leser();
// Sets the input mask in use to the defaults (the saved copy is not touched).
void default_eingabe();
// The defaults into any record (used by default_eingabe and create_db).
void default_eingabe_into(Eingabesatz& e);

// 0 unique; 1 person_write's Personalnummer, 2 its Ausweisnummer is used by
// another person of the table.
int check_pers_eindeutig();
// 0 unique; 1 edit_reader's name is used, 2 its COM port and bus address, 3 its
// IP address or name, TCP port and bus address.
int check_leser_eindeutig();

// ---------------------------------------------------------------- configuration
// Reads Programm.cfg: installs keys 1 and 2 from the built-in material, the
// header's record key as key 0 (the previous key 0 goes to slot 9), converts an
// old Konfigsatz, reads it, checks the key copies and installs key 3. 1 or:
// -1 open, -2 position, -3 read, -4 header check byte, -5 header length, -10..-25
// record-key byte copies disagree, -26..-29 check-byte copies disagree, -30 the
// Konfigsatz could not be read (a box tells its code), -31 record-key copy, -32
// key-2 copy differs.
int load_konfig();
// Assembles the built-in header key and second key and installs them (slots 1
// and 2), as loading the configuration does.
void install_builtin_keys();
// Takes the record key out of a plain 120-byte key header: each of its 16 bytes
// and the four check bytes must agree in all three copies, and the check bytes
// must be the built-in ones. 0 with `key` filled, or -10 .. -25 for the first
// key byte, -26 .. -29 for the first check byte that fails.
int key_header_record_key(const std::uint8_t* header, std::uint8_t key[kKeyBytes]);
// kWrite stores the Konfigsatz in use, kRead reads it. 1 or -1 open, -2
// position, -10 read, -11 check byte, -12 length, -20 sealing, -21 sealed size,
// -22 write; a failed write restores the one in use from the saved copy.
int rw_konfig(RecordMode mode);
// Fills the Konfigsatz in use with defaults. A `number` other than 0 puts the
// three digits rand() % 100 + number (after "EN") and today's date into the
// installation number.
void default_konfig(int number);
// Converts an old 1896-byte Konfigsatz of database version 0 in place. 1 when
// converted or nothing to convert; -1 open, -2 position, -10 read, -11 check byte
// (also: the file is in the current layout), -12 length, -20, -21 sealing, -22
// write.
int convert_konfig();
// Creates Programm.cfg for a new installation; the record key is derived from
// the password in user_current. The file is written as new contents of
// `change` (a new installation's files are put into place together);
// without one it replaces the configuration in use at once. 1 or -1 it could
// not be put into place, -2 create, -3 position, -4 sealing the header, -5
// writing it, -6 sealing the Konfigsatz, -7 writing it.
int create_konfig(int number, Change* change = nullptr);
// Writes the key header and the Konfigsatz in use as new contents of
// Programm.cfg into `change`. 1, -1 sealing, -2 writing.
int put_konfig(Change& change);
// Creates (or empties) the data file `name` in the working directory and leaves
// it open at offset 0 in `out`. 1 or -1..-3 path, -4 delete, -5 create, -6
// position.
int create_dat_file(const std::string& name, platform::File& out);
// Creates all data files of a new installation (after create_konfig), as new
// contents of `change`, whose configuration it reads; without one they
// replace the files in use at once. 1 or -1 configuration, -10..-12 persons,
// -20..-22 templates, -30..-32 readers, -40..-42 input mask, -50..-52 users,
// -60 the ledger of unfinished removals, -1/-2 path, -5 create, -6 position,
// -4 the files could not be put into place.
int create_db(Change* change = nullptr);
// Reads all persons, readers, the input mask and all users into memory.
enum LoadAllResult : int {
  kLoadAllOk = 1,
  kLoadPersonsFailed = -1,
  kLoadReadersFailed = -2,
  kLoadEingabeFailed = -3,
  kLoadUsersFailed = -4,
};
int load_all();

// ---------------------------------------------------------------- old layouts
// Each conversion reads the old file (within `change`: its new contents when
// the change holds them) and writes the converted one as new contents of
// `change`; without one it replaces the old file at once. On any failure the
// old file stays as it was. Failures from the read phase on show their text
// (caption "Info").
// Persons 156 -> 216 bytes. 1 or -1/-2 path, -3 open, -10 position, -11 read,
// -12 check byte, -13 length, -20 position, -21 sealing, -22 sealed size, -23
// write (also: creating or replacing the new file).
int update_person_file(Change* change = nullptr);
// Templates 2624 -> 10204 bytes from database version 0 or 1. Codes as
// update_person_file; -4 for a version other than 0 or 1.
int update_template_file(int from_version, Change* change = nullptr);
// Input mask: step 0 turns 130 into 328 bytes, step 1 turns 328 into 388 bytes.
// 1 or -1/-2 path, -3 open, -4 unknown step, -10 position, -11 read, -12 check
// byte, -13 length, -20 position, -21 sealing, -22 sealed size, -23 write.
int update_eingabe_file(int step, Change* change = nullptr);

// Brings the data files of the database version in the Konfigsatz to the
// current layout and stores the current version, all as one change: version
// 0 converts the persons, the input mask (both steps) and the templates,
// version 1 the templates and the input mask (step 1), version 2 the input
// mask (step 1). The first step that fails ends it and nothing changes.
enum UpdateResult : int {
  kUpdateNotNeeded = 0,
  kUpdateDone = 1,
  kUpdatePersonsFailed = -1,
  kUpdateTemplatesFailed = -2,
  kUpdateEingabeFailed = -3,
  kUpdateSaveFailed = -4,  // the configuration or the change could not be written
};
int update_database();

}  // namespace store
