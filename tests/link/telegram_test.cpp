// Fingerprint telegrams byte for byte, the marks, the user ID and the fp_add
// user record, the transponder write telegrams and the read commands' answers.
#include <gtest/gtest.h>

#include <cstring>

#include "link/link.h"
#include "platform/clock.h"
#include "platform/headless/boxes.h"
#include "scripted.h"
#include "store/store.h"

using scripted::Bytes;
using scripted::Device;
using testsupport::bytes;
using testsupport::same_bytes;

namespace {

struct Telegrams : ::testing::Test {
  Device dev;
  scripted::Install inst{dev};
  void SetUp() override {
    rlink::reset_link();
    store::reset_store();
    ui::headless::clear_boxes();
    dev.auto_prompt = false;
    store::Eingabesatz& m = store::db().eingabe;
    m.set_default_firma("12AB");
    m.set_ausweis_len(4);
    m.set_user_pin_len(4);
    m.set_finger_count(2);
    m.set_with_fingerprint(1);
    store::Personensatz& p = store::db().person_read;
    p.set_ausweisnummer("C5");
    p.set_user_pin("1234");
    p.set_combined_mode(0x40);
  }
  Bytes last() { return dev.frames().back(); }
  void set_template(int block, int group, int length, std::uint8_t fill) {
    store::Templatesatz& t = store::db().template_read;
    t.set_length(block, static_cast<std::int16_t>(length));
    t.set_group(block, static_cast<std::uint8_t>(group));
    std::memset(t.data(block), fill, static_cast<std::size_t>(length > 1010 ? 0 : length));
  }
};

TEST_F(Telegrams, FixedCommands) {
  EXPECT_EQ(rlink::fp_led(1, 3, 1, 0), 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'Y', 0x09, 0x03, 0x46, 0x40, 0x00, 0x01}), last()));
  rlink::fp_led(1, 9, 2, 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'Y', 0x09, 0x00, 0x46, 0x80, 0x10, 0x10}), last()));
  rlink::fp_change_bmode(2, 6);
  EXPECT_TRUE(same_bytes(bytes({'2', 'Y', 0x0E, 0x00, 0x01}), last()));
  rlink::fp_change_bmode(2, 5);
  EXPECT_TRUE(same_bytes(bytes({'2', 'Y', 0x0E, 0x05, 0x01}), last()));
  rlink::fp_parameter_reset(1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'P', 'R', 0xAD}), last()));
  rlink::fp_keyboard(1, 4, 15);
  EXPECT_TRUE(same_bytes(bytes({'1', 'T', 4, 15, 0, 1, 1}), last()));
  rlink::fp_del_template_all(3);
  EXPECT_TRUE(same_bytes(bytes({'3', 'Y', 0x07}), last()));
  rlink::fp_transparent(1, 0);
  EXPECT_TRUE(same_bytes(bytes({'1', 'Y', 0x0D}), last()));
  rlink::fp_set_iversion(1, "V2.01");
  EXPECT_TRUE(same_bytes(bytes({'1', 'P', 'E', 1, 'V', '2', '.', '0', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), last()));
  std::size_t sent = dev.frames().size();
  EXPECT_EQ(rlink::fp_get_parameter_2_3_4(1, 1), 0);
  std::vector<std::uint8_t> set(149, 1);
  EXPECT_EQ(rlink::fp_load_parameter_set(1, set.data(), 149), 0);
  EXPECT_EQ(dev.frames().size(), sent);
  EXPECT_EQ(rlink::fp_load_parameter_set(1, set.data(), 148), 1);
  EXPECT_EQ(last().size(), 149u);
}

TEST_F(Telegrams, AcknowledgementAndMarks) {
  rlink::State& st = rlink::state();
  EXPECT_EQ(rlink::fp_enrol(1, 15, 0), 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'Y', 0x02, 15}), last()));
  EXPECT_EQ(st.enrol_mark, 1);
  rlink::fp_enrol(1, 15, 1);
  EXPECT_EQ(st.enrol_mark, 2);
  st.info_pending = st.identify_pending = 1;
  EXPECT_EQ(rlink::fp_transparent(1, 1), 1);
  EXPECT_EQ(st.enrol_mark + st.info_pending + st.identify_pending, 0);
  // A NAK leaves the marks as they were.
  st.enrol_mark = 2;
  dev.nak_frames = 1;
  EXPECT_EQ(rlink::fp_transparent(1, 1), -2);
  EXPECT_EQ(st.enrol_mark, 2);
  dev.silent = true;
  EXPECT_EQ(rlink::fp_led(1, 3, 1, 0), -2);
}

