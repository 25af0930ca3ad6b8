// The simulated enrol station over TCP, driven byte by byte by a tiny host.
#include <gtest/gtest.h>

#include "codec.h"
#include "host.h"
#include "sim.h"
#include "support/support.h"

using namespace simtest;
using testsupport::same_bytes;

namespace {

const Bytes kAck = {DLE, ACK};
const Bytes kNak = {DLE, NAK};
const Bytes kDc1 = {DLE, DC1};
const Bytes kDc2 = {DLE, DC2};

class Station : public ::testing::Test {
 protected:
  Station() : sim_(sim::Options{}) {}
  void SetUp() override {
    port_ = sim_.listen_tcp();
    ASSERT_GT(port_, 0);
    ASSERT_TRUE(sim_.start());
    host_.reset(new Host(Host::tcp(port_)));
    ASSERT_TRUE(host_->ok());
  }
  void TearDown() override {
    host_.reset();
    sim_.stop();
  }
  Host& host() { return *host_; }
  Bytes transparent_on() {
    EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x0C}))));
    return host().fetch(1, '0');
  }

  sim::Simulator sim_;
  int port_ = 0;
  std::unique_ptr<Host> host_;
};

TEST_F(Station, AnswersPollsAndDeliversTransparentModeByteForByte) {
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  host().send(poll(2));  // nobody at address 2
  EXPECT_TRUE(host().receive(2, 80).empty());

  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x0C}))));
  EXPECT_TRUE(sim_.transparent(1));
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc1, host().receive(2)));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1N"))));
  // "1s>" with BCC 31^73^3E^10^03 = 0x6F.
  EXPECT_TRUE(same_bytes({DLE, STX, 0x31, 0x73, 0x3E, DLE, ETX, 0x36, 0x3F}, host().read_frame()));
  host().send(kAck);
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Q0"))));
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  EXPECT_EQ(0, sim_.confirm_mismatches());

  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x0D}))));
  EXPECT_TRUE(same_bytes(cmd("1s>"), host().fetch(1, '0')));
  EXPECT_FALSE(sim_.transparent(1));
}

TEST_F(Station, KeepsADeliveryUntilItIsConfirmed) {
  sim_.queue_delivery(1, cmd("i", {0x10, 0x41}));
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc1, host().receive(2)));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1N"))));
  const Bytes first = host().read_frame();
  EXPECT_TRUE(same_bytes(cmd("1i", {0x10, 0x41}), payload_of(first)));
  host().send(kNak);  // the host did not take it: no "Q"
  EXPECT_EQ(1, sim_.pending_deliveries(1));
  // The next poll offers it again.
  EXPECT_TRUE(same_bytes(cmd("1i", {0x10, 0x41}), host().fetch(1, '2')));
  EXPECT_EQ(0, sim_.pending_deliveries(1));
  EXPECT_EQ(0, sim_.confirm_mismatches());
  // A "Q" without a fetch before it removes nothing.
  sim_.queue_delivery(1, cmd("s>"));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Q0"))));
  EXPECT_EQ(1, sim_.pending_deliveries(1));
  EXPECT_TRUE(same_bytes(cmd("1s>"), host().fetch(1, '0')));
  // A fetch with nothing queued gets an empty status "s"; a wrong code is counted.
  sim_.queue_delivery(1, cmd("Y", {0x01, 0x00}));
  EXPECT_TRUE(same_bytes(cmd("1Y", {0x01, 0x00}), host().fetch(1, '0')));
  EXPECT_EQ(1, sim_.confirm_mismatches());
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1N"))));
  EXPECT_TRUE(same_bytes(cmd("1s"), payload_of(host().read_frame())));
}

