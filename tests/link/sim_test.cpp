// Every operation against the simulated station and reader bus, over loopback
// TCP and over a pseudo-terminal, with the good path and injected faults. Each
// test checks that the link was closed and transparent mode switched off.
#include <gtest/gtest.h>

#include <cstring>

#include "link/link.h"
#include "platform/fault.h"
#include "platform/headless/boxes.h"
#include "platform/serial.h"
#include "sim.h"
#include "store/store.h"

namespace {

constexpr int kPortIndex = 6;

struct OverSim : ::testing::TestWithParam<bool> {
  bool tcp() const { return GetParam(); }
  std::unique_ptr<sim::Simulator> station, readers;

  void SetUp() override {
#ifdef _WIN32
    if (!tcp()) GTEST_SKIP() << "the simulator offers no pseudo-terminal on Windows";
#endif
    rlink::reset_link();
    store::reset_store();
    platform::fault::reset();
    ui::headless::clear_boxes();
    store::Eingabesatz& m = store::db().eingabe;
    m.set_default_firma("1234");  // with the ID length 16: user ID 10 bytes
    m.set_ausweis_len(16);
    m.set_user_pin_len(6);
    m.set_finger_count(2);
    m.set_with_fingerprint(0);
    store::Personensatz& p = store::db().person_read;
    p.set_ausweisnummer("00000000000000C5");
    p.set_user_pin("123456");
  }
  void TearDown() override {
    if (station) station->stop();
    if (readers) readers->stop();
    platform::com_reset_devices();
    platform::fault::reset();
    ui::headless::clear_boxes();
  }
  // Starts a simulator and points the station (or a reader record) at it.
  std::unique_ptr<sim::Simulator> start(sim::Bus bus, std::string* host, int* port) {
    sim::Options o;
    o.bus = bus;
    o.addresses = {1, 3};
    auto s = std::make_unique<sim::Simulator>(o);
    *host = "127.0.0.1";
    *port = 0;
    if (tcp()) {
      *port = s->listen_tcp();
      EXPECT_GT(*port, 0);
    } else {
      std::string path = s->open_pty();
      EXPECT_FALSE(path.empty());
      platform::com_set_device(kPortIndex, path);
    }
    EXPECT_TRUE(s->start());
    return s;
  }
  sim::Simulator& use_station() {
    std::string host;
    int port = 0;
    station = start(sim::Bus::Station, &host, &port);
    store::Konfigsatz& k = store::db().konfig;
    k.set_station_connection(tcp() ? 1 : 0);
    k.set_com_port(kPortIndex);
    k.set_baud(0);
    k.set_ip(host);
    k.set_tcp_port(static_cast<std::uint16_t>(port));
    return *station;
  }
  sim::Simulator& use_readers() {
    std::string host;
    int port = 0;
    readers = start(sim::Bus::Readers, &host, &port);
    store::Lesersatz r;
    r.set_nummer(1);
    r.set_name("Lager");
    r.set_verbindung(tcp() ? 1 : 0);
    r.set_com_port(kPortIndex);
    r.set_ip(host);
    r.set_tcp_port(static_cast<std::uint16_t>(port));
    r.set_bus_address(2);  // address 3
    rlink::select_reader(r);
    return *readers;
  }
  // The link is closed at the device and transparent mode is off.
  void expect_closed(sim::Simulator& s, int address) {
    EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == s.connections_opened(); }, 2000))
        << s.connections_opened() << " opened, " << s.connections_closed() << " closed";
    EXPECT_FALSE(s.transparent(address));
  }
  // After a spoilt exchange, bytes the device sent late may still be on the
  // line when the next operation opens it; that operation's failed link
  // initialisation purges them, and the one after it must succeed.
  int recover() {
    int r = rlink::change_bmode(1);
    return r == rlink::kNoSync ? rlink::change_bmode(1) : r;
  }
  std::vector<std::string> texts() {
    std::vector<std::string> r;
    for (const auto& b : ui::headless::boxes()) r.push_back(b.text);
    return r;
  }
};

TEST_P(OverSim, EnrolInit) {
  sim::Simulator& s = use_station();
  s.set_hw_type(3);
  EXPECT_EQ(rlink::enrol_init(), 1);
  EXPECT_EQ(rlink::last_delivery(), "53494D2D303030303031");
  const std::uint8_t* m2 = store::db().eingabe.rfid_module2();
  EXPECT_EQ(m2[1], 0x00);
  EXPECT_EQ(m2[2], 0x2B);
  EXPECT_EQ(m2[3], 0x01);
  EXPECT_EQ(s.device(1).led, (sim::Bytes{3, 0x46, 0x40, 0x00, 0x01}));
  EXPECT_TRUE(texts().empty());
  expect_closed(s, 1);
}

