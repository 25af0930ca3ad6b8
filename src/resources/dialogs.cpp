// The dialog templates. Each dialog is laid out once, in dialog units, wide enough
// for the longer of its two editions' texts.
#include "resources/dialogs.h"

#include <cstring>
#include <vector>

#include "resources/ids/d_anmelden.h"
#include "resources/ids/d_backup_restore.h"
#include "resources/ids/d_bmode.h"
#include "resources/ids/d_down_an_leser.h"
#include "resources/ids/d_eingabe.h"
#include "resources/ids/d_enrol.h"
#include "resources/ids/d_export.h"
#include "resources/ids/d_finger.h"
#include "resources/ids/d_import.h"
#include "resources/ids/d_initial.h"
#include "resources/ids/d_leser.h"
#include "resources/ids/d_leser_vers_info.h"
#include "resources/ids/d_matching.h"
#include "resources/ids/d_passwort.h"
#include "resources/ids/d_person.h"
#include "resources/ids/d_rfid_keys.h"
#include "resources/ids/d_rfid_para.h"
#include "resources/ids/d_spezial_pin.h"
#include "resources/ids/d_suchen.h"
#include "resources/ids/d_temp_del.h"
#include "resources/ids/d_template.h"
#include "resources/ids/d_user.h"
#include "resources/ids/d_zusatzfelder.h"
#include "resources/ids/d_zusatzvorb.h"

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
  l.button(ui::kIdAction, save, 7, y, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, w - 77, y, 70);
}

Built anmelden() {
  Layout l;
  l.label(kStaticId, UI_USER, 7, 9, 50);
  l.combo(d_anmelden::kUserList, 60, 7, 113);
  l.label(kStaticId, UI_PASSWORD, 7, 27, 50);
  l.edit(d_anmelden::kPassword, 60, 25, 113, kPassword);
  l.button(ui::kIdAction, UI_LOGIN, 7, 50, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 103, 50, 70);
  return {"D_ANMELDEN", DLG_ANMELDEN, 180, 72, l.controls};
}

Built passwort() {
  Layout l;
  l.label(d_passwort::kOldLabel, UI_OLD_PASSWORD, 7, 9, 108);
  l.edit(d_passwort::kOld, 118, 7, 95, kPassword);
  l.label(d_passwort::kNewLabel, UI_NEW_PASSWORD, 7, 27, 108);
  l.edit(d_passwort::kNew, 118, 25, 95, kPassword);
  l.label(d_passwort::kRepeatLabel, UI_REPEAT_PASSWORD, 7, 45, 108);
  l.edit(d_passwort::kRepeat, 118, 43, 95, kPassword);
  l.button(ui::kIdAction, UI_OK, 7, 66, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 143, 66, 70);
  return {"D_PASSWORT", DLG_PASSWORT, 220, 88, l.controls};
}

Built user() {
  Layout l;
  l.label(kStaticId, UI_USER_NAME, 7, 9, 60);
  l.combo_edit(d_user::kUserName, 70, 7, 133);
  l.label(kStaticId, UI_PASSWORD, 7, 27, 60);
  l.edit(d_user::kPassword, 70, 25, 133, kPassword);
  l.button(ui::kIdAction, UI_SAVE, 7, 50, 64);
  l.button(ui::kIdSecond, UI_DELETE, 75, 50, 64);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 143, 50, 64);
  return {"D_USER", DLG_USER, 214, 72, l.controls};
}

