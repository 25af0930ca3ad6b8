// Dialog templates as data: every modeless dialog of the program with its
// caption, size and controls. Positions and sizes are in dialog units (a quarter
// of the dialog font's average character width across, an eighth of its height
// down), so that both backends lay them out alike for either edition.
#pragma once

#include <cstddef>

#include "resources/catalogue.h"

namespace res {

enum class Ctl {
  Label,         // static text, left aligned unless kCentre / kRight
  Box,           // static text on a coloured background with a border (quality box)
  Group,         // group box with its title
  Edit,          // single-line edit
  Button,        // push button
  ColourButton,  // owner-drawn push button painted with a background colour
  CheckBox,      // automatic check box
  Radio,         // automatic radio button
  ComboList,     // drop-down list (choose an entry only)
  ComboEdit,     // drop-down combo with an editable text
  ListBox,       // list box
};

// Control styles, combined with |.
constexpr unsigned kReadOnly = 0x1;  // edit: shows text, takes no typing
constexpr unsigned kDigitsOnly = 0x2;  // edit: 0-9 only
constexpr unsigned kUpperCase = 0x4;  // edit: letters become upper case
constexpr unsigned kPassword = 0x8;  // edit: shows '*'
constexpr unsigned kMultiLine = 0x10;  // button or label text on several lines ("\n")
constexpr unsigned kGroupStart = 0x20;  // first radio button of a group
constexpr unsigned kDisabled = 0x40;  // starts disabled
constexpr unsigned kHidden = 0x80;  // starts hidden
constexpr unsigned kCentre = 0x100;  // label text centred
constexpr unsigned kRight = 0x200;  // label text right aligned
constexpr unsigned kNoTabStop = 0x400;  // the focus does not stop here on Tab

// A control without a text of its own (edits, lists, labels filled at run time).
constexpr TextId kNoText = static_cast<TextId>(-1);
// Id of a label that the program never addresses.
constexpr int kStaticId = -1;

struct ControlTemplate {
  Ctl kind;
  int id;
  TextId text;
  short x, y, width, height;
  unsigned style;
};

struct DialogTemplate {
  const char* name;  // resource name, "D_PERSON" ...
  TextId caption;
  short width, height;
  const ControlTemplate* controls;
  std::size_t count;
};

// The template of a resource name, null when there is none.
const DialogTemplate* dialog_template(const char* name);
// All templates, for checks and for backends that build them up front.
const DialogTemplate* dialog_templates(std::size_t* count);

}  // namespace res