TEST_F(Telegrams, ParameterBlocks) {
  std::uint8_t block[200] = {};
  block[9] = 6;
  rlink::fp_set_parameter_allg(1, block);
  EXPECT_TRUE(same_bytes(bytes({'1', 'P', 'A', 1, 1, 1, 1, 1, 1, 6, 10, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                         last()));
  for (int i = 0; i < 30; ++i) block[i] = static_cast<std::uint8_t>(100 + i);
  rlink::fp_set_parameter_allg(1, block);
  Bytes p = last();
  ASSERT_EQ(p.size(), 47u);
  for (int i = 3; i <= 22; ++i) EXPECT_EQ(p[i], 100 + i);
  EXPECT_EQ(p[23], 0);
  rlink::fp_set_parameter_1(1, block);
  p = last();
  ASSERT_EQ(p.size(), 47u);
  EXPECT_EQ(p[2], '?');
  EXPECT_EQ(p[3], 1);
  for (int i = 4; i <= 24; ++i) EXPECT_EQ(p[i], 100 + i);
  EXPECT_EQ(p[25], 0);
}

TEST_F(Telegrams, ReadCommandsStoreTheirAnswers) {
  Bytes hw{'H', 4};
  Bytes sys{'J'};
  for (int i = 2; i < 15; ++i) sys.push_back(0);
  for (int i = 0; i < 10; ++i) sys.push_back(static_cast<std::uint8_t>(0xA0 + i));
  dev.answers = {{{'H'}, hw}, {{'J'}, sys}, {{'P', 'a'}, {'P', 'a', 1, 2, 3}}, {{'P', '/', 1}, {'P', '/', 0, 9, 9}}};
  EXPECT_EQ(rlink::read_hw_info(1), 1);
  EXPECT_EQ(rlink::state().hardware_type, 4);
  EXPECT_EQ(rlink::get_system_info(1), 1);
  EXPECT_EQ(rlink::state().serial_number, "A0A1A2A3A4A5A6A7A8A9");
  EXPECT_EQ(rlink::fp_get_parameter_allg(1), 1);
  EXPECT_EQ(rlink::state().param_allg[5], 3);
  rlink::state().param_1[4] = 7;
  EXPECT_EQ(rlink::fp_get_parameter_1(1), 1);  // byte 3 is 0: the set is empty
  EXPECT_EQ(rlink::state().param_1[4], 0);
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Ack);
  // An answer from another address is refused with NAK.
  dev.hook = [](Device& d, const scripted::HostUnit& u) {
    if (u.kind != scripted::HostUnit::Frame) return false;
    d.send({0x10, 0x06});
    d.send(scripted::frame({'2', 'H', 3}));
    return true;
  };
  EXPECT_EQ(rlink::read_hw_info(1), -4);
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Nak);
  dev.hook = [](Device& d, const scripted::HostUnit& u) {
    if (u.kind != scripted::HostUnit::Frame) return false;
    d.send({0x10, 0x06});
    d.send(scripted::bad_bcc_frame({'1', 'P', 'a', 1, 2}));
    return true;
  };
  ui::headless::clear_boxes();
  EXPECT_EQ(rlink::fp_get_parameter_allg(1), -3);
  ASSERT_EQ(ui::headless::boxes().size(), 2u);
  EXPECT_EQ(ui::headless::boxes()[0].text, "Funktion fp_get_parameter_allg:\r\nChecksumme ist falsch !");
  EXPECT_EQ(ui::headless::boxes()[1].text, "Funktion fp_get_parameter_allg:\r\nsende jetzt NAK !");
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Nak);
}

TEST_F(Telegrams, ReadCsn) {
  Bytes answer{'G', 0};
  for (int i = 0; i < 10; ++i) answer.push_back(static_cast<std::uint8_t>(0x11 * i));
  dev.answers = {{{'G'}, answer}};
  std::uint64_t before = platform::vclock::elapsed();
  EXPECT_EQ(rlink::read_csn(1), 1);
  EXPECT_GE(platform::vclock::elapsed() - before, 500u);
  EXPECT_EQ(rlink::state().csn, "00112233445566778899");
  answer.pop_back();  // 12 bytes: acknowledged, no CSN
  dev.answers = {{{'G'}, answer}};
  EXPECT_EQ(rlink::read_csn(1), 0);
  EXPECT_EQ(rlink::state().csn, "");
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Ack);
  dev.answers = {{{'G'}, {}}};  // only the address character
  EXPECT_EQ(rlink::read_csn(1), -3);
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Nak);
}

TEST_F(Telegrams, UserIdPacksTheIdentificationText) {
  std::uint8_t id[64];
  ASSERT_EQ(rlink::user_id(id, 64), 4);
  EXPECT_TRUE(same_bytes(bytes({0x12, 0xAB, 0x00, 0xC5}), Bytes(id, id + 4)));
  rlink::fp_del_template(5);
  EXPECT_TRUE(same_bytes(bytes({'5', 'Y', 0x06, 0x12, 0xAB, 0x00, 0xC5}), last()));
  store::db().person_read.set_ausweisnummer("XY");
  EXPECT_EQ(rlink::fp_del_template(5), -1);  // not hexadecimal: nothing is sent
}

