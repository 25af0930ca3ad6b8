// enroltool's bulk download of 100 persons with two 400-byte templates each
// to 1, 4 and 8 simulated readers, each alone on its own TCP connection, in
// one run: wall time of each against the time of the first, and the memory
// the download takes (the resident sizes of enroltool and its workers,
// sampled every 10 ms and summed).
//
//   bench_parallel_download [ENROLTOOL [PERSONS [COUNTS [OPTIONS]]]]
//
// ENROLTOOL defaults to the enroltool of this build (an empty argument too);
// PERSONS to 100; COUNTS, the numbers of readers to load, to "1,4,8" (at most
// 8); OPTIONS (one argument, e.g. "--parallel 1") are added to each download.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/link.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "sim.h"
#include "bench_data.h"
#include "store/store.h"

extern char** environ;

namespace {

constexpr int kReaders = 8;

long rss_kb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long kb = 0;
  while (in >> key) {
    if (key == "VmRSS:") return (in >> kb) ? kb : 0;
    in.ignore(1 << 12, '\n');
  }
  return 0;
}

// The resident size of `pid` and of its children, in KiB.
long tree_rss_kb(int pid) {
  long sum = rss_kb(pid);
  DIR* proc = opendir("/proc");
  if (!proc) return sum;
  while (dirent* e = readdir(proc)) {
    const int child = std::atoi(e->d_name);
    if (child <= 0) continue;
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    int parent = 0;
    rest >> state >> parent;
    if (parent == pid) sum += rss_kb(child);
  }
  closedir(proc);
  return sum;
}

struct Measured {
  double ms = 0;
  long peak_kb = 0;
  int rc = -1;
};

Measured run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Measured m;
  pid_t pid = 0;
  const auto start = std::chrono::steady_clock::now();
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return m;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    m.peak_kb = std::max(m.peak_kb, tree_rss_kb(pid));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  m.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return m;
}

bool make_installation(int persons, const std::vector<int>& ports) {
  rlink::reset_link();
  if (!bench::new_installation()) return false;
  bench::set_mask(store::db().eingabe);
  if (store::rw_eingabe(store::kWrite) != 1) return false;
  for (int i = 0; i < kReaders; ++i) {
    store::Lesersatz& r = store::db().edit_reader;
    r = store::Lesersatz{};
    r.set_verbindung(1);
    r.set_ip("127.0.0.1");
    r.set_tcp_port(static_cast<std::uint16_t>(ports[static_cast<std::size_t>(i)]));
    r.set_name("Bench " + std::to_string(i));
    r.set_wait_value(20);
    if (store::rw_leser(store::kWrite) != i + 1) return false;
  }
  if (!bench::store_persons(persons)) return false;
  // The readers' parameters are brought in line with the mask once, untimed.
  for (int i = 0; i < kReaders; ++i) {
    ui::headless::script_answer(ui::kIdYes);
    rlink::select_reader(store::db().readers[i]);
    if (rlink::check_leser_parameter() < 1) return false;
  }
  ui::headless::clear_boxes();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef ENROLTOOL_PATH
  std::string tool = ENROLTOOL_PATH;
#else
  std::string tool;
#endif
  if (argc > 1 && argv[1][0]) tool = argv[1];
  const int persons = argc > 2 ? std::atoi(argv[2]) : 100;
  std::vector<int> counts;
  std::istringstream list(argc > 3 ? argv[3] : "1,4,8");
  for (std::string n; std::getline(list, n, ',');) counts.push_back(std::atoi(n.c_str()));
  const std::string extra = argc > 4 ? argv[4] : "";
  bool usable = !tool.empty() && persons >= 1 && persons <= store::kPersons && !counts.empty();
  for (int n : counts) usable = usable && n >= 1 && n <= kReaders;
  if (!usable) {
    std::fprintf(stderr, "bench_parallel_download: [ENROLTOOL [PERSONS 1 to 500 [COUNTS [OPTIONS]]]]\n");
    return 2;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_parallel_download";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  platform::set_working_directory(dir.string());

  std::vector<std::unique_ptr<sim::Simulator>> sims;
  std::vector<int> ports;
  for (int i = 0; i < kReaders; ++i) {
    sims.push_back(std::make_unique<sim::Simulator>(sim::Options{sim::Bus::Readers, {1}}));
    ports.push_back(sims.back()->listen_tcp());
    if (ports.back() <= 0 || !sims.back()->start()) {
      std::fprintf(stderr, "bench_parallel_download: the simulators did not start\n");
      return 1;
    }
  }
  if (!make_installation(persons, ports)) {
    std::fprintf(stderr, "bench_parallel_download: the installation could not be made\n");
    return 1;
  }

  std::printf("bulk download by %s, %d persons x 2 templates of 400 bytes, each reader alone on a TCP connection%s%s\n",
              tool.c_str(), persons, extra.empty() ? "" : ", options ", extra.c_str());
  double one_ms = 0;
  bool complete = true;
  for (int n : counts) {
    std::string readers;
    for (int i = 0; i < n; ++i) readers += (i ? "," : "") + std::to_string(i);
    std::vector<std::string> args = {tool, "download", dir.string(), "--readers", readers};
    std::istringstream more(extra);
    for (std::string word; more >> word;) args.push_back(word);
    const Measured m = run(args);
    if (one_ms == 0) one_ms = m.ms;
    bool all = m.rc == 0;
    for (int i = 0; i < n; ++i) all = all && static_cast<int>(sims[static_cast<std::size_t>(i)]->users(1).size()) == persons;
    complete = complete && all;
    std::printf("%d reader%s  wall %.0f ms  %.2f x the first  (%.1f ms per person)  peak memory %.1f MiB%s\n", n,
                n == 1 ? " " : "s", m.ms, m.ms / one_ms, m.ms / persons, m.peak_kb / 1024.0,
                all ? "" : "  (INCOMPLETE)");
    std::fflush(stdout);
  }
  for (auto& s : sims) s->stop();
  std::filesystem::remove_all(dir);
  return complete ? 0 : 1;
}
