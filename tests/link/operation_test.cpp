// Station and reader operations against the scripted device under the virtual
// clock: results, boxes, the long waits, and that every path switches
// transparent mode off and closes the link.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "link/link.h"
#include "platform/clock.h"
#include "platform/headless/boxes.h"
#include "scripted.h"
#include "store/store.h"

using scripted::Bytes;
using scripted::Device;
using scripted::HostUnit;
using testsupport::bytes;
using testsupport::same_bytes;

namespace {

struct Operations : ::testing::Test {
  Device dev;
  scripted::Install inst{dev};
  void SetUp() override {
    rlink::reset_link();
    store::reset_store();
    ui::headless::clear_boxes();
    store::Eingabesatz& m = store::db().eingabe;
    m.set_default_firma("12AB");
    m.set_ausweis_len(4);
    m.set_user_pin_len(4);
    m.set_finger_count(2);
    m.set_with_fingerprint(1);
    store::Personensatz& p = store::db().person_read;
    p.set_ausweisnummer("00C5");
    p.set_user_pin("1234");
    store::Lesersatz r;
    r.set_nummer(1);
    r.set_name("Tor");
    r.set_bus_address(2);  // bus address 3
    rlink::select_reader(r);
  }
  void TearDown() override { ui::headless::clear_boxes(); }
  std::vector<std::string> texts() {
    std::vector<std::string> r;
    for (const auto& b : ui::headless::boxes()) r.push_back(b.text);
    return r;
  }
  // Transparent mode was switched off last and the link closed.
  void expect_cleaned_up(int address) {
    EXPECT_FALSE(dev.is_open);
    EXPECT_EQ(dev.opens, dev.closes);
    auto y = dev.commands('Y');
    bool off = false;
    for (const Bytes& f : y)
      if (f.size() == 3 && f[0] == 0x30 + address && f[2] == 0x0D) off = true;
    EXPECT_TRUE(off) << "transparent mode not switched off";
  }
  int polls_after(std::size_t from) {
    int n = 0;
    for (std::size_t i = from; i < dev.seen.size(); ++i) n += dev.seen[i].kind == HostUnit::Poll;
    return n;
  }
  std::size_t index_of_command(std::initializer_list<std::uint8_t> after_address) {
    Bytes key(after_address);
    for (std::size_t i = 0; i < dev.seen.size(); ++i) {
      const HostUnit& u = dev.seen[i];
      if (u.kind == HostUnit::Frame && u.payload.size() > key.size() &&
          std::equal(key.begin(), key.end(), u.payload.begin() + 1))
        return i;
    }
    return dev.seen.size();
  }
};

TEST_F(Operations, EnrolInitReadsTheStation) {
  Bytes sys{'J'};
  sys.resize(14, 0);
  for (int i = 0; i < 10; ++i) sys.push_back(static_cast<std::uint8_t>(0x10 * i + 1));
  Bytes rfid{'P', '/', 3};
  for (int i = 0; i < 20; ++i) rfid.push_back(static_cast<std::uint8_t>(0xA0 + i));
  dev.answers = {{{'H'}, {'H', 2}}, {{'J'}, sys}, {{'P', '/', 3}, rfid}};
  EXPECT_EQ(rlink::enrol_init(), 1);
  EXPECT_EQ(rlink::last_delivery(), "01112131415161718191");
  const std::uint8_t* main = store::db().eingabe.rfid_main();
  EXPECT_EQ(main[0], 0xA0);  // answer bytes 4 and 5
  EXPECT_EQ(main[1], 0xA1);
  EXPECT_EQ(main[2], 0);
  EXPECT_EQ(main[6], 0xA2);  // answer bytes 6 to 11
  EXPECT_EQ(main[11], 0xA7);
  EXPECT_EQ(main[12], 0);
  EXPECT_TRUE(same_bytes(bytes({'1', 'Y', 0x09, 3, 0x46, 0x40, 0, 1}), dev.frames().back()));
  EXPECT_FALSE(dev.is_open);
  EXPECT_TRUE(rlink::state().via_tcp == 0);
  EXPECT_TRUE(texts().empty());
}

TEST_F(Operations, EnrolInitFailures) {
  dev.answers = {{{'J'}, {'J'}}};  // no hardware answer
  EXPECT_EQ(rlink::enrol_init(), -4);
  EXPECT_EQ(texts().back(), "Fehler bei read_hw_info");
  EXPECT_FALSE(dev.is_open);
  // The LED failing still gives 1, after its box.
  ui::headless::clear_boxes();
  dev.answers = {{{'H'}, {'H', 1}}, {{'J'}, {'J'}}};
  dev.hook = [](Device& d, const HostUnit& u) {
    if (u.kind == HostUnit::Frame && u.payload.size() > 2 && u.payload[1] == 'Y' && u.payload[2] == 0x09) {
      d.send({0x10, 0x15});
      return true;
    }
    return false;
  };
  EXPECT_EQ(rlink::enrol_init(), 1);
  EXPECT_EQ(texts(), std::vector<std::string>{" Fehler beim setzen der Enrolstation LED !"});
  // Serial port missing: -1, nothing else shown.
  dev.open_result = -1;
  ui::headless::clear_boxes();
  EXPECT_EQ(rlink::enrol_init(), -1);
  EXPECT_TRUE(texts().empty());
  // TCP/IP: the close after a failed connect fails as well: -30 and its box.
  store::db().konfig.set_station_connection(1);
  dev.close_result_tcp = -2;
  EXPECT_EQ(rlink::enrol_init(), rlink::kTcpCloseFailed);
  EXPECT_EQ(texts(), std::vector<std::string>{" Fehler bei Enrol TCP_CLOSE !"});
}

TEST_F(Operations, TransparentOnWaitsTenThousandThreeHundredPolls) {
  dev.auto_prompt = false;
  std::uint64_t start = platform::vclock::elapsed();
  EXPECT_EQ(rlink::enrol_transparent(0, 1), rlink::kTransparentOnAnswer);
  std::size_t on = index_of_command({'Y', 0x0C});
  ASSERT_LT(on, dev.seen.size());
  EXPECT_EQ(polls_after(on), 10300);
  EXPECT_GE(platform::vclock::elapsed() - start, 10300u * 25u);
  EXPECT_EQ(texts(), std::vector<std::string>{"Fehlerhafte Antwort '00' auf Transparentmode erhalten"});
  EXPECT_FALSE(dev.is_open);
  // The answer comes after 40 polls.
  dev.seen.clear();
  ui::headless::clear_boxes();
  dev.hook = [](Device& d, const HostUnit& u) {
    static int polls = 0;
    if (u.kind == HostUnit::Frame && u.payload[1] == 'Y') polls = 0;
    if (u.kind == HostUnit::Poll && ++polls == 40) d.deliver(1, {'s', '>'});
    return false;
  };
  EXPECT_EQ(rlink::enrol_transparent(1, 1), 1);
  EXPECT_EQ(polls_after(index_of_command({'Y', 0x0C})), 40);
  EXPECT_TRUE(texts().empty());
}

TEST_F(Operations, TransparentOffWaitsFiftyPolls) {
  dev.auto_prompt = false;
  EXPECT_EQ(rlink::enrol_transparent(1, 0), rlink::kTransparentOffAnswer);
  EXPECT_EQ(polls_after(index_of_command({'Y', 0x0D})), 50);
  dev.auto_prompt = true;
  dev.nak_frames = 0;
  EXPECT_EQ(rlink::enrol_transparent(1, 0), 1);
  expect_cleaned_up(1);
}

TEST_F(Operations, TemplateEnrolDeliversTheQuality) {
  Bytes block;
  std::uint8_t x = 0;
  for (int i = 0; i < 383; ++i) {
    block.push_back(static_cast<std::uint8_t>(i));
    x ^= block.back();
  }
  block.push_back(x);
  Bytes delivery{'Y', 0x66, 0x02, 91, 0x01, 0x80};
  for (std::uint8_t b : block) delivery.push_back(b);
  dev.followups = {{{'Y', 0x02}, delivery}};
  EXPECT_EQ(rlink::template_enrol(1, 15), 91);
  EXPECT_EQ(rlink::state().template_len1, 384);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), rlink::state().template1.begin()));
  expect_cleaned_up(1);
  EXPECT_LT(index_of_command({'Y', 0x09}), index_of_command({'Y', 0x0D}));  // LED before off
}