Built person() {
  using namespace d_person;
  Layout l;
  l.label(kNameLabel, UI_LAST_NAME, 7, 7, 120);
  l.edit(kName, 7, 17, 120);
  l.label(kFirstNameLabel, UI_FIRST_NAME, 135, 7, 120);
  l.edit(kFirstName, 135, 17, 120);
  l.label(kPersonnelNumberLabel, UI_PERSONNEL_NUMBER, 263, 7, 90);
  l.edit(kPersonnelNumber, 263, 17, 90);
  // The identification data in their stored order; the program hides inactive
  // additional fields and moves the ones to their right into their place.
  l.label(kField1Label, UI_FIELD1_PERSON, 7, 37, 64);
  l.edit(kField1, 7, 47, 64);
  l.label(kCompanyCodeLabel, UI_COMPANY_CODE, 76, 37, 64);
  l.edit(kCompanyCode, 76, 47, 64, kReadOnly);
  l.label(kField2Label, UI_FIELD2_PERSON, 145, 37, 64);
  l.edit(kField2, 145, 47, 64);
  l.label(kField3Label, UI_FIELD3_PERSON, 214, 37, 64);
  l.edit(kField3, 214, 47, 64);
  l.label(kIdentificationLabel, UI_IDENTIFICATION_NUMBER, 283, 37, 90);
  l.edit(kIdentification, 283, 47, 90, kUpperCase);
  l.label(kField4Label, UI_FIELD4_PERSON, 378, 37, 64);
  l.edit(kField4, 378, 47, 64);
  l.label(kUserPinLabel, UI_USER_PIN, 7, 67, 64);
  l.edit(kUserPin, 7, 77, 64, kDigitsOnly);
  l.label(kDigitsLabel, kNoText, 76, 79, 64);
  l.button(kReadCard, UI_READER_BUTTON, 283, 76, 64);
  l.button(kInfoAccessReader, UI_INFO_ACCESS_READER, 352, 76, 90);
  l.group(kStaticId, UI_TEMPLATE_OPTIONS, 7, 97, 200, 52);
  l.check(kWriteOnTransponder, UI_WRITE_ON_TRANSPONDER, 13, 109, 188);
  l.check(kDistributeToReader, UI_DISTIBUTE_TO_READER, 13, 121, 188);
  l.check(kSaveInDatabase, UI_SAVE_IN_DATA_BASE, 13, 133, 188);
  l.group(kStaticId, UI_FOR_COMBINED_MODE, 215, 97, 150, 52);
  l.check(kTransponderRequired, UI_TRANSPONDER_REQUIRED, 221, 109, 138);
  l.check(kPinRequired, UI_PIN_REQUIRED, 221, 121, 138);
  l.check(kFingerRequired, UI_FINGER_REQUIRED, 221, 133, 138);
  l.button(ui::kIdAction, UI_SAVE_CHANGES, 7, 158, 84, 22);
  l.button(ui::kIdSecond, UI_COPY_NEW_SET, 96, 158, 84, 22);
  l.button(kToTemplateData, UI_TO_TEMPLATE_DATA, 185, 158, 84, 22);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 358, 158, 84, 22);
  return {"D_PERSON", DLG_PERSON, 449, 188, l.controls};
}

Built suchen() {
  using namespace d_suchen;
  Layout l;
  l.group(kStaticId, UI_SEARCH_BY, 7, 7, 120, 40);
  l.radio(kByName, UI_LAST_NAME, 13, 19, 108, kGroupStart);
  l.radio(kByPersonnelNumber, UI_PERSONNEL_NUMBER, 13, 31, 108);
  l.label(kStaticId, UI_SEARCH_TEXT, 7, 53, 120);
  l.edit(kSearchText, 7, 63, 120);
  l.label(kStaticId, UI_MATCHES, 7, 81, 120);
  l.list_box(kMatches, 7, 91, 120, 72);
  l.label(kStaticId, UI_PERSONNEL_NUMBER, 135, 53, 118);
  l.edit(kShowPersonnelNumber, 135, 63, 118, kReadOnly);
  l.label(kStaticId, UI_LAST_NAME, 135, 81, 118);
  l.edit(kShowName, 135, 91, 118, kReadOnly);
  l.label(kStaticId, UI_FIRST_NAME, 135, 109, 118);
  l.edit(kShowFirstName, 135, 119, 118, kReadOnly);
  l.button(ui::kIdAction, UI_CHANGE, 7, 170, 70);
  l.button(ui::kIdSecond, UI_DELETE, 95, 170, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 183, 170, 70);
  return {"D_SUCHEN", DLG_SUCHEN, 260, 192, l.controls};
}

