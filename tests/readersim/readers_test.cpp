// A simulated reader bus: template store, parameters, operating mode, release info.
#include <gtest/gtest.h>

#include "host.h"
#include "sim.h"
#include "support/support.h"

using namespace simtest;
using testsupport::same_bytes;

namespace {

const Bytes kAck = {DLE, ACK};

// fp_add user record for the default parameter set 1 (user ID 10 bytes, PIN 6).
Bytes add_record(int address, std::uint8_t uid_last, std::uint8_t flags, const std::vector<Bytes>& templates,
                 int padding_entries = -1) {
  Bytes p = {static_cast<std::uint8_t>(0x30 + address), 'Y', 0x01};
  for (int i = 0; i < 9; ++i) p.push_back(0x12);
  p.push_back(uid_last);
  p.insert(p.end(), {'1', '2', '3', '4', '5', '6', flags, static_cast<std::uint8_t>(templates.size())});
  for (const Bytes& t : templates) {
    p.push_back(static_cast<std::uint8_t>(t.size() >> 8));
    p.push_back(static_cast<std::uint8_t>(t.size() & 0xFF));
  }
  const int pad = padding_entries >= 0 ? padding_entries : 10 - static_cast<int>(templates.size());
  p.insert(p.end(), static_cast<std::size_t>(2 * pad), 0);
  for (const Bytes& t : templates) p.insert(p.end(), t.begin(), t.end());
  return p;
}

class Readers : public ::testing::Test {
 protected:
  Readers() : sim_(sim::Options{sim::Bus::Readers, {1, 3, 16}}) {}
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
  // A telegram answered by a delivery: the delivered payload.
  Bytes exchange(const Bytes& payload, std::uint8_t confirm = '0') {
    EXPECT_TRUE(same_bytes(kAck, host_->command(payload)));
    return host_->fetch(payload[0] - 0x30, confirm);
  }
  Bytes status(int address, std::uint8_t code) {
    return {static_cast<std::uint8_t>(0x30 + address), 'Y', 0x01, code};
  }

  sim::Simulator sim_;
  int port_ = 0;
  std::unique_ptr<Host> host_;
};

TEST_F(Readers, OnlyThePresentAddressesAnswer) {
  EXPECT_TRUE(sim_.has_address(1));
  EXPECT_TRUE(sim_.has_address(3));
  EXPECT_FALSE(sim_.has_address(16));
  host_->send(poll(2));
  EXPECT_TRUE(host_->receive(2, 80).empty());
  host_->send(poll(3));
  EXPECT_TRUE(same_bytes({DLE, DC2}, host_->receive(2)));
  // A delivery queued at 3 does not show at 1.
  sim_.queue_delivery(3, cmd("s>"));
  host_->send(poll(1));
  EXPECT_TRUE(same_bytes({DLE, DC2}, host_->receive(2)));
  EXPECT_TRUE(same_bytes(cmd("3s>"), host_->fetch(3, '0')));
}

TEST_F(Readers, StoresUsersByGroupAndRefusesBadRecords) {
  const Bytes a = {1, 2, 3, 4, 5}, b = {6, 7, 8, 9}, c = {9, 9, 9};
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(add_record(3, 0x01, 0x40 | 1, {a}))));
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(add_record(3, 0x01, 0x40 | 2, {b}))));
  // Group 1 again replaces its template only.
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(add_record(3, 0x01, 0x40 | 1, {c}))));
  auto users = sim_.users(3);
  ASSERT_EQ(1u, users.size());
  EXPECT_EQ("123456", users[0].pin);
  EXPECT_EQ(0x40, users[0].flags);
  ASSERT_EQ(2u, users[0].templates.size());
  EXPECT_EQ(2, users[0].templates[0].group);
  EXPECT_TRUE(same_bytes(c, users[0].templates[1].data));
  EXPECT_TRUE(sim_.users(1).empty());

  // A finger another user holds; two equal fingers; a broken length table.
  EXPECT_TRUE(same_bytes(status(3, 0x01), exchange(add_record(3, 0x02, 1, {b}), '1')));
  EXPECT_TRUE(same_bytes(status(3, 0x0A), exchange(add_record(3, 0x02, 1, {a, a}), '1')));
  Bytes broken = add_record(3, 0x02, 1, {a});
  broken.pop_back();
  EXPECT_TRUE(same_bytes(status(3, 0x0C), exchange(broken, '1')));
  // A length table that counts fewer padding entries is still understood.
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(add_record(3, 0x02, 2, {a}, 6))));
  // A special-PIN user: no templates.
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(add_record(3, 0x03, 0, {}))));
  EXPECT_EQ(3u, sim_.users(3).size());

  sim::DeviceState st = sim_.device(3);
  st.capacity = 3;
  sim_.set_device(3, st);
  EXPECT_TRUE(same_bytes(status(3, 0x02), exchange(add_record(3, 0x04, 1, {{4, 4}}), '1')));
}