TEST_F(Operations, TemplateEnrolTimesOutAfterItsPolls) {
  // The enrol command gets no delivery at all: 2250 polls for time value 15.
  std::uint64_t start = platform::vclock::elapsed();
  dev.hook = [](Device& d, const HostUnit& u) {
    if (u.kind == HostUnit::Frame && u.payload[1] == 'Y' && u.payload[2] == 0x02) {
      d.send({0x10, 0x06});
      return true;
    }
    return false;
  };
  EXPECT_EQ(rlink::template_enrol(1, 15), 0);
  EXPECT_EQ(polls_after(index_of_command({'Y', 0x02})), 2250 + 1);  // and the answer to off
  EXPECT_GE(platform::vclock::elapsed() - start, 2250u * 20u);
  expect_cleaned_up(1);
}

TEST_F(Operations, TemplateEnrolStatusResults) {
  dev.followups = {{{'Y', 0x02}, {'Y', 0x01, 0x03}}};
  EXPECT_EQ(rlink::template_enrol(1, 15), -5);
  dev.followups = {{{'Y', 0x02}, {'Y', 0x01, 0x05}}};
  EXPECT_EQ(rlink::template_enrol(1, 15), -7);
  dev.followups = {{{'Y', 0x02}, {'Y', 0x01, 0x01}}};
  EXPECT_EQ(rlink::template_enrol(1, 15), -3);
  EXPECT_EQ(texts().back(), "template_enrol Returnwert = 3");
  expect_cleaned_up(1);
}

