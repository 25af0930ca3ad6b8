// The Windows program: one source for both editions. ENROL_EDITION_GERMAN
// selects the German texts (enrolstation_de); without it the English edition
// (enrolstation) is built.
#include "platform/win32/ui/entry.h"
#include "resources/catalogue.h"
#include "shell/shell.h"

#ifndef ENROL_EDITION_GERMAN
#define ENROL_EDITION_GERMAN 0
#endif

int main() {
  res::select_edition(ENROL_EDITION_GERMAN ? res::Edition::German : res::Edition::English);
  return shell::program_entry(ui::win32::command_tail(), ui::win32::show_state());
}
