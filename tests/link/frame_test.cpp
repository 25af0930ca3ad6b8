// Frames, control sequences, deliveries and link initialisation against the
// scripted device.
#include <gtest/gtest.h>

#include "link/link.h"
#include "platform/clock.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "scripted.h"
#include "store/seal.h"
#include "store/store.h"

using scripted::Bytes;
using scripted::Device;
using scripted::frame;
using testsupport::bytes;
using testsupport::same_bytes;

namespace {

struct Frames : ::testing::TestWithParam<bool> {
  Device dev;
  scripted::Install inst{dev};
  void SetUp() override {
    rlink::reset_link();
    store::reset_store();
    ui::headless::clear_boxes();
    rlink::state().via_tcp = GetParam() ? 1 : 0;
  }
  void TearDown() override { ui::headless::clear_boxes(); }
  int receive(Bytes wire, std::uint8_t* buf, int cap) {
    dev.send(wire);
    return rlink::receive_frame(buf, cap);
  }
};

TEST_P(Frames, SendStuffsDleAndChecksTheUnstuffedPayload) {
  std::uint8_t plain[] = {0x31, 'N'};
  EXPECT_EQ(rlink::send_frame(plain, 2), 1);
  EXPECT_TRUE(same_bytes(bytes({0x10, 0x02, 0x31, 0x4E, 0x10, 0x03, 0x36, 0x3C}), dev.raw));
  dev.raw.clear();
  std::uint8_t stuffed[] = {0x31, 0x10, 0x41};
  EXPECT_EQ(rlink::send_frame(stuffed, 3), 1);
  EXPECT_TRUE(same_bytes(bytes({0x10, 0x02, 0x31, 0x10, 0x10, 0x41, 0x10, 0x03, 0x36, 0x33}), dev.raw));
}

TEST_P(Frames, SendLimitsAndPiecePauses) {
  std::vector<std::uint8_t> big(3073, 0x10);
  EXPECT_EQ(rlink::send_frame(big.data(), 3073), -1);
  EXPECT_TRUE(dev.raw.empty());
  // The stuffed worst case: 3072 DLE bytes become 6150 bytes on the wire.
  EXPECT_EQ(rlink::send_frame(big.data(), 3072), 1);
  ASSERT_EQ(dev.raw.size(), 6150u);
  ASSERT_EQ(dev.frames().size(), 1u);
  EXPECT_EQ(dev.frames()[0].size(), 3072u);
  EXPECT_TRUE(dev.seen.back().bcc_ok);
  // 300 payload bytes: 306 on the wire, pieces 120, 120, 66 with two 60 ms pauses.
  dev.raw.clear();
  std::vector<std::uint8_t> mid(300, 0x41);
  std::uint64_t before = platform::vclock::elapsed();
  EXPECT_EQ(rlink::send_frame(mid.data(), 300), 1);
  EXPECT_EQ(platform::vclock::elapsed() - before, 120u);
}

TEST_P(Frames, ReceivePlainAndStuffed) {
  std::uint8_t buf[64] = {};
  ASSERT_EQ(receive(frame({0x31, 'Y', 0x10, 0x03, 0x42}), buf, 64), 5);
  EXPECT_TRUE(same_bytes(bytes({0x31, 'Y', 0x10, 0x03, 0x42}), Bytes(buf, buf + 5)));
  EXPECT_EQ(receive(frame({}), buf, 64), 0);  // an empty payload has length 0 too
}

TEST_P(Frames, ReceiveRefusesBrokenFrames) {
  std::uint8_t buf[64] = {};
  EXPECT_EQ(receive(scripted::bad_bcc_frame({0x31, 'A'}), buf, 64), 0);
  // A check character out of range drains what follows.
  Bytes w = frame({0x31, 'A'});
  w[w.size() - 2] = 0x40;
  w.insert(w.end(), {1, 2, 3, 4});
  EXPECT_EQ(receive(w, buf, 64), 0);
  EXPECT_TRUE(dev.out.empty());
  EXPECT_EQ(receive({0x41}, buf, 64), -2);
  EXPECT_EQ(receive({0x10, 0x33}, buf, 64), -4);
  EXPECT_EQ(receive({0x10}, buf, 64), -3);
  EXPECT_EQ(rlink::receive_frame(buf, 64), GetParam() ? -3 : -1);
  EXPECT_EQ(receive({0x10, 0x02, 0x31}, buf, 64), GetParam() ? -3 : -5);
  EXPECT_EQ(receive({0x10, 0x02, 0x31, 0x10, 0x03, 0x33}, buf, 64), -7);
  // Capacity 4: payload and DLE ETX must fit; a longer frame is refused
  // without a byte written past the buffer.
  std::uint8_t small[4] = {};
  EXPECT_EQ(receive(frame({0x31, 0x41}), small, 4), 2);
  EXPECT_EQ(receive(frame({0x31, 0x41, 0x42, 0x43, 0x44}), small, 4), -6);
}

TEST_P(Frames, ReceiveOpensSealedFrames) {
  for (int i = 0; i < 16; ++i) store::key_row(0)[i] = static_cast<std::uint8_t>(i * 7 + 1);
  store::install_key(0);
  for (auto form : {store::LengthForm::OneByte, store::LengthForm::TwoByte}) {
    std::uint8_t sealed[64] = {'Y', 0x01, 0x05};
    int t = store::seal_encrypt(sealed, 3, 0, form);
    ASSERT_GT(t, 0);
    Bytes payload(sealed, sealed + t);
    payload.insert(payload.begin(), 0x31);
    std::uint8_t start = form == store::LengthForm::OneByte ? 0x01 : 0x17;
    std::uint8_t buf[80] = {};
    EXPECT_EQ(receive(frame(payload, start), buf, 80), 4);
    EXPECT_TRUE(same_bytes(bytes({0x31, 'Y', 0x01, 0x05}), Bytes(buf, buf + 4)));
    payload[5] ^= 0xFF;  // a damaged block fails its check
    EXPECT_EQ(receive(frame(payload, start), buf, 80), -9);
  }
  // Less than one block cannot be opened.
  std::uint8_t buf[80] = {};
  EXPECT_EQ(receive(frame({0x31, 1, 2, 3}, 0x01), buf, 80), -9);
  ASSERT_EQ(ui::headless::boxes().size(), 3u);
  EXPECT_EQ(ui::headless::boxes()[0].text, "leser_komm: Fehler beim Daten entschluesseln !");
}

TEST_P(Frames, AcknowledgementsBothWays) {
  dev.send({0x10, 0x06});
  EXPECT_EQ(rlink::wait_ack(), 1);
  dev.send({0x10, 0x15});
  EXPECT_EQ(rlink::wait_ack(), 0);
  dev.send({0x10, 0x41});
  EXPECT_EQ(rlink::wait_ack(), -4);
  dev.send({0x06});
  EXPECT_EQ(rlink::wait_ack(), -2);
  dev.send({0x10});
  EXPECT_EQ(rlink::wait_ack(), -3);
  std::uint64_t before = platform::vclock::elapsed();
  EXPECT_EQ(rlink::wait_ack(), GetParam() ? -3 : -1);
  EXPECT_EQ(platform::vclock::elapsed() - before, 500u);
  EXPECT_EQ(rlink::send_ack(), 1);
  EXPECT_EQ(rlink::send_nak(), 1);
  EXPECT_TRUE(same_bytes(bytes({0x10, 0x06, 0x10, 0x15}), dev.raw));
}

TEST_P(Frames, PollAnswers) {
  EXPECT_EQ(rlink::leser_poll(3), 0);
  EXPECT_TRUE(same_bytes(bytes({0x10, 0x05, 0x33}), dev.raw));
  dev.deliver(3, {'s', '>'});
  EXPECT_EQ(rlink::leser_poll(3), 1);
  dev.silent = true;
  EXPECT_EQ(rlink::leser_poll(3), GetParam() ? -3 : -2);
  dev.send({0x10, 0x44});
  EXPECT_EQ(rlink::leser_poll(3), -5);
  dev.send({0x10});
  EXPECT_EQ(rlink::leser_poll(3), GetParam() ? -1 : -6);
  EXPECT_TRUE(ui::headless::boxes().empty());
  store::db().current_reader.set_name("Tor 1");
  dev.send({0x41, 0x11});
  EXPECT_EQ(rlink::leser_poll(3), -4);
  ASSERT_EQ(ui::headless::boxes().size(), 1u);
  EXPECT_EQ(ui::headless::boxes()[0].text,
            "leser_komm: Erwarte DLE, habe Zeichen 0x41 erhalten, Lesername Tor 1 !");
  EXPECT_EQ(ui::headless::boxes()[0].caption, "Error Message");
}

INSTANTIATE_TEST_SUITE_P(SerialAndTcp, Frames, ::testing::Bool());

struct Fetch : Frames {};

TEST_P(Fetch, AnswerTypesAndConfirmations) {
  struct Case {
    Bytes after;
    int result;
    std::string text;
    std::uint8_t code;
  };
  std::vector<Case> cases = {
      {{'a', 0x02, 0xAB, 0x01}, 2, "AB01", '1'},
      {{'a', 0x0B, 0xAB}, 2, "", '1'},
      {{'i', 'x', 'y'}, 2, "Txy", '2'},
      {{'k', '1', '2'}, 2, "K12", '2'},
      {{'s', '>'}, 0, ">", '0'},
      {{'Y', 0x01, 0x03}, 0, "Y\x7A\x03", '1'},
  };
  for (const Case& c : cases) {
    dev.seen.clear();
    dev.deliver(2, c.after);
    rlink::Text text;
    EXPECT_EQ(rlink::daten_holen(2, text), c.result);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text.b.data()), static_cast<std::size_t>(text.len)), c.text);
    auto q = dev.commands('Q');
    ASSERT_EQ(q.size(), 1u);
    EXPECT_TRUE(same_bytes(bytes({0x32, 'Q', c.code}), q[0]));
    EXPECT_TRUE(dev.deliveries.empty());
  }
}

