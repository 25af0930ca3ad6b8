// The reader loop: persons and their templates sent to the selected readers,
// with each person's reader mask kept in line with what the readers hold. One
// loop serves the bulk download (all persons, after erasing each reader), the
// download of the persons picked in the download-persons window, and the
// download of the current person from the template list and the
// Template-on-Card list, and the load of the persons whose templates were
// deleted in the template-delete list; with no persons and work at each
// reader it also serves the maintenance commands (ops/maintenance.h). What
// differs between them (log prefix, texts and captions, when the bar
// advances, whether erase, work and set_iversion run, the closing text) is a
// LoopPlan; how progress is shown is a set of hooks.
//
// Every failure inside the loop is shown in one message box (and logged as
// the plan says) and the loop goes on; no failure ends it early.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "store/records.h"

namespace ops {

// No text.
constexpr res::TextId kNone = static_cast<res::TextId>(-1);

// What work at a reader itself may do besides its operation: set the status
// texts 150/160 (both empty: cleared), and show a failure box, counted as the
// loop's own.
using ShowBox = std::function<void(const std::string& text, res::TextId caption)>;
struct WorkSteps {
  std::function<void(const std::string& operation, const std::string& detail)> status;
  ShowBox fail;
};
// Work at reader slot `slot` (the current reader) after its first check passed;
// returns the operation's result (1 success).
using ReaderWork = std::function<int(int slot, const store::Lesersatz& reader, const WorkSteps& steps)>;

// The differences between the copies of the loop. Log lines are catalogue
// texts (the same in both editions) written after the prefix.
struct LoopPlan {
  const char* log_prefix;  // "DownAlle  - " ...
  // Per reader, before its persons: check_leser_parameter once (a failure is
  // shown once and the reader skipped), then erase all its templates.
  bool first_check = false;
  // The first check's failure: its box (reader name, bus address, result) with
  // its caption, and its log line (kNone for none); the status texts are
  // cleared before the box when `clear_before_reader_box`.
  res::TextId reader_check_failed = res::DS_READER_CHECK_FAILED;
  res::TextId reader_check_caption = res::DS_CAP_DOWNLOAD_ERROR;
  res::TextId reader_check_log = res::DSL_READER_CHECK_FAILED;
  bool clear_before_reader_box = false;
  // Work at the reader itself after the first check and before its persons
  // (the maintenance commands run with no persons); unset for none.
  ReaderWork work;
  bool erase = false;
  // After a reader's persons: the release-info text into the reader.
  bool iversion = false;
  // Whether the bar advances when the check brought the reader's parameters
  // up to date (result above 1), and after a failed record read.
  bool step_when_updated = true;
  bool step_after_read_failure = true;
  // Status 150 at the start, and after each person stored in a reader.
  res::TextId start_status;
  res::TextId stored_status;
  // Trace line after each person stored (after the prefix: Personalnummer,
  // reader name); kNone for none.
  res::TextId stored_trace;
  // check_leser_parameter failed for a person: box, caption, log line.
  res::TextId check_failed;
  res::TextId check_failed_caption;
  res::TextId check_failed_log;
  // The person or the template record did not read (the store's result).
  res::TextId person_read_failed;
  res::TextId person_read_log;
  res::TextId template_read_failed;
  res::TextId template_read_log;
  res::TextId read_failed_caption;
  // add_template failed: box (with the Personalnummer when `add_failed_names`),
  // caption, log line.
  res::TextId add_failed;
  bool add_failed_names;
  res::TextId add_failed_caption;
  res::TextId add_failed_log;
  // Shown after the loop when at least one person was stored, or after every
  // run when `closing_always`; kNone for none.
  res::TextId closing;
  res::TextId closing_caption;
  bool closing_always = false;
};

// The bulk download (commands 2400 and 2300; `erase_mode` after 2300).
LoopPlan bulk_plan(bool erase_mode);
// The download of the persons picked in the download-persons window.
LoopPlan persons_plan();
// The download of the current person from the template list.
LoopPlan template_list_plan();
// The download of the current person from the Template-on-Card list.
LoopPlan toc_plan();
// The load of the persons whose templates were deleted in the template-delete
// list (what is gone leaves the readers).
LoopPlan template_delete_plan();

// What happened at one reader.
struct ReaderReport {
  int slot = 0;
  std::string name;
  int first_check = 0;  // result of the first check (plans with first_check)
  bool skipped = false;  // the first check failed
  int erase = 1;         // result of the erase (plans with erase)
  int stored = 0;        // add_template successes
  int failures = 0;      // message boxes shown for this reader
  int iversion = 1;      // result of set_iversion (plans with iversion)
  int work = 1;          // result of the plan's work at the reader
};

// How the loop shows its progress. Unset hooks do nothing.
struct LoopHooks {
  ui::Window owner = ui::kNoWindow;  // owner of the message boxes
  std::function<void()> step;        // the progress bar advances by one
  // Status texts 150 (operation) and 160 (detail); both empty: cleared.
  std::function<void(const std::string& operation, const std::string& detail)> status;
  std::function<void()> person_done;  // after each (reader, person): repaint
  std::function<void(int slot)> reader_start;  // before anything is sent to reader slot `slot`
  std::function<void()> failed;                // after each failure box of the loop
  std::function<void(const ReaderReport&)> reader_done;
};

struct LoopResult {
  int stored = 0;    // add_template successes
  int failures = 0;  // message boxes shown for failures
  std::vector<ReaderReport> readers;
};

// Runs the loop: for each reader slot of `readers` (in the order given), for
// each person slot of `persons`, as the plan says. The persons are read from the
// files by their record numbers; the reader becomes the current reader. The
// closing text is shown after at least one success.
LoopResult run_reader_loop(const LoopPlan& plan, const std::vector<int>& readers,
                           const std::vector<int>& persons, const LoopHooks& hooks);

// The person slots in use, in slot order.
std::vector<int> persons_in_use();

// Reader slot `reader` holds at least one template of the person in
// store::db().person_read (`stored_any`) or none: the person's bit for that
// reader follows. Only when the mask changed does the person table slot take
// it and the record get written. 0 when nothing changed, the record number
// when written, or the store's negative result.
long update_reader_mask(int reader, bool stored_any);

// Command 2300 before the download: every person in use gets an empty template
// record and its ten template-group marks cleared. Each failure is shown
// (caption "Info") and the next person follows. The number of failures.
int delete_all_templates(ui::Window owner);

}  // namespace ops
