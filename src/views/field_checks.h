// Checks of dialog fields while the operator types and when a field is left:
// the hexadecimal typing rule that several forms share, and the boxes of such
// checks. A box of a field check takes the keyboard focus from the field, and
// putting the focus back takes it from another field; both would report that
// field as left. While a check's box is up or the focus is being put back, a
// view ignores FocusLost (field_check_running), so that one refused entry
// gives one box and two refused fields cannot send the focus to and fro.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ui.h"

namespace views {

// Where the first character that is not 0-9, A-F or a-f stands; npos when the
// text is all hexadecimal.
std::size_t first_non_hex(const std::string& text);
// The text without its characters that are not hexadecimal.
std::string without_non_hex(const std::string& text);

// The hexadecimal typing rule, for the EditChanged of an edit: every character
// that is not hexadecimal is removed, "\nUnzulässiges Zeichen '%c' eingegeben
// !\nErlaubt sind die Zeichen 0 - 9 und A - F !\n\n" names the first of them
// (caption "Info", owned by the dialog) and the field keeps the rest, with the
// caret at its end. True when the text was taken as typed.
bool hex_typing(ui::Window dialog, int id);

// A box of a field check: `text` with caption "Info", owned by the dialog.
void field_box(ui::Window dialog, const std::string& text);
// Puts the focus back into the field that was refused.
void refocus(ui::Window dialog, int id);
// True while a field check's box is up or the focus is being put back.
bool field_check_running();

}  // namespace views
