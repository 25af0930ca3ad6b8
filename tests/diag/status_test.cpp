// Status texts: the table, and the rule that an unknown code gives the text of
// the call before.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "resources/catalogue.h"
#include "diag/log.h"
#include "diag/status.h"
#include "support/support.h"

namespace {

using testsupport::cp;

class StatusText : public ::testing::Test {
 protected:
  void SetUp() override { diag::reset_diag(); }
  void TearDown() override { res::select_edition(res::Edition::English); }
};

TEST_F(StatusText, UnknownCodeBeforeAnyCallGivesAnEmptyText) {
  EXPECT_EQ(diag::status_text(4), "");
  EXPECT_EQ(diag::status_text(0), "");
}

TEST_F(StatusText, UnknownCodeRepeatsThePreviousText) {
  EXPECT_EQ(diag::status_text(-3),
            "Error during the communication with the reader (l_zam_init)!!!");
  EXPECT_EQ(diag::status_text(4),
            "Error during the communication with the reader (l_zam_init)!!!");
  EXPECT_EQ(diag::status_text(-100),
            "Error during the communication with the reader (l_zam_init)!!!");
  EXPECT_EQ(diag::status_text(88), "Status, Motorleser, Karten Sabotage !!!");
  EXPECT_EQ(diag::status_text(89), "Status, Motorleser, Karten Sabotage !!!");
  diag::reset_status_text();
  EXPECT_EQ(diag::status_text(4), "");
}

TEST_F(StatusText, TextsAreWindows1252AndTheSameInBothEditions) {
  for (res::Edition e : {res::Edition::English, res::Edition::German}) {
    res::select_edition(e);
    EXPECT_EQ(diag::status_text(-1),
              cp("Fehler beim öffnen (initiallisieren) der Comport Schnittstelle !!!"));
    EXPECT_EQ(diag::status_text(12), cp("FP-Leser, Übergabe von 2 gleichen Fingern !!!"));
    EXPECT_EQ(diag::status_text(-23),
              cp("Fehler beim holen der Quittung fuer das Kommando hinzufügen von Templates !!!"));
    EXPECT_EQ(diag::status_text(86), cp("Status, noch keine gültige AES Session !!!"));
  }
}

TEST_F(StatusText, EveryCodeOfTheTableHasItsOwnText) {
  const int codes[] = {-99, -98, -46, -45, -42, -41, -40, -36, -35, -30, -29, -25, -24, -23,
                       -22, -21, -20, -19, -18, -17, -16, -15, -14, -13, -12, -11, -10, -9,
                       -8,  -7,  -6,  -5,  -4,  -3,  -2,  -1,  3,   5,   7,   12,  13,  14,
                       15,  48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,
                       61,  62,  63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,
                       75,  76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88};
  std::set<std::string> seen;
  for (int code : codes) {
    diag::reset_status_text();
    const std::string& text = diag::status_text(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_TRUE(seen.insert(text).second) << "text of " << code << " repeated: " << text;
  }
  // Codes between the table's entries have none.
  for (int code : {-97, -47, -44, -43, -39, -31, -28, -26, 0, 1, 2, 4, 6, 8, 11, 16, 47, 89}) {
    diag::reset_status_text();
    EXPECT_EQ(diag::status_text(code), "") << code;
  }
}

TEST_F(StatusText, CodesAreSixteenBitValues) {
  EXPECT_EQ(diag::status_text(0x10000 + 65), "Status, Login OK !!!");
  EXPECT_EQ(diag::status_text(0xFFFF), cp("Fehler beim öffnen (initiallisieren) der Comport Schnittstelle !!!"));
  EXPECT_EQ(diag::status_text(0x1FFFD),
            "Error during the communication with the reader (l_zam_init)!!!");
}

}  // namespace