TEST_F(Station, ReportsHardwareTypeSerialNumberAndRfidSets) {
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  // "1H" type 3, version 1.0; BCC 0x68.
  EXPECT_TRUE(same_bytes({DLE, STX, 0x31, 0x48, 0x03, 0x01, 0x00, DLE, ETX, 0x36, 0x38}, host().read_frame()));
  host().send(kAck);

  const Bytes serial = {0x00, 0x10, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};
  sim_.set_serial(serial);
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1J"))));
  const Bytes wire = host().read_frame();
  EXPECT_TRUE(bcc_right(wire));
  const Bytes j = payload_of(wire);
  ASSERT_EQ(25u, j.size());
  EXPECT_TRUE(same_bytes(serial, Bytes(j.begin() + 15, j.end())));
  host().send(kAck);

  sim_.set_rfid_set(4, Bytes(24, 0x44));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1P/", {4}))));
  Bytes expected = cmd("1P/", {4});
  expected.insert(expected.end(), 24, 0x44);
  EXPECT_TRUE(same_bytes(expected, payload_of(host().read_frame())));
  host().send(kAck);
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1P/", {7}))));
  EXPECT_TRUE(same_bytes(cmd("1P/", {0}), payload_of(host().read_frame())));
}

TEST_F(Station, EnrolsAFingerIntoATemplateFrameWithQualityAndCheck) {
  sim_.set_quality(91);
  sim_.set_template_size(300);
  transparent_on();
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x02, 15}))));
  const Bytes t = host().fetch(1, '1');
  ASSERT_EQ(7u + 300u, t.size());
  EXPECT_TRUE(same_bytes(cmd("1Y", {0x66, 0x02, 91, 0x01, 0x2C}), Bytes(t.begin(), t.begin() + 7)));
  std::uint8_t check = 0;
  for (std::size_t i = 7; i + 1 < t.size(); ++i) check ^= t[i];
  EXPECT_EQ(check, t.back());
  // The next enrolment is another finger.
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x02, 15}))));
  EXPECT_NE(t, host().fetch(1, '1'));
}

TEST_F(Station, ScriptedStatusAnswersTheNextCommandButNotTransparentMode) {
  sim_.script_status(1, 0x03);
  EXPECT_TRUE(same_bytes(cmd("1s>"), transparent_on()));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x02, 15}))));
  EXPECT_TRUE(same_bytes(cmd("1Y", {0x01, 0x03}), host().fetch(1, '1')));
  sim_.script_no_answer(1);
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x02, 15}))));
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
}

TEST_F(Station, PresentsTheAutomaticCardWhenTheHostWaitsForOne) {
  sim_.set_auto_card({0x04, 0xA1, 0xB2, 0xC3});
  // Not while transparent mode is off.
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  transparent_on();
  EXPECT_TRUE(same_bytes(cmd("1a", {0x01, 0x04, 0xA1, 0xB2, 0xC3}), host().fetch(1, '1')));
  host().send(poll(1));  // reported once
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1G", {0x00}))));
  EXPECT_TRUE(same_bytes(cmd("1G", {0x00, 0, 0, 0, 0, 0, 0, 0x04, 0xA1, 0xB2, 0xC3}), payload_of(host().read_frame())));
  host().send(kAck);
  // A command after transparent on (an enrolment) gets no card.
  transparent_on();
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1Y", {0x02, 15}))));
  EXPECT_EQ(0x66, host().fetch(1, '1').at(2));
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
}

