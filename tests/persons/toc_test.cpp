// Template on Card as the operator runs it: command 2500 and its scan, the
// list LView_dc, choosing a person, D_MATCHING, the transponder write at a
// simulated enrol station with its prompts and retry questions, and the load
// of the person into simulated readers.
#include <string>
#include <vector>

#include "persons/toc.h"
#include "platform/fault.h"
#include "resources/cp1252.h"
#include "resources/ids/d_down_an_leser.h"
#include "resources/ids/d_matching.h"
#include "sim.h"
#include "store/store.h"
#include "support/distribution.h"
#include "support/program.h"
#include "views/list_window.h"

namespace {

namespace hl = ui::headless;
using testsupport::person;
using testsupport::PersonSpec;
using testsupport::store_person;

const sim::Bytes kCard = {0x04, 0xA1, 0xB2, 0xC3, 0xD4};

class Toc : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    readers.start();
  }
  void TearDown() override {
    readers.stop();
    if (station) station->stop();
    ProgramTest::TearDown();
  }
  // The enrol station, simulated, with the card `card` (none: empty).
  sim::Simulator& attach_station(const sim::Bytes& card) {
    station = std::make_unique<sim::Simulator>(sim::Options{});
    const int port = station->listen_tcp();
    EXPECT_GT(port, 0);
    if (!card.empty()) station->set_auto_card(card);
    station->set_card_delay(5);  // presented after the link sync of the wait
    EXPECT_TRUE(station->start());
    store::Konfigsatz& k = store::db().konfig;
    k.set_station_connection(1);
    k.set_ip("127.0.0.1");
    k.set_tcp_port(static_cast<std::uint16_t>(port));
    return *station;
  }
  PersonSpec pin_person() {
    PersonSpec p = person("0000000007", "0000000077", 0);
    p.special_pin = "4711";
    return p;
  }
  ui::Window toc() const { return list(ui::kListTemplateOnCard); }
  // Chooses the row of Personalnummer `pnr` by double click.
  void choose(const std::string& pnr) {
    auto r = rows(toc());
    for (std::size_t i = 0; i < r.size(); ++i)
      if (r[i][2] == pnr) {
        ASSERT_TRUE(hl::double_click_row(toc(), views::kListControl, static_cast<int>(i)));
        return;
      }
    FAIL() << pnr << " is not listed";
  }
  // The bytes the card holds from the module's start address on.
  sim::Bytes card_memory(std::size_t n) const {
    const std::uint8_t* m2 = store::db().eingabe.rfid_module2();
    const std::size_t start = static_cast<std::size_t>(m2[1] << 8 | m2[2]);
    std::vector<sim::Card> cards = station->cards();
    if (cards.empty()) return {};
    return sim::Bytes(cards[0].memory.begin() + static_cast<long>(start),
                      cards[0].memory.begin() + static_cast<long>(start + n));
  }

  testsupport::SimulatedReaders readers;
  std::unique_ptr<sim::Simulator> station;
};

