// Backup and restore of the whole database: the configuration, the key header,
// the users, the input mask, the readers, the templates and the persons in one
// file of sealed records, tied to a backup transponder whose number the file
// records and which must be presented to restore it.
//
// File layout (no header of its own), record groups in this order:
//
//   group  content                       size   stored  count  sealed with
//     1    Konfigsatz (stamp, transponder) 1932   1936      1  key 1 (header key)
//     2    plain key header                 120    128      1  backup key (slot 5)
//     3    Usersatz slots                    90     96     17  backup key
//     4    Eingabesatz                      388    400      1  backup key
//     5    Lesersatz slots                   88     96     32  backup key
//     6    Templatesatz 1 .. 500          10204  10208    500  backup key
//     7    Personensatz slots               216    224    500  backup key
//
// 5,223,168 bytes in all. The backup key is the 16 characters of the backup's
// time stamp, each increased by a fixed per-position offset.
//
// Both operations write their files beside the ones they replace and put them
// into place only when everything is complete: a failure never leaves a half
// written database or destroys an earlier backup, and the tables in memory
// change only with success.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "ops/progress.h"
#include "platform/message_box.h"
#include "store/records.h"
#include "store/store.h"

namespace ops {

// backup_restore modes.
constexpr int kBackup = 0;
constexpr int kRestore = 1;

constexpr int kBackupGroups = 7;
constexpr std::int64_t kBackupFileSize = 5223168;
// Records in the file (1 + 1 + 17 + 1 + 32 + 500 + 500).
constexpr int kBackupRecords = 1052;
constexpr int kStampChars = 16;
// The transponder field of the dialog takes at most this many characters.
constexpr int kTransponderChars = 20;

// Result codes of backup_restore beyond those of the record groups.
constexpr int kBackupUnreadable = -90;   // backup: the file written does not read back
constexpr int kRestoreSwapFailed = -140;  // restore: the new files could not be put into place

// What a long operation tells its caller while it runs. Every member may be
// left empty.
struct Hooks {
  // Owner of the message boxes (the dialog).
  ui::Window owner = ui::kNoWindow;
  // A new status-line text (Windows-1252).
  std::function<void(const std::string&)> status;
  // Called now and then while records are read and written: `done` of
  // `total` steps (repaint the window, move a progress display).
  Progress progress;
  // Reads the backup transponder for a restore: 1 with the number, anything
  // else gives up. Empty: read_backup_transponder at the station.
  std::function<int(std::string* number)> read_transponder;
};

// mode 0: backs up the database in memory (and Template.dat) into `path`; the
// backup transponder number must be in the Konfigsatz in use. 1 done, 0 the
// operator declined to overwrite, or:
//   -1 the finished backup could not replace the existing file, -2 create,
//   -3 position, -10/-11/-12 Konfigsatz (sealing, sealed size, writing),
//   -20/-21/-22 key header, -30.. users, -40.. input mask, -50.. readers,
//   -60 no memory, -62 reading Template.dat, -63/-64/-65 templates,
//   -70/-71/-72 persons, -90 the file written does not read back, -80 the
//   configuration could not be written (the backup itself is complete).
// mode 1: restores the database from `path`. 1 done, 0 declined by the
// operator or a wrong transponder, or:
//   -1 open, -3 position, -10/-11/-12 Konfigsatz (read, check byte, length),
//   -20/-21/-22 key header, -23 the key header gives no valid record key,
//   -30.. users, -40.. input mask, -50.. readers, -60 no memory,
//   -63/-64/-65 templates, -70.. persons; writing: -80..-85 Programm.cfg,
//   -90..-96 Personen.dat, -100..-106 Template.dat, -110..-116 Leser.dat,
//   -120..-126 Eingabe.dat, -130..-136 Usepas.dat, -150..-156 Widerruf.dat
//   (path, path, open, position, sealing, sealed size, writing), -140 the
//   files could not be put into place. A restore leaves every reader of the
//   restored table marked for a complete erase in Widerruf.dat.
// Any result other than 1 leaves the data files, the tables in memory and the
// Konfigsatz in use as they were, and an earlier backup file as it was.
int backup_restore(int mode, const std::string& path, const Hooks& hooks = {});

// ------------------------------------------------------------------ time stamp and key
// "%04u%02u%02u%02u%02u%02u%02u": year, month, day, second, minute, hour, hour.
std::string backup_stamp(const platform::LocalTime& t);
// The stamp as the restore question shows it: "dd.mm.yyyy-hh:mm:ss". Places
// that a short or damaged stamp does not fill show as '?'.
std::string stamp_display(const std::string& stamp);
// The backup key from the 16 bytes of a stamp field (zeros behind a short one).
void backup_key(const std::uint8_t* stamp16, std::uint8_t key[store::kKeyBytes]);
// Puts the backup key of the stamp field of `k` into key slot 5 and installs it.
void install_backup_key(const store::Konfigsatz& k);

// ------------------------------------------------------------------ dialog rules
// True when the name entered holds at least one letter: only such a name
// becomes the last backup file path.
bool names_backup_path(const std::string& name);
// The file name a "search" file dialog starts with: the last backup path, else
// the field's text, else "*.*".
std::string search_start_name(const std::string& field_text);
// The start button of the dialog: an empty name, and in backup mode an empty
// transponder number, is refused with its box (false). Otherwise the name
// becomes the last backup path when it holds a letter, the transponder number
// (backup) goes into the Konfigsatz in use, and true is returned.
bool take_start(int mode, const std::string& name, const std::string& transponder,
                ui::Window owner = ui::kNoWindow);
// "Reader": asks for the backup transponder and reads it at the enrol station
// until a number arrives (1, `number` filled, at most 20 characters) or the
// operator answers No to a repeat question (0).
int read_backup_transponder(std::string* number, ui::Window owner = ui::kNoWindow);
// True for a box of read_backup_transponder that asks whether to read again
// (nothing arrived, or the read failed): a caller that answers for the
// operator recognises the repeat questions by it.
bool repeat_question(const std::string& text, const std::string& caption);

// The box that reports a result: `show` false for 0 (cancelled).
struct ResultBox {
  bool show = false;
  std::string text, caption;
  unsigned style = ui::kOk;
};
ResultBox result_box(int mode, int result);
// Shows result_box(mode, result) when there is one.
void show_result(int mode, int result, ui::Window owner = ui::kNoWindow);

// ------------------------------------------------------------------ reading a backup
// Reads a whole backup file the way a restore does: installs the built-in keys
// and the backup key of its stamp, unseals every record and checks its length
// and the key header. 1, or -1 open, -3 position, the code of the first group
// that fails, or -23.
// `stamp` (optional) receives the backup's time stamp once record 1 reads.
int check_backup_file(const std::string& path, std::string* stamp = nullptr,
                      const Hooks& hooks = {});

}  // namespace ops
