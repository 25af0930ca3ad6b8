// The layout of the master-data export and import files: up to ten positions,
// each naming a person field, placed by separator count or by byte offset and
// length, with header, footer, record terminators, a fixed record length and
// optionally the templates. Both layouts are kept in the Konfigsatz.
//
// check_layout holds the checks of the export and import dialogs; the dialogs
// and `enroltool layout` call it and show the message it returns.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "store/records.h"

namespace ops {

enum class Exchange { Export, Import };

// Field codes of a position.
enum FieldCode : int {
  kFieldNone = 0,
  kFieldName = 1,
  kFieldFirstName = 2,
  kFieldPersNo = 3,
  kFieldZusatz1 = 4,  // before the company code
  kFieldComp = 5,
  kFieldZusatz2 = 6,  // after the company code
  kFieldZusatz3 = 7,  // before the Ausweisnummer
  kFieldPreset = 8,   // Ausweisnummer
  kFieldZusatz4 = 9,  // after the Ausweisnummer
  kFieldUserPin = 10,
  kFieldCodes = 11
};
constexpr int kPositions = 10;

struct Position {
  int code = kFieldNone;
  int start = 0;   // byte offset in the record, or the column (separators before it)
  int length = 0;  // width in bytes (start-and-length mode only)
};

struct Layout {
  std::string path;
  std::uint8_t separator = 0;  // 0: Tab
  bool start_length = false;   // false: placed by separator count
  int header = 0;
  bool header_as_length = false;  // one line of `header` blanks instead of lines
  int set_length = 0;
  bool cr = false, lf = false;
  std::array<Position, kPositions> pos{};
  int footer = 0;
  bool footer_as_length = false;
  bool templates = false;
  int template_start = 0;  // import, start-and-length mode with templates
};

Layout layout_from_konfig(Exchange which, const store::Konfigsatz& k);
// Stores every setting of `l` into the Konfigsatz (values as their fields hold them).
void layout_to_konfig(Exchange which, const Layout& l, store::Konfigsatz& k);

// The additional field (1 to 4) of codes 4, 6, 7, 9; 0 for the other codes.
int zusatz_of_code(int code);
// True when a position with this code is written or read under the input mask:
// codes 1 to 10, the additional fields only while active.
bool field_in_use(int code, const store::Eingabesatz& mask);
// The entry of the field lists for a code: the additional field's description
// when one is set ("Not used" while it is inactive), the description of "Change
// company code" for the company code when that is active.
std::string field_list_text(int code, const store::Eingabesatz& mask);

// Separators the dialogs accept: blank , ; . : # ~ (and none, stored as 0).
bool separator_allowed(std::uint8_t c);

// Results of check_layout and save_layout.
enum LayoutResult : int {
  kLayoutOk = 1,
  kLayoutBadSeparator = -1,
  kLayoutNoFileName = -2,
  kLayoutBadStart = -3,
  kLayoutBadLength = -4,
  kLayoutValueTooLarge = -5,  // header, footer or set length above 65535
  kLayoutNoField = -6,
  kLayoutOverlap = -7,       // `overlap` holds the code (1, 10, 20, 100 ... 5000, 10000)
  kLayoutNoKeyField = -8,    // import: neither Personalnummer nor Ausweisnummer
  kLayoutDoubleField = -9,   // import: a field code used twice
  kLayoutSaveFailed = -10,   // rw_konfig failed; `save_code` holds its result
};

struct LayoutCheck {
  int result = kLayoutOk;
  int overlap = 0;
  int save_code = 0;
  std::string message;  // the text to show (caption "Fehler Meldung"); empty on success
};

// The checks of "Save changes", in their order: separator, file name, negative
// start or length, no field selected; then the positions are sorted (used
// positions by ascending start, unused ones after them, each keeping its code,
// start and length) and checked for overlaps; for the import also the template
// start, the Personalnummer/Ausweisnummer rule and the duplicate rule. `l` comes
// back sorted even when refused, with the template start 0 unless it applies.
LayoutCheck check_layout(Exchange which, Layout& l);

// check_layout, then stores the layout in the Konfigsatz in use and writes it
// (rw_konfig). Nothing is stored when a check refuses; a failed write leaves the
// Konfigsatz in use as it was saved.
LayoutCheck save_layout(Exchange which, Layout& l);

}  // namespace ops
