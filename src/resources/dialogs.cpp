// The dialog templates. Each dialog is laid out once, in dialog units, wide enough
// for the longer of its two editions' texts.
#include "resources/dialogs.h"

#include <cstring>
#include <vector>

namespace res {
namespace {

using C = ControlTemplate;

class Layout {
 public:
  void label(int id, TextId text, int x, int y, int w, int h = 8, unsigned style = 0) {
    add(Ctl::Label, id, text, x, y, w, h, style);
  }
  void box(int id, int x, int y, int w, int h) { add(Ctl::Box, id, kNoText, x, y, w, h, 0); }
  void group(int id, TextId text, int x, int y, int w, int h) {
    add(Ctl::Group, id, text, x, y, w, h, 0);
  }
  void edit(int id, int x, int y, int w, unsigned style = 0) {
    add(Ctl::Edit, id, kNoText, x, y, w, 12, style);
  }
  void button(int id, TextId text, int x, int y, int w, int h = 14, unsigned style = 0) {
    add(Ctl::Button, id, text, x, y, w, h, h > 14 ? style | kMultiLine : style);
  }
  void colour_button(int id, int x, int y, int w, int h) {
    add(Ctl::ColourButton, id, kNoText, x, y, w, h, 0);
  }
  void check(int id, TextId text, int x, int y, int w, unsigned style = 0) {
    add(Ctl::CheckBox, id, text, x, y, w, 10, style);
  }
  void radio(int id, TextId text, int x, int y, int w, unsigned style = 0) {
    add(Ctl::Radio, id, text, x, y, w, 10, style);
  }
  // Drop-down lists: the height includes the opened list.
  void combo(int id, int x, int y, int w, int list_height = 100) {
    add(Ctl::ComboList, id, kNoText, x, y, w, list_height, 0);
  }
  void combo_edit(int id, int x, int y, int w, int list_height = 100) {
    add(Ctl::ComboEdit, id, kNoText, x, y, w, list_height, 0);
  }
  void list_box(int id, int x, int y, int w, int h) {
    add(Ctl::ListBox, id, kNoText, x, y, w, h, 0);
  }
  std::vector<C> controls;

