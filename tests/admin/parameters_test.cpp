// What the six parameter dialogs share: an ordinary user may look but not
// save, and a failing write of the input mask keeps a dialog open with its
// message and changes nothing on disk.
#include <functional>

#include "fixture.h"
#include "platform/fault.h"
#include "resources/ids/d_eingabe.h"
#include "resources/ids/d_rfid_keys.h"
#include "resources/ids/d_rfid_para.h"
#include "resources/ids/d_template.h"
#include "resources/ids/d_zusatzfelder.h"
#include "resources/ids/d_zusatzvorb.h"
#include "store/store.h"

namespace admintest {
namespace {

namespace fault = platform::fault;

struct Dialog {
  int command;
  const char* resource;
  std::function<void(ui::Window)> change;  // an edit that "Save" would store
  const char* save_failed;
};

const Dialog kDialogs[] = {
    {5000, "D_EINGABE", [](ui::Window d) { hl::type(d, res::d_eingabe::kNameLength, "20"); },
     "Fehler beim speichern der Parameter !"},
    {5050, "D_ZUSATZFELDER",
     [](ui::Window d) { hl::press(d, res::d_zusatzfelder::kField4); },
     "Fehler beim speichern der Parameter !"},
    {5075, "D_ZUSATZVORB",
     [](ui::Window d) { hl::type(d, res::d_zusatzvorb::kFirstDefault, "ABCD"); },
     "Fehler beim speichern der Parameter !"},
    {5100, "D_TEMPLATE",
     [](ui::Window d) { hl::choose_item(d, res::d_template::kMatchingLevel, "09"); },
     "Fehler beim speichern der Parameter !"},
    {5200, "D_RFID_PARA",
     [](ui::Window d) { hl::press(d, res::d_rfid_para::kFirstModule + 40); },
     "Fehler beim speichern des Lesermodels !"},
    {5300, "D_RFID_KEYS",
     [](ui::Window d) { hl::type(d, res::d_rfid_keys::kKey, std::string(32, '7')); },
     "Fehler beim speichern des Schlüssels !"},
};

class Shared : public Params {
 protected:
  void SetUp() override {
    Params::SetUp();
    store_mask([](store::Eingabesatz& e) {
      e.set_zusatz_active(1, 1);
      e.set_zusatz_len(1, 2);
    });
  }
};

TEST_F(Shared, OrdinaryUserLooksButCannotSave) {
  become_ordinary_user();
  const testsupport::Bytes before = mask_file();
  for (const Dialog& g : kDialogs) {
    ui::Window d = open(g.command, g.resource);
    ASSERT_NE(ui::kNoWindow, d) << g.resource;
    g.change(d);
    hl::clear_boxes();
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(
        "\nUnfortunately you only have the right to see the parameter!\n"
        "To change the parameters contact your system administrator!\n\n|Info\n",
        boxes())
        << g.resource;
    EXPECT_EQ(d, dialog(g.resource));
    ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
    EXPECT_EQ(ui::kNoWindow, dialog(g.resource));
  }
  EXPECT_TRUE(testsupport::same_bytes(before, mask_file()));

  // The key: "**" per byte, and no typing.
  ui::Window d = open(5300, "D_RFID_KEYS");
  EXPECT_EQ(std::string(32, '*'), hl::shown_text(d, res::d_rfid_keys::kKey));
  EXPECT_EQ(std::string(32, '*'), ui::get_text(d, res::d_rfid_keys::kKey));
  EXPECT_FALSE(hl::type(d, res::d_rfid_keys::kKey, "00"));
}

TEST_F(Shared, FailedWriteKeepsTheDialogOpen) {
  const testsupport::Bytes before = mask_file();
  for (const Dialog& g : kDialogs) {
    ui::Window d = open(g.command, g.resource);
    ASSERT_NE(ui::kNoWindow, d) << g.resource;
    g.change(d);
    hl::clear_boxes();
    fault::arm(fault::Op::FileWrite, 1);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    fault::reset();
    EXPECT_EQ(std::string(g.save_failed) + "|Info\n", boxes()) << g.resource;
    EXPECT_EQ(d, dialog(g.resource));
    EXPECT_TRUE(testsupport::same_bytes(before, mask_file())) << g.resource;
    ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  }
}

}  // namespace
}  // namespace admintest
