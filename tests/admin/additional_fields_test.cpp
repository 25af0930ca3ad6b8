// The additional fields: descriptions, activity, lengths and fix bits
// (D_ZUSATZFELDER, command 5050) and their defaults (D_ZUSATZVORB, command 5075).
#include "fixture.h"
#include "resources/ids/d_zusatzfelder.h"
#include "resources/ids/d_zusatzvorb.h"
#include "store/store.h"

namespace admintest {
namespace {

using AdditionalFields = Params;

TEST_F(AdditionalFields, SwitchedOnWithoutALengthFieldGetsOneByte) {
  using namespace res::d_zusatzfelder;
  store_mask([](store::Eingabesatz& e) {
    e.set_zusatz_active(2, 1);
    e.set_zusatz_len(2, 3);
    e.set_fix_bits(2);
  });
  ui::Window d = open(5050, "D_ZUSATZFELDER");
  ASSERT_NE(ui::kNoWindow, d);
  // Field 1 never had a length (a new installation stores 0).
  ASSERT_TRUE(hl::press(d, kField1));
  ASSERT_TRUE(hl::press(d, kField2));  // off: its fix bit goes, its length stays
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ(1, disk.zusatz_active(1));
  EXPECT_EQ(1, disk.zusatz_len(1));
  EXPECT_EQ(0, disk.zusatz_active(2));
  EXPECT_EQ(3, disk.zusatz_len(2));
  EXPECT_EQ(0, disk.fix_bits());
}

TEST_F(AdditionalFields, DefaultsTakeExactHexLengthsAndSaveTogether) {
  using namespace res::d_zusatzvorb;
  const int kEdit1 = kFirstDefault, kEdit3 = kFirstDefault + 20;
  ASSERT_EQ(ui::kNoWindow, open(5075, "D_ZUSATZVORB"));
  EXPECT_EQ("Function is not available,\nas there are no active additional windows!\n|Info\n",
            boxes());

  store_mask([](store::Eingabesatz& e) {
    e.set_zusatz_active(1, 1);
    e.set_zusatz_len(1, 2);
    e.set_zusatz_description(1, "Bereich");
    e.set_zusatz_active(3, 1);
    e.set_zusatz_len(3, 1);
    e.set_zusatz_default(3, "0F");
  });
  ui::Window d = open(5075, "D_ZUSATZVORB");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ("Bereich", ui::get_text(d, kFirstLabel));
  EXPECT_FALSE(ui::control_enabled(d, kFirstDefault + 10));
  EXPECT_EQ(4, hl::text_limit(d, kEdit1));

  // A text that never passed the leave check is refused by "Save" itself.
  const testsupport::Bytes before = mask_file();
  ASSERT_TRUE(hl::type(d, kEdit1, "12ab"));
  ASSERT_TRUE(hl::click_into(d, kEdit3));
  ui::set_text(d, kEdit1, "123");
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nUnzulässige Feldlänge '3' eingegeben !\nErlaubt ist nur die Länge 4 !\n\n|Info\n",
            boxes());
  EXPECT_TRUE(testsupport::same_bytes(before, mask_file()));

  // Two defaults changed in one save, one of them cleared.
  ASSERT_TRUE(hl::type(d, kEdit1, "12ab"));
  ASSERT_TRUE(hl::type(d, kEdit3, ""));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(ui::kNoWindow, dialog("D_ZUSATZVORB"));
  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ("12ab", disk.zusatz_default(1));
  EXPECT_EQ("", disk.zusatz_default(3));
}

}  // namespace
}  // namespace admintest