 private:
  void add(Ctl kind, int id, TextId text, int x, int y, int w, int h, unsigned style) {
    controls.push_back(C{kind, id, text, static_cast<short>(x), static_cast<short>(y),
                         static_cast<short>(w), static_cast<short>(h), style});
  }
};

struct Built {
  const char* name;
  TextId caption;
  int width, height;
  std::vector<C> controls;
};

// "Save" / "Exit Menu" at the bottom of a dialog of width w.
void save_exit(Layout& l, int w, int y, TextId save = UI_SAVE) {
  l.button(900, save, 7, y, 70);
  l.button(950, UI_EXIT_MENU, w - 77, y, 70);
}

Built anmelden() {
  Layout l;
  l.label(kStaticId, UI_USER, 7, 9, 50);
  l.combo(200, 60, 7, 113);
  l.label(kStaticId, UI_PASSWORD, 7, 27, 50);
  l.edit(700, 60, 25, 113, kPassword);
  l.button(900, UI_LOGIN, 7, 50, 70);
  l.button(950, UI_EXIT_MENU, 103, 50, 70);
  return {"D_ANMELDEN", DLG_ANMELDEN, 180, 72, l.controls};
}

Built passwort() {
  Layout l;
  l.label(110, UI_OLD_PASSWORD, 7, 9, 108);
  l.edit(111, 118, 7, 95, kPassword);
  l.label(120, UI_NEW_PASSWORD, 7, 27, 108);
  l.edit(121, 118, 25, 95, kPassword);
  l.label(130, UI_REPEAT_PASSWORD, 7, 45, 108);
  l.edit(131, 118, 43, 95, kPassword);
  l.button(900, UI_OK, 7, 66, 70);
  l.button(950, UI_EXIT_MENU, 143, 66, 70);
  return {"D_PASSWORT", DLG_PASSWORT, 220, 88, l.controls};
}

Built user() {
  Layout l;
  l.label(kStaticId, UI_USER_NAME, 7, 9, 60);
  l.combo_edit(200, 70, 7, 133);
  l.label(kStaticId, UI_PASSWORD, 7, 27, 60);
  l.edit(700, 70, 25, 133, kPassword);
  l.button(900, UI_SAVE, 7, 50, 64);
  l.button(930, UI_DELETE, 75, 50, 64);
  l.button(950, UI_EXIT_MENU, 143, 50, 64);
  return {"D_USER", DLG_USER, 214, 72, l.controls};
}

Built person() {
  Layout l;
  l.label(100, UI_LAST_NAME, 7, 7, 120);
  l.edit(200, 7, 17, 120);
  l.label(101, UI_FIRST_NAME, 135, 7, 120);
  l.edit(201, 135, 17, 120);
  l.label(103, UI_PERSONNEL_NUMBER, 263, 7, 90);
  l.edit(202, 263, 17, 90);
  // The identification data in their stored order; the program hides inactive
  // additional fields and moves the ones to their right into their place.
  l.label(120, UI_FIELD1_PERSON, 7, 37, 64);
  l.edit(400, 7, 47, 64);
  l.label(102, UI_COMPANY_CODE, 76, 37, 64);
  l.edit(203, 76, 47, 64, kReadOnly);
  l.label(121, UI_FIELD2_PERSON, 145, 37, 64);
  l.edit(401, 145, 47, 64);
  l.label(122, UI_FIELD3_PERSON, 214, 37, 64);
  l.edit(402, 214, 47, 64);
  l.label(104, UI_IDENTIFICATION_NUMBER, 283, 37, 90);
  l.edit(204, 283, 47, 90, kUpperCase);
  l.label(123, UI_FIELD4_PERSON, 378, 37, 64);
  l.edit(403, 378, 47, 64);
  l.label(106, UI_USER_PIN, 7, 67, 64);
  l.edit(205, 7, 77, 64, kDigitsOnly);
  l.label(105, kNoText, 76, 79, 64);
  l.button(250, UI_READER_BUTTON, 283, 76, 64);
  l.button(260, UI_INFO_ACCESS_READER, 352, 76, 90);
  l.group(kStaticId, UI_TEMPLATE_OPTIONS, 7, 97, 200, 52);
  l.check(300, UI_WRITE_ON_TRANSPONDER, 13, 109, 188);
  l.check(301, UI_DISTIBUTE_TO_READER, 13, 121, 188);
  l.check(302, UI_SAVE_IN_DATA_BASE, 13, 133, 188);
  l.group(kStaticId, UI_FOR_COMBINED_MODE, 215, 97, 150, 52);
  l.check(320, UI_TRANSPONDER_REQUIRED, 221, 109, 138);
  l.check(321, UI_PIN_REQUIRED, 221, 121, 138);
  l.check(322, UI_FINGER_REQUIRED, 221, 133, 138);
  l.button(900, UI_SAVE_CHANGES, 7, 158, 84, 22);
  l.button(930, UI_COPY_NEW_SET, 96, 158, 84, 22);
  l.button(940, UI_TO_TEMPLATE_DATA, 185, 158, 84, 22);
  l.button(950, UI_EXIT_MENU, 358, 158, 84, 22);
  return {"D_PERSON", DLG_PERSON, 449, 188, l.controls};
}

Built suchen() {
  Layout l;
  l.group(kStaticId, UI_SEARCH_BY, 7, 7, 120, 40);
  l.radio(101, UI_LAST_NAME, 13, 19, 108, kGroupStart);
  l.radio(102, UI_PERSONNEL_NUMBER, 13, 31, 108);
  l.label(kStaticId, UI_SEARCH_TEXT, 7, 53, 120);
  l.edit(200, 7, 63, 120);
  l.label(kStaticId, UI_MATCHES, 7, 81, 120);
  l.list_box(201, 7, 91, 120, 72);
  l.label(kStaticId, UI_PERSONNEL_NUMBER, 135, 53, 118);
  l.edit(300, 135, 63, 118, kReadOnly);
  l.label(kStaticId, UI_LAST_NAME, 135, 81, 118);
  l.edit(301, 135, 91, 118, kReadOnly);
  l.label(kStaticId, UI_FIRST_NAME, 135, 109, 118);
  l.edit(302, 135, 119, 118, kReadOnly);
  l.button(900, UI_CHANGE, 7, 170, 70);
  l.button(930, UI_DELETE, 95, 170, 70);
  l.button(950, UI_EXIT_MENU, 183, 170, 70);
  return {"D_SUCHEN", DLG_SUCHEN, 260, 192, l.controls};
}

// The person data and the 5 x 5 finger grid shared by D_ENROL and D_TEMP_DEL.
void person_and_grid(Layout& l) {
  l.label(kStaticId, UI_LAST_NAME, 7, 7, 88);
  l.edit(200, 98, 5, 130, kReadOnly);
  l.label(kStaticId, UI_FIRST_NAME, 7, 21, 88);
  l.edit(201, 98, 19, 130, kReadOnly);
  l.label(kStaticId, UI_PERSONNEL_NUMBER, 7, 35, 88);
  l.edit(202, 98, 33, 130, kReadOnly);
  l.label(kStaticId, UI_IDENTIFICATION_NUMBER, 7, 49, 88);
  l.edit(203, 98, 47, 130, kReadOnly);
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 5; ++col)
      l.colour_button(210 + 10 * row + col, 7 + 34 * col, 70 + 20 * row, 30, 16);
  l.label(106, kNoText, 185, 72, 70);
  l.box(208, 260, 70, 40, 12);
  l.label(207, kNoText, 185, 86, 70);
  l.label(kStaticId, UI_FINGER_SELECTION, 185, 102, 40);
  l.label(113, UI_SELECTION_START, 230, 102, 40);
}

Built enrol() {
  Layout l;
  person_and_grid(l);
  l.label(114, kNoText, 185, 116, 170);
  l.check(300, UI_WRITE_ON_TRANSPONDER, 185, 132, 170, kDisabled);
  l.check(301, UI_DISTRIBUTE_TO_READER, 185, 144, 170, kDisabled);
  l.check(302, UI_WRITE_IN_DATA_BASE, 185, 156, 170, kDisabled);
  l.label(400, UI_SPECIAL_PIN, 7, 175, 60);
  l.edit(410, 70, 173, 80, kReadOnly);
  l.button(900, UI_ENROL_SAVE, 7, 194, 75, 22);
  l.button(930, UI_SPECIAL_PIN, 90, 194, 75, 22);
  l.button(950, UI_EXIT_MENU, 280, 194, 75, 22);
  return {"D_ENROL", DLG_ENROL, 362, 224, l.controls};
}

Built temp_del() {
  Layout l;
  person_and_grid(l);
  l.check(300, UI_WRITE_TO_TRANSPONDER, 185, 132, 170, kDisabled);
  l.check(301, UI_DISTRIBUTE_TO_READER, 185, 144, 170, kDisabled);
  l.check(302, UI_SAVE_IN_DATA_BASE, 185, 156, 170, kDisabled);
  l.button(900, UI_DELETE, 7, 180, 75);
  l.button(950, UI_EXIT_MENU, 280, 180, 75);
  return {"D_TEMP_DEL", DLG_TEMP_DEL, 362, 202, l.controls};
}

Built finger() {
  Layout l;
  l.label(kStaticId, UI_FINGER_TYPE, 7, 7, 166);
  l.combo(200, 7, 17, 166, 140);
  l.button(900, UI_ACCEPT, 55, 38, 70);
  return {"D_FINGER", DLG_FINGER, 180, 60, l.controls};
}

Built matching() {
  Layout l;
  l.label(kStaticId, UI_MATCHING_LEVEL, 7, 7, 120);
  l.combo(200, 7, 17, 120, 120);
  l.button(900, UI_ACCEPT, 32, 38, 70);
  return {"D_MATCHING", DLG_MATCHING, 134, 60, l.controls};
}

Built spezial_pin() {
  Layout l;
  l.label(kStaticId, UI_SPECIAL_PIN, 7, 9, 70);
  l.edit(500, 80, 7, 90, kDigitsOnly);
  l.label(kStaticId, UI_REPEAT, 7, 25, 70);
  l.edit(510, 80, 23, 90, kDigitsOnly);
  save_exit(l, 177, 46);
  return {"D_SPEZIAL_PIN", DLG_SPEZIAL_PIN, 177, 68, l.controls};
}

// COM / TCP connection rows of D_LESER and D_INITIAL inside group 100.
void connection(Layout& l, TextId group_title) {
  l.group(100, group_title, 7, 7, 246, 62);
  l.radio(101, UI_RS232, 15, 20, 55, kGroupStart);
  l.combo(102, 75, 18, 60, 150);
  l.label(103, UI_BAUD_RATE, 142, 20, 48);
  l.combo(104, 195, 18, 50);
  l.label(kStaticId, UI_IP_ADDRESS, 75, 36, 110);
  l.radio(111, UI_TCPIP, 15, 48, 55);
  l.edit(112, 75, 46, 110);
  l.label(113, UI_PORT, 190, 48, 20);
  l.edit(114, 212, 46, 33, kDigitsOnly);
}

Built leser() {
  Layout l;
  connection(l, UI_CONNECTION_DATA);
  l.label(121, UI_READER_NAME, 7, 79, 60);
  l.edit(122, 75, 77, 178);
  l.label(131, UI_BUS, 7, 97, 18);
  l.label(133, UI_ADDRESS, 26, 97, 45);
  l.combo(132, 75, 95, 40, 120);
  l.label(141, UI_ACTIVE, 142, 97, 40);
  l.check(142, kNoText, 185, 96, 12);
  l.button(900, UI_SAVE_CHANGES, 7, 118, 80, 22);
  l.button(930, UI_COPY_NEW_SET, 92, 118, 80, 22);
  l.button(950, UI_EXIT_MENU, 177, 118, 80, 22);
  return {"D_LESER", DLG_LESER, 264, 148, l.controls};
}

Built initial() {
  Layout l;
  connection(l, UI_ENROL_STATION);
  l.button(900, UI_READ_INIT_CARD, 7, 78, 80);
  l.button(950, UI_EXIT_MENU, 177, 78, 80);
  return {"D_INITIAL", DLG_INITIAL, 264, 100, l.controls};
}

Built down_an_leser() {
  Layout l;
  l.label(100, UI_ATTENTION, 7, 4, 316, 20, kCentre);
  l.label(101, kNoText, 7, 27, 316, 16, kCentre | kMultiLine);
  l.label(102, kNoText, 7, 44, 316);
  // 32 readers in two columns of 16: check box 200 + k, its label 110 + k.
  for (int k = 0; k < 32; ++k) {
    int x = 7 + (k / 16) * 162, y = 56 + (k % 16) * 10;
    l.check(200 + k, kNoText, x, y, 12);
    l.label(110 + k, kNoText, x + 14, y + 1, 144);
  }
  l.label(150, kNoText, 7, 232, 316);
  l.label(160, kNoText, 7, 242, 316);
  l.label(170, kNoText, 7, 252, 40, 8, kRight);
  l.label(kStaticId, UI_OF, 50, 252, 16, 8, kCentre);
  l.label(171, kNoText, 68, 252, 40);
  l.button(900, UI_SEND, 7, 266, 70);
  l.button(950, UI_EXIT_MENU, 253, 266, 70);
  return {"D_DOWN_AN_LESER", DLG_DOWN_AN_LESER, 330, 288, l.controls};
}

Built bmode() {
  Layout l;
  l.group(100, UI_OPERATING_MODE, 7, 7, 186, 84);
  const TextId modes[] = {UI_MODE_COMMAND,          UI_MODE_KEYBOARD, UI_MODE_IDENTIFICATION,
                          UI_MODE_TEMPLATE_ON_CARD, UI_MODE_PIR,      UI_MODE_COMBINED};
  for (int i = 0; i < 6; ++i)
    l.radio(200 + 10 * i, modes[i], 15, 19 + 12 * i, 170, i == 0 ? kGroupStart : 0);
  l.button(900, UI_SELECT, 7, 98, 70);
  l.button(950, UI_EXIT_MENU, 123, 98, 70);
  return {"D_BMODE", DLG_BMODE, 200, 120, l.controls};
}

Built leser_vers_info() {
  Layout l;
  l.label(100, UI_INFO, 7, 9, 40);
  l.edit(800, 50, 7, 50);
  save_exit(l, 170, 30);
  return {"D_LESER_VERS_INFO", DLG_LESER_VERS_INFO, 170, 52, l.controls};
}

Built backup_restore() {
  Layout l;
  l.label(100, UI_FILENAME, 7, 9, 50);
  l.edit(200, 60, 7, 170);
  l.button(300, UI_SEARCH_BUTTON, 236, 6, 57);
  l.label(205, UI_TRANSPONDER, 7, 27, 50);
  l.edit(210, 60, 25, 170, kReadOnly);
  l.button(250, UI_READER_BUTTON, 236, 24, 57);
  l.label(110, kNoText, 7, 45, 286);
  l.button(900, UI_BACKUP, 7, 60, 70);
  l.button(950, UI_EXIT_MENU, 223, 60, 70);
  return {"D_BACKUP_RESTORE", DLG_BACKUP_RESTORE, 300, 82, l.controls};
}

// D_EXPORT and D_IMPORT: file, layout switches, ten positions and the footer.
struct ExchangeIds {
  int separator, start_and_length, header, header_as_length, set_length, cr, lf;
};

void exchange(Layout& l, const ExchangeIds& ids) {
  l.label(kStaticId, UI_FILENAME, 7, 9, 60);
  l.edit(500, 70, 7, 220);
  l.button(955, UI_SEARCH_BUTTON, 296, 6, 57);
  l.label(kStaticId, UI_SEPARATOR, 7, 27, 60);
  l.edit(ids.separator, 70, 25, 16);
  l.check(ids.start_and_length, UI_OR_START_AND_LENGTH, 100, 26, 120);
  l.label(kStaticId, UI_HEADER, 7, 43, 60);
  l.edit(ids.header, 70, 41, 30, kDigitsOnly);
  l.check(ids.header_as_length, UI_OR_LENGTH, 105, 42, 80);
  l.label(kStaticId, UI_SET_LENGTH, 7, 59, 60);
  l.edit(ids.set_length, 70, 57, 30, kDigitsOnly);
  l.check(ids.cr, UI_OR_FINAL_CR, 105, 58, 85);
  l.check(ids.lf, UI_AND_LF, 195, 58, 60);
  l.label(kStaticId, UI_POSITION, 7, 77, 40);
  l.label(125, UI_FIELD, 50, 77, 120);
  l.label(126, UI_COLUMN_SEPARATOR, 175, 77, 50);
  l.label(127, UI_LENGTH, 230, 77, 50);
  const TextId numbers[] = {UI_POS_1, UI_POS_2, UI_POS_3, UI_POS_4, UI_POS_5,
                            UI_POS_6, UI_POS_7, UI_POS_8, UI_POS_9, UI_POS_10};
  for (int i = 0; i < 10; ++i) {
    int y = 89 + 15 * i;
    l.label(kStaticId, numbers[i], 7, y + 2, 20);
    l.combo(102 + i, 50, y, 120, 140);
    l.edit(131 + 10 * i, 175, y, 40);
    l.edit(132 + 10 * i, 230, y, 40);
  }
  l.label(kStaticId, UI_FOOTER, 7, 244, 60);
  l.edit(240, 70, 242, 30, kDigitsOnly);
  l.check(245, UI_OR_LENGTH, 105, 243, 80);
  l.label(kStaticId, UI_WITH, 290, 232, 60);
  l.check(250, UI_TEMPLATES, 290, 243, 63);
}

Built exportd() {
  Layout l;
  exchange(l, {510, 520, 530, 540, 550, 560, 570});
  l.button(900, UI_SAVE_CHANGES_LOWER, 7, 264, 84, 22);
  l.button(930, UI_EXPORT, 96, 264, 84, 22);
  l.button(950, UI_EXIT_MENU, 269, 264, 84, 22);
  return {"D_EXPORT", DLG_EXPORT, 360, 294, l.controls};
}

Built importd() {
  Layout l;
  exchange(l, {505, 510, 515, 520, 530, 540, 550});
  l.label(kStaticId, UI_START_TEMPLATE_DATA, 7, 260, 90);
  l.edit(301, 100, 258, 40, kDigitsOnly);
  l.button(900, UI_SAVE_CHANGES_LOWER, 7, 278, 84, 22);
  l.button(930, UI_IMPORT, 96, 278, 84, 22);
  l.button(950, UI_EXIT_MENU, 269, 278, 84, 22);
  return {"D_IMPORT", DLG_IMPORT, 360, 308, l.controls};
}

Built eingabe() {
  Layout l;
  l.group(kStaticId, UI_FIELD_LENGTHS, 7, 7, 156, 84);
  const TextId lengths[] = {UI_LAST_NAME, UI_FIRST_NAME, UI_PERSONNEL_NUMBER,
                            UI_IDENTIFICATION_NUMBER, UI_USER_PIN};
  const int length_ids[] = {200, 201, 202, 203, 205};
  for (int i = 0; i < 5; ++i) {
    l.label(length_ids[i] - 100, lengths[i], 13, 21 + 14 * i, 108);
    l.edit(length_ids[i], 125, 19 + 14 * i, 30, kDigitsOnly);
  }
  l.label(104, UI_COMPANY_CODE, 7, 100, 80);
  l.edit(204, 90, 98, 73, kUpperCase);
  l.group(kStaticId, UI_FINGERPRINT_SETTINGS, 170, 7, 156, 70);
  const TextId finger[] = {UI_WITH_FINGERPRINT, UI_NUMBER_FINGER, UI_MIN_Q_VALUE,
                           UI_GOOD_Q_VALUE};
  for (int i = 0; i < 4; ++i) {
    l.label(106 + i, finger[i], 176, 21 + 14 * i, 108);
    l.edit(206 + i, 288, 19 + 14 * i, 30, kDigitsOnly);
  }
  l.group(kStaticId, UI_SWITCHES, 7, 118, 319, 64);
  const TextId switches[] = {UI_PIN_PLAIN_TEXT,        UI_PIN_MANUALLY,
                             UI_PIN_KEYBOARD,          UI_ASSIGN_FINGER_NAME,
                             UI_SHOW_Q_VALUE,          UI_WRITE_ON_TRANSPONDER,
                             UI_DISTRIBUTE_TO_READER,  UI_SAVE_IN_DATA_BASE};
  for (int i = 0; i < 8; ++i)
    l.check(300 + i, switches[i], 13 + (i / 4) * 156, 130 + 12 * (i % 4), 152);
  save_exit(l, 333, 190);
  return {"D_EINGABE", DLG_EINGABE, 333, 212, l.controls};
}

Built template_parameter() {
  Layout l;
  l.label(100, UI_MATCHING_LEVEL, 7, 9, 70);
  l.combo(200, 80, 7, 50, 120);
  save_exit(l, 170, 30);
  return {"D_TEMPLATE", DLG_TEMPLATE, 170, 52, l.controls};
}

Built zusatzfelder() {
  Layout l;
  l.label(kStaticId, UI_DESCRIPTION, 150, 12, 70);
  l.label(kStaticId, UI_LENGTH, 225, 12, 40);
  l.label(kStaticId, UI_FIX_FIELD, 272, 4, 30, 16, kMultiLine | kCentre);
  l.check(200, UI_CHANGE_COMPANY_CODE, 7, 26, 140);
  l.edit(300, 150, 24, 70);
  // The rows stand in the order of the identification data; the company code and
  // the identification number are fixed rows that only show where they stand.
  struct Row {
    int check, description;
    TextId text;
    bool fixed;
  };
  const Row rows[] = {{210, 310, UI_FIELD1_ACTIVE, false},
                      {225, 315, UI_COMPANY_CODE, true},
                      {220, 320, UI_FIELD2_ACTIVE, false},
                      {230, 330, UI_FIELD3_ACTIVE, false},
                      {235, 335, UI_IDENTIFICATION_NUMBER, true},
                      {240, 340, UI_FIELD4_ACTIVE, false}};
  for (int i = 0; i < 6; ++i) {
    int y = 42 + 16 * i;
    const Row& r = rows[i];
    l.check(r.check, r.text, 7, y + 2, 140, r.fixed ? kDisabled : 0);
    l.edit(r.description, 150, y, 70, r.fixed ? kReadOnly : 0);
    if (r.fixed) continue;
    l.combo(r.check + 200, 225, y, 40);       // length list 410 ...
    l.check(r.check + 240, kNoText, 282, y + 2, 12);  // fix box 450 ...
  }
  save_exit(l, 310, 144);
  return {"D_ZUSATZFELDER", DLG_ZUSATZFELDER, 310, 166, l.controls};
}

Built zusatzvorb() {
  Layout l;
  const TextId labels[] = {UI_FIELD1_DEFAULT, UI_FIELD2_DEFAULT, UI_FIELD3_DEFAULT,
                           UI_FIELD4_DEFAULT};
  for (int i = 0; i < 4; ++i) {
    l.label(100 + 10 * i, labels[i], 7, 9 + 16 * i, 140);
    l.edit(200 + 10 * i, 150, 7 + 16 * i, 93);
  }
  save_exit(l, 250, 76);
  return {"D_ZUSATZVORB", DLG_ZUSATZVORB, 250, 98, l.controls};
}

Built rfid_para() {
  Layout l;
  l.group(kStaticId, UI_READER_MODULE, 7, 7, 186, 72);
  const TextId modules[] = {UI_MODULE_NONE, UI_MODULE_DESFIRE, UI_MODULE_LEGIC,
                            UI_MODULE_MIFARE, UI_MODULE_125KHZ};
  for (int i = 0; i < 5; ++i)
    l.radio(200 + 10 * i, modules[i], 15, 19 + 12 * i, 170,
            i == 0 ? kGroupStart | kDisabled : 0);
  save_exit(l, 200, 86);
  return {"D_RFID_PARA", DLG_RFID_PARA, 200, 108, l.controls};
}

Built rfid_keys() {
  Layout l;
  l.label(100, UI_KEY, 7, 9, 40);
  l.edit(800, 50, 7, 173, kUpperCase);
  save_exit(l, 230, 30);
  return {"D_RFID_KEYS", DLG_RFID_KEYS, 230, 52, l.controls};
}

struct Table {
  std::vector<Built> built;
  std::vector<DialogTemplate> templates;
};

const Table& table() {
  static const Table t = [] {
    Table made;
    made.built = {anmelden(),    passwort(),        user(),           person(),
                  suchen(),      enrol(),           temp_del(),       finger(),
                  matching(),    spezial_pin(),     leser(),          initial(),
                  down_an_leser(), bmode(),         leser_vers_info(), backup_restore(),
                  exportd(),     importd(),         eingabe(),        template_parameter(),
                  zusatzfelder(), zusatzvorb(),     rfid_para(),      rfid_keys()};
    for (const Built& b : made.built)
      made.templates.push_back(DialogTemplate{b.name, b.caption, static_cast<short>(b.width),
                                              static_cast<short>(b.height), b.controls.data(),
                                              b.controls.size()});
    return made;
  }();
  return t;
}

}  // namespace

const DialogTemplate* dialog_template(const char* name) {
  for (const DialogTemplate& d : table().templates)
    if (std::strcmp(d.name, name) == 0) return &d;
  return nullptr;
}

const DialogTemplate* dialog_templates(std::size_t* count) {
  *count = table().templates.size();
  return table().templates.data();
}

}  // namespace res
