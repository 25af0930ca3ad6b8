// Speed of the master-data exchange: export of 500 persons with two 400-byte
// templates each in separator mode, and the import of that file into a fresh
// installation (every person and template record written). Best of several runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <unistd.h>

#include "ops/export.h"
#include "ops/import.h"
#include "ops/layout.h"
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

bool new_installation(const std::string& dir) {
  store::reset_store();
  platform::set_working_directory(dir);
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(1);
  admin.set_name("Admin");
  admin.set_password("Bench-Password-1");
  return store::create_konfig(0) == 1 && store::create_db() == 1 && store::load_all() == 1;
}

bool add_persons() {
  store::Tables& t = store::db();
  for (int n = 1; n <= store::kPersons; ++n) {
    store::new_person_defaults();
    char pers[16], preset[16];
    std::snprintf(pers, sizeof pers, "%010d", 1000000 + n);
    std::snprintf(preset, sizeof preset, "%010X", 0x100000 + n);
    t.person_write.set_name("Mustermann " + std::to_string(n));
    t.person_write.set_vorname("Erika");
    t.person_write.set_personalnummer(pers);
    t.person_write.set_ausweisnummer(preset);
    t.person_write.set_user_pin("123456");
    if (store::rw_person(store::kWrite) != n) return false;
    t.template_write = store::Templatesatz{};
    t.template_write.set_nummer(static_cast<std::uint32_t>(n));
    for (int i = 0; i < 2; ++i) {
      t.template_write.set_length(i, 400);
      t.template_write.set_group(i, static_cast<std::uint8_t>(i + 1));
      t.template_write.set_quality(i, 90);
      for (int k = 0; k < 400; ++k) t.template_write.data(i)[k] = static_cast<std::uint8_t>(n * k);
    }
    if (store::rw_template(store::kWrite) != n) return false;
  }
  return true;
}

ops::Layout layout(const std::string& file) {
  ops::Layout l;
  l.path = file;
  l.separator = ';';
  l.templates = true;
  const int codes[] = {ops::kFieldName, ops::kFieldFirstName, ops::kFieldPersNo,
                       ops::kFieldComp, ops::kFieldPreset,    ops::kFieldUserPin};
  for (int i = 0; i < 6; ++i) l.pos[i] = {codes[i], i, 0};
  return l;
}

}  // namespace

int main() {
  char a[] = "/tmp/bench_exchange_a_XXXXXX";
  char b[] = "/tmp/bench_exchange_b_XXXXXX";
  if (!mkdtemp(a) || !mkdtemp(b)) return 1;
  const std::string file = std::string(a) + "/persons.txt";
  if (!new_installation(a) || !add_persons()) {
    std::fprintf(stderr, "could not make the installation\n");
    return 1;
  }
  ops::layout_to_konfig(ops::Exchange::Export, layout(file), store::db().konfig);

  const int kRuns = 5;
  double best = 1e30, best_cpu = 0;
  for (int run = 0; run < kRuns; ++run) {
    platform::file_delete(file);
    Clock::time_point start = Clock::now();
    double cpu = cpu_ms();
    int rc = ops::export_persons(ui::kNoWindow);
    double ms = ms_since(start);
    if (rc != 1) {
      std::fprintf(stderr, "export failed: %d\n", rc);
      return 1;
    }
    if (ms < best) {
      best = ms;
      best_cpu = cpu_ms() - cpu;
    }
  }
  platform::File f;
  std::int64_t size = 0;
  if (!platform::file_open(f, file, platform::Access::Read, platform::Create::OpenExisting) ||
      !platform::file_size(f, &size)) {
    return 1;
  }
  platform::file_close(f);
  std::printf("export, 500 persons with two 400-byte templates, separator mode: %.2f ms "
              "(cpu %.2f ms), %lld bytes\n",
              best, best_cpu, static_cast<long long>(size));

  best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    if (!new_installation(b)) return 1;
    ops::layout_to_konfig(ops::Exchange::Import, layout(file), store::db().konfig);
    ui::headless::clear_boxes();
    Clock::time_point start = Clock::now();
    double cpu = cpu_ms();
    ops::ImportResult r = ops::import_persons(ui::kNoWindow);
    double ms = ms_since(start);
    if (r.code != 1 || r.read_in != store::kPersons || r.faulty != 0) {
      std::fprintf(stderr, "import failed: %d, %d read in, %d faulty\n", r.code, r.read_in,
                   r.faulty);
      return 1;
    }
    if (ms < best) {
      best = ms;
      best_cpu = cpu_ms() - cpu;
    }
  }
  std::printf("import of that file into a fresh installation: %.2f ms (cpu %.2f ms)\n", best,
              best_cpu);

  std::string cmd = std::string("rm -rf ") + a + " " + b;
  return std::system(cmd.c_str()) == 0 ? 0 : 1;
}
