#include "fixture.h"

#include "resources/cp1252.h"
#include "resources/ids/d_person.h"
#include "store/store.h"

namespace persontest {

using testsupport::cp;

void Program::TearDown() {
  if (station_sim) station_sim->stop();
  if (bus_sim) bus_sim->stop();
  ProgramTest::TearDown();
}

int Program::store_person(const Entry& e) {
  store::new_person_defaults();
  store::Personensatz& p = store::db().person_write;
  p.set_name(cp(e.name));
  p.set_vorname(cp(e.first_name));
  p.set_personalnummer(e.personnel);
  p.set_ausweisnummer(e.identification);
  p.set_user_pin(e.pin);
  int n = store::rw_person(store::kWrite);
  EXPECT_GT(n, 0);
  return n;
}

void Program::enter(ui::Window f, const Entry& e) {
  using namespace res::d_person;
  // Only what the entry holds is typed: leaving the identification number
  // empty would be refused at once.
  const std::pair<int, std::string> fields[] = {{kName, cp(e.name)},
                                                {kFirstName, cp(e.first_name)},
                                                {kIdentification, e.identification},
                                                {kUserPin, e.pin},
                                                {kPersonnelNumber, e.personnel}};
  for (const auto& field : fields) {
    if (!field.second.empty()) {
      ASSERT_TRUE(hl::type(f, field.first, field.second)) << field.second;
    }
  }
}

std::string Program::create(const Entry& e) {
  hl::clear_boxes();
  if (!hl::choose_menu(2000) || form() == ui::kNoWindow) return "no form";
  enter(form(), e);
  hl::script_answer(ui::kIdNo);
  hl::press(form(), ui::kIdSecond);
  return boxes();
}

std::vector<std::string> Program::personnel_on_disk() const {
  std::vector<std::string> out;
  auto disk = on_disk();
  for (const store::Personensatz& p : disk->persons)
    if (p.used()) out.push_back(p.personalnummer());
  return out;
}

sim::Simulator& Program::station() {
  station_sim = std::make_unique<sim::Simulator>(sim::Options{});
  int port = station_sim->listen_tcp();
  EXPECT_GT(port, 0);
  EXPECT_TRUE(station_sim->start());
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(port));
  return *station_sim;
}

sim::Simulator& Program::reader_bus(const std::vector<int>& addresses,
                                    const std::vector<std::string>& names) {
  bus_sim = std::make_unique<sim::Simulator>(sim::Options{sim::Bus::Readers, addresses});
  int port = bus_sim->listen_tcp();
  EXPECT_GT(port, 0);
  EXPECT_TRUE(bus_sim->start());
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    store::default_leser();
    store::Lesersatz& r = store::db().edit_reader;
    r.set_verbindung(1);
    r.set_ip("127.0.0.1");
    r.set_tcp_port(static_cast<std::uint16_t>(port));
    r.set_name(names[i]);
    r.set_bus_address(static_cast<std::uint16_t>(addresses[i] - 1));
    EXPECT_GT(store::rw_leser(store::kWrite), 0);
  }
  return *bus_sim;
}

}  // namespace persontest
