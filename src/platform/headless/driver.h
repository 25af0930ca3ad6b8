// Test side of the headless ui backend: drive the program the way an operator
// does and look at what it shows. Every operator action is refused (returns
// false, changes nothing) where a real window would refuse it: a missing, hidden
// or disabled window or control, a read-only edit, an item a list does not hold,
// a greyed menu item. After each action posted commands and due timers run.
// Message boxes: boxes.h.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/boxes.h"
#include "platform/ui.h"

namespace ui::headless {

// Forgets every window, the menu, queued commands, timers, boxes, scripted file
// dialogs and armed failures. Starts the virtual clock when it is not running
// (timers run in virtual time).
void reset();

// ---- finding windows
Window main_window();
// The open dialog made from template `resource`, kNoWindow when none is open.
Window find_dialog(const char* resource);
// The newest open dialog (the one the keyboard rule serves), kNoWindow when none.
Window top_dialog();
std::vector<Window> open_dialogs();
// The open list window of a class ("LView_p" ...), kNoWindow when none.
Window find_list(const char* class_name);
// The overlay over `parent`, kNoWindow when none.
Window find_overlay(Window parent);
// Resource name of a dialog, class name of any other window.
std::string class_of(Window w);
Window owner_of(Window w);

// ---- operator actions
// Selects the whole text of the edit (or combo edit) and types `text` over it, one
// character at a time: digits-only edits drop other characters, upper-case edits
// turn letters into capitals, the text limit stops further characters. Each
// character taken raises EditChanged. False when the control takes no typing or a
// character was dropped.
bool type(Window w, int id, const std::string& text);
// The same, typing at the end of the present text.
bool type_more(Window w, int id, const std::string& text);
// Puts the focus into a control, as a click into it does.
bool click_into(Window w, int id);
// Presses a button, check box or radio button: the focus moves to it, a check box
// toggles, a radio button is checked and the others of its group cleared, and
// the window receives Command(id, 0).
bool press(Window w, int id);
// A key on the focused window: Enter and Tab follow the keyboard rule while a
// dialog is open, Escape in a dialog sends it Command(kIdCancel); F1 to F11 are
// looked up in the accelerator table.
bool press_key(int key);
bool press_enter();
// Chooses an entry of a combo or list box (by index or exact text); raises
// SelectionChanged.
bool choose_item(Window w, int id, int index);
bool choose_item(Window w, int id, const std::string& text);
// Report lists.
bool click_header(Window w, int id, int column);
bool click_row(Window w, int id, int row);  // selects this row only
bool select_rows(Window w, int id, const std::vector<int>& rows);
bool double_click_row(Window w, int id, int row);
// A right click on an unselected row selects it alone; on a selected row it keeps
// the selection. row -1 clicks below the rows.
bool right_click_row(Window w, int id, int row);
bool list_enter(Window w, int id);
// A menu command of the main window (refused when the main window is disabled or
// the item greyed).
bool choose_menu(int command);
// The close box of a window.
bool close_window(Window w);

// ---- time and the queue
// Runs posted commands and timers that are due, until nothing is left.
void pump();
// Moves virtual time on by `ms`, firing each timer when it falls due.
void advance(std::uint64_t ms);
bool timer_running(Window w, unsigned id);

// ---- file dialogs
struct FileDialogShown {
  Window owner;
  FileDialog dialog;
  bool chosen;       // false: cancelled
  std::string path;  // the path handed back
  bool unscripted;   // nothing was scripted: cancelled
};
void script_file(const std::string& path);
void script_file_cancel();
const std::vector<FileDialogShown>& file_dialogs();
std::size_t unanswered_files();

// ---- looking at the windows
std::vector<std::vector<std::string>> rows(Window w, int id);
std::vector<std::string> items(Window w, int id);
std::vector<std::string> column_titles(Window w, int id);
std::vector<int> column_widths(Window w, int id);
int text_limit(Window w, int id);
// The text as the operator sees it ('*' per character in a password edit).
std::string shown_text(Window w, int id);
struct ProgressState {
  int low, high, step, position;
};
ProgressState progress(Window w, int id);
std::vector<int> status_part_edges(Window w, int id);
bool menu_attached();
int menu_redraws();
int redraws(Window w);
// Where the keyboard focus is: window and control id (0: the window itself).
std::pair<Window, int> focus();
// Every text shown on an overlay, in order.
const std::vector<std::string>& overlay_texts();
// The main window's exit code once post_quit was called, else -1.
int quit_code();

// Paints the window (its handler receives Paint) and returns what it drew.
struct PaintOp {
  enum Kind { DrawImage, DrawText } kind;
  ui::Image image;
  Blend blend;
  std::string text;
  Rect box;  // image: x, y and the drawn width and height
  Font font;
  Colour colour;
};
std::vector<PaintOp> paint(Window w);

// ---- failures of the windowing system, for the program's error paths
enum class Failure {
  RegisterClasses,
  CreateWindow,  // main and list windows
  CreateDialog,
  CreateReportList,
  AddColumn,
  InsertRow,
  DeleteRow,
  CreateProgress,
  CreateStatusBar,
  SetTimer,
  KillTimer,
  LoadAccelerators,
  AttachMenu,
  NoDialogFont,
};
// The nth call of that kind from now (1 = the next) fails.
void fail_next(Failure f, int nth = 1);
void set_screen_size(Size size);

}  // namespace ui::headless
