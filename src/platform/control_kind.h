// The kinds of control both ui backends keep: those a dialog template names,
// and the ones the program creates at run time (report list, progress bar,
// status bar).
#pragma once

#include "resources/dialogs.h"

namespace ui {

enum class ControlKind {
  Label,
  Box,
  Group,
  Edit,
  Button,
  ColourButton,
  CheckBox,
  Radio,
  ComboList,
  ComboEdit,
  ListBox,
  Report,
  Progress,
  StatusBar,
};

inline ControlKind kind_of(res::Ctl c) {
  switch (c) {
    case res::Ctl::Label: return ControlKind::Label;
    case res::Ctl::Box: return ControlKind::Box;
    case res::Ctl::Group: return ControlKind::Group;
    case res::Ctl::Edit: return ControlKind::Edit;
    case res::Ctl::Button: return ControlKind::Button;
    case res::Ctl::ColourButton: return ControlKind::ColourButton;
    case res::Ctl::CheckBox: return ControlKind::CheckBox;
    case res::Ctl::Radio: return ControlKind::Radio;
    case res::Ctl::ComboList: return ControlKind::ComboList;
    case res::Ctl::ComboEdit: return ControlKind::ComboEdit;
    case res::Ctl::ListBox: return ControlKind::ListBox;
  }
  return ControlKind::Label;
}

}  // namespace ui
