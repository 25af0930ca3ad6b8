// The input mask D_EINGABE (command 5000): filling, the checks while typing and
// on leaving, "Save" in its order, the write, the notes and the rewrite of the
// persons' fingerprint flag.
#include "admin/rules.h"
#include "fixture.h"
#include "platform/fault.h"
#include "resources/ids/d_eingabe.h"
#include "store/store.h"

namespace admintest {
namespace {

using namespace res::d_eingabe;
namespace fault = platform::fault;

const char* const kSaveFailed = "Fehler beim speichern der Parameter !|Info\n";

std::string value_box(const std::string& value, const std::string& allowed) {
  return "\nUnzulässigen Wert '" + value + "' eingegeben !\nErlaubt sind die Werte " + allowed +
         " !\n\n|Info\n";
}

using InputMask = Params;

TEST_F(InputMask, ShowsTheMaskAndChecksFieldsWhileTypingAndOnLeaving) {
  store_mask([](store::Eingabesatz& e) {
    e.set_change_company_active(1);
    e.set_company_description("Mandant");
    e.set_default_firma("0a1b");
  });
  ui::Window d = open(5000, "D_EINGABE");
  ASSERT_NE(ui::kNoWindow, d);
  const char* shown[] = {"15", "15", "10", "10", "0A1B", "6", "0", "1", "70", "99"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(shown[i], ui::get_text(d, kNameLength + i)) << i;
    EXPECT_EQ(i == 4 ? 10 : 2, hl::text_limit(d, kNameLength + i)) << i;
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(i >= 4, ui::checked(d, kPinPlainText + i)) << i;
  EXPECT_EQ("Mandant", ui::get_text(d, kCompanyCodeLabel));

  struct Case {
    int id;
    const char* typed;
    bool leave;         // then the focus goes to a check box
    std::string boxes;  // what the typing (or the leaving) shows
    const char* kept;   // the field's text afterwards
    const char* valid;  // typed at the end, so that the next case starts clean
  };
  const Case cases[] = {
      {kNameLength, "25", false, value_box("25", "1 - 20"), "", "15"},
      {kNameLength, "0", false, value_box("0", "1 - 20"), "", "15"},
      {kFirstNameLength, "21", false, value_box("21", "0 - 20"), "", "15"},
      {kPersonnelNumberLength, "11", false, value_box("11", "1 - 10"), "", "10"},
      {kIdentificationLength, "7", false, value_box("7", "2,4,6,8,10,12,14,16,18 und 20"), "", "10"},
      {kIdentificationLength, "22", false, value_box("22", "2,4,6,8,10,12,14,16,18 und 20"), "",
       "10"},
      {kIdentificationLength, "1", true, value_box("1", "2,4,6,8,10,12,14,16,18 und 20"), "1", "10"},
      {kIdentificationLength, "20", true, "", "20", "10"},
      {kCompanyCode, "1g3", false,
       "\nUnzulässiges Zeichen 'G' eingegeben !\nErlaubt sind die Zeichen 0 - 9 und A - F !\n\n|Info\n",
       "13", "0A1B"},
      {kCompanyCode, "123", true,
       "\nUnzulässige Feldlänge '3' eingegeben !\nErlaubt sind die Längen 0,2,4,6,8 und 10 !\n\n|Info\n",
       "123", "0A1B"},
      {kCompanyCode, "", true, "", "", "0A1B"},
      {kUserPinLength, "8", false, value_box("8", "0 - 7"), "", "6"},
      {kWithFingerprint, "2", false,
       "\nUnzulässiges Zeichen '2' eingegeben !\nErlaubt sind die Werte 0 und 1 !\n\n|Info\n", "", "0"},
      {kNumberFinger, "0", false, value_box("0", "1 - 10"), "", "1"},
      {kNumberFinger, "11", false, value_box("11", "1 - 10"), "", "1"},
      {kNumberFinger, "10", true, "", "10", "1"},
      {kMinQ, "65", false, value_box("65", "70 - 99"), "", "70"},
      {kGoodQ, "7", false, "", "7", "99"},
      {kGoodQ, "7", true, value_box("7", "70 - 99"), "7", "99"},
      {kFirstNameLength, "", true, "Eine Eingabe in diesem Feld ist erforderlich !|Info\n", "", "15"},
  };
  for (const Case& c : cases) {
    hl::clear_boxes();
    hl::type(d, c.id, c.typed);
    if (c.leave) {
      hl::clear_boxes();
      ASSERT_TRUE(hl::click_into(d, kPinPlainText));
      // A refused field gets the focus back.
      EXPECT_EQ(c.boxes.empty() ? kPinPlainText : c.id, hl::focus().second) << c.id << c.typed;
    }
    EXPECT_EQ(c.boxes, boxes()) << c.id << " " << c.typed;
    EXPECT_EQ(c.kept, ui::get_text(d, c.id)) << c.id << " " << c.typed;
    hl::type(d, c.id, c.valid);
  }
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, dialog("D_EINGABE"));
  EXPECT_EQ("", boxes());
}

TEST(InputMaskRules, SaveTakesTheFieldsInOrderAndStopsAtTheFirstRefusal) {
  struct Case {
    int index;
    const char* text;
    res::TextId refusal;  // kTextCount: taken
  };
  const Case cases[] = {
      {0, "0", res::AD_BAD_NAME},
      {0, "20", res::kTextCount},
      {1, "21", res::AD_BAD_FIRST_NAME},
      {1, "0", res::kTextCount},
      {2, "", res::AD_BAD_PERSONNEL_NUMBER},
      {3, "7", res::AD_BAD_IDENTIFICATION},
      {3, "20", res::kTextCount},
      {5, "8", res::AD_BAD_USER_PIN},
      {6, "2", res::AD_BAD_FINGERPRINT},
      {7, "11", res::AD_BAD_NUMBER_FINGER},
      {8, "69", res::AD_BAD_MIN_Q},
      {9, "100", res::AD_BAD_GOOD_Q},  // read as "10"
      {4, "123", res::AD_BAD_COMPANY_LENGTH},
      {4, "12G4", res::AD_BAD_COMPANY_CHAR},
      {4, "", res::kTextCount},
  };
  const admin::MaskForm base{{{"12", "13", "9", "8", "ABCD", "5", "1", "2", "75", "95"}}, {}};
  for (const Case& c : cases) {
    store::Eingabesatz mask;
    store::default_eingabe_into(mask);
    admin::MaskForm form = base;
    form.fields[c.index] = c.text;
    std::string refusal = admin::take_mask_form(form, mask);
    std::string expected = c.refusal == res::kTextCount ? "" : res::text(c.refusal);
    EXPECT_EQ(expected, refusal) << c.index << " " << c.text;
    // Everything before the refused field is taken, nothing after it: the name
    // comes first, the good Q value last of the numbers, then the company code.
    const bool company_refused = c.index == 4 && !expected.empty();
    EXPECT_EQ(c.index == 0 && !expected.empty() ? 15 : (c.index == 0 ? 20 : 12), mask.name_len());
    EXPECT_EQ(expected.empty() || company_refused ? 95 : 99, mask.good_quality()) << c.index;
    EXPECT_EQ(expected.empty() ? (c.index == 4 ? c.text : "ABCD") : "0123456789",
              mask.default_firma());
  }
}

TEST_F(InputMask, SaveWritesOnlyChangesAndAFailedWriteKeepsTheDialog) {
  // Nothing changed: nothing is opened, let alone written.
  ui::Window d = open(5000, "D_EINGABE");
  const int opens = fault::calls(fault::Op::FileOpen);
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_EINGABE"));
  EXPECT_EQ(opens, fault::calls(fault::Op::FileOpen));

  // A failing write: its message, the dialog stays, the mask in use is the stored one.
  const testsupport::Bytes before = mask_file();
  d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kNameLength, "20"));
  ASSERT_TRUE(hl::type(d, kCompanyCode, "ABCD"));

