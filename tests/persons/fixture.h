// The program with a new installation and the administrator's full menu, for
// driving the person form, list and search as an operator does, with an
// in-process simulated enrol station and reader bus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "resources/ids/d_person.h"
#include "sim.h"
#include "store/store.h"
#include "support/program.h"

namespace persontest {

namespace hl = ui::headless;
using Strings = std::vector<std::string>;

// What the operator types into the person form (UTF-8); empty fields are left.
struct Entry {
  std::string name, first_name, personnel, identification, pin;
};

class Program : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    start_logged_in();
  }
  void TearDown() override {
    if (station_sim) station_sim->stop();
    if (bus_sim) bus_sim->stop();
    ProgramTest::TearDown();
  }

  // A person as an earlier run stored it, at the first free slot; its number.
  int store_person(const Entry& e) {
    store::new_person_defaults();
    store::Personensatz& p = store::db().person_write;
    p.set_name(testsupport::cp(e.name));
    p.set_vorname(testsupport::cp(e.first_name));
    p.set_personalnummer(e.personnel);
    p.set_ausweisnummer(e.identification);
    p.set_user_pin(e.pin);
    return store::rw_person(store::kWrite);
  }
  void enter(ui::Window f, const Entry& e) {
    using namespace res::d_person;
    const std::pair<int, std::string> fields[] = {
        {kName, testsupport::cp(e.name)}, {kFirstName, testsupport::cp(e.first_name)},
        {kIdentification, e.identification}, {kUserPin, e.pin}, {kPersonnelNumber, e.personnel}};
    for (const auto& field : fields) {
      if (!field.second.empty()) {
        ASSERT_TRUE(hl::type(f, field.first, field.second)) << field.second;
      }
    }
  }
  // Command 2000, the entry, "Create\nnew set", No to the template question;
  // the boxes shown.
  std::string create(const Entry& e) {
    hl::clear_boxes();
    if (!hl::choose_menu(2000)) return "no form";
    enter(form(), e);
    hl::script_answer(ui::kIdNo);
    hl::press(form(), ui::kIdSecond);
    return boxes();
  }

  ui::Window form() const { return hl::find_dialog("D_PERSON"); }
  ui::Window search() const { return hl::find_dialog("D_SUCHEN"); }
  ui::Window list() const { return hl::find_list(ui::kListPersons); }
  // Column `c` of every row of the person list.
  Strings column(int c) const {
    Strings out;
    for (const auto& row : rows(list())) out.push_back(row[static_cast<std::size_t>(c)]);
    return out;
  }
  // The Personalnummer of every person in Personen.dat, in slot order.
  Strings personnel_on_disk() const {
    Strings out;
    auto disk = on_disk();
    for (const store::Personensatz& p : disk->persons)
      if (p.used()) out.push_back(p.personalnummer());
    return out;
  }

  // The enrol station, the Konfigsatz in use pointing at it.
  void station() {
    station_sim = std::make_unique<sim::Simulator>(sim::Options{});
    store::Konfigsatz& k = store::db().konfig;
    k.set_station_connection(1);
    k.set_ip("127.0.0.1");
    k.set_tcp_port(static_cast<std::uint16_t>(station_sim->listen_tcp()));
    EXPECT_TRUE(station_sim->start());
  }
  // A reader bus with readers "North" at address 1 and "South" at address 2.
  sim::Simulator& reader_bus() {
    bus_sim = std::make_unique<sim::Simulator>(sim::Options{sim::Bus::Readers, {1, 2}});
    const int port = bus_sim->listen_tcp();
    EXPECT_TRUE(bus_sim->start());
    for (const char* name : {"North", "South"}) {
      store::default_leser();
      store::Lesersatz& r = store::db().edit_reader;
      r.set_verbindung(1);
      r.set_ip("127.0.0.1");
      r.set_tcp_port(static_cast<std::uint16_t>(port));
      r.set_name(name);
      r.set_bus_address(name[0] == 'N' ? 0 : 1);
      EXPECT_GT(store::rw_leser(store::kWrite), 0);
    }
    return *bus_sim;
  }
  std::unique_ptr<sim::Simulator> station_sim, bus_sim;
};

}  // namespace persontest