TEST_F(Readers, DeletesOneUserOrAll) {
  exchange(add_record(1, 0x01, 1, {{1, 2}}));
  exchange(add_record(1, 0x02, 1, {{3, 4}}));
  Bytes del = {0x31, 'Y', 0x06};
  for (int i = 0; i < 9; ++i) del.push_back(0x12);
  del.push_back(0x01);
  EXPECT_TRUE(same_bytes(cmd("1s>"), exchange(del)));
  EXPECT_TRUE(same_bytes(cmd("1s?"), exchange(del)));
  EXPECT_EQ(1u, sim_.users(1).size());
  EXPECT_TRUE(same_bytes(cmd("1s>"), exchange(cmd("1Y", {0x07}))));
  EXPECT_TRUE(sim_.users(1).empty());
}

TEST_F(Readers, KeepsParameterBlocksAndResetsThem) {
  EXPECT_TRUE(same_bytes(kAck, host_->command(cmd("1Pa"))));
  Bytes expected = cmd("1Pa", {1, 1, 1, 1, 1, 1, 6, 10, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0});
  EXPECT_TRUE(same_bytes(expected, payload_of(host_->read_frame())));
  host_->send(kAck);

  Bytes set_allg = cmd("1PA", {1, 1, 1, 1, 1, 1, 4, 10, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0});
  set_allg.resize(47, 0);
  EXPECT_TRUE(same_bytes(cmd("1s>"), exchange(set_allg)));
  EXPECT_EQ(4, sim_.device(1).general.at(6));

  // Set 1 with a new user-ID length: the store is emptied.
  exchange(add_record(1, 0x01, 1, {{1, 2}}));
  Bytes set1 = cmd("1P?", {0x01, 1, 0, 8, 6, 1, 0, 5, 1, 1, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 1});
  set1.resize(47, 0);
  EXPECT_TRUE(same_bytes(cmd("1s>"), exchange(set1)));
  EXPECT_TRUE(sim_.users(1).empty());
  EXPECT_TRUE(same_bytes(kAck, host_->command(cmd("1P/", {0x01}))));
  EXPECT_TRUE(same_bytes(cmd("1P/", {0x01, 1, 0, 8, 6, 1, 0, 5, 1, 1, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 1}),
                         payload_of(host_->read_frame())));
  host_->send(kAck);

  // Parameter reset: set 1 is no longer configured, fp_add gets the parameter error.
  EXPECT_TRUE(same_bytes(cmd("1s?"), exchange(cmd("1PR", {0xAC}))));
  EXPECT_TRUE(same_bytes(cmd("1s>"), exchange(cmd("1PR", {0xAD}))));
  EXPECT_EQ(1, sim_.device(1).resets);
  EXPECT_TRUE(same_bytes(status(1, 0x0D), exchange(add_record(1, 0x01, 1, {{1, 2}}), '1')));
  EXPECT_TRUE(same_bytes(kAck, host_->command(cmd("1P/", {0x01}))));
  Bytes cleared = cmd("1P/", {0x01});
  cleared.resize(25, 0);
  EXPECT_TRUE(same_bytes(cleared, payload_of(host_->read_frame())));
  host_->send(kAck);
}

TEST_F(Readers, ChangesModeReleaseInfoAndTakesParameterSets) {
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(cmd("3Y", {0x0E, 4, 0x01}))));
  EXPECT_EQ(4, sim_.device(3).mode);
  EXPECT_TRUE(same_bytes(cmd("3s?"), exchange(cmd("3Y", {0x0E, 6, 0x01}))));
  EXPECT_EQ(4, sim_.device(3).mode);

  Bytes iv = cmd("3PE", {0x01, 'V', '1', '.', '2'});
  iv.resize(19, 0);
  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(iv)));
  EXPECT_EQ("V1.2", sim_.device(3).release);

  EXPECT_TRUE(same_bytes(cmd("3s>"), exchange(cmd("3PX", {1, 2, 3}))));
  ASSERT_EQ(1u, sim_.device(3).loaded_sets.size());
  EXPECT_TRUE(same_bytes(cmd("PX", {1, 2, 3}), sim_.device(3).loaded_sets[0]));
  EXPECT_TRUE(same_bytes(cmd("3s?"), exchange(cmd("3Z"))));

  EXPECT_TRUE(same_bytes(kAck, host_->command(cmd("3Y", {0x09, 0x03, 0x46, 0x40, 0x00, 0x01}))));
  EXPECT_TRUE(same_bytes({0x03, 0x46, 0x40, 0x00, 0x01}, sim_.device(3).led));
  host_->send(poll(3));  // the LED telegram delivers nothing
  EXPECT_TRUE(same_bytes({DLE, DC2}, host_->receive(2)));
}

}  // namespace
