// Serving over a pseudo-terminal and TCP: opens and closes seen, one connection
// at a time, clean start and stop; and the control lines.
#include <gtest/gtest.h>

#include "host.h"
#include "sim.h"
#include "support/support.h"

using namespace simtest;
using testsupport::same_bytes;

namespace {

TEST(ReadersimTransport, AnswersOverAPseudoTerminalAndCountsOpensAndCloses) {
  sim::Simulator s(sim::Options{});
  const std::string path = s.open_pty();
  ASSERT_FALSE(path.empty());
  ASSERT_TRUE(s.start());
  EXPECT_EQ(0, s.connections_opened());
  for (int round = 1; round <= 2; ++round) {
    Host host = Host::serial(path);
    ASSERT_TRUE(host.ok());
    EXPECT_TRUE(s.wait_until([&] { return s.connections_opened() == round; }, 1000));
    host.send(poll(1));
    EXPECT_TRUE(same_bytes({DLE, DC2}, host.receive(2)));
    host.send(frame(cmd("1Y", {0x0C})));
    EXPECT_TRUE(same_bytes({DLE, ACK}, host.receive(2)));
    EXPECT_TRUE(same_bytes(cmd("1s>"), host.fetch(1, '0')));
    host.close();
    EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == round; }, 1000));
  }
  EXPECT_TRUE(s.transparent(1));
  EXPECT_FALSE(s.connected());
  s.stop();
}

TEST(ReadersimTransport, ServesOneTcpConnectionAtATime) {
  sim::Simulator s(sim::Options{});
  const int port = s.listen_tcp();
  ASSERT_GT(port, 0);
  EXPECT_EQ(-1, s.listen_tcp());  // one listening port per simulator
  ASSERT_TRUE(s.start());
  EXPECT_FALSE(s.start());
  {
    Host host = Host::tcp(port);
    ASSERT_TRUE(host.ok());
    host.send(poll(1));
    EXPECT_TRUE(same_bytes({DLE, DC2}, host.receive(2)));
    EXPECT_TRUE(s.connected());
  }
  EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == 1; }, 1000));
  EXPECT_FALSE(s.connected());
  {
    Host host = Host::tcp(port);
    host.send(poll(1));
    EXPECT_TRUE(same_bytes({DLE, DC2}, host.receive(2)));
  }
  EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == 2; }, 1000));
  EXPECT_EQ(2, s.connections_opened());
  s.stop();
  s.stop();
}

TEST(ReadersimTransport, StopsWithAConnectionOpenAndRefusesToStartWithoutTransport) {
  sim::Simulator idle(sim::Options{});
  EXPECT_FALSE(idle.start());
  EXPECT_EQ(-1, idle.listen_tcp("not-an-address", 0));

  sim::Simulator s(sim::Options{});
  const int port = s.listen_tcp();
  ASSERT_TRUE(s.start());
  Host host = Host::tcp(port);
  ASSERT_TRUE(host.ok());
  EXPECT_TRUE(s.wait_until([&] { return s.connected(); }, 1000));
  s.stop();
  // The device is gone: the host sees the connection end.
  host.send(poll(1));
  EXPECT_TRUE(host.receive(2, 100).empty());
}

TEST(ReadersimTransport, KeepsAnsweringAfterArbitraryBytes) {
  sim::Simulator s(sim::Options{});
  const int port = s.listen_tcp();
  ASSERT_TRUE(s.start());
  Host host = Host::tcp(port);
  Bytes noise;
  std::uint32_t x = 777;
  for (int i = 0; i < 3000; ++i) {
    x = x * 1664525u + 1013904223u;
    noise.push_back(static_cast<std::uint8_t>(x >> 24));
  }
  host.send(noise);
  host.receive_all(80);  // whatever the noise provoked
  // A clean line again: a broken frame ends at the next DLE sequence.
  host.send({DLE, ETX, 0x30, 0x30});
  host.receive_all(40);
  host.send(poll(1));
  const Bytes answer = host.receive(2);
  EXPECT_TRUE(answer == Bytes({DLE, DC1}) || answer == Bytes({DLE, DC2}));
  s.stop();
}

// ---------------------------------------------------------------- control lines

TEST(ReadersimControl, ScriptsTheStationFromLines) {
  sim::Simulator s(sim::Options{});
  int address = 1;
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "card present 04A1B2"));
  ASSERT_EQ(1u, s.cards().size());
  EXPECT_TRUE(same_bytes({0x04, 0xA1, 0xB2}, s.cards()[0].csn));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "card remove"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "card auto 0102"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "card auto off"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "quality 70"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "keys 1234"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "status 3"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "fault badbcc 2"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "faults clear"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "serial 00112233445566778899"));
  EXPECT_EQ("ok 0\n", sim::control_line(s, &address, "mode"));
  EXPECT_EQ("ok off\n", sim::control_line(s, &address, "transparent"));
  const std::string dump = sim::control_line(s, &address, "dump");
  EXPECT_EQ(0u, dump.find("ok\n"));
  EXPECT_NE(std::string::npos, dump.find("address 1: transparent off"));
  EXPECT_NE(std::string::npos, dump.find("card 04A1B2"));

  for (const char* bad : {"", "card present", "card present 123", "card present 0102030405060708090A0B",
                          "quality 300", "quality x", "keys 12a", "status -1", "fault melt", "fault nak 0",
                          "address 2", "address 99", "serial 0011", "wobble"}) {
    EXPECT_EQ(0u, sim::control_line(s, &address, bad).find("error:")) << bad;
  }
  EXPECT_EQ(1, address);
}

TEST(ReadersimControl, ScriptedLinesShowInWhatTheHostGets) {
  sim::Simulator s(sim::Options{sim::Bus::Readers, {2, 5}});
  int address = 2;
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "address 5"));
  EXPECT_EQ(5, address);
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "status 13"));
  EXPECT_EQ("ok\n", sim::control_line(s, &address, "fault garbage"));
  const int port = s.listen_tcp();
  ASSERT_TRUE(s.start());
  Host host = Host::tcp(port);
  host.send(frame(cmd("5Y", {0x07})));
  const Bytes ack = host.receive(8);
  EXPECT_TRUE(same_bytes({'x', 0x00, 0xFF, 0x31, 0x10, 0x42, DLE, ACK}, ack));
  EXPECT_TRUE(same_bytes(cmd("5Y", {0x01, 13}), host.fetch(5, '1')));
  const std::string t = sim::control_line(s, &address, "traffic");
  EXPECT_NE(std::string::npos, t.find("host> poll 10053"));
  EXPECT_NE(std::string::npos, t.find("sim>  garbage"));
  s.stop();
}

}  // namespace
