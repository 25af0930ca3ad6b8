// The ui layer: what the views need of a windowing system, and nothing more.
// Texts passed in and out are Windows-1252 bytes; the backends convert at their
// boundary. Backends: win32 (real windows) and headless (in memory, scripted).
//
// Windows are handles; controls are addressed by their window and control id,
// as the dialog templates (src/resources/dialogs.h) name them. Every window has
// one handler that receives its events (commands, timers, list and control
// notifications, close, paint). Everything runs on the one GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace ui {

// ---------------------------------------------------------------------------
// Geometry and colours

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};
struct Size {
  int width = 0, height = 0;
};
struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool face = false;  // the system's button face colour instead of r, g, b
};
constexpr bool operator==(const Colour& a, const Colour& b) {
  return a.face == b.face && (a.face || (a.r == b.r && a.g == b.g && a.b == b.b));
}
constexpr bool operator!=(const Colour& a, const Colour& b) { return !(a == b); }
constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Colour{r, g, b, false};
}
constexpr Colour kFaceColour{0, 0, 0, true};

// ---------------------------------------------------------------------------
// Events

enum class EventKind {
  Command,           // id = command or control id, param = value. A pressed button, a
                     // ticked check box or radio button arrives as Command(id, 0), exactly
                     // like a command posted with that id; Escape in a dialog arrives as
                     // Command(kIdCancel, 0).
  Timer,             // id = timer id
  HeaderClick,       // report list `id`: header of `column` clicked
  DoubleClick,       // report list `id`: double click on `row` (-1 when on no row)
  ListEnter,         // report list `id`: Enter pressed while the list has the focus
  RightClick,        // report list `id`: right click on `row` (-1 when on no row)
  EditChanged,       // edit (or combo edit) `id`: its text changed (also by set_text)
  FocusLost,         // edit `id` lost the keyboard focus
  SelectionChanged,  // combo or list box `id`: the operator chose another entry
  Close,             // the operator asked to close the window (close box, Alt+F4)
  Paint,             // the window is to be painted (main window, list windows)
  Sized,             // the client area changed size (client_size gives it)
  Destroyed,         // the window is being destroyed; its handle is invalid afterwards
};

struct Event {
  EventKind kind = EventKind::Command;
  int id = 0;
  std::intptr_t param = 0;
  int row = -1;
  int column = -1;
};

// Returns true when the event was handled. Unhandled Close: a dialog presses its
// "Exit Menu" button 950 when it has an enabled one (and otherwise stays), every
// other window is destroyed. Unhandled Paint: the window's background is painted.
using Handler = std::function<bool(Window, const Event&)>;

// ---------------------------------------------------------------------------
// Windows

// Window classes: the main window "ENROL" and the list windows. Returns false when
// a class cannot be registered (the program then ends at once).
bool register_window_classes();
constexpr const char* kMainClass = "ENROL";
constexpr const char* kListPersons = "LView_p";
constexpr const char* kListTemplates = "LView_t";
constexpr const char* kListReaders = "LView_l";
constexpr const char* kListTemplateDelete = "LView_dt";
constexpr const char* kListDownloadPersons = "LView_dp";
constexpr const char* kListTemplateOnCard = "LView_dc";

// The main window (class "ENROL", overlapped, default position), shown at once.
Window create_main_window(const std::string& title, int width, int height,
                          const Handler& handler);
// A list window: a top-level window of one of the LView_ classes, owned by `owner`,
// at `rect` (screen pixels), shown at once. kNoWindow on failure.
Window create_list_window(const char* class_name, Window owner, const std::string& title,
                          const Rect& rect, const Handler& handler);
// A modeless dialog from the dialog template `resource` ("D_PERSON" ...), owned by
// `owner`, with the texts of the current edition, shown at the template's position
// relative to the owner. Only one chain of dialogs can be open: a new dialog is
// refused (kNoWindow) unless every open dialog is an owner (directly or further up)
// of the new one. kNoWindow also when the template does not exist.
Window create_dialog(const char* resource, Window owner, const Handler& handler);
// The overlay: a child window covering the whole client area of `parent`, on which
// one text is drawn in Arial of `font_height` pixels, red, centred a little above
// the middle. set_overlay_text repaints at once (the caller usually blocks next).
Window create_overlay(Window parent, int font_height);
void set_overlay_text(Window overlay, const std::string& text);