TEST_F(Toc, ScanThenTheListOfPersonsWithTemplates) {
  start_logged_in();
  store_person(person("0000000001", "0000000011", 0));
  ASSERT_TRUE(hl::choose_menu(2500));
  EXPECT_EQ("No persons are available in the template data!|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, toc());

  store_person(pin_person());  // only a placeholder: listed all the same
  store_person(person("0000000003", "0000000033", 2));
  store::db().eingabe.set_company_description("Site");  // used even while not enabled
  hl::clear_boxes();
  // The first person's template record does not read during the scan.
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  ASSERT_TRUE(hl::choose_menu(2500));
  EXPECT_EQ("Fehler beim laden der Templatedaten für Personalnummer 0000000001 !\nFehlernummer = -4"
            "|Templatedaten Ladefehler\n",
            boxes());
  ui::Window w = toc();
  ASSERT_NE(ui::kNoWindow, w);
  EXPECT_EQ("Modelo no cartão", res::cp1252_to_utf8(ui::title(w)));
  EXPECT_EQ((std::vector<std::string>{"Last name", "First name", "Personnel number", "Site",
                                      "Identification number", "User PIN"}),
            hl::column_titles(w, views::kListControl));
  const auto r = rows(w);
  ASSERT_EQ(2u, r.size());
  EXPECT_EQ("0000000007", r[0][2]);
  EXPECT_EQ("0000000003", r[1][2]);
  EXPECT_FALSE(ui::window_enabled(main()));
  // Its sort order is the person lists' one: the first click sorts descending.
  ASSERT_TRUE(hl::click_header(w, views::kListControl, 2));
  EXPECT_EQ("0000000007", rows(w)[0][2]);
  ASSERT_TRUE(hl::close_window(w));
  EXPECT_TRUE(ui::window_enabled(main()));
  // An empty caption is used as well.
  store::db().eingabe.set_company_description("");
  ASSERT_TRUE(hl::choose_menu(2500));
  EXPECT_EQ("", hl::column_titles(toc(), views::kListControl)[3]);
}

TEST_F(Toc, PinPersonWrittenOntoTheCardThenLoadedIntoTheReaders) {
  start_logged_in();
  const int a = readers.add_reader("Door A", 1);
  const int d = readers.add_reader("Gate D", 4);
  attach_station(kCard);
  const int number = store_person(pin_person());
  ASSERT_TRUE(hl::choose_menu(2500));
  hl::script_answer(ui::kIdYes);
  choose("0000000007");
  EXPECT_EQ("Do you want to write the data on the transponder?|Question\n", boxes());
  ui::Window m = dialog("D_MATCHING");
  ASSERT_NE(ui::kNoWindow, m);
  EXPECT_FALSE(ui::window_enabled(toc()));
  const std::vector<std::string> levels = hl::items(m, res::d_matching::kLevel);
  ASSERT_EQ(9u, levels.size());
  EXPECT_EQ("01", levels.front());
  EXPECT_EQ("09", levels.back());
  EXPECT_EQ(4, ui::items_selected(m, res::d_matching::kLevel));  // "Matching Level" 5
  ASSERT_TRUE(hl::choose_item(m, res::d_matching::kLevel, "07"));
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);  // load the readers now
  ASSERT_TRUE(hl::press(m, ui::kIdAction));

  EXPECT_EQ((std::vector<std::string>{
                "Now hold the transponder in front of the reader.\r\n\r\nPlease wait ...",
                "Transponder was recognized, will now write the data.\r\n\r\nPlease wait ...",
                "Data was correctly written!\r\n\r\nNow the transponder can be removed again."}),
            hl::overlay_texts());
  EXPECT_EQ(ui::kNoWindow, hl::find_overlay(toc()));
  sim::Bytes block = {7, 1, 1, 0xF0, 4, '4', '7', '1', '1'};
  block.resize(23, 0);
  std::uint8_t x = 0;
  for (std::uint8_t b : block) x ^= b;
  block.push_back(x);
  EXPECT_TRUE(testsupport::same_bytes(block, card_memory(24)));
  EXPECT_FALSE(station->transparent(1));
  EXPECT_EQ("Do you want to load the data to the finger print reader now?|Question\n", boxes());

  ui::Window s = dialog("D_DOWN_AN_LESER");
  ASSERT_NE(ui::kNoWindow, s);
  hl::clear_boxes();
  const int redraws = hl::redraws(toc());
  ASSERT_TRUE(hl::press(s, ui::kIdAction));
  EXPECT_EQ("Load completed succesfully.|Info\n", boxes());
  EXPECT_GE(hl::redraws(toc()) - redraws, 2);  // the list behind, after each reader
  EXPECT_EQ(ui::kNoWindow, dialog("D_DOWN_AN_LESER"));
  EXPECT_TRUE(ui::window_enabled(toc()));
  auto disk = on_disk();
  EXPECT_EQ((1u << a) | (1u << d), disk->persons[number - 1].reader_mask());
  EXPECT_TRUE(readers.hold({a, d}, *disk));
  ASSERT_EQ(1u, readers.bus().users(1).size());
  EXPECT_EQ(0u, readers.bus().users(1)[0].templates.size());
}

// No transponder within the first wait (retried: it comes in the second), or
// the write fails (given up).
struct RetryCase {
  const char* name;
  int card_delay;  // polls of the wait before the card is reported
  bool write_fails;
  std::vector<int> answers;
  std::vector<std::string> boxes;  // "text|caption"
  std::vector<std::string> prompts;
  bool written;
};

const std::string kHold = "Now hold the transponder in front of the reader.\r\n\r\nPlease wait ...";
const std::string kWriting = "Transponder was recognized, will now write the data.\r\n\r\nPlease wait ...";
const std::string kWritten = "Data was correctly written!\r\n\r\nNow the transponder can be removed again.";

// A wait polls 3 times to sync the link, then 500 times for the card.
const RetryCase kRetryCases[] = {
    {"no transponder, retried", 510, false, {ui::kIdYes},
     {"No transponder was recognized!\r\nDo you want to retry?|Question"},
     {kHold, kHold, kWriting, kWritten}, true},
    {"write error, given up", 5, true, {ui::kIdOk, ui::kIdNo},
     {"Received a faulty status, Status = 0x59\n|Info",
      "Error while writing the data on the transponder (-25)!\r\nDo you want to retry?|Question"},
     {kHold, kWriting}, false},
};