  ASSERT_TRUE(hl::press(d, kWriteOnTransponder));
  hl::clear_boxes();
  fault::arm(fault::Op::FileWrite, 1);
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(kSaveFailed, boxes());
  EXPECT_EQ(d, dialog("D_EINGABE"));
  EXPECT_TRUE(testsupport::same_bytes(before, mask_file()));
  EXPECT_EQ(15, store::db().eingabe.name_len());

  // Saved: on disk, and a new person takes the new defaults.
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_EINGABE"));
  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ(20, disk.name_len());
  EXPECT_EQ("ABCD", disk.default_firma());
  EXPECT_EQ(0, disk.def_write_on_transponder());
  store::new_person_defaults();
  EXPECT_EQ("ABCD", store::db().person_write.firmenkennung());
  EXPECT_EQ(0, store::db().person_write.write_on_transponder());

  // An empty company code is taken.
  d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kCompanyCode, ""));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ("", mask_on_disk().default_firma());
}

TEST_F(InputMask, WithFingerprintRewritesEveryPersonUntilAWriteFails) {
  for (int n = 1; n <= 3; ++n) store_person(n, 0);
  ui::Window d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kWithFingerprint, "1"));
  // A save that stops at a later value has taken the switch in already; the
  // next save still sees it changed against the file.
  ui::set_text(d, kMinQ, "7");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("Fehlerhafter Wert im Feld Min. Q-Wert (erlaubt 70 - 99) !|Info\n", boxes());
  EXPECT_EQ(1, store::db().eingabe.with_fingerprint());
  EXPECT_EQ(0, mask_on_disk().with_fingerprint());
  ui::set_text(d, kMinQ, "70");
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(
      "Fingerprint was changed.\nPersonnel data update of the will now be carried out!\n"
      "The template data may be edited!\n|Important note!\n",
      boxes());
  auto disk = on_disk();
  EXPECT_EQ(1, disk->eingabe.with_fingerprint());
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(1, disk->persons[n].fingerprint_flag()) << n;
    EXPECT_EQ("P" + std::to_string(n + 1), disk->persons[n].personalnummer());
  }
  EXPECT_FALSE(disk->persons[3].used());

  // Back to 0; the second person's file cannot be opened: one box, and the
  // third person is not written any more.
  d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kWithFingerprint, "0"));
  fault::arm(fault::Op::FileOpen, 3);  // input mask, person 1, person 2
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  ASSERT_EQ(2u, box_texts().size()) << boxes();
  EXPECT_EQ("Fehler beim schreiben des Personendatensatzes !", box_texts()[1]);
  disk = on_disk();
  EXPECT_EQ(0, disk->persons[0].fingerprint_flag());
  EXPECT_EQ(1, disk->persons[1].fingerprint_flag());
  EXPECT_EQ(1, disk->persons[2].fingerprint_flag());
}

TEST_F(InputMask, NumberOfFingersNote) {
  struct Case {
    const char* fingerprint;
    const char* fingers;
    const char* now;
  };
  const Case cases[] = {
      {"1", "3", "Now 3 finger at 3 fingerprints can be captured!\n"},
      {"1", "10", "Now 10 finger at 1 fingerprints can be captured!\n"},
      {"0", "4", "Now 4 finger can be captured!\n"},
  };
  for (const Case& c : cases) {
    store_mask([&](store::Eingabesatz& e) { e.set_with_fingerprint(c.fingerprint[0] - '0'); });
    ui::Window d = open(5000, "D_EINGABE");
    ASSERT_TRUE(hl::type(d, kNumberFinger, c.fingers));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(std::string("The number of fingers was changed.\n") + c.now +
                  "The template data may be edited!\n|Important note!\n",
              boxes());
    EXPECT_EQ(std::atoi(c.fingers), mask_on_disk().finger_count());
  }
}

}  // namespace
}  // namespace admintest
