// Speed of a full backup and a full restore (500 persons with templates, 32
// readers) beside copying the same 5.2 MB file: in process (read whole, write
// whole), the same flushed to the disk (what the disk asks for the data both
// operations flush), and with `cp`, in the same run. Target: each operation
// under 300 ms.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

#include "ops/backup.h"
#include "platform/files.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "store/store.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
double cpu_ms() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Timing {
  double best = 1e30, cpu = 0;
};

// Best of `runs` wall-clock timings of `fn`; false when `fn` fails once.
template <typename Fn>
bool time_best(int runs, Timing* t, Fn fn) {
  for (int i = 0; i < runs; ++i) {
    Clock::time_point start = Clock::now();
    double cpu_start = cpu_ms();
    if (!fn()) return false;
    double ms = ms_since(start);
    if (ms < t->best) {
      t->best = ms;
      t->cpu = cpu_ms() - cpu_start;
    }
  }
  return true;
}

bool make_full_installation() {
  store::Tables& t = store::db();
  t.user_current.set_nummer(1);
  t.user_current.set_name("Admin");
  t.user_current.set_password("Bench-Password-1");
  if (store::create_konfig(0) != 1 || store::create_db() != 1 || store::load_all() != 1) return false;
  for (int n = 1; n <= store::kPersons; ++n) {
    store::new_person_defaults();
    t.person_write.set_nummer(static_cast<std::uint32_t>(n));
    t.person_write.set_personalnummer(std::to_string(100000 + n));
    if (store::rw_person(store::kWrite) != n) return false;
    t.template_write = store::Templatesatz{};
    t.template_write.set_nummer(static_cast<std::uint32_t>(n));
    for (int i = 0; i < 2; ++i) {
      t.template_write.set_length(i, 800);
      t.template_write.set_group(i, 1);
      t.template_write.set_quality(i, 90);
      std::memset(t.template_write.data(i), n & 0xFF, 800);
    }
    if (store::rw_template(store::kWrite) != n) return false;
  }
  for (int r = 1; r <= store::kReaders; ++r) {
    store::default_leser();
    t.edit_reader.set_nummer(static_cast<std::uint32_t>(r));
    t.edit_reader.set_name("Reader " + std::to_string(r));
    if (store::rw_leser(store::kWrite) != r) return false;
  }
  return true;
}

// Reads `from` whole and writes it to `to` through the program's file layer,
// flushed to the disk when `flush` is set.
bool copy_file(const std::string& from, const std::string& to, bool flush = false) {
  platform::File in, out;
  std::int64_t size = 0;
  if (!platform::file_open(in, from, platform::Access::Read, platform::Create::OpenExisting) ||
      !platform::file_size(in, &size))
    return false;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(size));
  std::size_t got = 0, put = 0;
  if (!platform::file_read(in, buf.data(), buf.size(), &got) || got != buf.size()) return false;
  if (!platform::file_open(out, to, platform::Access::ReadWrite, platform::Create::CreateAlways)) return false;
  return platform::file_write(out, buf.data(), buf.size(), &put) && put == buf.size() &&
         (!flush || platform::file_flush(out)) && platform::file_close(out);
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/bench_backup_XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  platform::set_working_directory(dir);
  if (!make_full_installation()) {
    std::fprintf(stderr, "could not make the installation\n");
    return 1;
  }
  const std::string file = dir + "/db.bak";
  store::db().konfig.set_backup_transponder("0000000000000004A1B2");
  const int kRuns = 5;

  Timing backup;
  bool ok = time_best(kRuns, &backup, [&] {
    ui::headless::clear_boxes();
    ui::headless::script_answer(ui::kIdYes);  // overwrite the previous run's file
    return ops::backup_restore(ops::kBackup, file) == 1;
  });
  Timing restore;
  ops::Hooks hooks;
  hooks.read_transponder = [](std::string* number) {
    *number = "0000000000000004A1B2";
    return 1;
  };
  ok = ok && time_best(kRuns, &restore, [&] {
    ui::headless::clear_boxes();
    ui::headless::script_answer(ui::kIdYes);  // restore?
    ui::headless::script_answer(ui::kIdYes);  // the backup's password
    return ops::backup_restore(ops::kRestore, file, hooks) == 1;
  });
  Timing copy;
  ok = ok && time_best(kRuns, &copy, [&] { return copy_file(file, dir + "/copy.bak"); });
  Timing flushed;
  ok = ok && time_best(kRuns, &flushed, [&] { return copy_file(file, dir + "/flushed.bak", true); });
  Timing cp;
  const std::string cp_cmd = "cp " + file + " " + dir + "/cp.bak";
  ok = ok && time_best(kRuns, &cp, [&] { return std::system(cp_cmd.c_str()) == 0; });
  if (!ok) {
    std::fprintf(stderr, "a run failed\n");
    return 1;
  }

  std::printf("5,223,168-byte backup of 500 persons with templates, best of %d runs:\n", kRuns);
  std::printf("  backup (read Template.dat, write, read back): %7.2f ms (cpu %.2f ms)\n", backup.best, backup.cpu);
  std::printf("  restore (read, write six files, commit):      %7.2f ms (cpu %.2f ms)\n", restore.best, restore.cpu);
  std::printf("  copy in process (read whole, write whole):    %7.2f ms (cpu %.2f ms)\n", copy.best, copy.cpu);
  std::printf("  the same, flushed to the disk:                 %7.2f ms (cpu %.2f ms)\n", flushed.best, flushed.cpu);
  std::printf("  cp (started from this program):               %7.2f ms\n", cp.best);
  std::printf("  target: backup and restore under 300 ms each: %s\n",
              backup.best < 300 && restore.best < 300 ? "met" : "NOT met");

  std::string cmd = "rm -rf " + dir;
  return std::system(cmd.c_str()) == 0 ? 0 : 1;
}