TEST_F(Operations, KeyboardWaitsFifteenSeconds) {
  dev.followups = {{{'T'}, {'i', '4', '3', '2', '1'}}};
  EXPECT_EQ(rlink::enrol_keyboard(0, 15000), 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'T', 4, 15, 0, 1, 1}), dev.commands('T')[0]));
  EXPECT_EQ(rlink::last_delivery(), "T4321");
  expect_cleaned_up(1);
  dev.followups.clear();
  dev.seen.clear();
  EXPECT_EQ(rlink::enrol_keyboard(0, 15000), 0);
  EXPECT_EQ(polls_after(index_of_command({'T'})), 750 + 1);
}

TEST_F(Operations, ReadCsn) {
  Bytes answer{'G', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  dev.answers = {{{'G'}, answer}};
  dev.followups = {{{'Y', 0x0C}, {'s', '>'}}};
  dev.hook = [](Device& d, const HostUnit& u) {
    // A card arrives once transparent mode is on.
    if (u.kind == HostUnit::Frame && u.payload[1] == 'Y' && u.payload[2] == 0x0C) {
      d.send({0x10, 0x06});
      d.deliver(1, {'s', '>'});
      d.deliver(1, {'i', 'C'});
      return true;
    }
    return false;
  };
  EXPECT_EQ(rlink::enrol_read_csn(0, 10000), 1);
  EXPECT_EQ(rlink::last_delivery(), "0102030405060708090A");
  expect_cleaned_up(1);
  dev.hook = nullptr;
  EXPECT_EQ(rlink::enrol_read_csn(0, 200), 0);
  EXPECT_TRUE(texts().empty());
}

// An answer wait that fails (-98: the polls after the command go unanswered)
// shows in the boxes as one status byte, two hex digits, never widened to
// "FFFFFF9E".
TEST_F(Operations, FailedAnswerWaitShowsAsOneStatusByte) {
  struct Case {
    Bytes command;  // acknowledged, then the device falls silent
    int (*run)();
    const char* box;
  };
  const Case cases[] = {
      {{'Y', 0x0C}, [] { return rlink::enrol_transparent(1, 1); },
       "Fehlerhafte Antwort '9E' auf Transparentmode erhalten"},
      {{'P', 'R'}, [] { return rlink::parameter_reset(0); },
       "Fehlerhafte Antwort '9E' auf Parameter Reset erhalten"},
      {{'Y', 0x0E}, [] { return rlink::change_bmode(1); }, "Fehlerhafte Antwort '9E' auf change_bmode erhalten"},
      {{'Y', 0x07}, [] { return rlink::del_template(1); },
       "I've received the following status on the telegram fp_del_template, Status = 9E\n"},
  };
  for (const Case& c : cases) {
    ui::headless::clear_boxes();
    dev.silent = false;
    dev.hook = [key = c.command](Device& d, const HostUnit& u) {
      if (u.kind != HostUnit::Frame || u.payload.size() <= key.size() ||
          !std::equal(key.begin(), key.end(), u.payload.begin() + 1))
        return false;
      d.send({0x10, 0x06});
      d.silent = true;
      return true;
    };
    EXPECT_LT(c.run(), 0) << c.box;
    const std::vector<std::string> shown = texts();
    EXPECT_NE(std::find(shown.begin(), shown.end(), c.box), shown.end()) << c.box;
    for (const std::string& t : shown) EXPECT_EQ(t.find("FFFF"), std::string::npos) << t;
  }
}

TEST_F(Operations, ParameterCheckInOrderAsksNothing) {
  Bytes allg{'P', 'a', 1};
  allg.resize(8, 0);
  allg.push_back(4);  // byte 9: PIN length
  Bytes set1{'P', '/', 1, 1, 0, 4, 4, 1};  // bytes 6, 7, 8: U = 4, P = 4, with fingerprint
  set1.resize(23, 0);
  set1.push_back(1);  // byte 24: configured
  dev.answers = {{{'P', 'a'}, allg}, {{'P', '/', 1}, set1}};
  EXPECT_EQ(rlink::check_leser_parameter(), 1);
  EXPECT_TRUE(texts().empty());
  EXPECT_TRUE(dev.commands('P').size() == 2u);
  expect_cleaned_up(3);
}

TEST_F(Operations, ParameterCheckUpdatesTheReader) {
  Bytes allg{'P', 'a', 1};
  allg.resize(8, 0);
  allg.push_back(6);
  Bytes set1{'P', '/', 1, 1, 0, 4, 4, 0};  // not configured, fingerprint flag off
  set1.resize(25, 0);
  dev.answers = {{{'P', 'a'}, allg}, {{'P', '/', 1}, set1}};
  ui::headless::script_answer(ui::kIdYes);
  EXPECT_EQ(rlink::check_leser_parameter(), 2);
  auto boxes = ui::headless::boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "Data base parameter and reader parameter do not match!\n"
            "Do you want to carry out an update of the reader parameter?\n\n"
            "Attention!!!\nThe data base in this reader will be deleted!\n");
  EXPECT_EQ(boxes[0].caption, "Info Tor");
  EXPECT_EQ(boxes[0].style & 0xF, static_cast<unsigned>(ui::kYesNo));
  EXPECT_EQ(boxes[1].text,
            "Reader parameter update was carried out succesfully.\n\nAttention!!!\n"
            "The reader must now be re-loaded with the data!\n");
  auto p = dev.commands('P');
  Bytes set_allg, set_1;
  for (const Bytes& f : p) {
    if (f[2] == 'A') set_allg = f;
    if (f[2] == '?') set_1 = f;
  }
  ASSERT_EQ(set_allg.size(), 47u);
  EXPECT_EQ(set_allg[9], 4);
  ASSERT_EQ(set_1.size(), 47u);
  EXPECT_TRUE(same_bytes(bytes({'3', 'P', '?', 1, 1, 0, 4, 4, 1, 0, 5, 1, 1, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 1}),
                         Bytes(set_1.begin(), set_1.begin() + 25)));
  expect_cleaned_up(3);
  // Answered No: -16, nothing sent.
  ui::headless::clear_boxes();
  ui::headless::script_answer(ui::kIdNo);
  dev.seen.clear();
  EXPECT_EQ(rlink::check_leser_parameter(), -16);
  for (const Bytes& f : dev.commands('P')) EXPECT_NE(f[2], '?');
  expect_cleaned_up(3);
}

