// Parameter files: L-Parameter.txt holds the sets a reader parameter download
// sends, E-Parameter.txt those of an enrol parameter download. Both are plain
// text, one set a line as hexadecimal digits, and are read by one parser into a
// table of ten sets that load_reader_parameter / load_enrol_parameter send.
#pragma once

#include <array>
#include <string>

#include "link/link.h"
#include "platform/message_box.h"

namespace ops {

enum class ParamFile { Reader, Enrol };

constexpr const char* kReaderParamFile = "L-Parameter.txt";
constexpr const char* kEnrolParamFile = "E-Parameter.txt";

// Digits a line may hold: two a byte, 147 bytes.
constexpr int kMaxLineDigits = 294;

// Ten sets; a download sends them from set 0 up to the first empty one.
using ParameterTable = std::array<rlink::ParameterSet, rlink::kParameterSets>;

// The two tables the downloads send.
struct ParameterTables {
  ParameterTable reader;
  ParameterTable enrol;
};
ParameterTables& parameter_tables();
// Empties both tables (tests, and before a fresh start).
void reset_parameter_tables();
ParameterTable& table_of(ParamFile which);
const char* file_name(ParamFile which);

// Reads the file at `path` into `table`, which is cleared first. Returns the
// number of lines read (1 to 10; every line counts, an empty one too, and so
// does the end of the file: an empty file gives 1, three lines each ending in a
// line break give 4; after the tenth line the rest is not read), or:
//   -3 the file cannot be opened, -4 positioning at its start failed,
//   -5 a read inside a line failed, -6 a character other than a hex digit, CR
//   or LF, -7 an odd number of digits, -8 more than 295 digits (no line end
//   after them), -9 the read after a CR failed, -10 a CR not followed by LF.
// On an error the table stays cleared or holds the sets read before it.
int parse_parameter_file(const std::string& path, ParameterTable& table);

// Reads the working directory's file for `which` into its table: the result of
// parse_parameter_file, or -1 (no working directory) / -2 (the path is too long).
int read_parameter_file(ParamFile which);

// Sets a download sends from `table`: those before the first empty one.
int sets_to_send(const ParameterTable& table);

struct Box {
  std::string text;  // empty: no box
  std::string caption;
};
// The parser's own message for a code (-6, -7, -8, -10), with the caption of
// the file; an empty text for every other code.
Box parameter_fault_box(ParamFile which, int code);
// What a download shows when its file did not read: -3 asks whether the file
// is there, every other code is a read error quoting the code.
Box parameter_read_box(ParamFile which, int code);
// Shows, for a failed read, the parser's message (when the code has one) and
// then the download's box, both owned by `owner`.
void report_parameter_file_error(ui::Window owner, ParamFile which, int code);

}  // namespace ops