// Destroys the window, the windows it owns and its timers; the handler receives
// Destroyed first (owned windows before their owner).
void destroy_window(Window w);
bool window_exists(Window w);

void enable_window(Window w, bool on);
bool window_enabled(Window w);
void show_window(Window w, bool on);
bool window_visible(Window w);
// The system menu of a top-level window (and with it the close box): while it
// is off the operator cannot close the window.
void show_system_menu(Window w, bool on);
bool system_menu_shown(Window w);
// Brings the window to the front and gives it the keyboard focus.
void focus_window(Window w);
void set_title(Window w, const std::string& title);
std::string title(Window w);
// Outer rectangle in screen pixels; move_window sets it.
Rect window_rect(Window w);
void move_window(Window w, const Rect& rect);
Size client_size(Window w);
Size screen_size();
// Repaints the whole window now (also while the caller is about to block).
void redraw(Window w);

// The rectangle of a window of `inner` size centred over `outer`; in a direction
// where it is larger than `outer` it is aligned with outer's left or top edge.
Rect centred_over(const Rect& outer, Size inner);

// ---------------------------------------------------------------------------
// Commands and the message loop

// Calls the window's handler with Command(id, param) at once and returns after it.
void send_command(Window w, int id, std::intptr_t param = 0);
// Queues Command(id, param) for the window; it runs from the message loop.
void post_command(Window w, int id, std::intptr_t param = 0);
// The real program's message loop (keyboard rule, open dialog, accelerators);
// returns the code given to post_quit.
int run_message_loop(Window main_window);
void post_quit(int code);

// ---------------------------------------------------------------------------
// Controls by id

bool control_exists(Window w, int id);
void set_text(Window w, int id, const std::string& text);
std::string get_text(Window w, int id);
// Largest number of characters the operator can type (0 = the system's limit).
void limit_text(Window w, int id, int max_chars);
void enable_control(Window w, int id, bool on);
bool control_enabled(Window w, int id);
void show_control(Window w, int id, bool on);
bool control_visible(Window w, int id);
void focus_control(Window w, int id);
// Moves the focus to the next field of a dialog, as Tab does; false when there is
// no field to move to.
bool focus_next(Window w);
// Id of the control of `w` that has the keyboard focus, 0 when none has.
int focused_control(Window w);
// Rectangle in the client pixels of `w`.
Rect control_rect(Window w, int id);
void move_control(Window w, int id, const Rect& rect);
void redraw_control(Window w, int id);
void destroy_control(Window w, int id);

// Edit styles, switched on or off at run time.
enum EditStyle : unsigned {
  kReadOnly = 0x1,   // shows its text, takes no typing
  kDigitsOnly = 0x2, // typing takes 0-9 only
  kUpperCase = 0x4,  // typed letters become upper case
  kPassword = 0x8,   // shows '*' for every character
};
void set_edit_style(Window w, int id, unsigned styles, bool on);
unsigned edit_style(Window w, int id);

// Check boxes and radio buttons. check_radio ticks `id` and clears the other
// radio buttons of ids first..last.
void set_check(Window w, int id, bool on);
bool checked(Window w, int id);
void check_radio(Window w, int first, int last, int id);

// Combo boxes and list boxes. Indices from 0; -1 is "none".
void items_clear(Window w, int id);
int items_add(Window w, int id, const std::string& text);  // index, or -1
bool items_select(Window w, int id, int index);          // -1 clears the selection
int items_selected(Window w, int id);
int items_count(Window w, int id);
std::string items_text(Window w, int id, int index);
// The text of a combo box is its edit text (get_text / set_text).

