#include "resources/menu.h"

namespace res {
namespace {

constexpr MenuEntry popup(TextId text) { return {MenuKind::Popup, 0, text}; }
constexpr MenuEntry item(int command, TextId text) { return {MenuKind::Item, command, text}; }
constexpr MenuEntry end() { return {MenuKind::End, 0, kTextCount}; }

constexpr MenuEntry kMenu[] = {
    popup(MENU_FILE),
    item(1000, MENU_LOGIN),
    item(1100, MENU_EXPORT),
    item(1300, MENU_PASSWORD),
    item(1400, MENU_INITIALIZATION),
    item(1500, MENU_EXIT),
    end(),
    popup(MENU_DATA),
    popup(MENU_PERSONAL),
    item(2000, MENU_NEW_PERSON),
    item(2010, MENU_CHANGE_PERSON),
    item(2020, MENU_DELETE_PERSON),
    item(2030, MENU_SEARCH_PERSON),
    end(),
    popup(MENU_TEMPLATES),
    item(2100, MENU_CHANGE_TEMPLATES),
    item(2110, MENU_DELETE_TEMPLATES),
    item(2120, MENU_SEARCH_TEMPLATES),
    end(),
    popup(MENU_READERS),
    item(2200, MENU_NEW_READER),
    item(2210, MENU_CHANGE_READER),
    item(2220, MENU_DELETE_READER),
    end(),
    item(2400, MENU_DOWNLOAD),
    item(2500, MENU_TEMPLATE_ON_CARD),
    end(),
    popup(MENU_SYSTEM),
    item(5500, MENU_READER_TEST),
    item(5510, MENU_READER_DELETE_DATA),
    item(5515, MENU_READER_RESET),
    item(5520, MENU_READER_PARAMETER),
    item(5530, MENU_ENROL_PARAMETER),
    item(5540, MENU_OPERATING_MODE),
    item(5550, MENU_RELEASE_INFO),
    end(),
    popup(MENU_ADMIN),
    popup(MENU_PARAMETER),
    item(5000, MENU_INPUT_MASK),
    item(5100, MENU_TEMPLATE_PARAMETER),
    item(5050, MENU_FIELD_DESCRIPTION),
    item(5075, MENU_FIELD_DEFAULT),
    item(5200, MENU_RFID_MODULE),
    item(5300, MENU_TOC_KEY),
    end(),
    item(5800, MENU_USERS),
    popup(MENU_BACKUP_RESTORE),
    item(5810, MENU_BACKUP),
    item(5820, MENU_RESTORE),
    end(),
    item(2300, MENU_DELETE_ALL_TEMPLATES),
    item(1200, MENU_IMPORT),
    end(),
    popup(MENU_HELP_POPUP),
    item(6000, MENU_HELP),
    item(6100, MENU_SOFTWARE_INFO),
    end(),
};

constexpr ui::Accelerator kAccelerators[] = {
    {ui::kKeyF1, 1000}, {ui::kKeyF2, 1100}, {ui::kKeyF3, 1200},
    {ui::kKeyF5, 2010}, {ui::kKeyF6, 2100}, {ui::kKeyF7, 2210},
    {ui::kKeyF9, 2300}, {ui::kKeyF10, 2400}, {ui::kKeyF11, 2500},
};

struct StringEntry {
  int id;
  TextId text;
};
constexpr StringEntry kStrings[] = {
    {8100, STR_8100}, {8101, STR_8101}, {8102, STR_8102}, {8103, STR_8103},
    {8104, STR_8104}, {8105, STR_8105}, {8200, STR_8200}, {8201, STR_8201},
    {8202, STR_8202}, {8203, STR_8203}, {8204, STR_8204}, {8300, STR_8300},
    {8301, STR_8301}, {8302, STR_8302}, {8303, STR_8303}, {8304, STR_8304},
    {8305, STR_8305},
};

}  // namespace

const MenuEntry* start_menu(std::size_t* count) {
  *count = sizeof kMenu / sizeof kMenu[0];
  return kMenu;
}

bool menu_text(int command, TextId* text) {
  for (const MenuEntry& e : kMenu) {
    if (e.kind == MenuKind::Item && e.command == command) {
      *text = e.text;
      return true;
    }
  }
  return false;
}

const ui::Accelerator* accel_table(std::size_t* count) {
  *count = sizeof kAccelerators / sizeof kAccelerators[0];
  return kAccelerators;
}

bool string_table(int id, TextId* text) {
  for (const StringEntry& e : kStrings) {
    if (e.id == id) {
      *text = e.text;
      return true;
    }
  }
  return false;
}

}  // namespace res