TEST_F(Operations, StationParameterCheckUsesItsCaption) {
  dev.answers = {{{'P', 'a'}, {'P', 'a', 1}}, {{'P', '/', 1}, {'P', '/', 1}}};
  ui::headless::script_answer(ui::kIdNo);
  EXPECT_EQ(rlink::check_enrol_parameter(), -16);
  ASSERT_FALSE(ui::headless::boxes().empty());
  EXPECT_EQ(ui::headless::boxes().back().caption, "Info Enrol station");
  expect_cleaned_up(1);
  // No set 1 answer at all: -13.
  dev.answers = {{{'P', 'a'}, {'P', 'a', 1}}};
  EXPECT_EQ(rlink::check_enrol_parameter(), -13);
  expect_cleaned_up(1);
}

TEST_F(Operations, ReaderAddressThatWrapsToZeroOpensNothing) {
  store::db().current_reader.set_bus_address(255);
  EXPECT_EQ(rlink::check_leser_parameter(), 0);
  EXPECT_EQ(rlink::change_bmode(1), 0);
  EXPECT_EQ(rlink::set_iversion("x"), 0);
  EXPECT_EQ(rlink::del_template(1), 0);
  EXPECT_EQ(rlink::add_template(), 0);
  EXPECT_EQ(rlink::load_reader_parameter(nullptr), -1);
  EXPECT_EQ(dev.opens, 0);
}