TEST_F(Station, ReadsNoCsnWithoutACardAndTheManualCardOtherwise) {
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1G", {0x00}))));
  EXPECT_TRUE(same_bytes(cmd("1G", {0x00}), payload_of(host().read_frame())));
  host().send(kAck);
  transparent_on();
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  sim_.present_card({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_TRUE(same_bytes(cmd("1a", {0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), host().fetch(1, '1')));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1G", {0x00}))));
  EXPECT_TRUE(same_bytes(cmd("1G", {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), payload_of(host().read_frame())));
  host().send(kAck);
}

TEST_F(Station, DeliversKeypadDigitsUpToThePinLength) {
  transparent_on();
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1T", {4, 15, 0x00, 0x01, 0x01}))));
  host().send(poll(1));  // nothing typed
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  sim_.set_keys("123456");
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1T", {4, 15, 0x00, 0x01, 0x01}))));
  EXPECT_TRUE(same_bytes(cmd("1k1234"), host().fetch(1, '2')));
}

TEST_F(Station, WritesTransponderMemoryWithEachModuleLayout) {
  // No card in the field: "wrong card" status.
  Bytes w2 = cmd("1W", {0x01, 0x00, 0x00, 0x10, 3, 0, 0, 0, 0});
  w2.resize(18, 0);
  w2.insert(w2.end(), {0xAA, 0xBB, 0xCC});
  EXPECT_TRUE(same_bytes(kAck, host().command(w2)));
  EXPECT_TRUE(same_bytes(cmd("1Y", {0x01, 0x07}), host().fetch(1, '1')));

  sim_.present_card({0xC0, 0xDE});
  EXPECT_TRUE(same_bytes(kAck, host().command(w2)));
  EXPECT_TRUE(same_bytes(cmd("1sC"), host().fetch(1, '0')));

  // Module type 1: key at 9..24, start 25..26, length 27..28.
  Bytes w1 = cmd("1W", {0x11});
  w1.resize(9, 0);
  w1.insert(w1.end(), 16, 0x6B);
  w1.insert(w1.end(), {0x01, 0x00, 0x00, 0x02, 0x11, 0x22});
  EXPECT_TRUE(same_bytes(kAck, host().command(w1)));
  EXPECT_TRUE(same_bytes(cmd("1sC"), host().fetch(1, '0')));
  // Module type 3: key at 7..12, data from 13, chunks one after the other.
  for (std::uint8_t chunk : {0x31, 0x32}) {
    Bytes w3 = cmd("1W", {0x10, 0, 0, 0, 0, 0x6C, 0x6C, 0x6C, 0x6C, 0x6C, 0x6C, chunk, chunk});
    EXPECT_TRUE(same_bytes(kAck, host().command(w3)));
    EXPECT_TRUE(same_bytes(cmd("1sC"), host().fetch(1, '0')));
  }
  // A length that does not match the telegram is refused.
  w1.pop_back();
  EXPECT_TRUE(same_bytes(kAck, host().command(w1)));
  EXPECT_TRUE(same_bytes(cmd("1s?"), host().fetch(1, '0')));

  const auto cards = sim_.cards();
  ASSERT_EQ(1u, cards.size());
  const Bytes& m = cards[0].memory;
  EXPECT_TRUE(same_bytes({0x31, 0x31, 0x32, 0x32}, Bytes(m.begin(), m.begin() + 4)));
  EXPECT_TRUE(same_bytes({0xAA, 0xBB, 0xCC}, Bytes(m.begin() + 0x10, m.begin() + 0x13)));
  EXPECT_TRUE(same_bytes({0x11, 0x22}, Bytes(m.begin() + 0x100, m.begin() + 0x102)));
  EXPECT_EQ(4, cards[0].writes);
  EXPECT_TRUE(same_bytes(Bytes(6, 0x6C), cards[0].last_key));
}

TEST_F(Station, AnswersAFrameWithAWrongBccWithNak) {
  Bytes f = frame(cmd("1H"));
  f.back() ^= 0x01;
  host().send(f);
  EXPECT_TRUE(same_bytes(kNak, host().receive(2)));
  host().send(frame(cmd("2H")));  // another address: no answer
  EXPECT_TRUE(host().receive(2, 80).empty());
  const auto t = sim_.traffic();
  ASSERT_GE(t.size(), 3u);
  EXPECT_FALSE(t[0].bcc_ok);
  EXPECT_EQ(sim::Unit::Nak, t[1].unit);
  EXPECT_EQ(sim::Dir::ToHost, t[1].dir);
  EXPECT_EQ(2, t[2].address);
}

// ---------------------------------------------------------------- faults

TEST_F(Station, InjectsSilenceNakGarbageAndFrameFaults) {
  sim_.inject({sim::FaultKind::Silence, 1, 0, {}, {}, {}});
  host().send(poll(1));
  EXPECT_TRUE(host().receive(2, 80).empty());
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));

  sim_.inject({sim::FaultKind::NakForAck, 1, 0, {}, {}, {}});
  EXPECT_TRUE(same_bytes(kNak, host().command(cmd("1Y", {0x0C}))));
  EXPECT_FALSE(sim_.transparent(1));

  sim_.inject({sim::FaultKind::Garbage, 1, 0, {}, {0x55, 0x66}, {}});
  host().send(poll(1));
  EXPECT_TRUE(same_bytes({0x55, 0x66, DLE, DC2}, host().receive(4)));

  // Only the answer to read_hw_info, twice.
  sim_.inject({sim::FaultKind::BadBcc, 2, 0, {'H'}, {}, {}});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1P", {'a'}))));
  EXPECT_TRUE(bcc_right(host().read_frame()));
  host().send(kAck);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
    Bytes wire = host().read_frame();
    EXPECT_EQ(i == 2, bcc_right(wire)) << i;
    host().send(kAck);
  }

  sim_.inject({sim::FaultKind::BccOutOfRange, 1, 0, {}, {}, {}});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  Bytes wire = host().read_frame();
  EXPECT_EQ(0x40, wire[wire.size() - 2]);
  host().send(kNak);

  sim_.inject({sim::FaultKind::OtherAddress, 1, 0, {}, {}, {}});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  wire = host().read_frame();
  EXPECT_TRUE(bcc_right(wire));
  EXPECT_EQ(0x32, wire[2]);
}

TEST_F(Station, DropsTheConnectionInTheMiddleOfAFrame) {
  sim_.inject({sim::FaultKind::Disconnect, 1, 0, {}, {}, {}});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  const Bytes half = host().receive(100, 300);
  EXPECT_EQ(5u, half.size());  // 11 bytes cut in half
  EXPECT_TRUE(sim_.wait_until([&] { return sim_.connections_closed() == 1; }, 1000));
  host().close();
  Host again = Host::tcp(port_);
  ASSERT_TRUE(again.ok());
  again.send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, again.receive(2)));
  EXPECT_EQ(2, sim_.connections_opened());
}