TEST_F(Telegrams, AddSendsTheUserRecordOfAGroup) {
  set_template(0, 1, 3, 0xAA);
  set_template(1, 1, 2, 0xBB);
  set_template(2, 2, 4, 0xCC);  // group 2
  EXPECT_EQ(rlink::fp_add(1, 1), 1);
  Bytes want{'1', 'Y', 0x01, 0x12, 0xAB, 0x00, 0xC5, '1', '2', '3', '4', 0x41, 2, 0, 3, 0, 2};
  for (int i = 0; i < 8; ++i) want.insert(want.end(), {0, 0});
  want.insert(want.end(), {0xAA, 0xAA, 0xAA, 0xBB, 0xBB});
  EXPECT_TRUE(same_bytes(want, last()));
  // Group 0 takes every block in use.
  EXPECT_EQ(rlink::fp_add(1, 0), 1);
  EXPECT_EQ(last()[11], 0x40);
  EXPECT_EQ(last()[12], 3);
  EXPECT_EQ(last().size(), 13u + 20u + 9u);
  // A group without templates sends nothing.
  std::size_t sent = dev.frames().size();
  EXPECT_EQ(rlink::fp_add(1, 4), 0);
  EXPECT_EQ(dev.frames().size(), sent);
}

TEST_F(Telegrams, AddWithSpecialPinSendsNoTemplates) {
  set_template(0, 1, 3, 0xAA);
  store::db().person_read.set_spezial_pin("987654");
  EXPECT_EQ(rlink::fp_add(2, 1), 1);
  Bytes want{'2', 'Y', 0x01, 0x12, 0xAB, 0x00, 0xC5, '9', '8', '7', '6', '5', '4', 0x41};
  want.resize(want.size() + 21, 0);
  EXPECT_TRUE(same_bytes(want, last()));
}

TEST_F(Telegrams, AddNeverReadsBeyondAFingerBlock) {
  set_template(0, 1, 3, 0xAA);
  set_template(1, 1, 32000, 0);  // placeholder: counted, no length entry, no data
  EXPECT_EQ(rlink::fp_add(1, 1), 1);
  Bytes p = last();
  EXPECT_EQ(p[12], 2);
  EXPECT_EQ(p.size(), 13u + 20u + 3u);
  // Ten full templates do not fit one frame.
  for (int i = 0; i < 10; ++i) set_template(i, 1, 1010, 0x01);
  EXPECT_EQ(rlink::fp_add(1, 0), -1);
}

TEST_F(Telegrams, TransponderWriteTelegrams) {
  store::Eingabesatz& m = store::db().eingabe;
  for (int i = 0; i < 24; ++i) m.rfid_main()[i] = static_cast<std::uint8_t>(0x40 + i);
  for (int i = 0; i < 12; ++i) m.rfid_module2()[i] = static_cast<std::uint8_t>(0x70 + i);
  for (int i = 0; i < 16; ++i) m.rfid_key_a()[i] = static_cast<std::uint8_t>(0xC0 + i);
  std::uint8_t data[3] = {7, 8, 9};
  EXPECT_EQ(rlink::fp_write_card(1, data, 3), 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'W', 0x01, 0x70, 0x71, 0x72, 3, 0, 0, 0x73, 0x74, 0x75, 0x76, 0x77,
                                0x78, 0x79, 0x7A, 0x7B, 7, 8, 9}),
                         last()));
  m.rfid_module2()[4] = 0;
  rlink::fp_write_card(1, data, 3);
  EXPECT_TRUE(same_bytes(bytes({'1', 'W', 0x01, 0x70, 0x71, 0x72, 3, 0, 0, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 7, 8, 9}),
                         last()));
  EXPECT_EQ(rlink::fp_write_card_16(1, data, 3), 1);
  Bytes w16{'1', 'W', 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45};
  for (int i = 0; i < 16; ++i) w16.push_back(static_cast<std::uint8_t>(0xC0 + i));
  w16.insert(w16.end(), {0x56, 0x57, 0, 3, 7, 8, 9});
  EXPECT_TRUE(same_bytes(w16, last()));
  EXPECT_EQ(rlink::fp_write_card_6(1, data, 3), 1);
  EXPECT_TRUE(same_bytes(bytes({'1', 'W', 0x10, 0x40, 0x41, 0x42, 0x43, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 7, 8, 9}),
                         last()));
  std::uint8_t big[201] = {};
  EXPECT_EQ(rlink::fp_write_card(1, big, 201), -1);
}

}  // namespace
