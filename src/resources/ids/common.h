// Control ids that every dialog shares. The action buttons 900 (save, OK, login,
// send), 930 (a second action) and 950 ("Exit Menu") are named by the ui layer,
// whose keyboard rule gives them their meaning: ui::kIdAction, ui::kIdSecond,
// ui::kIdExitMenu.
#pragma once

#include "platform/ui_rules.h"