TEST_P(OverSim, EncryptedAnswers) {
  sim::Simulator& s = use_station();
  sim::Bytes key(16);
  for (int i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(0x21 * i + 3);
  std::memcpy(store::key_row(0), key.data(), 16);
  store::install_key(0);
  s.set_record_key(key);
  for (auto e : {sim::Encryption::Soh, sim::Encryption::Etb}) {
    s.set_encryption(e);
    EXPECT_EQ(rlink::enrol_init(), 1);
    EXPECT_EQ(rlink::last_delivery(), "53494D2D303030303031");
  }
  // Under another key nothing opens.
  s.set_record_key(sim::Bytes(16, 0x55));
  EXPECT_EQ(rlink::enrol_init(), -4);  // polls are plain; the hardware answer does not open
  expect_closed(s, 1);
}

TEST_P(OverSim, ReadCardAndKeypad) {
  sim::Simulator& s = use_station();
  s.present_card({0x04, 0xA1, 0xB2});
  EXPECT_EQ(rlink::enrol_read_csn(1, 2000), 1);
  EXPECT_EQ(rlink::last_delivery(), "0000000000000004A1B2");
  expect_closed(s, 1);
  s.remove_card();
  EXPECT_EQ(rlink::enrol_read_csn(1, 100), 0);
  s.set_keys("123456");
  EXPECT_EQ(rlink::enrol_keyboard(1, 1000), 1);
  EXPECT_EQ(rlink::last_delivery(), "K123456");
  expect_closed(s, 1);
}

TEST_P(OverSim, WaitForADelivery) {
  sim::Simulator& s = use_station();
  EXPECT_EQ(rlink::enrol_transparent(0, 1), 1);
  EXPECT_TRUE(s.transparent(1));
  // The first wait synchronises the link; the card comes after it.
  EXPECT_EQ(rlink::enrol_wait_delivery(0, 200, 1), 0);
  s.present_card({0x0A, 0x0B});
  int r = 0;
  for (int i = 0; i < 20 && r == 0; ++i) r = rlink::enrol_wait_delivery(0, 200, 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(rlink::last_delivery(), "0A0B");  // the record as the station sent it
  EXPECT_EQ(rlink::enrol_wait_delivery(0, 200, 0), 0);
  EXPECT_EQ(rlink::enrol_transparent(0, 0), 1);
  expect_closed(s, 1);
}

TEST_P(OverSim, EnrolAFinger) {
  sim::Simulator& s = use_station();
  s.set_quality(77);
  EXPECT_EQ(rlink::template_enrol(1, 15), 77);
  EXPECT_EQ(rlink::state().template_len1, 384);
  s.script_status(1, 0x03);
  EXPECT_EQ(rlink::template_enrol(1, 15), -5);
  expect_closed(s, 1);
}

TEST_P(OverSim, StationParameters) {
  sim::Simulator& s = use_station();
  // The default set 1 holds user ID 10, PIN 6, without fingerprint: in order.
  EXPECT_EQ(rlink::check_enrol_parameter(), 1);
  EXPECT_TRUE(texts().empty());
  store::db().eingabe.set_with_fingerprint(1);
  ui::headless::script_answer(ui::kIdYes);
  EXPECT_EQ(rlink::check_enrol_parameter(), 2);
  EXPECT_EQ(s.device(1).set1[4], 1);
  rlink::ParameterSet sets[rlink::kParameterSets] = {{'P', 'x', 1, 2}};
  EXPECT_EQ(rlink::load_enrol_parameter(sets), 1);
  ASSERT_EQ(s.device(1).loaded_sets.size(), 1u);
  expect_closed(s, 1);
}

TEST_P(OverSim, WriteCard) {
  sim::Simulator& s = use_station();
  store::Eingabesatz& m = store::db().eingabe;
  m.set_module_type(store::kLegicModule);
  m.rfid_module2()[1] = 0;
  m.rfid_module2()[2] = 16;
  s.present_card({1, 2, 3, 4});
  std::vector<std::uint8_t> data(450);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 3);
  EXPECT_EQ(rlink::write_card_data(1, data.data(), 450), 1);
  auto cards = s.cards();
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].writes, 3);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), cards[0].memory.begin() + 16));
  EXPECT_EQ(m.rfid_module2()[2], 16);
  s.remove_card();
  EXPECT_EQ(rlink::write_card_data(1, data.data(), 10), -25);
  expect_closed(s, 1);
}