TEST_F(Operations, ParameterDownload) {
  rlink::ParameterSet sets[rlink::kParameterSets] = {{'P', 'L', 1}, {'P', 'L', 2}};
  EXPECT_EQ(rlink::load_reader_parameter(sets), 1);
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "Update of the reader parameter, Set 0 was carried out succesfully.\n\n",
                         "Update of the reader parameter, Set 1 was carried out succesfully.\n\n"}));
  expect_cleaned_up(3);
  ui::headless::clear_boxes();
  dev.followups = {{{'P', 'L', 2}, {'s', '?'}}};
  EXPECT_EQ(rlink::load_reader_parameter(sets), -18);
  EXPECT_EQ(texts().back(), "Habe einen fehlerhaften Status auf Satz 1 erhalten, Status = 3F\n");
  EXPECT_EQ(ui::headless::boxes().back().caption, "Info Tor");
}

TEST_F(Operations, ModeAndVersion) {
  EXPECT_EQ(rlink::change_bmode(3), 1);
  EXPECT_TRUE(same_bytes(bytes({'3', 'Y', 0x0E, 3, 1}), dev.commands('Y')[1]));
  dev.followups = {{{'P', 'E'}, {'s', '!'}}};
  EXPECT_EQ(rlink::set_iversion("V1"), -46);
  EXPECT_EQ(texts().back(), "Fehlerhafte Antwort '21' auf set_iversion erhalten");
  expect_cleaned_up(3);
}

TEST_F(Operations, DeleteTemplates) {
  dev.followups = {{{'Y', 0x07}, {'s', '?'}}};
  EXPECT_EQ(rlink::del_template(1), 1);
  dev.followups = {{{'Y', 0x06}, {'s', 'x'}}};
  EXPECT_EQ(rlink::del_template(0), -21);
  EXPECT_EQ(texts().back(), "I've received the following status on the telegram fp_del_template, Status = 78\n");
  expect_cleaned_up(3);
}