TEST_P(Fetch, FailuresAreAnsweredWithNak) {
  dev.deliver(2, {'z', 1});
  rlink::Text text;
  EXPECT_EQ(rlink::daten_holen(2, text), -5);
  EXPECT_TRUE(dev.commands('Q').empty());
  dev.deliveries.clear();
  dev.deliver(3, {'s', '>'});
  dev.hook = [](Device& d, const scripted::HostUnit& u) {
    if (u.kind != scripted::HostUnit::Frame || u.payload[1] != 'N') return false;
    d.send({0x10, 0x06});
    d.send(frame({0x33, 's', '>'}));  // another reader's address
    return true;
  };
  EXPECT_EQ(rlink::daten_holen(2, text), -4);
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Nak);
  store::db().current_reader.set_name("Halle");
  dev.hook = [](Device& d, const scripted::HostUnit& u) {
    if (u.kind != scripted::HostUnit::Frame || u.payload[1] != 'N') return false;
    d.send({0x10, 0x06});
    d.send(scripted::bad_bcc_frame({0x32, 's', '>'}));
    return true;
  };
  EXPECT_EQ(rlink::daten_holen(2, text), -3);
  EXPECT_EQ(dev.seen.back().kind, scripted::HostUnit::Nak);
  ASSERT_EQ(ui::headless::boxes().size(), 1u);
  EXPECT_EQ(ui::headless::boxes()[0].text, "leser_komm: Checksumme ist falsch, Lesername Halle");
  dev.hook = nullptr;
  dev.nak_frames = 1;
  EXPECT_EQ(rlink::daten_holen(2, text), -2);
}