// The person data and the 5 x 5 finger grid shared by D_ENROL and D_TEMP_DEL.
void person_and_grid(Layout& l) {
  l.label(kStaticId, UI_LAST_NAME, 7, 7, 88);
  l.edit(finger_grid::kName, 98, 5, 130, kReadOnly);
  l.label(kStaticId, UI_FIRST_NAME, 7, 21, 88);
  l.edit(finger_grid::kFirstName, 98, 19, 130, kReadOnly);
  l.label(kStaticId, UI_PERSONNEL_NUMBER, 7, 35, 88);
  l.edit(finger_grid::kPersonnelNumber, 98, 33, 130, kReadOnly);
  l.label(kStaticId, UI_IDENTIFICATION_NUMBER, 7, 49, 88);
  l.edit(finger_grid::kIdentification, 98, 47, 130, kReadOnly);
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 5; ++col)
      l.colour_button(finger_grid::kFirstFingerButton + 10 * row + col, 7 + 34 * col, 70 + 20 * row, 30, 16);
  l.label(finger_grid::kQualityLabel, kNoText, 185, 72, 70);
  l.box(finger_grid::kQualityBox, 260, 70, 40, 12);
  l.label(finger_grid::kQualityWord, kNoText, 185, 86, 70);
  l.label(kStaticId, UI_FINGER_SELECTION, 185, 102, 40);
  l.label(finger_grid::kSelection, UI_SELECTION_START, 230, 102, 40);
}

Built enrol() {
  using namespace d_enrol;
  Layout l;
  person_and_grid(l);
  l.label(kFingerName, kNoText, 185, 116, 170);
  l.check(kWriteOnTransponder, UI_WRITE_ON_TRANSPONDER, 185, 132, 170, kDisabled);
  l.check(kDistributeToReader, UI_DISTRIBUTE_TO_READER, 185, 144, 170, kDisabled);
  l.check(kSaveInDatabase, UI_WRITE_IN_DATA_BASE, 185, 156, 170, kDisabled);
  l.label(kSpecialPinLabel, UI_SPECIAL_PIN, 7, 175, 60);
  l.edit(kSpecialPin, 70, 173, 80, kReadOnly);
  l.button(ui::kIdAction, UI_ENROL_SAVE, 7, 194, 75, 22);
  l.button(ui::kIdSecond, UI_SPECIAL_PIN, 90, 194, 75, 22);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 280, 194, 75, 22);
  return {"D_ENROL", DLG_ENROL, 362, 224, l.controls};
}

Built temp_del() {
  using namespace d_temp_del;
  Layout l;
  person_and_grid(l);
  l.check(kWriteOnTransponder, UI_WRITE_TO_TRANSPONDER, 185, 132, 170, kDisabled);
  l.check(kDistributeToReader, UI_DISTRIBUTE_TO_READER, 185, 144, 170, kDisabled);
  l.check(kSaveInDatabase, UI_SAVE_IN_DATA_BASE, 185, 156, 170, kDisabled);
  l.button(ui::kIdAction, UI_DELETE, 7, 180, 75);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 280, 180, 75);
  return {"D_TEMP_DEL", DLG_TEMP_DEL, 362, 202, l.controls};
}

Built finger() {
  Layout l;
  l.label(kStaticId, UI_FINGER_TYPE, 7, 7, 166);
  l.combo(d_finger::kFingerType, 7, 17, 166, 140);
  l.button(ui::kIdAction, UI_ACCEPT, 55, 38, 70);
  return {"D_FINGER", DLG_FINGER, 180, 60, l.controls};
}

Built matching() {
  Layout l;
  l.label(kStaticId, UI_MATCHING_LEVEL, 7, 7, 120);
  l.combo(d_matching::kLevel, 7, 17, 120, 120);
  l.button(ui::kIdAction, UI_ACCEPT, 32, 38, 70);
  return {"D_MATCHING", DLG_MATCHING, 134, 60, l.controls};
}

