// The input mask D_EINGABE (command 5000): checks while typing and on leaving,
// the write only of a change, the notes and the rewrite of the persons'
// fingerprint flag.
#include "fixture.h"
#include "platform/fault.h"
#include "resources/ids/d_eingabe.h"
#include "store/store.h"

namespace admintest {
namespace {

using namespace res::d_eingabe;
namespace fault = platform::fault;

using InputMask = Params;

TEST_F(InputMask, RefusedWhileTypingOrOnLeaving) {
  ui::Window d = open(5000, "D_EINGABE");
  ASSERT_NE(ui::kNoWindow, d);
  struct Case {
    int id;
    const char* typed;
    bool leave;  // then the focus goes to a check box
    std::string boxes;
    const char* kept;  // the field's text afterwards
  };
  const Case cases[] = {
      {kIdentificationLength, "7", false,
       "\nUnzulässigen Wert '7' eingegeben !\nErlaubt sind die Werte 2,4,6,8,10,12,14,16,18 und "
       "20 !\n\n|Info\n",
       ""},
      {kCompanyCode, "1g3", false,
       "\nUnzulässiges Zeichen 'G' eingegeben !\nErlaubt sind die Zeichen 0 - 9 und A - F !\n\n|Info\n",
       "13"},
      {kCompanyCode, "123", true,
       "\nUnzulässige Feldlänge '3' eingegeben !\nErlaubt sind die Längen 0,2,4,6,8 und 10 !\n\n|Info\n",
       "123"},
  };
  for (const Case& c : cases) {
    hl::clear_boxes();
    hl::type(d, c.id, c.typed);
    if (c.leave) {
      ASSERT_TRUE(hl::click_into(d, kPinPlainText));
      EXPECT_EQ(c.id, hl::focus().second) << "a refused field gets the focus back";
    }
    EXPECT_EQ(c.boxes, boxes()) << c.typed;
    EXPECT_EQ(c.kept, ui::get_text(d, c.id)) << c.typed;
    hl::type(d, c.id, "10");
  }
}

TEST_F(InputMask, SaveWritesOnlyAChangeThatANewPersonThenTakes) {
  ui::Window d = open(5000, "D_EINGABE");
  const int opens = fault::calls(fault::Op::FileOpen);
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(ui::kNoWindow, dialog("D_EINGABE"));
  EXPECT_EQ(opens, fault::calls(fault::Op::FileOpen)) << "nothing changed, nothing written";

  // The longest Ausweisnummer and an empty company code are taken.
  d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kIdentificationLength, "20"));
  ASSERT_TRUE(hl::type(d, kCompanyCode, ""));
  ASSERT_TRUE(hl::press(d, kWriteOnTransponder));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("", boxes());
  store::Eingabesatz disk = mask_on_disk();
  EXPECT_EQ(20, disk.ausweis_len());
  EXPECT_EQ("", disk.default_firma());
  store::new_person_defaults();
  EXPECT_EQ("", store::db().person_write.firmenkennung());
  EXPECT_EQ(0, store::db().person_write.write_on_transponder());
}

TEST_F(InputMask, WithFingerprintRewritesEveryPersonUntilAWriteFails) {
  for (int n = 1; n <= 3; ++n) {
    store::db().person_write = store::Personensatz{};
    store::db().person_write.set_personalnummer("P" + std::to_string(n));
    ASSERT_EQ(n, store::rw_person(store::kWrite));
  }
  ui::Window d = open(5000, "D_EINGABE");
  ASSERT_TRUE(hl::type(d, kWithFingerprint, "1"));
  // A save that stops at a later value has taken the switch in already; the
  // next save still sees it changed against the file.
  ui::set_text(d, kMinQ, "7");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("Fehlerhafter Wert im Feld Min. Q-Wert (erlaubt 70 - 99) !|Info\n", boxes());
  ui::set_text(d, kMinQ, "70");
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(
      "Fingerprint was changed.\nPersonnel data update of the will now be carried out!\n"
      "The template data may be edited!\n|Important note!\n",
      boxes());
  auto disk = on_disk();
  EXPECT_EQ(1, disk->eingabe.with_fingerprint());
  for (int n = 0; n < 3; ++n) EXPECT_EQ(1, disk->persons[n].fingerprint_flag()) << n;

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
    std::uint16_t fingerprint;
    const char* fingers;
    const char* now;
  };
  const Case cases[] = {{1, "3", "Now 3 finger at 3 fingerprints can be captured!\n"},
                        {0, "4", "Now 4 finger can be captured!\n"}};
  for (const Case& c : cases) {
    store_mask([&](store::Eingabesatz& e) { e.set_with_fingerprint(c.fingerprint); });
    ui::Window d = open(5000, "D_EINGABE");
    ASSERT_TRUE(hl::type(d, kNumberFinger, c.fingers));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(std::string("The number of fingers was changed.\n") + c.now +
                  "The template data may be edited!\n|Important note!\n",
              boxes());
  }
}

}  // namespace
}  // namespace admintest