class TocRetry : public Toc, public ::testing::WithParamInterface<int> {};

TEST_P(TocRetry, Questions) {
  const RetryCase& c = kRetryCases[GetParam()];
  SCOPED_TRACE(c.name);
  start_logged_in();
  PersonSpec p = person("0000000001", "0000000011", 1);
  p.distribute = false;
  store_person(p);
  attach_station(kCard);
  station->set_card_delay(c.card_delay);
  if (c.write_fails) station->script_status(1, 0x07);
  ASSERT_TRUE(hl::choose_menu(2500));
  hl::script_answer(ui::kIdYes);
  choose("0000000001");
  ui::Window m = dialog("D_MATCHING");
  ASSERT_NE(ui::kNoWindow, m);
  ui::items_select(m, res::d_matching::kLevel, -1);  // nothing chosen: the input mask's level
  hl::clear_boxes();
  for (int answer : c.answers) hl::script_answer(answer);
  // While it writes, the window has no system menu (it cannot be closed).
  hl::watch_boxes([this](const hl::Box&) { EXPECT_FALSE(ui::system_menu_shown(toc())); });
  ASSERT_TRUE(hl::press(m, ui::kIdAction));
  EXPECT_TRUE(ui::system_menu_shown(toc()));
  std::vector<std::string> shown;
  for (const auto& b : hl::boxes())
    shown.push_back(res::cp1252_to_utf8(b.text) + "|" + res::cp1252_to_utf8(b.caption));
  EXPECT_EQ(c.boxes, shown);  // and no offer to load: the person is not distributed
  EXPECT_EQ(c.prompts, hl::overlay_texts());
  EXPECT_FALSE(station->transparent(1));
  EXPECT_TRUE(ui::window_enabled(toc()));
  if (c.written) {
    EXPECT_EQ((sim::Bytes{5, 1, 1}), card_memory(3));
  } else {
    for (const sim::Card& card : station->cards()) EXPECT_EQ(0, card.writes);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, TocRetry, ::testing::Values(0, 1));

// What choosing a person offers follows its options and the RF-ID module.
TEST_F(Toc, ChoosingOffersWhatThePersonAllows) {
  struct Case {
    const char* name;
    bool write, distribute;
    int module;
    std::string question;  // "" for none
  };
  const Case cases[] = {
      {"write", true, true, store::kMifareModule, "Do you want to write the data on the transponder?"},
      {"125 kHz module", true, true, store::k125kHzModule,
       "Do you want to load the data to the finger print reader now?"},
      {"load only", false, true, store::kDesfireModule,
       "Do you want to load the data to the finger print reader now?"},
      {"neither", false, false, store::kLegicModule, ""},
  };
  start_logged_in();
  PersonSpec p = person("0000000001", "0000000011", 1);
  store_person(p);
  ASSERT_TRUE(hl::choose_menu(2500));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store::Personensatz& rec = store::db().persons[0];
    rec.set_write_on_transponder(c.write ? 1 : 0);
    rec.set_distribute_to_reader(c.distribute ? 1 : 0);
    store::db().eingabe.set_module_type(static_cast<std::uint16_t>(c.module));
    hl::clear_boxes();
    hl::script_answer(ui::kIdNo);
    choose("0000000001");
    EXPECT_EQ(c.question.empty() ? "" : c.question + "|Question\n", boxes());
    EXPECT_EQ(ui::kNoWindow, hl::top_dialog());
  }
  // A person with nothing to write is told so, and nothing is offered after.
  store::db().eingabe.set_module_type(store::kLegicModule);
  store::Templatesatz& t = store::db().template_write;
  t = store::Templatesatz{};
  t.set_nummer(1);
  t.set_length(0, store::kDummyTemplate);
  ASSERT_EQ(1, store::rw_template(store::kWrite));
  store::db().persons[0].set_write_on_transponder(1);
  store::db().persons[0].set_distribute_to_reader(1);
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  choose("0000000001");
  ASSERT_TRUE(hl::press(dialog("D_MATCHING"), ui::kIdAction));
  EXPECT_EQ("Do you want to write the data on the transponder?|Question\n"
            "\nEs sind leider keine Daten zum schreiben vorhanden !\n\n|Info\n",
            boxes());
  EXPECT_TRUE(hl::overlay_texts().empty());
  EXPECT_TRUE(ui::window_enabled(toc()));
}

}  // namespace
