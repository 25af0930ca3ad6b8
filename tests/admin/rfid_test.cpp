// The template parameters (D_TEMPLATE, 5100), the RF-ID reader module
// (D_RFID_PARA, 5200) with Template on Card following it, and the write key
// (D_RFID_KEYS, 5300).
#include <cstring>

#include "fixture.h"
#include "resources/catalogue.h"
#include "resources/ids/d_rfid_keys.h"
#include "resources/ids/d_rfid_para.h"
#include "resources/ids/d_template.h"
#include "store/store.h"

namespace admintest {
namespace {

using Rfid = Params;

std::string hex(const std::uint8_t* bytes, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += res::sformat("%02X", bytes[i]);
  return s;
}

TEST_F(Rfid, MatchingLevelFromTheList) {
  using namespace res::d_template;
  ui::Window d = open(5100, "D_TEMPLATE");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ((std::vector<std::string>{"01", "02", "03", "04", "05", "06", "07", "08", "09"}),
            hl::items(d, kMatchingLevel));
  EXPECT_EQ(4, ui::items_selected(d, kMatchingLevel));
  ASSERT_TRUE(hl::choose_item(d, kMatchingLevel, "08"));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(ui::kNoWindow, dialog("D_TEMPLATE"));
  EXPECT_EQ(8, mask_on_disk().matching_level());
}

TEST_F(Rfid, ReaderModuleEnablesOrGreysTemplateOnCard) {
  using namespace res::d_rfid_para;
  struct Case {
    int module;
    bool template_on_card;
  };
  const Case cases[] = {{4, false}, {1, true}, {3, true}, {4, false}, {2, true}};
  int stored = store::kLegicModule;
  for (const Case& c : cases) {
    ui::Window d = open(5200, "D_RFID_PARA");
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_FALSE(ui::control_enabled(d, kFirstModule));
    EXPECT_TRUE(ui::checked(d, kFirstModule + 10 * stored)) << stored;
    ASSERT_TRUE(hl::press(d, kFirstModule + 10 * c.module));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(ui::kNoWindow, dialog("D_RFID_PARA"));
    EXPECT_EQ(c.module, mask_on_disk().module_type());
    EXPECT_EQ(c.template_on_card, ui::menu_enabled(main(), 2500)) << c.module;
    stored = c.module;
  }
  // "Exit Menu" leaves the menu as it is.
  ui::Window d = open(5200, "D_RFID_PARA");
  ASSERT_TRUE(hl::press(d, kFirstModule + 40));
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  EXPECT_TRUE(ui::menu_enabled(main(), 2500));
  EXPECT_EQ(store::kLegicModule, mask_on_disk().module_type());
}

TEST_F(Rfid, WriteKeyOfEachModule) {
  using res::d_rfid_keys::kKey;
  const std::string kFirst = "1. Falsches Zeichen in der Tabelle !|Info\n";
  const std::string kSecond = "2. Falsches Zeichen in der Tabelle !|Info\n";
  struct Case {
    int module;
    int digits;         // the field's limit
    const char* typed;
    std::string boxes;
    const char* key_a;  // the first 16 bytes of key A afterwards ("": as before)
    const char* key_b;
  };
  const Case cases[] = {
      // Mifare Classic: only the first six bytes of key A.
      {3, 12, "A1A2A3A4A5A6", "", "A1A2A3A4A5A6", ""},
      // DESFire: two pairs missing, one message each, zeros there.
      {1, 32, "00112233445566778899AABBCCDD", kFirst + kFirst, "00112233445566778899AABBCCDD0000",
       ""},
      // An odd count: the last pair lacks its second character.
      {1, 32, "FFEEDDCCBBAA99887766554433221", kSecond + kFirst,
       "FFEEDDCCBBAA99887766554433221000", ""},
      // Legic advant: key B.
      {2, 32, "0123456789ABCDEF0123456789ABCDEF", "", "", "0123456789ABCDEF0123456789ABCDEF"},
  };
  for (const Case& c : cases) {
    store_mask([&](store::Eingabesatz& e) { e.set_module_type(static_cast<std::uint16_t>(c.module)); });
    const store::Eingabesatz before = store::db().eingabe;
    const std::uint8_t* shown_key = c.module == 2 ? before.rfid_key_b() : before.rfid_key_a();
    ui::Window d = open(5300, "D_RFID_KEYS");
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_EQ(hex(shown_key, c.digits / 2), ui::get_text(d, kKey)) << c.module;
    EXPECT_EQ(c.digits, hl::text_limit(d, kKey));
    hl::type(d, kKey, c.typed);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(c.boxes, boxes()) << c.typed;
    EXPECT_EQ(ui::kNoWindow, dialog("D_RFID_KEYS"));
    store::Eingabesatz disk = mask_on_disk();
    std::string a = *c.key_a ? c.key_a : hex(before.rfid_key_a(), 16);
    if (c.module == 3) a += hex(before.rfid_key_a() + 6, 10);
    EXPECT_EQ(a, hex(disk.rfid_key_a(), 16)) << c.typed;
    EXPECT_EQ(*c.key_b ? c.key_b : hex(before.rfid_key_b(), 16), hex(disk.rfid_key_b(), 16));
    EXPECT_EQ(0, std::memcmp(before.rfid_key_a() + 16, disk.rfid_key_a() + 16, 4));
  }

  // Typing stops at a character that is not hexadecimal.
  ui::Window d = open(5300, "D_RFID_KEYS");
  hl::type(d, kKey, "12G4");
  EXPECT_EQ("Unzulässiges Zeichen 'G' eingegeben !|Info\n", boxes());
  EXPECT_EQ("124", ui::get_text(d, kKey));
}

}  // namespace
}  // namespace admintest
