// Master-data import: reads persons (and optionally their templates) from a text
// file laid out by the import layout of the Konfigsatz (ops/layout.h), checks
// each record against the input mask and the persons stored, asks the operator
// about every faulty record and stores the good ones as new persons.
#pragma once

#include <string>

#include "ops/progress.h"
#include "platform/message_box.h"

namespace ops {

struct ImportResult {
  // 1 all records processed; 0 the file ended inside a record; -90 the operator
  // stopped the import; another negative code for a failing step:
  //   -1 open, -2 position at 0;
  //   header given as a length: -3 read failed, -4 too few bytes, -5/-6 CR
  //   read failed/missing, -7/-8 LF read failed/missing; header lines of the set
  //   length: -10/-11 the line, -12/-13 CR, -14/-15 LF; header lines up to their
  //   terminator: -16 read failed, -17 the file ends inside the header;
  //   -60 the data start is not known;
  //   counting the records: -61 a read failed, -62 an LF without its CR, -63 a
  //   read after a CR failed, -64 a CR not followed by LF; without terminators
  //   -67 the file size is not known, -68 the size is no whole number of records
  //   (or no set length is given);
  //   -70 back to the data start;
  //   in a record: -25 its start (position not known, or not reached again),
  //   -26 a read while counting separators, -30 a read of a field, -31 a field
  //   longer than 1024 bytes (separator mode); -50 moving to a start, -51 reading
  //   a field (start-and-length mode); -80 reading a template header, -81 its
  //   data, -82 template text that is not a block of hex digits with a possible
  //   length; at its end -35 position, -36 moving to the set length, -37 the
  //   record runs past its set length, -38/-39 CR read failed/missing, -40/-41 LF
  //   (start-and-length mode), -42 skipping to the CR, -44 skipping to the LF
  //   (separator mode).
  // A last record without its terminator is taken as complete.
  int code = 0;
  int read_in = 0;  // records that passed the checks and reached the storing step
  int faulty = 0;   // records not stored: failed checks, duplicates, failed writes
};

// Runs the import from the stored import path. Questions and boxes are owned by
// `owner`. Persons stored before a failure or a "No" stay stored; the file is
// closed on every path. Every question, answer and failure is logged.
ImportResult import_persons(ui::Window owner, const Progress& progress = nullptr);

// The box text of the import's result (caption "Daten Import").
std::string import_result_text(const ImportResult& r);
const std::string& import_caption();
// The three log lines of a completed import (nothing for a failed one).
void log_import_result(const ImportResult& r);

}  // namespace ops