// Report list views (control 8000 of the list windows).
enum ListStyle : unsigned { kGridLines = 0x1, kFullRowSelect = 0x2, kMultiSelect = 0x4 };
// Creates a report list filling the client area of `w` and following its size.
bool create_report_list(Window w, int id, unsigned list_styles);
bool list_add_column(Window w, int id, int column, const std::string& text, int width);
void list_set_column_text(Window w, int id, int column, const std::string& text);
int list_column_count(Window w, int id);
// Inserts a row before `row` (at the end when row >= count); returns its index, -1
// on failure.
int list_insert_row(Window w, int id, int row, const std::vector<std::string>& texts);
bool list_set_text(Window w, int id, int row, int column, const std::string& text);
std::string list_text(Window w, int id, int row, int column);
int list_count(Window w, int id);
bool list_delete_row(Window w, int id, int row);
void list_clear(Window w, int id);
std::vector<int> list_selected(Window w, int id);
int list_first_selected(Window w, int id);  // -1 when none
void list_select(Window w, int id, int row, bool on);
// Selects, focuses and scrolls to the row.
void list_focus_row(Window w, int id, int row);
// Sorts the rows (texts and selection move with them); `compare` returns <0, 0, >0
// for two rows' column texts. Rows that compare equal keep their order.
using RowCompare =
    std::function<int(const std::vector<std::string>&, const std::vector<std::string>&)>;
void list_sort(Window w, int id, const RowCompare& compare);

// Progress bar, created at run time (control 7010 of the reader selection).
bool create_progress(Window w, int id, const Rect& rect);
void progress_range(Window w, int id, int low, int high);
void progress_step_size(Window w, int id, int step);
void progress_step(Window w, int id);  // advances by the step size; past high it wraps to low
void progress_set(Window w, int id, int position);
int progress_position(Window w, int id);

// Status bar (control 7000 of the main window): a child at the bottom of the client
// area, with a size grip; parts are given by their right edges in pixels.
bool create_status_bar(Window w, int id);
void status_parts(Window w, int id, const std::vector<int>& right_edges);
void set_status_text(Window w, int id, int part, const std::string& text);
std::string status_text(Window w, int id, int part);

// Owner-drawn colour buttons (the finger grid) and coloured boxes: background
// colour; the label is drawn centred in black (set_text sets it). Buttons get a
// black frame, two pixels wide while pressed or focused.
void set_colour(Window w, int id, Colour background);
Colour colour(Window w, int id);
// Text colour of a label (black unless set).
void set_text_colour(Window w, int id, Colour text);
Colour text_colour(Window w, int id);
// Draws a label in the dialog's font at `height` pixels; false when the dialog
// has no font to derive it from.
bool set_font_height(Window w, int id, int height);

// ---------------------------------------------------------------------------
// Painting (only while the window's handler is handling Paint)

using Image = std::uintptr_t;  // 0 = none
// Bitmap from the resources ("HGRUND") or from a .bmp file; 0 when missing or
// unreadable.
Image load_image_resource(const char* name);
Image load_image_file(const std::string& path);
Size image_size(Image image);
void free_image(Image image);

enum class Blend { Copy, And };
struct Font {
  std::string face;
  int height = 0;
  bool bold = false, italic = false, underline = false;
  bool fixed_pitch = false;  // fixed pitch, modern family, ANSI character set
};
// Draws the top-left width x height pixels of the image at (x, y).
void paint_image(Window w, Image image, int x, int y, int width, int height, Blend blend);
// Draws one line of text centred in `box`, transparent background.
void paint_text(Window w, const std::string& text, const Rect& box, const Font& font,
                Colour colour);

// ---------------------------------------------------------------------------
// Timers: periodic until killed, delivered as Timer(id) to the window.

bool set_timer(Window w, unsigned id, unsigned ms);
bool kill_timer(Window w, unsigned id);  // false when no such timer runs

// ---------------------------------------------------------------------------
// Menu STARTMENU and accelerators ACCEL_TABLE of the main window

bool attach_menu(Window main_window);
// Enables or greys a menu item by command id; returns false for an unknown id.
bool menu_enable(Window main_window, int command, bool on);
bool menu_enabled(Window main_window, int command);
void menu_redraw(Window main_window);
// Loads the accelerator table for the message loop; false when it is missing.
bool load_accelerators();

// ---------------------------------------------------------------------------
// File dialogs

struct FileDialog {
  bool save = false;            // save dialog, else open dialog
  std::string title;            // "Datei speichern" ...
  std::string filter_name;      // "All Files"
  std::string filter_pattern;   // "*.*"
  std::string initial;          // starting path or folder; empty: current directory
  bool overwrite_prompt = false;
  bool path_must_exist = false;
};
// True with the chosen path, false when the operator cancelled.
bool file_dialog(Window owner, const FileDialog& dialog, std::string* path);

}  // namespace ui