TEST_F(Station, SealsAnswerFramesUnderTheRecordKey) {
  const Bytes key = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  sim_.set_record_key(key);
  sim_.inject({sim::FaultKind::EncryptSoh, 1, 0, {}, {}, {}});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  Bytes wire = host().read_frame();
  EXPECT_EQ(SOH, wire[1]);
  EXPECT_TRUE(bcc_right(wire));
  Bytes expected = {0x31};
  const Bytes sealed = sim::seal({'H', 3, 1, 0}, false, key);
  expected.insert(expected.end(), sealed.begin(), sealed.end());
  EXPECT_TRUE(same_bytes(expected, payload_of(wire)));
  host().send(kAck);

  // From now on every answer frame, two-byte form; polls and ACKs stay plain.
  sim_.set_encryption(sim::Encryption::Etb);
  host().send(poll(1));
  EXPECT_TRUE(same_bytes(kDc2, host().receive(2)));
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  wire = host().read_frame();
  EXPECT_EQ(ETB, wire[1]);
  expected = {0x31};
  const Bytes sealed2 = sim::seal({'H', 3, 1, 0}, true, key);
  expected.insert(expected.end(), sealed2.begin(), sealed2.end());
  EXPECT_TRUE(same_bytes(expected, payload_of(wire)));
  // A fault key other than the record key: what the host opens fails its check.
  sim_.inject({sim::FaultKind::EncryptEtb, 1, 0, {}, {}, Bytes(16, 0xEE)});
  EXPECT_TRUE(same_bytes(kAck, host().command(cmd("1H"))));
  const Bytes wrong = payload_of(host().read_frame());
  EXPECT_FALSE(same_bytes(expected, wrong));
  EXPECT_EQ(expected.size(), wrong.size());
}

}  // namespace
