// The dialog templates, the menu, the accelerators, the string table and the
// pictures: complete, consistent and laid out so that both editions' texts fit.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/dialogs.h"
#include "resources/images.h"
#include "resources/menu.h"
#include "support/support.h"

namespace {

using res::Ctl;
using res::DialogTemplate;

std::vector<const DialogTemplate*> all_dialogs() {
  std::size_t n = 0;
  const DialogTemplate* d = res::dialog_templates(&n);
  std::vector<const DialogTemplate*> out;
  for (std::size_t i = 0; i < n; ++i) out.push_back(d + i);
  return out;
}

const res::ControlTemplate* find(const DialogTemplate* d, int id) {
  for (std::size_t i = 0; i < d->count; ++i)
    if (d->controls[i].id == id) return &d->controls[i];
  return nullptr;
}

// Width in dialog units of one line of Windows-1252 text in the dialog font:
// an average character is 4 units; narrow and wide letters are counted as such.
int text_width(const std::string& line) {
  int w = 0;
  for (unsigned char c : line) {
    if (std::strchr(" il.,;:'!|`", c))
      w += 2;
    else if (std::strchr("fjtrI()[]/-", c))
      w += 3;
    else if (std::strchr("mwMW", c))
      w += 7;
    else if ((c >= 'A' && c <= 'Z') || c >= 0xC0)
      w += 5;
    else
      w += 4;
  }
  return w;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out(1);
  for (char c : text) {
    if (c == '\n')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

// Closed height of a control (a combo's template height includes its list).
int closed_height(const res::ControlTemplate& c) {
  return c.kind == Ctl::ComboList || c.kind == Ctl::ComboEdit ? 12 : c.height;
}

TEST(DialogTemplates, AllDialogsArePresentWithTheirCaptions) {
  const char* names[] = {"D_ANMELDEN",  "D_BACKUP_RESTORE", "D_BMODE",
                         "D_DOWN_AN_LESER", "D_EINGABE",    "D_ENROL",
                         "D_EXPORT",    "D_FINGER",         "D_IMPORT",
                         "D_INITIAL",   "D_LESER_VERS_INFO", "D_LESER",
                         "D_MATCHING",  "D_PASSWORT",       "D_PERSON",
                         "D_RFID_KEYS", "D_RFID_PARA",      "D_SPEZIAL_PIN",
                         "D_SUCHEN",    "D_TEMPLATE",       "D_TEMP_DEL",
                         "D_USER",      "D_ZUSATZFELDER",   "D_ZUSATZVORB"};
  EXPECT_EQ(all_dialogs().size(), 24u);
  for (const char* name : names) EXPECT_NE(res::dialog_template(name), nullptr) << name;
  EXPECT_EQ(res::dialog_template("D_NOTHING"), nullptr);

  const DialogTemplate* initial = res::dialog_template("D_INITIAL");
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(res::text_in(initial->caption, res::Edition::English), "Initialization");
  EXPECT_EQ(res::text_in(initial->caption, res::Edition::German), "Initalisierung");
  const DialogTemplate* anmelden = res::dialog_template("D_ANMELDEN");
  ASSERT_NE(anmelden, nullptr);
  EXPECT_EQ(res::text_in(anmelden->caption, res::Edition::German), "Anmeldung");
}

TEST(DialogTemplates, ControlIdsAreUniqueAndTextsResolve) {
  for (const DialogTemplate* d : all_dialogs()) {
    EXPECT_GE(d->caption, 0) << d->name;
    EXPECT_LT(d->caption, res::kTextCount) << d->name;
    std::set<int> ids;
    for (std::size_t i = 0; i < d->count; ++i) {
      const res::ControlTemplate& c = d->controls[i];
      if (c.id != res::kStaticId) {
        EXPECT_TRUE(ids.insert(c.id).second) << d->name << " control " << c.id;
      }
      if (c.text != res::kNoText) {
        EXPECT_GE(c.text, 0) << d->name << " control " << c.id;
        EXPECT_LT(c.text, res::kTextCount) << d->name << " control " << c.id;
      }
    }
    // Every dialog can be left: "Exit Menu" or, for the two choice dialogs, the
    // button that takes the choice.
    EXPECT_TRUE(ids.count(950) || ids.count(900)) << d->name;
  }
}

TEST(DialogTemplates, ControlsStayInsideTheDialogAndDoNotOverlap) {
  for (const DialogTemplate* d : all_dialogs()) {
    std::vector<const res::ControlTemplate*> placed;
    for (std::size_t i = 0; i < d->count; ++i) {
      const res::ControlTemplate& c = d->controls[i];
      EXPECT_GE(c.x, 0) << d->name << " " << c.id;
      EXPECT_GE(c.y, 0) << d->name << " " << c.id;
      EXPECT_LE(c.x + c.width, d->width) << d->name << " " << c.id;
      EXPECT_LE(c.y + closed_height(c), d->height) << d->name << " " << c.id;
      if (c.kind != Ctl::Group) placed.push_back(&c);
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
      for (std::size_t j = i + 1; j < placed.size(); ++j) {
        const res::ControlTemplate& a = *placed[i];
        const res::ControlTemplate& b = *placed[j];
        bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                     a.y + closed_height(a) <= b.y || b.y + closed_height(b) <= a.y;
        EXPECT_TRUE(apart) << d->name << ": controls " << a.id << " and " << b.id
                           << " overlap";
      }
    }
  }
}

TEST(DialogTemplates, TextsFitTheirControlsInBothEditions) {
  for (res::Edition e : {res::Edition::English, res::Edition::German}) {
    for (const DialogTemplate* d : all_dialogs()) {
      for (std::size_t i = 0; i < d->count; ++i) {
        const res::ControlTemplate& c = d->controls[i];
        if (c.text == res::kNoText) continue;
        std::vector<std::string> lines = lines_of(res::text_in(c.text, e));
        int room = c.width;
        if (c.kind == Ctl::CheckBox || c.kind == Ctl::Radio) room -= 12;
        if (c.kind == Ctl::Button) room -= 6;
        if (c.kind == Ctl::Group) room -= 10;
        for (const std::string& line : lines)
          EXPECT_LE(text_width(line), room)
              << d->name << " control " << c.id << " \"" << res::cp1252_to_utf8(line)
              << "\" edition "
              << static_cast<int>(e);
        int line_room = c.kind == Ctl::Button ? c.height - 4 : c.height;
        if (c.kind == Ctl::Group) continue;
        EXPECT_LE(static_cast<int>(lines.size()) * 8, line_room + 2)
            << d->name << " control " << c.id << " edition " << static_cast<int>(e);
        if (lines.size() > 1) {
          EXPECT_TRUE(c.style & res::kMultiLine) << d->name << " control " << c.id;
        }
      }
    }
  }
}

TEST(DialogTemplates, ControlsTheProgramAddressesHaveTheirKinds) {
  struct Expect {
    const char* dialog;
    int id;
    Ctl kind;
    unsigned style;
  };
  const Expect expects[] = {
      {"D_ANMELDEN", 200, Ctl::ComboList, 0},      {"D_ANMELDEN", 700, Ctl::Edit, res::kPassword},
      {"D_USER", 200, Ctl::ComboEdit, 0},          {"D_USER", 700, Ctl::Edit, res::kPassword},
      {"D_PASSWORT", 111, Ctl::Edit, res::kPassword}, {"D_PASSWORT", 131, Ctl::Edit, res::kPassword},
      {"D_PERSON", 203, Ctl::Edit, res::kReadOnly}, {"D_PERSON", 204, Ctl::Edit, res::kUpperCase},
      {"D_PERSON", 205, Ctl::Edit, res::kDigitsOnly}, {"D_PERSON", 322, Ctl::CheckBox, 0},
      {"D_PERSON", 940, Ctl::Button, res::kMultiLine}, {"D_SUCHEN", 101, Ctl::Radio, res::kGroupStart},
      {"D_SUCHEN", 201, Ctl::ListBox, 0},          {"D_SUCHEN", 302, Ctl::Edit, res::kReadOnly},
      {"D_ENROL", 254, Ctl::ColourButton, 0},      {"D_ENROL", 208, Ctl::Box, 0},
      {"D_ENROL", 302, Ctl::CheckBox, res::kDisabled}, {"D_TEMP_DEL", 210, Ctl::ColourButton, 0},
      {"D_SPEZIAL_PIN", 510, Ctl::Edit, res::kDigitsOnly}, {"D_LESER", 142, Ctl::CheckBox, 0},
      {"D_LESER", 132, Ctl::ComboList, 0},         {"D_INITIAL", 111, Ctl::Radio, 0},
      {"D_DOWN_AN_LESER", 231, Ctl::CheckBox, 0},  {"D_DOWN_AN_LESER", 141, Ctl::Label, 0},
      {"D_BMODE", 250, Ctl::Radio, 0},             {"D_EXPORT", 111, Ctl::ComboList, 0},
      {"D_EXPORT", 222, Ctl::Edit, 0},             {"D_IMPORT", 301, Ctl::Edit, 0},
      {"D_IMPORT", 955, Ctl::Button, 0},           {"D_EINGABE", 307, Ctl::CheckBox, 0},
      {"D_EINGABE", 204, Ctl::Edit, res::kUpperCase}, {"D_ZUSATZFELDER", 480, Ctl::CheckBox, 0},
      {"D_ZUSATZFELDER", 235, Ctl::CheckBox, res::kDisabled}, {"D_ZUSATZVORB", 230, Ctl::Edit, 0},
      {"D_RFID_PARA", 200, Ctl::Radio, res::kDisabled}, {"D_RFID_KEYS", 800, Ctl::Edit, res::kUpperCase},
      {"D_BACKUP_RESTORE", 210, Ctl::Edit, res::kReadOnly}, {"D_LESER_VERS_INFO", 800, Ctl::Edit, 0},
      {"D_MATCHING", 200, Ctl::ComboList, 0},      {"D_FINGER", 200, Ctl::ComboList, 0},
      {"D_TEMPLATE", 200, Ctl::ComboList, 0},
  };
  for (const Expect& e : expects) {
    const DialogTemplate* d = res::dialog_template(e.dialog);
    ASSERT_NE(d, nullptr) << e.dialog;
    const res::ControlTemplate* c = find(d, e.id);
    ASSERT_NE(c, nullptr) << e.dialog << " " << e.id;
    EXPECT_EQ(c->kind, e.kind) << e.dialog << " " << e.id;
    EXPECT_EQ(c->style & e.style, e.style) << e.dialog << " " << e.id;
  }
  // The reader selection has a label and a check box for each of 32 readers.
  const DialogTemplate* down = res::dialog_template("D_DOWN_AN_LESER");
  for (int k = 0; k < 32; ++k) {
    ASSERT_NE(find(down, 200 + k), nullptr) << k;
    ASSERT_NE(find(down, 110 + k), nullptr) << k;
  }
  // The finger grid: 25 colour buttons in five rows.
  const DialogTemplate* enrol = res::dialog_template("D_ENROL");
  for (int row = 210; row <= 250; row += 10)
    for (int col = 0; col < 5; ++col)
      EXPECT_EQ(find(enrol, row + col)->kind, Ctl::ColourButton) << row + col;
}

TEST(Menu, HoldsEveryCommandOnceWithBalancedPopups) {
  const int commands[] = {1000, 1100, 1200, 1300, 1400, 1500, 2000, 2010, 2020, 2030,
                          2100, 2110, 2120, 2200, 2210, 2220, 2300, 2400, 2500, 5000,
                          5050, 5075, 5100, 5200, 5300, 5500, 5510, 5515, 5520, 5530,
                          5540, 5550, 5800, 5810, 5820, 6000, 6100};
  std::size_t n = 0;
  const res::MenuEntry* menu = res::start_menu(&n);
  std::multiset<int> seen;
  int depth = 0, popups = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (menu[i].kind == res::MenuKind::Popup) ++depth, ++popups;
    if (menu[i].kind == res::MenuKind::End) --depth;
    ASSERT_GE(depth, 0) << i;
    if (menu[i].kind == res::MenuKind::Item) {
      EXPECT_GT(depth, 0) << menu[i].command;
      seen.insert(menu[i].command);
    }
  }
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(popups, 10);
  EXPECT_EQ(seen.size(), sizeof commands / sizeof commands[0]);
  for (int c : commands) EXPECT_EQ(seen.count(c), 1u) << c;

  res::TextId t;
  ASSERT_TRUE(res::menu_text(2120, &t));
  EXPECT_EQ(res::text_in(t, res::Edition::English), "Serarch template data");
  ASSERT_TRUE(res::menu_text(2500, &t));
  EXPECT_EQ(res::text_in(t, res::Edition::German), "Template &On Card\tF11");
  ASSERT_TRUE(res::menu_text(1300, &t));
  EXPECT_EQ(res::text_in(t, res::Edition::German), testsupport::cp("Passwort ändern"));
  EXPECT_FALSE(res::menu_text(2450, &t));
}

TEST(Menu, AcceleratorsMatchTheMenuTexts) {
  std::size_t n = 0;
  const ui::Accelerator* table = res::accel_table(&n);
  ASSERT_EQ(n, 9u);
  for (std::size_t i = 0; i < n; ++i) {
    res::TextId t;
    ASSERT_TRUE(res::menu_text(table[i].command, &t)) << table[i].command;
    std::string key = "\tF" + std::to_string(table[i].key - ui::kKeyF1 + 1);
    for (res::Edition e : {res::Edition::English, res::Edition::German}) {
      const std::string& text = res::text_in(t, e);
      ASSERT_GE(text.size(), key.size());
      EXPECT_EQ(text.substr(text.size() - key.size()), key) << table[i].command;
    }
  }
}

TEST(StringTable, ColumnHeadersOfBothEditions) {
  std::vector<int> ids;
  for (int i = 8100; i <= 8105; ++i) ids.push_back(i);
  for (int i = 8200; i <= 8204; ++i) ids.push_back(i);
  for (int i = 8300; i <= 8305; ++i) ids.push_back(i);
  for (int id : ids) {
    res::TextId t;
    EXPECT_TRUE(res::string_table(id, &t)) << id;
  }
  res::TextId t;
  EXPECT_FALSE(res::string_table(8106, &t));
  ASSERT_TRUE(res::string_table(8204, &t));
  EXPECT_EQ(res::text_in(t, res::Edition::English), "Fingerprint");
  EXPECT_EQ(res::text_in(t, res::Edition::German), "Fingerkennung");
  ASSERT_TRUE(res::string_table(8305, &t));
  EXPECT_EQ(res::text_in(t, res::Edition::German), "Vorselektiert");
}

TEST(Pictures, TileRepeatsWithoutSeamAndIconIsRound) {
  const res::Picture& tile = res::hgrund();
  ASSERT_EQ(tile.width, 80);
  ASSERT_EQ(tile.height, 80);
  ASSERT_EQ(tile.rgba.size(), 80u * 80u * 4u);
  auto px = [&](const res::Picture& p, int x, int y, int ch) {
    return static_cast<int>(p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4 + ch]);
  };
  for (int y = 0; y < 80; ++y) {
    // Neighbouring columns across the tile edge differ no more than inside it.
    EXPECT_LE(std::abs(px(tile, 79, y, 2) - px(tile, 0, y, 2)), 2) << y;
    EXPECT_EQ(px(tile, 0, y, 3), 255);
  }
  const res::Picture& icon = res::main_icon();
  ASSERT_EQ(icon.width, 32);
  EXPECT_EQ(px(icon, 0, 0, 3), 0);
  EXPECT_EQ(px(icon, 16, 16, 3), 255);
  EXPECT_EQ(res::picture("Hgrund"), &tile);
  EXPECT_EQ(res::picture("MainIcon"), &icon);
  EXPECT_EQ(res::picture("OTHER"), nullptr);
}

}  // namespace