Built spezial_pin() {
  Layout l;
  l.label(kStaticId, UI_SPECIAL_PIN, 7, 9, 70);
  l.edit(d_spezial_pin::kPin, 80, 7, 90, kDigitsOnly);
  l.label(kStaticId, UI_REPEAT, 7, 25, 70);
  l.edit(d_spezial_pin::kRepeat, 80, 23, 90, kDigitsOnly);
  save_exit(l, 177, 46);
  return {"D_SPEZIAL_PIN", DLG_SPEZIAL_PIN, 177, 68, l.controls};
}

// COM / TCP connection rows of D_LESER and D_INITIAL inside group 100.
void connection(Layout& l, TextId group_title) {
  using namespace connection_rows;
  l.group(kConnectionGroup, group_title, 7, 7, 246, 62);
  l.radio(kRs232, UI_RS232, 15, 20, 55, kGroupStart);
  l.combo(kComPort, 75, 18, 60, 150);
  l.label(kBaudLabel, UI_BAUD_RATE, 142, 20, 48);
  l.combo(kBaud, 195, 18, 50);
  l.label(kStaticId, UI_IP_ADDRESS, 75, 36, 110);
  l.radio(kTcpIp, UI_TCPIP, 15, 48, 55);
  l.edit(kAddress, 75, 46, 110);
  l.label(kPortLabel, UI_PORT, 190, 48, 20);
  l.edit(kPort, 212, 46, 33, kDigitsOnly);
}

Built leser() {
  using namespace d_leser;
  Layout l;
  connection(l, UI_CONNECTION_DATA);
  l.label(kNameLabel, UI_READER_NAME, 7, 79, 60);
  l.edit(kName, 75, 77, 178);
  l.label(kBusLabel, UI_BUS, 7, 97, 18);
  l.label(kAddressLabel, UI_ADDRESS, 26, 97, 45);
  l.combo(kBus, 75, 95, 40, 120);
  l.label(kActiveLabel, UI_ACTIVE, 142, 97, 40);
  l.check(kPreselected, kNoText, 185, 96, 12);
  l.button(ui::kIdAction, UI_SAVE_CHANGES, 7, 118, 80, 22);
  l.button(ui::kIdSecond, UI_COPY_NEW_SET, 92, 118, 80, 22);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 177, 118, 80, 22);
  return {"D_LESER", DLG_LESER, 264, 148, l.controls};
}

Built initial() {
  Layout l;
  connection(l, UI_ENROL_STATION);
  l.button(ui::kIdAction, UI_READ_INIT_CARD, 7, 78, 80);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 177, 78, 80);
  return {"D_INITIAL", DLG_INITIAL, 264, 100, l.controls};
}

Built down_an_leser() {
  using namespace d_down_an_leser;
  Layout l;
  l.label(kHeading, UI_ATTENTION, 7, 4, 316, 20, kCentre);
  l.label(kInstruction, kNoText, 7, 27, 316, 16, kCentre | kMultiLine);
  l.label(kEmpty, kNoText, 7, 44, 316);
  // 32 readers in two columns of 16: check box 200 + k, its label 110 + k.
  for (int k = 0; k < kReaders; ++k) {
    int x = 7 + (k / 16) * 162, y = 56 + (k % 16) * 10;
    l.check(kFirstReaderBox + k, kNoText, x, y, 12);
    l.label(kFirstReaderLabel + k, kNoText, x + 14, y + 1, 144);
  }
  l.label(kOperation, kNoText, 7, 232, 316);
  l.label(kDetail, kNoText, 7, 242, 316);
  l.label(kDone, kNoText, 7, 252, 40, 8, kRight);
  l.label(kStaticId, UI_OF, 50, 252, 16, 8, kCentre);
  l.label(kTotal, kNoText, 68, 252, 40);
  l.button(ui::kIdAction, UI_SEND, 7, 266, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 253, 266, 70);
  return {"D_DOWN_AN_LESER", DLG_DOWN_AN_LESER, 330, 288, l.controls};
}

