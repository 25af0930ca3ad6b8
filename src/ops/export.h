// Master-data export: every used person of the person table as one record of a
// text file laid out by the export layout of the Konfigsatz (ops/layout.h),
// with optional header and footer lines and the person's templates as hex text.
#pragma once

#include <string>
#include <vector>

#include "ops/progress.h"
#include "platform/message_box.h"

namespace ops {

// Runs the export to the stored export path. An existing file is replaced only
// after the operator agreed (question owned by `owner`). Returns 1 done, 0 the
// operator declined to overwrite, or a negative code; every failure is logged
// and leaves the partly written file in place:
//   -1 the old file could not be deleted, -2 created, -3 positioned at 0;
//   -4, -5, -6 writing a blank, CR or LF of the header or footer;
//   -7 positioning within a record (separator mode); -8 writing the blanks
//   before a start or the separators before a column; -9 finding the record's
//   start; -10, -12 ... -28 writing the field of code 1, 2 ... 10; -11, -13 ...
//   -29 writing its padding blanks or trailing separator; -30 the template text;
//   -31 the set-length padding; -32 CR; -33 LF; -34 flushing the finished
//   file to the disk or closing it.
// A person whose template record cannot be read (or holds an impossible
// template length) is exported with empty template blocks, and a log line says so.
//
// In separator mode a person with a value that holds the separator (or a line
// end) is left out: written, the value would be cut there and the columns
// after it shifted. Each is logged and named in `report`.
struct ExportReport {
  std::vector<std::string> left_out;  // Personalnummer of each person left out
};
int export_persons(ui::Window owner, const Progress& progress = nullptr,
                   ExportReport* report = nullptr);

// The box text of the export's result (caption "Daten Export"), naming the
// persons left out.
std::string export_result_text(int code, const ExportReport& report = ExportReport{});
const std::string& export_caption();

}  // namespace ops