TEST_P(OverSim, ReaderTemplates) {
  sim::Simulator& s = use_readers();
  store::db().eingabe.set_with_fingerprint(1);
  ui::headless::script_answer(ui::kIdYes);
  EXPECT_EQ(rlink::check_leser_parameter(), 2);
  store::Templatesatz& t = store::db().template_read;
  for (int block : {0, 1}) {
    t.set_length(block, 400);
    t.set_group(block, 1);
    for (int i = 0; i < 400; ++i) t.data(block)[i] = static_cast<std::uint8_t>(i * (block + 3));
  }
  EXPECT_EQ(rlink::add_template(), 1);
  EXPECT_EQ(rlink::state().templates_added, 1);
  auto users = s.users(3);
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].templates.size(), 2u);
  EXPECT_EQ(users[0].pin, "123456");
  EXPECT_EQ(rlink::del_template(0), 1);
  EXPECT_TRUE(s.users(3).empty());
  EXPECT_EQ(rlink::del_template(0), 1);  // "?": nobody to delete is fine
  expect_closed(s, 3);
}

TEST_P(OverSim, ReaderMaintenance) {
  sim::Simulator& s = use_readers();
  EXPECT_EQ(rlink::change_bmode(4), 1);
  EXPECT_EQ(s.device(3).mode, 4);
  EXPECT_EQ(rlink::set_iversion("IV-2"), 1);
  EXPECT_EQ(s.device(3).release, "IV-2");
  rlink::ParameterSet sets[rlink::kParameterSets] = {{'P', 'q', 1}, {'P', 'q', 2}, {}};
  EXPECT_EQ(rlink::load_reader_parameter(sets), 1);
  EXPECT_EQ(s.device(3).loaded_sets.size(), 2u);
  // The reset goes over the reader's own transport, whatever the station uses.
  store::db().konfig.set_station_connection(tcp() ? 0 : 1);
  EXPECT_EQ(rlink::parameter_reset(3), 1);
  EXPECT_EQ(s.device(3).resets, 1);
  expect_closed(s, 3);
}

TEST_P(OverSim, InjectedFaults) {
  sim::Simulator& s = use_readers();
  struct Case {
    sim::FaultKind kind;
    sim::Bytes command;
    int count;
    int want;
  };
  const Case cases[] = {
      {sim::FaultKind::Silence, {}, 1000, rlink::kNoSync},         // no poll answered: l_zam_init
      {sim::FaultKind::NakForAck, {'Y', 0x0E}, 1, -45},  // the mode telegram refused
      {sim::FaultKind::BadBcc, {'Y', 0x0E}, 1000, -46},  // its answer never checks
      {sim::FaultKind::OtherAddress, {'Y', 0x0E}, 1000, -46},
      {sim::FaultKind::BccOutOfRange, {'Y', 0x0E}, 1000, -46},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    s.clear_faults();
    ui::headless::clear_boxes();
    sim::Fault f;
    f.kind = c.kind;
    f.count = c.count;
    f.command = c.command;
    s.inject(f);
    EXPECT_EQ(rlink::change_bmode(2), c.want);
    s.clear_faults();
    expect_closed(s, 3);
    // The answer the fault spoilt is still queued; the next operation's link
    // initialisation fetches it, and the reader works again.
    EXPECT_EQ(recover(), 1);
  }
  // Garbage in front of the acknowledgement: the telegram counts as refused.
  sim::Fault g;
  g.kind = sim::FaultKind::Garbage;
  g.command = {'Y', 0x0E};
  s.inject(g);
  EXPECT_EQ(rlink::change_bmode(1), -45);
  s.clear_faults();
  EXPECT_EQ(recover(), 1);
  // The connection dropped in the middle of a frame.
  sim::Fault d;
  d.kind = sim::FaultKind::Disconnect;
  d.command = {'P', '/', 1};
  s.inject(d);
  EXPECT_LT(rlink::check_leser_parameter(), 0);
  s.clear_faults();
  EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == s.connections_opened(); }, 2000));
  // Afterwards the reader works again.
  EXPECT_EQ(rlink::change_bmode(5), 1);
  expect_closed(s, 3);
}

TEST_P(OverSim, TransportFaults) {
  sim::Simulator& s = use_station();
  platform::fault::arm(tcp() ? platform::fault::Op::TcpConnect : platform::fault::Op::SerialOpen, 1);
  int r = rlink::check_enrol_parameter();
  EXPECT_EQ(r, tcp() ? rlink::kTcpConnectFailed : rlink::kComOpenFailed);
  platform::fault::arm(tcp() ? platform::fault::Op::TcpSend : platform::fault::Op::SerialWrite, 5);
  EXPECT_LT(rlink::enrol_transparent(1, 1), 0);
  EXPECT_EQ(rlink::enrol_transparent(1, 0), 1);
  expect_closed(s, 1);
}

INSTANTIATE_TEST_SUITE_P(PtyAndTcp, OverSim, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Tcp" : "Pty"; });

}  // namespace
