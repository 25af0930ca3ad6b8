// Reader link operations against the in-process simulator over loopback TCP:
// wall time against the floor that the mandated pauses and waits impose.
//
//   add_template          one person, two 400-byte templates, 100 times
//   enrol_init            100 times
//   check_leser_parameter 100 times (reader parameters in order)
//
// The floor counts what the link must spend waiting whatever the peer does: the
// pauses between 120-byte pieces (piece length / 2 ms), the 3 ms at the end of
// l_zam_init and the fixed sleeps of an operation (enrol_init: 8 x 20 ms).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/link.h"
#include "platform/headless/boxes.h"
#include "sim.h"
#include "bench_data.h"
#include "store/store.h"

namespace {

// Pauses between the pieces of a frame with this payload.
int piece_pauses(const std::vector<std::uint8_t>& payload) {
  int wire = 2 + static_cast<int>(payload.size()) + 4;
  for (std::uint8_t b : payload) wire += b == 0x10;
  int pauses = 0;
  for (int at = 0; at + 120 < wire; at += 120) pauses += 60;
  return pauses;
}

double run(const char* name, int times, double floor_ms, const std::function<int()>& op, int want) {
  auto start = std::chrono::steady_clock::now();
  int bad = 0;
  for (int i = 0; i < times; ++i) bad += op() != want;
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  double per = ms / times;
  std::printf("%-22s %4d runs  %8.2f ms each  floor %7.2f ms  ratio %.3f%s\n", name, times, per,
              floor_ms, per / floor_ms, bad ? "  (FAILED RUNS)" : "");
  return per / floor_ms;
}

}  // namespace

int main() {
  store::reset_store();
  rlink::reset_link();
  bench::set_mask(store::db().eingabe);
  store::Personensatz& p = store::db().person_read;
  p.set_ausweisnummer("00000000000000C5");
  p.set_user_pin("123456");
  store::Templatesatz& t = store::db().template_read;
  for (int block : {0, 1}) {
    t.set_length(block, 400);
    t.set_group(block, 1);
    for (int i = 0; i < 400; ++i) t.data(block)[i] = static_cast<std::uint8_t>(0x20 + (i * (block + 7)) % 200);
  }

  sim::Options ro;
  ro.bus = sim::Bus::Readers;
  ro.addresses = {3};
  sim::Simulator readers(ro);
  int rport = readers.listen_tcp();
  sim::Options so;
  sim::Simulator station(so);
  int sport = station.listen_tcp();
  if (rport <= 0 || sport <= 0 || !readers.start() || !station.start()) {
    std::fprintf(stderr, "bench_link: the simulator did not start\n");
    return 1;
  }
  store::Lesersatz r;
  r.set_nummer(1);
  r.set_name("Bench");
  r.set_verbindung(1);
  r.set_ip("127.0.0.1");
  r.set_tcp_port(static_cast<std::uint16_t>(rport));
  r.set_bus_address(2);
  rlink::select_reader(r);
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(sport));

  // Set 1 of the reader must match the mask, or every run would ask.
  ui::headless::script_answer(ui::kIdYes);
  if (rlink::check_leser_parameter() < 1) {
    std::fprintf(stderr, "bench_link: reader parameters could not be set\n");
    return 1;
  }

  // The fp_add telegram of group 1: user record and both templates.
  std::vector<std::uint8_t> add{'3', 'Y', 0x01};
  std::uint8_t id[64];
  int n = rlink::user_id(id, 64);
  add.insert(add.end(), id, id + n);
  add.insert(add.end(), 6, '1');
  add.push_back(1);
  add.push_back(2);
  add.insert(add.end(), 20, 0);
  for (int block : {0, 1}) add.insert(add.end(), t.data(block), t.data(block) + 400);
  double add_floor = 3 + piece_pauses(add);

  std::printf("reader link over loopback TCP against readersim\n");
  run("add_template", 100, add_floor, [] { return rlink::add_template(); }, 1);
  run("enrol_init", 100, 3 + 8 * 20, [] { return rlink::enrol_init(); }, 1);
  run("check_leser_parameter", 100, 3, [] { return rlink::check_leser_parameter(); }, 1);
  ui::headless::clear_boxes();
  readers.stop();
  station.stop();
  return 0;
}
