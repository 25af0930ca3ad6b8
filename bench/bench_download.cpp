// The bulk download (the reader loop of command 2400) of 500 persons with two
// 400-byte templates each to one simulated reader over loopback TCP: wall time
// against the floor that the link's mandated waits impose.
//
// The floor: the 3 ms at the end of each l_zam_init (one per reader operation:
// the first check, the erase, per person the check and add_template, and
// set_iversion), the pauses between the 120-byte pieces of every fp_add frame
// (piece length / 2 ms), and the 500 ms set_iversion sleeps before its answer.
//
//   bench_download [PERSONS]     (default 500)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "link/link.h"
#include "ops/reader_loop.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
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

// The fp_add payload of the person in the read buffers (group 1, both blocks).
std::vector<std::uint8_t> add_payload() {
  const store::Tables& t = store::db();
  std::vector<std::uint8_t> add{'1', 'Y', 0x01};
  std::uint8_t id[64];
  int n = rlink::user_id(id, 64);
  add.insert(add.end(), id, id + n);
  add.insert(add.end(), 6, '1');
  add.push_back(static_cast<std::uint8_t>(t.person_read.combined_mode() + 1));
  add.push_back(2);
  add.insert(add.end(), 20, 0);
  for (int block : {0, 1}) add.insert(add.end(), t.template_read.data(block), t.template_read.data(block) + 400);
  return add;
}

}  // namespace

int main(int argc, char** argv) {
  const int persons = argc > 1 ? std::atoi(argv[1]) : 500;
  if (persons < 1 || persons > store::kPersons) {
    std::fprintf(stderr, "bench_download: persons 1 to 500\n");
    return 2;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_download";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  platform::set_working_directory(dir.string());
  rlink::reset_link();
  if (!bench::new_installation()) {
    std::fprintf(stderr, "bench_download: the installation could not be made\n");
    return 1;
  }
  bench::set_mask(store::db().eingabe);

  sim::Options o;
  o.bus = sim::Bus::Readers;
  o.addresses = {1};
  sim::Simulator reader(o);
  const int port = reader.listen_tcp();
  if (port <= 0 || !reader.start()) {
    std::fprintf(stderr, "bench_download: the simulator did not start\n");
    return 1;
  }
  store::Lesersatz& r = store::db().edit_reader;
  r.set_verbindung(1);
  r.set_ip("127.0.0.1");
  r.set_tcp_port(static_cast<std::uint16_t>(port));
  r.set_name("Bench");
  r.set_preselect(1);
  r.set_nummer(0);
  if (store::rw_leser(store::kWrite) != 1) {
    std::fprintf(stderr, "bench_download: Leser.dat was not written\n");
    return 1;
  }

  // The persons: two 400-byte templates in group 1, different for everyone.
  double floor_ms = 3 + 3 + 3 + 500;  // first check, erase, set_iversion
  const bool stored = bench::store_persons(persons, [&floor_ms](const store::Personensatz& p,
                                                                 const store::Templatesatz& t) {
    store::db().person_read = p;
    store::db().template_read = t;
    floor_ms += 3 + 3 + piece_pauses(add_payload());  // check, add_template
  });
  if (!stored) {
    std::fprintf(stderr, "bench_download: the persons were not written\n");
    return 1;
  }

  // The reader's parameters are brought in line with the mask once, untimed.
  ui::headless::script_answer(ui::kIdYes);
  rlink::select_reader(store::db().readers[0]);
  if (rlink::check_leser_parameter() < 1) {
    std::fprintf(stderr, "bench_download: the reader's parameters could not be set\n");
    return 1;
  }
  ui::headless::clear_boxes();

  const auto start = std::chrono::steady_clock::now();
  const ops::LoopResult result = ops::run_reader_loop(ops::bulk_plan(false), {0}, ops::persons_in_use(), {});
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const bool complete = result.stored == persons && result.failures == 0 &&
                        static_cast<int>(reader.users(1).size()) == persons;
  std::printf("bulk download, %d persons x 2 templates of 400 bytes, one reader over loopback TCP\n",
              persons);
  std::printf("wall %.0f ms  floor %.0f ms  ratio %.3f  (%.1f ms per person)%s\n", ms, floor_ms,
              ms / floor_ms, ms / persons, complete ? "" : "  (INCOMPLETE)");
  reader.stop();
  std::filesystem::remove_all(dir);
  return complete ? 0 : 1;
}