Built bmode() {
  Layout l;
  l.group(d_bmode::kGroup, UI_OPERATING_MODE, 7, 7, 186, 84);
  const TextId modes[] = {UI_MODE_COMMAND,          UI_MODE_KEYBOARD, UI_MODE_IDENTIFICATION,
                          UI_MODE_TEMPLATE_ON_CARD, UI_MODE_PIR,      UI_MODE_COMBINED};
  for (int i = 0; i < d_bmode::kModes; ++i)
    l.radio(d_bmode::kFirstMode + 10 * i, modes[i], 15, 19 + 12 * i, 170, i == 0 ? kGroupStart : 0);
  l.button(ui::kIdAction, UI_SELECT, 7, 98, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 123, 98, 70);
  return {"D_BMODE", DLG_BMODE, 200, 120, l.controls};
}

Built leser_vers_info() {
  Layout l;
  l.label(d_leser_vers_info::kLabel, UI_INFO, 7, 9, 40);
  l.edit(d_leser_vers_info::kText, 50, 7, 50);
  save_exit(l, 170, 30);
  return {"D_LESER_VERS_INFO", DLG_LESER_VERS_INFO, 170, 52, l.controls};
}

Built backup_restore() {
  using namespace d_backup_restore;
  Layout l;
  l.label(kFileLabel, UI_FILENAME, 7, 9, 50);
  l.edit(kFile, 60, 7, 170);
  l.button(kSearch, UI_SEARCH_BUTTON, 236, 6, 57);
  l.label(kTransponderLabel, UI_TRANSPONDER, 7, 27, 50);
  l.edit(kTransponder, 60, 25, 170, kReadOnly);
  l.button(kReadCard, UI_READER_BUTTON, 236, 24, 57);
  l.label(kStatus, kNoText, 7, 45, 286);
  l.button(ui::kIdAction, UI_BACKUP, 7, 60, 70);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 223, 60, 70);
  return {"D_BACKUP_RESTORE", DLG_BACKUP_RESTORE, 300, 82, l.controls};
}

// D_EXPORT and D_IMPORT: file, layout switches, ten positions and the footer.
struct ExchangeIds {
  int separator, start_and_length, header, header_as_length, set_length, cr, lf;
};

void exchange(Layout& l, const ExchangeIds& ids) {
  l.label(kStaticId, UI_FILENAME, 7, 9, 60);
  l.edit(exchange_layout::kFile, 70, 7, 220);
  l.button(exchange_layout::kSearch, UI_SEARCH_BUTTON, 296, 6, 57);
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
  l.label(exchange_layout::kFieldTitle, UI_FIELD, 50, 77, 120);
  l.label(exchange_layout::kStartTitle, UI_COLUMN_SEPARATOR, 175, 77, 50);
  l.label(exchange_layout::kLengthTitle, UI_LENGTH, 230, 77, 50);
  const TextId numbers[] = {UI_POS_1, UI_POS_2, UI_POS_3, UI_POS_4, UI_POS_5,
                            UI_POS_6, UI_POS_7, UI_POS_8, UI_POS_9, UI_POS_10};
  for (int i = 0; i < exchange_layout::kPositions; ++i) {
    int y = 89 + 15 * i;
    l.label(kStaticId, numbers[i], 7, y + 2, 20);
    l.combo(exchange_layout::kFirstField + i, 50, y, 120, 140);
    l.edit(exchange_layout::kFirstStart + 10 * i, 175, y, 40);
    l.edit(exchange_layout::kFirstLength + 10 * i, 230, y, 40);
  }
  l.label(kStaticId, UI_FOOTER, 7, 244, 60);
  l.edit(exchange_layout::kFooter, 70, 242, 30, kDigitsOnly);
  l.check(exchange_layout::kFooterAsLength, UI_OR_LENGTH, 105, 243, 80);
  l.label(kStaticId, UI_WITH, 290, 232, 60);
  l.check(exchange_layout::kTemplates, UI_TEMPLATES, 290, 243, 63);
}

