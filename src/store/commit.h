// A change of several files of the working directory that takes effect whole
// or not at all, even when the process is killed or the power fails half-way.
//
//   1. Every new file is written beside the file it replaces ("Personen.dat.new")
//      and flushed to the disk.
//   2. commit() writes the intent file "Commit.txt" (as "Commit.txt.new",
//      flushed, then renamed into place). It names every file of the change
//      with the size and CRC-32 of its new contents; once it is in place the
//      change counts as made.
//   3. Each file in use moves aside ("Personen.dat.old") and the new one takes
//      its name; then the old files go, and the intent file last.
//
// recover_change() runs before anything reads the installation (at the
// program's start and in every enroltool command): a change whose intent file
// was left behind is finished when all its new files are complete and undone
// otherwise. Without an intent file, a new file left over is removed and an
// old file set aside is put back. Each outcome is written to Log.txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace store {

extern const char* const kIntentFile;  // "Commit.txt"

// The files a change may replace: the installation's data files. A new
// record file that is ever written by a change belongs in this list (in
// commit.cpp); the recovery cleans up after these names only.
bool is_installation_file(const std::string& name);

// The new contents of files, collected and then put into place together.
// While a change holds new contents for a file, the store's own record and
// configuration operations read that file's new contents (so that a new
// installation can be checked before it replaces the old one); they must not
// write to it.
class Change {
 public:
  Change();
  // Removes the new files of a change that was not committed.
  ~Change();
  Change(const Change&) = delete;
  Change& operator=(const Change&) = delete;

  // What a step of writing a new file gives.
  enum Step : int {
    kDone = 0,
    kNoDirectory,  // no working directory is set
    kPathTooLong,  // the path of the new file would be too long
    kOpenFailed,   // the new file could not be created
    kSeekFailed,   // positioning at its start failed
    kWriteFailed,  // writing, flushing to the disk or closing failed
  };

  // Begins the new contents of `name`, one of the installation's files (any
  // other name fails as kOpenFailed), in "<name>.new": created empty and
  // positioned at its start. Contents begun before for the same name are
  // dropped.
  Step open(const char* name);
  // Appends n bytes to the file begun last.
  Step write(const void* data, std::size_t n);
  // Flushes the file begun last to the disk and closes it; it is then part of
  // the change. A failing step removes the new file.
  Step close();
  // open, write and close in one.
  Step put(const char* name, const void* data, std::size_t n);

  // Results of commit().
  enum Commit : int {
    kCommitted = 1,
    kIntentFailed = -1,  // the intent file could not be written
    kPlaceFailed = -2,   // a new file could not be put into place
  };
  // Puts every closed file into place as one change. On a failure the new
  // files are removed and the files in use are as they were (should undoing
  // fail as well, the next start's recovery finishes or undoes the change).
  int commit();
  // Removes every new file of the change; the files in use are not touched.
  void discard();

  // True when the change holds closed new contents for `name`.
  bool holds(const std::string& name) const;

 private:
  struct Entry {
    std::string name;
    std::int64_t size = 0;
    std::uint32_t crc = 0;
  };
  void drop_open();

  std::vector<Entry> entries_;
  Entry open_;  // the file begun last, while it is open
  platform::File file_;
  Change* outer_ = nullptr;  // the change that was active before this one
};

// Results of recover_change().
enum RecoverResult : int {
  kRecoverNothing = 0,      // no change was left behind, no file left over
  kRecoverFinished = 1,     // a change left behind was finished
  kRecoverUndone = 2,       // a change left behind was undone
  kRecoverCleaned = 3,      // new files left over were removed, old ones put back
  kRecoverUnreadable = -1,  // the intent file or a file it names could not be read
  kRecoverDamaged = -2,     // the intent file is not one this program writes
  kRecoverStepFailed = -3,  // a rename or removal failed; running again goes on
};
// Finishes or undoes a change left behind in the working directory (see the
// top of this file). A failure leaves every file where it is: nothing is lost,
// and the next run goes on from there.
int recover_change();

// ---------------------------------------------------------------- intent file
// One line of the intent file.
struct IntentEntry {
  std::string name;
  std::int64_t size = 0;
  std::uint32_t crc = 0;
  bool replaces = false;  // a file of that name was in use when the change began
};
// The intent file's text:
//   enrol-change 1
//   replace Personen.dat 112000 0f1e2d3c      (or "create" for a file not there before)
//   ...
//   end 89abcdef                              (CRC-32 of everything before this line)
// every line ending with a line feed.
std::string intent_text(const std::vector<IntentEntry>& entries);
// Reads an intent file's text. False for anything intent_text would not
// write: a wrong first or last line, a damaged checksum, a name that is not
// one of the installation's files or comes twice, no entry or too many.
bool parse_intent(const std::string& text, std::vector<IntentEntry>* entries);
// CRC-32 (the polynomial of zip and PNG) of n bytes, continuing from `crc`
// (0 to start).
std::uint32_t crc32(const void* data, std::size_t n, std::uint32_t crc = 0);

}  // namespace store
