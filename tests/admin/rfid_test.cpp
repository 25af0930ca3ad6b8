// The RF-ID reader module (D_RFID_PARA, 5200) with Template on Card following
// it, and the write key (D_RFID_KEYS, 5300).
#include "fixture.h"
#include "resources/catalogue.h"
#include "resources/ids/d_rfid_keys.h"
#include "resources/ids/d_rfid_para.h"
#include "store/store.h"

namespace admintest {
namespace {

using Rfid = Params;

std::string hex(const std::uint8_t* bytes, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += res::sformat("%02X", bytes[i]);
  return s;
}

TEST_F(Rfid, ReaderModuleEnablesOrGreysTemplateOnCard) {
  using namespace res::d_rfid_para;
  struct Case {
    int module;
    bool template_on_card;
  };
  const Case cases[] = {{4, false}, {1, true}, {4, false}, {2, true}};
  int stored = store::kLegicModule;
  for (const Case& c : cases) {
    ui::Window d = open(5200, "D_RFID_PARA");
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_TRUE(ui::checked(d, kFirstModule + 10 * stored)) << stored;
    ASSERT_TRUE(hl::press(d, kFirstModule + 10 * c.module));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(ui::kNoWindow, dialog("D_RFID_PARA"));
    EXPECT_EQ(c.module, mask_on_disk().module_type());
    EXPECT_EQ(c.template_on_card, ui::menu_enabled(main(), 2500)) << c.module;
    stored = c.module;
  }
}

TEST_F(Rfid, WriteKeyOfEachModule) {
  using res::d_rfid_keys::kKey;
  const std::string kFirst = "1. Falsches Zeichen in der Tabelle !|Info\n";
  struct Case {
    int module;
    int digits;  // the field's limit
    const char* typed;
    std::string boxes;
    std::string key_a;  // the first 16 bytes of key A afterwards
  };
  const store::Eingabesatz before = store::db().eingabe;
  const Case cases[] = {
      // Mifare Classic: only the first six bytes of key A.
      {3, 12, "A1A2A3A4A5A6", "", "A1A2A3A4A5A6" + hex(before.rfid_key_a() + 6, 10)},
      // DESFire: two pairs missing, one message each, zeros there.
      {1, 32, "00112233445566778899AABBCCDD", kFirst + kFirst, "00112233445566778899AABBCCDD0000"},
  };
  for (const Case& c : cases) {
    store_mask([&](store::Eingabesatz& e) { e.set_module_type(static_cast<std::uint16_t>(c.module)); });
    const std::string shown = hex(store::db().eingabe.rfid_key_a(), c.digits / 2);
    ui::Window d = open(5300, "D_RFID_KEYS");
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_EQ(shown, ui::get_text(d, kKey));
    EXPECT_EQ(c.digits, hl::text_limit(d, kKey));
    hl::type(d, kKey, c.typed);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(c.boxes, boxes()) << c.typed;
    store::Eingabesatz disk = mask_on_disk();
    EXPECT_EQ(c.key_a, hex(disk.rfid_key_a(), 16)) << c.typed;
    EXPECT_EQ(hex(before.rfid_key_b(), 20), hex(disk.rfid_key_b(), 20));
  }
}

}  // namespace
}  // namespace admintest