Built exportd() {
  Layout l;
  {
    using namespace d_export;
    exchange(l, {kSeparator, kStartAndLength, kHeader, kHeaderAsLength, kSetLength, kCr, kLf});
  }
  l.button(ui::kIdAction, UI_SAVE_CHANGES_LOWER, 7, 264, 92, 22);
  l.button(ui::kIdSecond, UI_EXPORT, 104, 264, 92, 22);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 269, 264, 84, 22);
  return {"D_EXPORT", DLG_EXPORT, 360, 294, l.controls};
}

Built importd() {
  Layout l;
  {
    using namespace d_import;
    exchange(l, {kSeparator, kStartAndLength, kHeader, kHeaderAsLength, kSetLength, kCr, kLf});
  }
  l.label(kStaticId, UI_START_TEMPLATE_DATA, 7, 260, 90);
  l.edit(d_import::kTemplateStart, 100, 258, 40, kDigitsOnly);
  l.button(ui::kIdAction, UI_SAVE_CHANGES_LOWER, 7, 278, 92, 22);
  l.button(ui::kIdSecond, UI_IMPORT, 104, 278, 92, 22);
  l.button(ui::kIdExitMenu, UI_EXIT_MENU, 269, 278, 84, 22);
  return {"D_IMPORT", DLG_IMPORT, 360, 308, l.controls};
}

Built eingabe() {
  using namespace d_eingabe;
  Layout l;
  l.group(kStaticId, UI_FIELD_LENGTHS, 7, 7, 156, 84);
  const TextId lengths[] = {UI_LAST_NAME, UI_FIRST_NAME, UI_PERSONNEL_NUMBER,
                            UI_IDENTIFICATION_NUMBER, UI_USER_PIN};
  const int length_ids[] = {kNameLength, kFirstNameLength, kPersonnelNumberLength,
                            kIdentificationLength, kUserPinLength};
  for (int i = 0; i < 5; ++i) {
    l.label(length_ids[i] - 100, lengths[i], 13, 21 + 14 * i, 108);
    l.edit(length_ids[i], 125, 19 + 14 * i, 30, kDigitsOnly);
  }
  l.label(kCompanyCodeLabel, UI_COMPANY_CODE, 7, 100, 80);
  l.edit(kCompanyCode, 90, 98, 73, kUpperCase);
  l.group(kStaticId, UI_FINGERPRINT_SETTINGS, 170, 7, 156, 70);
  const TextId finger[] = {UI_WITH_FINGERPRINT, UI_NUMBER_FINGER, UI_MIN_Q_VALUE,
                           UI_GOOD_Q_VALUE};
  for (int i = 0; i < 4; ++i) {
    l.label(kWithFingerprint - 100 + i, finger[i], 176, 21 + 14 * i, 108);
    l.edit(kWithFingerprint + i, 288, 19 + 14 * i, 30, kDigitsOnly);
  }
  l.group(kStaticId, UI_SWITCHES, 7, 118, 319, 64);
  const TextId switches[] = {UI_PIN_PLAIN_TEXT,        UI_PIN_MANUALLY,
                             UI_PIN_KEYBOARD,          UI_ASSIGN_FINGER_NAME,
                             UI_SHOW_Q_VALUE,          UI_WRITE_ON_TRANSPONDER,
                             UI_DISTRIBUTE_TO_READER,  UI_SAVE_IN_DATA_BASE};
  for (int i = 0; i < 8; ++i)
    l.check(kPinPlainText + i, switches[i], 13 + (i / 4) * 156, 130 + 12 * (i % 4), 152);
  save_exit(l, 333, 190);
  return {"D_EINGABE", DLG_EINGABE, 333, 212, l.controls};
}

