// Record layouts, finger blocks and the identification data.
#include <cstring>

#include "store/records.h"
#include "support/support.h"

namespace {

using testsupport::Bytes;

TEST(Records, PersonFieldsAtTheirOffsets) {
  store::Personensatz p;
  p.set_nummer(0x01020304);
  p.set_name("Müller");
  p.set_personalnummer("12345678901234");  // longer than the field: cut to 11
  p.set_group_mark(3, 3);
  p.set_finger_count(2);
  p.set_reader_mask(0x80000001u);
  p.set_combined_mode(store::kNeedFinger | store::kNeedPin);
  p.set_zusatz(4, "ABCDEF");
  EXPECT_EQ(0x04, p.b[0]);
  EXPECT_EQ(0x01, p.b[3]);
  EXPECT_EQ('M', p.b[4]);
  EXPECT_EQ("12345678901", p.personalnummer());
  EXPECT_EQ(0, p.b[59]);
  EXPECT_EQ(3, p.b[109]);
  EXPECT_EQ(2, p.b[118]);
  EXPECT_EQ(0x80, p.b[141]);
  EXPECT_EQ(0x01, p.b[138]);
  EXPECT_EQ(0x60, p.b[146]);
  EXPECT_EQ('A', p.b[192]);
  EXPECT_EQ("ABCDEF", p.zusatz(4));
  // A shorter text clears what a longer one left behind.
  p.set_name("Li");
  EXPECT_EQ(0, p.b[6]);
  EXPECT_EQ(0, p.b[7]);
}

TEST(Records, UnterminatedTextStopsAtFieldEnd) {
  store::Lesersatz r;
  std::memset(r.b.data() + 34, 'x', 30);
  r.b[64] = 'y';
  EXPECT_EQ(std::string(30, 'x'), r.name());
}

TEST(Records, SlotSizes) {
  EXPECT_EQ(224, store::Personensatz::kSlot);
  EXPECT_EQ(160, store::Personensatz::kOldSlot);
  EXPECT_EQ(10208, store::Templatesatz::kSlot);
  EXPECT_EQ(2640, store::Templatesatz::kOldSlot);
  EXPECT_EQ(96, store::Lesersatz::kSlot);
  EXPECT_EQ(400, store::Eingabesatz::kSlot);
  EXPECT_EQ(144, store::Eingabesatz::kSlotV0);
  EXPECT_EQ(336, store::Eingabesatz::kSlotV1);
  EXPECT_EQ(96, store::Usersatz::kSlot);
  EXPECT_EQ(1936, store::Konfigsatz::kSlot);
  EXPECT_EQ(1904, store::Konfigsatz::kOldSlot);
}

TEST(Records, FingerBlocks) {
  EXPECT_EQ(5, store::finger_block_index(3, 2, 2));
  EXPECT_EQ(0, store::finger_block_index(1, 1, 1));
  EXPECT_EQ(9, store::finger_block_index(10, 1, 1));
  EXPECT_EQ(-1, store::finger_block_index(11, 1, 1));
  EXPECT_EQ(-1, store::finger_block_index(1, 3, 2));
  EXPECT_EQ(-1, store::finger_block_index(4, 1, 3));  // 10 div 3 = 3 groups
  EXPECT_EQ(-1, store::finger_block_index(0, 1, 1));

  store::Templatesatz t;
  EXPECT_EQ(4 + 1020 * 5, store::Templatesatz::block_offset(5));
  t.set_length(5, store::kDummyTemplate);
  t.set_quality(5, 255);
  t.set_group(5, 3);
  EXPECT_FALSE(store::holds_real_template(t, 5));
  EXPECT_EQ(1, store::group_template_count(t, 3, 2));
  t.set_length(4, 300);
  t.set_group(4, 3);
  EXPECT_FALSE(store::holds_real_template(t, 4));  // quality 0
  t.set_quality(4, 80);
  EXPECT_TRUE(store::holds_real_template(t, 4));
  EXPECT_EQ(2, store::group_template_count(t, 3, 2));
  t.set_group(4, 2);  // a block of group 3's range with another group byte
  EXPECT_EQ(1, store::group_template_count(t, 3, 2));
  store::clear_finger_block(t, 5);
  EXPECT_EQ(0, t.length(5));
  EXPECT_EQ(0, t.quality(5));
  EXPECT_EQ(0, t.length(9));
}

TEST(Records, EingabeRfidAreas) {
  store::Eingabesatz e;
  e.rfid_main()[22] = 0x34;
  e.rfid_main()[23] = 0x12;
  EXPECT_EQ(0x1234, e.transponder_start());
  e.rfid_module2()[0] = 9;
  EXPECT_EQ(9, e.b[112]);
  e.rfid_key_b()[0] = 7;
  EXPECT_EQ(7, e.b[66]);
  e.set_zusatz_len(2, 3);
  EXPECT_EQ(3, e.b[230]);
  e.set_zusatz_default(4, "FF");
  EXPECT_EQ('F', e.b[364]);
}

TEST(Records, HexTexts) {
  EXPECT_TRUE(store::is_hex_text("09afAF"));
  EXPECT_FALSE(store::is_hex_text("12G4"));
  EXPECT_FALSE(store::is_hex_text("1 2"));
  EXPECT_EQ("00001A", store::pad_left_zero("1A", 6));
  EXPECT_EQ("1234567", store::pad_left_zero("1234567", 6));
  std::uint8_t out[4] = {};
  EXPECT_EQ(2, store::pack_hex("12aB", out, 4));
  EXPECT_EQ(0x12, out[0]);
  EXPECT_EQ(0xAB, out[1]);
  EXPECT_EQ(-1, store::pack_hex("1x", out, 4));
  EXPECT_EQ(1, store::pack_hex("ABCDEF", out, 1));
}

TEST(Records, IdentificationDataOrder) {
  store::Eingabesatz m;
  m.set_default_firma("12AB");
  m.set_ausweis_len(6);
  m.set_zusatz_active(1, 1);
  m.set_zusatz_len(1, 1);
  m.set_zusatz_active(2, 1);
  m.set_zusatz_len(2, 3);
  m.set_zusatz_len(3, 2);  // not active: left out
  m.set_zusatz_active(4, 1);
  m.set_zusatz_len(4, 1);
  store::Personensatz p;
  p.set_zusatz(1, "F1");
  p.set_zusatz(2, "1A");
  p.set_zusatz(3, "3333");
  p.set_ausweisnummer("BEEF");
  p.set_zusatz(4, "4");
  EXPECT_EQ("F1" "12AB" "00001A" "00BEEF" "04", store::identification_text(p, m));
  EXPECT_EQ((4 + 6 + 2 + 6 + 2) / 2, store::user_id_length(m));
}

}  // namespace
