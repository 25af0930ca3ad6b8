// Speed of the person views on the headless ui backend with 500 persons:
// opening the person list (window, columns, 500 rows) and one refill of the
// search's matches as the search text changes.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "persons/persons.h"
#include "platform/headless/driver.h"
#include "resources/ids/d_suchen.h"
#include "store/store.h"
#include "views/host.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace hl = ui::headless;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
double cpu_ms() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double g_last_cpu_ms = 0;  // processor time of the best run of best_ms

// Best of `runs` wall-clock timings of `fn` in milliseconds.
template <typename Fn>
double best_ms(int runs, Fn fn) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    Clock::time_point start = Clock::now();
    double cpu_start = cpu_ms();
    fn();
    double ms = ms_since(start);
    if (ms < best) {
      best = ms;
      g_last_cpu_ms = cpu_ms() - cpu_start;
    }
  }
  return best;
}

// 500 persons in the person table, as load_all leaves them; names from a
// small set so that a prefix matches many.
void fill_person_table() {
  store::default_eingabe();
  const char* names[] = {"Meier", "Mueller", "Schmidt", "Schneider", "Fischer", "Weber"};
  for (int n = 1; n <= store::kPersons; ++n) {
    store::Personensatz& p = store::db().persons[static_cast<std::size_t>(n - 1)];
    p.set_nummer(static_cast<std::uint32_t>(n));
    p.set_name(std::string(names[n % 6]) + std::to_string(n));
    p.set_vorname("Vorname" + std::to_string(n));
    p.set_personalnummer(std::to_string(1000000000 + n));
    p.set_firmenkennung("0123456789");
    p.set_ausweisnummer(std::to_string(2000000000 + n));
    p.set_user_pin("123456");
  }
}

}  // namespace

int main() {
  hl::reset();
  fill_person_table();
  ui::Window main = ui::create_main_window("bench", 1024, 768,
                                           [](ui::Window, const ui::Event&) { return false; });
  views::host().main = main;

  int rows = 0;
  double open = best_ms(20, [&] {
    if (persons::open_person_list(persons::kChangeMode) != 1) return;
    rows = ui::list_count(persons::person_list(), 8000);
    ui::destroy_window(persons::person_list());
  });
  if (rows != store::kPersons) {
    std::fprintf(stderr, "the person list showed %d rows\n", rows);
    return 1;
  }
  std::printf("opening the person list with 500 persons: %.3f ms (cpu %.3f ms; target 20 ms)\n",
              open, g_last_cpu_ms);

  ui::Window search = persons::open_search();
  if (search == ui::kNoWindow) {
    std::fprintf(stderr, "could not open the search\n");
    return 1;
  }
  // Each step changes the text's length, which refills the matches over all
  // 500 persons: "M" matches a third of them, "" all of them.
  bool longer = false;
  int refills = 0;
  double refill = best_ms(50, [&] {
    longer = !longer;
    int before = ui::items_count(search, res::d_suchen::kMatches);
    hl::type(search, res::d_suchen::kSearchText, longer ? "M" : "");
    if (ui::items_count(search, res::d_suchen::kMatches) != before) ++refills;
  });
  if (refills != 50) {
    std::fprintf(stderr, "only %d of 50 steps refilled the matches\n", refills);
    return 1;
  }
  std::printf("one search refill over 500 persons: %.3f ms (cpu %.3f ms; target 2 ms), %d matches\n",
              refill, g_last_cpu_ms, ui::items_count(search, res::d_suchen::kMatches));
  return 0;
}