TEST_P(Fetch, LongHexDeliveryIsCutToTheText) {
  Bytes after{'a', 0x01};
  after.resize(1000, 0xEE);
  dev.deliver(2, after);
  rlink::Text text;
  EXPECT_EQ(rlink::daten_holen(2, text), 2);
  EXPECT_EQ(text.len, 1024);
  EXPECT_EQ(text.b[1024], 0);
}

TEST_P(Fetch, LinkInitialisation) {
  EXPECT_EQ(rlink::l_zam_init(4), 4);
  EXPECT_EQ(dev.seen.size(), 3u);  // three quiet polls
  // Address 0: the current reader's stored index as it is.
  store::db().current_reader.set_bus_address(6);
  dev.seen.clear();
  EXPECT_EQ(rlink::l_zam_init(0), 6);
  EXPECT_EQ(dev.seen[0].address, 6);
  // Deliveries are fetched; more than ten give 0.
  for (int i = 0; i < 11; ++i) dev.deliver(4, {'i', static_cast<std::uint8_t>('a' + i)});
  EXPECT_EQ(rlink::l_zam_init(4), 0);
  EXPECT_EQ(dev.commands('Q').size(), 11u);
  dev.deliveries.clear();
  // A status flood ends instead of holding the link forever.
  dev.hook = [](Device& d, const scripted::HostUnit& u) {
    if (u.kind == scripted::HostUnit::Poll && d.deliveries.empty()) d.deliver(4, {'s', '>'});
    return false;
  };
  EXPECT_EQ(rlink::l_zam_init(4), -1);
  dev.hook = nullptr;
  dev.deliveries.clear();
  dev.silent = true;
  EXPECT_EQ(rlink::l_zam_init(4), -3);
}

INSTANTIATE_TEST_SUITE_P(SerialAndTcp, Fetch, ::testing::Bool());

}  // namespace

namespace {

TEST(LinkLog, FailedPollAndAcknowledgementAreLogged) {
  Device dev;
  scripted::Install inst{dev};
  rlink::reset_link();
  store::reset_store();
  testsupport::TempDir dir;
  platform::set_working_directory(dir.path());
  dev.is_open = false;  // every send fails
  EXPECT_EQ(rlink::leser_poll(1), -1);
  EXPECT_EQ(rlink::send_ack(), -1);
  platform::set_working_directory("");
  testsupport::Bytes log = testsupport::read_file(dir.file("Log.txt"));
  std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("Fehler beim senden von ENQ\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Fehler beim senden von ACK\r\n"), std::string::npos) << text;
}

}  // namespace