Built template_parameter() {
  Layout l;
  l.label(d_template::kLabel, UI_MATCHING_LEVEL, 7, 9, 70);
  l.combo(d_template::kMatchingLevel, 80, 7, 50, 120);
  save_exit(l, 170, 30);
  return {"D_TEMPLATE", DLG_TEMPLATE, 170, 52, l.controls};
}

Built zusatzfelder() {
  using namespace d_zusatzfelder;
  Layout l;
  l.label(kStaticId, UI_DESCRIPTION, 150, 12, 70);
  l.label(kStaticId, UI_LENGTH, 225, 12, 40);
  l.label(kStaticId, UI_FIX_FIELD, 272, 4, 30, 16, kMultiLine | kCentre);
  l.check(kChangeCompanyCode, UI_CHANGE_COMPANY_CODE, 7, 26, 140);
  l.edit(kCompanyCodeDescription, 150, 24, 70);
  // The rows stand in the order of the identification data; the company code and
  // the identification number are fixed rows that only show where they stand.
  struct Row {
    int check, description;
    TextId text;
    bool fixed;
  };
  const Row rows[] = {{kField1, kField1 + kDescriptionOffset, UI_FIELD1_ACTIVE, false},
                      {kCompanyCodeRow, kCompanyCodeRowDescription, UI_COMPANY_CODE, true},
                      {kField2, kField2 + kDescriptionOffset, UI_FIELD2_ACTIVE, false},
                      {kField3, kField3 + kDescriptionOffset, UI_FIELD3_ACTIVE, false},
                      {kIdentificationRow, kIdentificationRowDescription, UI_IDENTIFICATION_NUMBER, true},
                      {kField4, kField4 + kDescriptionOffset, UI_FIELD4_ACTIVE, false}};
  for (int i = 0; i < 6; ++i) {
    int y = 42 + 16 * i;
    const Row& r = rows[i];
    l.check(r.check, r.text, 7, y + 2, 140, r.fixed ? kDisabled : 0);
    l.edit(r.description, 150, y, 70, r.fixed ? kReadOnly : 0);
    if (r.fixed) continue;
    l.combo(r.check + kLengthOffset, 225, y, 40);
    l.check(r.check + kFixOffset, kNoText, 282, y + 2, 12);
  }
  save_exit(l, 310, 144);
  return {"D_ZUSATZFELDER", DLG_ZUSATZFELDER, 310, 166, l.controls};
}

Built zusatzvorb() {
  Layout l;
  const TextId labels[] = {UI_FIELD1_DEFAULT, UI_FIELD2_DEFAULT, UI_FIELD3_DEFAULT,
                           UI_FIELD4_DEFAULT};
  for (int i = 0; i < 4; ++i) {
    l.label(d_zusatzvorb::kFirstLabel + 10 * i, labels[i], 7, 9 + 16 * i, 140);
    l.edit(d_zusatzvorb::kFirstDefault + 10 * i, 150, 7 + 16 * i, 93);
  }
  save_exit(l, 250, 76);
  return {"D_ZUSATZVORB", DLG_ZUSATZVORB, 250, 98, l.controls};
}

Built rfid_para() {
  Layout l;
  l.group(kStaticId, UI_READER_MODULE, 7, 7, 186, 72);
  const TextId modules[] = {UI_MODULE_NONE, UI_MODULE_DESFIRE, UI_MODULE_LEGIC,
                            UI_MODULE_MIFARE, UI_MODULE_125KHZ};
  for (int i = 0; i < d_rfid_para::kModules; ++i)
    l.radio(d_rfid_para::kFirstModule + 10 * i, modules[i], 15, 19 + 12 * i, 170,
            i == 0 ? kGroupStart | kDisabled : 0);
  save_exit(l, 200, 86);
  return {"D_RFID_PARA", DLG_RFID_PARA, 200, 108, l.controls};
}

Built rfid_keys() {
  Layout l;
  l.label(d_rfid_keys::kLabel, UI_KEY, 7, 9, 40);
  l.edit(d_rfid_keys::kKey, 50, 7, 173, kUpperCase);
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
