#include "support/distribution.h"

#include "diag/log.h"
#include "link/link.h"
#include "platform/fault.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "store/records.h"

namespace testsupport {
namespace {

constexpr int kAlone = 4;  // the address of the reader behind the second endpoint

// Template bytes that differ from person to person and block to block.
void fill_template(const std::string& seed, int block, std::uint8_t* out, int length) {
  std::uint32_t h = 2166136261u;
  for (char c : seed) h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
  h ^= static_cast<std::uint32_t>(block + 1) * 0x9E3779B9u;
  for (int i = 0; i < length; ++i) {
    h ^= h << 13;
    h ^= h >> 17;
    h ^= h << 5;
    out[i] = static_cast<std::uint8_t>(h);
  }
}

sim::Bytes id_bytes(const store::UserId& id) { return sim::Bytes(id.b.begin(), id.b.begin() + id.len); }

sim::Bytes id_bytes(const store::Personensatz& p, const store::Eingabesatz& mask) {
  return id_bytes(store::user_id_of(p, mask));
}

}  // namespace

PersonSpec person(const std::string& personnel_number, const std::string& id, int templates,
                  int length) {
  PersonSpec p;
  p.personnel_number = personnel_number;
  p.id = id;
  p.templates = templates;
  p.length = length;
  return p;
}

void new_installation(const std::string& dir) {
  res::select_edition(res::Edition::English);
  platform::fault::reset();
  ui::headless::clear_boxes();
  store::reset_store();
  rlink::reset_link();
  diag::reset_diag();
  platform::set_working_directory(dir);
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(store::kAdminRecord), admin.set_name("Admin"), admin.set_password("Sesam-oeffne-di!");
  ASSERT_EQ(1, store::create_konfig(123));
  ASSERT_EQ(1, store::create_db());
  ASSERT_EQ(1, store::load_all());
}

int store_person(const PersonSpec& spec) {
  store::Tables& t = store::db();
  store::new_person_defaults();
  store::Personensatz& p = t.person_write;
  p.set_name(spec.name);
  p.set_personalnummer(spec.personnel_number);
  p.set_ausweisnummer(spec.id);
  p.set_user_pin("123456");
  p.set_spezial_pin(spec.special_pin);
  p.set_write_on_transponder(spec.write_on_transponder ? 1 : 0);
  p.set_distribute_to_reader(spec.distribute ? 1 : 0);
  for (int g = 1; g <= spec.templates; ++g) p.set_group_mark(g, static_cast<std::uint8_t>(g));
  int number = store::rw_person(store::kWrite);
  EXPECT_GT(number, 0);
  store::Templatesatz& tpl = t.template_write;
  tpl = store::Templatesatz{};
  tpl.set_nummer(static_cast<std::uint32_t>(number));
  for (int b = 0; b < spec.templates; ++b) {
    tpl.set_length(b, static_cast<std::int16_t>(spec.length));
    tpl.set_group(b, static_cast<std::uint8_t>(b + 1));
    tpl.set_quality(b, 80);
    fill_template(spec.personnel_number, b, tpl.data(b), spec.length);
  }
  if (!spec.special_pin.empty() && spec.templates == 0) {
    tpl.set_length(0, store::kDummyTemplate);
    tpl.set_group(0, 1);
    tpl.set_quality(0, 255);
  }
  EXPECT_EQ(number, store::rw_template(store::kWrite));
  return number;
}

SimulatedReaders::SimulatedReaders() = default;
SimulatedReaders::~SimulatedReaders() { stop(); }

void SimulatedReaders::start() {
  sim::Options o;
  o.bus = sim::Bus::Readers;
  o.addresses = {1, 2, 3};
  bus_ = std::make_unique<sim::Simulator>(o);
  bus_port_ = bus_->listen_tcp();
  o.addresses = {kAlone};
  single_ = std::make_unique<sim::Simulator>(o);
  single_port_ = single_->listen_tcp();
  ASSERT_GT(bus_port_, 0);
  ASSERT_GT(single_port_, 0);
  ASSERT_TRUE(bus_->start());
  ASSERT_TRUE(single_->start());
}

void SimulatedReaders::stop() {
  if (bus_) bus_->stop();
  if (single_) single_->stop();
}

int store_reader_record(const std::string& name, int port, int address, bool preselect) {
  store::Lesersatz& r = store::db().edit_reader;
  r = store::Lesersatz{};
  r.set_verbindung(1);
  r.set_ip("127.0.0.1");
  r.set_tcp_port(static_cast<std::uint16_t>(port));
  r.set_name(name);
  r.set_bus_address(static_cast<std::uint16_t>(address - 1));
  r.set_preselect(preselect ? 1 : 0);
  r.set_wait_value(20);
  int n = store::rw_leser(store::kWrite);
  EXPECT_GT(n, 0);
  return n - 1;
}

int SimulatedReaders::add_reader(const std::string& name, int address, bool preselect) {
  int slot = store_reader_record(name, address == kAlone ? single_port_ : bus_port_, address, preselect);
  slot_address_[static_cast<std::size_t>(slot)] = address;
  return slot;
}

int SimulatedReaders::add_unreachable(const std::string& name, bool preselect) {
  // Port 1 on the loopback: nothing listens there.
  return store_reader_record(name, 1, 1, preselect);
}

sim::Simulator& SimulatedReaders::sim_of(int slot) {
  return address_of(slot) == kAlone ? *single_ : *bus_;
}

int SimulatedReaders::address_of(int slot) const { return slot_address_[static_cast<std::size_t>(slot)]; }

void SimulatedReaders::mismatch_parameters(int slot) {
  sim::Simulator& s = sim_of(slot);
  sim::DeviceState d = s.device(address_of(slot));
  d.set1[2] = static_cast<std::uint8_t>(d.set1[2] + 1);  // another user-ID length
  s.set_device(address_of(slot), d);
}

::testing::AssertionResult SimulatedReaders::hold(const std::vector<int>& slots,
                                                  const store::Tables& tables) {
  for (int slot : slots) {
    const std::vector<sim::User> users = sim_of(slot).users(address_of(slot));
    std::size_t expected = 0;
    for (const store::Personensatz& p : tables.persons) {
      if (!p.used() || !(p.reader_mask() & (1u << slot))) continue;
      ++expected;
      const sim::Bytes id = id_bytes(p, tables.eingabe);
      const sim::User* u = nullptr;
      for (const sim::User& candidate : users)
        if (candidate.user_id == id) u = &candidate;
      if (!u)
        return ::testing::AssertionFailure()
               << "reader slot " << slot << " lacks person " << p.personalnummer();
      // The person's template data, block by block as the database holds it.
      const store::Templatesatz saved = store::db().template_read;
      store::db().template_read.set_nummer(p.nummer());
      const int read = store::rw_template(store::kRead);
      const store::Templatesatz tpl = store::db().template_read;
      store::db().template_read = saved;
      if (read < 0)
        return ::testing::AssertionFailure() << "template record " << p.nummer() << " does not read";
      std::vector<sim::Bytes> want, have;
      for (int b = 0; b < store::kFingerBlocks; ++b) {
        int len = tpl.length(b);
        if (len >= 1 && len <= store::kTemplateDataSize)
          want.emplace_back(tpl.data(b), tpl.data(b) + len);
      }
      for (const sim::Template& t : u->templates) have.push_back(t.data);
      if (want != have)
        return ::testing::AssertionFailure() << "reader slot " << slot << " holds other templates of "
                                             << p.personalnummer() << " (" << have.size()
                                             << " instead of " << want.size() << ")";
    }
    if (users.size() != expected)
      return ::testing::AssertionFailure() << "reader slot " << slot << " holds " << users.size()
                                           << " users, the masks say " << expected;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace testsupport
