#include "enrol_fixture.h"

#include <algorithm>
#include <cstring>

#include "resources/cp1252.h"
#include "resources/ids/finger_grid.h"
#include "store/store.h"

namespace enroltest {

Person person(const std::string& pnr, bool fingerprint, std::vector<Block> blocks,
              const std::string& pin, std::uint8_t combined) {
  Person p;
  p.personnel = pnr;
  p.identification = std::string(10 - std::min<std::size_t>(10, pnr.size()), '0') + pnr;
  p.fingerprint = fingerprint;
  p.blocks = std::move(blocks);
  p.pin = pin;
  p.combined = combined;
  return p;
}

void Program::TearDown() {
  readers.stop();
  if (station) station->stop();
  ProgramTest::TearDown();
}

void Program::start(const Mask& m) {
  ASSERT_NO_FATAL_FAILURE(start_logged_in());
  store::Eingabesatz& e = store::db().eingabe;
  e.set_finger_count(static_cast<std::uint16_t>(m.fingers));
  e.set_with_fingerprint(m.with_fingerprint ? 1 : 0);
  e.set_min_quality(static_cast<std::uint16_t>(m.min_q));
  e.set_good_quality(static_cast<std::uint16_t>(m.good_q));
  e.set_show_quality(m.show_q ? 1 : 0);
  e.set_assign_finger_name(m.finger_names ? 1 : 0);
  e.set_spin_manual(m.pin_manual ? 1 : 0);
  e.set_spin_keyboard(m.pin_keypad ? 1 : 0);
  e.set_spin_plain(m.pin_plain ? 1 : 0);
  e.set_module_type(static_cast<std::uint16_t>(m.module));
  ASSERT_EQ(1, store::rw_eingabe(store::kWrite));

  station = std::make_unique<sim::Simulator>(sim::Options{});
  const int port = station->listen_tcp();
  ASSERT_GT(port, 0);
  ASSERT_TRUE(station->start());
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(port));
  // The station's parameters as the input mask wants them, so that the
  // test-load asks nothing.
  match_mask(*station, 1);
}

void Program::match_mask(sim::Simulator& s, int address) {
  const store::Eingabesatz& e = store::db().eingabe;
  sim::DeviceState d = s.device(address);
  d.set1[2] = static_cast<std::uint8_t>(store::user_id_length(e));
  d.set1[3] = static_cast<std::uint8_t>(e.user_pin_len());
  d.set1[4] = e.with_fingerprint() != 0 ? 1 : 0;
  d.general[6] = static_cast<std::uint8_t>(e.user_pin_len());
  s.set_device(address, d);
}

void Program::attach_readers() {
  ASSERT_NO_FATAL_FAILURE(readers.start());
  door = readers.add_reader("Door A", 1);
  gate = readers.add_reader("Gate D", 4);
  for (int slot : {door, gate}) match_mask(readers.sim_of(slot), readers.address_of(slot));
}

::testing::AssertionResult Program::readers_follow_database() {
  const auto disk = on_disk();
  for (int i = 0; i < store::kPersons; ++i)
    if (disk->persons[i].reader_mask() != store::db().persons[i].reader_mask())
      return ::testing::AssertionFailure() << "reader mask of slot " << i << " differs from the file";
  return readers.hold({door, gate}, *disk);
}

int Program::store_person(const Person& p) {
  store::Tables& t = store::db();
  t.person_write = store::Personensatz{};
  store::Personensatz& w = t.person_write;
  w.set_name("Muster");
  w.set_vorname("Erika");
  w.set_personalnummer(p.personnel);
  w.set_firmenkennung("0123456789");
  w.set_ausweisnummer(p.identification);
  w.set_user_pin("000000");
  w.set_fingerprint_flag(p.fingerprint ? 1 : 0);
  w.set_finger_count(t.eingabe.finger_count());
  w.set_write_on_transponder(p.write_on_transponder ? 1 : 0);
  w.set_distribute_to_reader(p.distribute ? 1 : 0);
  w.set_save_in_db(1);
  w.set_spezial_pin(p.pin);
  w.set_combined_mode(p.combined);
  for (const Block& b : p.blocks)
    if (b.group >= 1 && b.group <= 10) w.set_group_mark(b.group, static_cast<std::uint8_t>(b.group));
  const int number = store::rw_person(store::kWrite);
  EXPECT_GT(number, 0);
  t.template_write = store::Templatesatz{};
  t.template_write.set_nummer(static_cast<std::uint32_t>(number));
  for (const Block& b : p.blocks) {
    t.template_write.set_length(b.index, static_cast<std::int16_t>(b.length));
    t.template_write.set_group(b.index, static_cast<std::uint8_t>(b.group));
    t.template_write.set_quality(b.index, static_cast<std::uint8_t>(b.quality));
    if (b.length > 0 && b.length <= store::kTemplateDataSize)
      // Data that differs from block to block and person to person (a
      // reader refuses a finger it holds already).
      std::memset(t.template_write.data(b.index), 16 * number + b.index,
                  static_cast<std::size_t>(b.length));
  }
  EXPECT_EQ(number, store::rw_template(store::kWrite));
  return number;
}

ui::Window Program::enrol_for(const std::string& personnel) {
  // A fresh list, so that it shows the persons stored since.
  if (list() != ui::kNoWindow) hl::close_window(list());
  if (!hl::choose_menu(2100)) return ui::kNoWindow;
  const auto r = rows(list());
  for (std::size_t i = 0; i < r.size(); ++i)
    if (r[i][2] == personnel && hl::double_click_row(list(), 8000, static_cast<int>(i))) break;
  return enrol();
}

std::string Program::press(ui::Window w, int id, const std::vector<int>& answers) {
  hl::clear_boxes();
  for (int a : answers) hl::script_answer(a);
  EXPECT_TRUE(hl::press(w, id));
  EXPECT_EQ(0u, hl::unanswered_script()) << boxes();
  return boxes();
}

int Program::grid_button(ui::Window d, const std::string& label) const {
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 5; ++col) {
      const int id = res::finger_grid::kFirstFingerButton + 10 * row + col;
      if (ui::control_visible(d, id) && ui::get_text(d, id) == label) return id;
    }
  return 0;
}

store::Personensatz Program::person_on_disk(int record) const {
  return on_disk()->persons[record - 1];
}

store::Templatesatz Program::templates_on_disk(int record) const {
  const store::Templatesatz saved = store::db().template_read;
  store::db().template_read.set_nummer(static_cast<std::uint32_t>(record));
  EXPECT_EQ(record, store::rw_template(store::kRead));
  const store::Templatesatz read = store::db().template_read;
  store::db().template_read = saved;
  return read;
}

std::size_t Program::station_users() const { return station->users(1).size(); }

}  // namespace enroltest