TEST_F(Operations, AddTemplate) {
  store::Templatesatz& t = store::db().template_read;
  t.set_length(0, 3);
  t.set_group(0, 1);
  t.set_length(2, 3);
  t.set_group(2, 2);
  EXPECT_EQ(rlink::add_template(), 1);
  EXPECT_EQ(rlink::state().templates_added, 1);
  int adds = 0;
  for (const Bytes& f : dev.commands('Y')) adds += f[2] == 0x01;
  EXPECT_EQ(adds, 2);
  expect_cleaned_up(3);
  dev.followups = {{{'Y', 0x01}, {'Y', 0x01, 0x02}}};  // database full: code 4
  EXPECT_EQ(rlink::add_template(), -23);
  EXPECT_EQ(texts().back(), "Die DB ist voll !");
  EXPECT_EQ(rlink::state().templates_added, 0);
  // TCP/IP close failing gives -9 for add_template.
  store::Lesersatz r = store::db().current_reader;
  r.set_verbindung(1);
  rlink::select_reader(r);
  dev.followups.clear();
  dev.close_result_tcp = -3;
  EXPECT_EQ(rlink::add_template(), -9);
  EXPECT_EQ(texts().back(), "Fehler bei Enrol TCP_CLOSE !");
}

TEST_F(Operations, WriteCardInChunks) {
  store::Eingabesatz& m = store::db().eingabe;
  m.set_module_type(store::kLegicModule);
  m.rfid_module2()[1] = 0x01;
  m.rfid_module2()[2] = 0x10;  // start 0x0110
  std::vector<std::uint8_t> data(450);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(rlink::write_card_data(0, data.data(), 450), 1);
  auto w = dev.commands('W');
  ASSERT_EQ(w.size(), 3u);
  int starts[3] = {0x0110, 0x0110 + 200, 0x0110 + 400};
  int lengths[3] = {200, 200, 50};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(w[i][4] << 8 | w[i][5], starts[i]);
    EXPECT_EQ(w[i][6], lengths[i]);
    EXPECT_EQ(w[i][18], static_cast<std::uint8_t>(200 * i));
  }
  EXPECT_EQ(m.rfid_module2()[1] << 8 | m.rfid_module2()[2], 0x0110);
  EXPECT_FALSE(dev.is_open);
  EXPECT_TRUE(dev.commands('Y').empty());  // no transparent mode
  // A chunk answered with something other than "C".
  dev.followups = {{{'W'}, {'s', '>'}}};
  EXPECT_EQ(rlink::write_card_data(0, data.data(), 450), -25);
  EXPECT_EQ(texts().back(), "Received a faulty status, Status = 0x3E\n");
  EXPECT_EQ(m.rfid_module2()[1] << 8 | m.rfid_module2()[2], 0x0110);
}

TEST_F(Operations, ParameterReset) {
  dev.followups = {{{'P', 'R'}, {'s', 'E'}}};
  EXPECT_EQ(rlink::parameter_reset(0), -201);
  EXPECT_EQ(texts().back(), "Fehlerhafte Antwort '45' auf Parameter Reset erhalten");
  expect_cleaned_up(1);
}

TEST_F(Operations, SerialOpenFailureStillSwitchesOffAndCloses) {
  dev.open_result = -1;
  EXPECT_EQ(rlink::del_template(1), -9);  // the off command cannot be sent either
  EXPECT_EQ(texts(), (std::vector<std::string>{"Abbruch beim String senden (plain) !!!",
                                               "Fehler bei Tranparentmode aus !"}));
  EXPECT_EQ(dev.opens, 1);
  EXPECT_EQ(rlink::change_bmode(1), -1);  // returns at once
}

}  // namespace
