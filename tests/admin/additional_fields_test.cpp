// The additional fields: descriptions, activity, lengths and fix bits
// (D_ZUSATZFELDER, command 5050) and their defaults (D_ZUSATZVORB, command 5075).
#include "fixture.h"
#include "resources/ids/d_zusatzfelder.h"
#include "resources/ids/d_zusatzvorb.h"
#include "store/store.h"

namespace admintest {
namespace {

using AdditionalFields = Params;

TEST_F(AdditionalFields, RowsFollowTheirCheckBoxesAndSaveTheirSettings) {
  using namespace res::d_zusatzfelder;
  store_mask([](store::Eingabesatz& e) {
    e.set_company_description("Mandant");
    e.set_zusatz_active(2, 1);
    e.set_zusatz_description(2, "Abteilung");
    e.set_zusatz_len(2, 3);
    e.set_fix_bits(2);
  });
  ui::Window d = open(5050, "D_ZUSATZFELDER");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_FALSE(ui::checked(d, kChangeCompanyCode));
  EXPECT_EQ("Mandant", ui::get_text(d, kCompanyCodeDescription));
  EXPECT_FALSE(ui::control_enabled(d, kCompanyCodeDescription));
  EXPECT_TRUE(ui::checked(d, kField2));
  EXPECT_EQ("Abteilung", ui::get_text(d, kField2 + kDescriptionOffset));
  EXPECT_EQ((std::vector<std::string>{"02", "04", "06", "08", "10"}),
            hl::items(d, kField2 + kLengthOffset));
  EXPECT_EQ(2, ui::items_selected(d, kField2 + kLengthOffset));
  EXPECT_TRUE(ui::checked(d, kField2 + kFixOffset));
  for (int id : {kField1 + kDescriptionOffset, kField1 + kLengthOffset, kField1 + kFixOffset})
    EXPECT_FALSE(ui::control_enabled(d, id)) << id;
  for (int id : {kCompanyCodeRow, kIdentificationRow}) {
    EXPECT_TRUE(ui::checked(d, id));
    EXPECT_FALSE(ui::control_enabled(d, id));
  }

  ASSERT_TRUE(hl::press(d, kChangeCompanyCode));
  ASSERT_TRUE(hl::type(d, kCompanyCodeDescription, "Werk"));
  // Field 1 with a chosen length and its fix box; description cut at 12.
  ASSERT_TRUE(hl::press(d, kField1));
  EXPECT_TRUE(ui::control_enabled(d, kField1 + kLengthOffset));
  hl::type(d, kField1 + kDescriptionOffset, "Kostenstelle1");
  EXPECT_EQ("Kostenstelle", ui::get_text(d, kField1 + kDescriptionOffset));
  ASSERT_TRUE(hl::choose_item(d, kField1 + kLengthOffset, "06"));
  ASSERT_TRUE(hl::press(d, kField1 + kFixOffset));
  // Field 3 that never had a length starts at one byte.
  ASSERT_TRUE(hl::press(d, kField3));
  EXPECT_EQ(0, ui::items_selected(d, kField3 + kLengthOffset));
  // Field 2 switched off: its fix bit goes, its description and length stay.
  ASSERT_TRUE(hl::press(d, kField2));
  EXPECT_FALSE(ui::control_enabled(d, kField2 + kFixOffset));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_ZUSATZFELDER"));

  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ(1, disk.change_company_active());
  EXPECT_EQ("Werk", disk.company_description());
  EXPECT_EQ(1, disk.zusatz_active(1));
  EXPECT_EQ("Kostenstelle", disk.zusatz_description(1));
  EXPECT_EQ(3, disk.zusatz_len(1));
  EXPECT_EQ(0, disk.zusatz_active(2));
  EXPECT_EQ("Abteilung", disk.zusatz_description(2));
  EXPECT_EQ(3, disk.zusatz_len(2));
  EXPECT_EQ(1, disk.zusatz_active(3));
  EXPECT_EQ(1, disk.zusatz_len(3));
  EXPECT_EQ(0, disk.zusatz_active(4));
  EXPECT_EQ(1, disk.fix_bits());
}

TEST_F(AdditionalFields, DefaultsTakeExactHexLengthsAndSaveTogether) {
  using namespace res::d_zusatzvorb;
  const int kEdit1 = kFirstDefault, kEdit2 = kFirstDefault + 10, kEdit3 = kFirstDefault + 20;
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
  EXPECT_EQ("Additional field 3 (before AWNR)", ui::get_text(d, kFirstLabel + 20));
  EXPECT_FALSE(ui::control_enabled(d, kEdit2));
  EXPECT_EQ(4, hl::text_limit(d, kEdit1));
  EXPECT_EQ(2, hl::text_limit(d, kEdit3));
  EXPECT_EQ("0F", ui::get_text(d, kEdit3));

  hl::type(d, kEdit1, "1x");
  EXPECT_EQ(
      "\nUnzulässiges Zeichen 'x' eingegeben !\nErlaubt sind die Zeichen 0 - 9 und A - F !\n\n|Info\n",
      boxes());
  EXPECT_EQ("1", ui::get_text(d, kEdit1));
  const std::string kLength =
      "\nUnzulässige Feldlänge '1' eingegeben !\nErlaubt ist nur die Länge 4 !\n\n|Info\n";
  hl::clear_boxes();
  ASSERT_TRUE(hl::click_into(d, kEdit3));
  EXPECT_EQ(kLength, boxes());
  EXPECT_EQ(kEdit1, hl::focus().second);

  // The refused field keeps the focus: "Save" cannot be pressed.
  const testsupport::Bytes before = mask_file();
  hl::clear_boxes();
  EXPECT_FALSE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(kLength, boxes());
  // A text that never passed the leave check is refused by "Save" itself.
  ASSERT_TRUE(hl::type(d, kEdit1, "12ab"));
  ASSERT_TRUE(hl::click_into(d, kEdit3));
  ui::set_text(d, kEdit1, "123");
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nUnzulässige Feldlänge '3' eingegeben !\nErlaubt ist nur die Länge 4 !\n\n|Info\n",
            boxes());
  EXPECT_EQ(kEdit1, hl::focus().second);
  EXPECT_EQ(d, dialog("D_ZUSATZVORB"));
  EXPECT_TRUE(testsupport::same_bytes(before, mask_file()));

  // Two defaults changed in one save, one of them cleared.
  ASSERT_TRUE(hl::type(d, kEdit1, "12ab"));
  ASSERT_TRUE(hl::type(d, kEdit3, ""));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_ZUSATZVORB"));
  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ("12ab", disk.zusatz_default(1));
  EXPECT_EQ("", disk.zusatz_default(3));
}

}  // namespace
}  // namespace admintest
