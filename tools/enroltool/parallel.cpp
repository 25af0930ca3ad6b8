#include "parallel.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "diag/log.h"
#include "ops/revocation.h"
#include "os.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/tcp.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "store/commit.h"
#include "store/store.h"

namespace enroltool {

const char* const kWorkerCommand = "_download-worker";

namespace {

namespace fs = std::filesystem;

const char* kind_name(DownloadKind kind) {
  return kind == DownloadKind::Erase ? "erase" : kind == DownloadKind::Persons ? "persons" : "bulk";
}

std::string slot_list(const std::vector<int>& slots) {
  std::string out;
  for (int s : slots) out += (out.empty() ? "" : ",") + std::to_string(s);
  return out;
}

// "3,7,12" into slots below `limit`; false on anything else.
bool parse_slot_list(const std::string& text, int limit, std::vector<int>* out) {
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    char* end = nullptr;
    const long v = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end || v < 0 || v >= limit) return false;
    out->push_back(static_cast<int>(v));
  }
  return !out->empty();
}

std::string to_hex(const std::uint8_t* b, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    out += digits[b[i] >> 4];
    out += digits[b[i] & 15];
  }
  return out;
}

bool from_hex(const std::string& text, std::uint8_t* out, std::size_t n) {
  if (text.size() != 2 * n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string pair = text.substr(2 * i, 2);
    char* end = nullptr;
    const long v = std::strtol(pair.c_str(), &end, 16);
    if (*end || pair[0] == '-' || pair[0] == '+' || pair[0] == ' ') return false;
    out[i] = static_cast<std::uint8_t>(v);
  }
  return true;
}

// The erase mark of reader slot `slot` in the head record: reason and date.
constexpr std::size_t kMarkSize = 20;
std::uint8_t* mark_of(store::Widerrufkopf& head, int slot) {
  return head.b.data() + 4 + kMarkSize * static_cast<std::size_t>(slot);
}

std::string log_name(int slot) { return "Log-" + std::to_string(slot) + ".txt"; }

// ------------------------------------------------------------------ worker side

// What the worker says about its current reader: every change of that
// reader's mask bits and ledger records against what it said before, so
// that the parent's files follow its copy.
class Reporter {
 public:
  void begin(int slot) {
    slot_ = slot;
    const store::Tables& t = store::db();
    for (int p = 0; p < store::kPersons; ++p) bits_[p] = bit(t.persons[p]);
    std::copy_n(mark_of(store::db().ledger.head, slot), kMarkSize, mark_);
    for (int k = 0; k < store::kLedgerPerReader; ++k)
      entries_[k] = t.ledger.entries[store::ledger_region(slot) + k];
    say("start");
  }
  void sync() {
    store::Tables& t = store::db();
    for (int p = 0; p < store::kPersons; ++p) {
      if (!t.persons[p].used() || bit(t.persons[p]) == bits_[p]) continue;
      bits_[p] = bit(t.persons[p]);
      say("mask", std::to_string(p) + (bits_[p] ? " 1" : " 0"));
    }
    std::uint8_t* mark = mark_of(t.ledger.head, slot_);
    if (!std::equal(mark, mark + kMarkSize, mark_)) {
      std::copy_n(mark, kMarkSize, mark_);
      say("head", to_hex(mark, kMarkSize));
    }
    for (int k = 0; k < store::kLedgerPerReader; ++k) {
      const store::Widerrufsatz& e = t.ledger.entries[store::ledger_region(slot_) + k];
      if (e.b == entries_[k].b) continue;
      entries_[k] = e;
      say("entry", std::to_string(store::ledger_region(slot_) + k) + " " + to_hex(e.b.data(), e.b.size()));
    }
  }
  void say(const char* what, const std::string& rest = std::string()) {
    std::printf("%s %d%s%s\n", what, slot_, rest.empty() ? "" : " ", rest.c_str());
    std::fflush(stdout);
  }
  int slot() const { return slot_; }

 private:
  bool bit(const store::Personensatz& p) const { return (p.reader_mask() >> slot_) & 1u; }
  int slot_ = -1;
  bool bits_[store::kPersons] = {};
  std::uint8_t mark_[kMarkSize] = {};
  store::Widerrufsatz entries_[store::kLedgerPerReader];
};

// ------------------------------------------------------------------ parent side

// Lines from the workers' pipes, read by a thread per worker and taken by
// the main thread, which alone touches the store.
struct Message {
  int worker = 0;
  std::string line;
  bool end = false;  // the worker's output ended
};

class Inbox {
 public:
  void push(Message m) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(m));
    }
    ready_.notify_one();
  }
  // False when nothing came within `ms`.
  bool pop(Message* m, int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ready_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !queue_.empty(); }))
      return false;
    *m = std::move(queue_.front());
    queue_.pop_front();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Message> queue_;
};

struct Worker {
  int connection = 0;
  fs::path dir;
  os::Child child;
  std::thread reading;
  std::vector<int> done;  // reader slots it reported done
};

class Parent {
 public:
  Parent(DownloadKind kind, const std::vector<int>& persons, const std::vector<Connection>& connections,
         Progress* progress)
      : plan_(download_plan(kind)), kind_(kind), persons_(persons), conns_(connections), progress_(progress) {}

  DownloadTotals run(int parallel) {
    std::error_code ec;
    root_ = scratch_root();
    options().box_line = [this](const std::string& line) { progress_->box(box_slot_, line); };
    std::size_t next = 0;
    int running = 0;
    for (;;) {
      while (running < parallel && next < conns_.size()) running += start(static_cast<int>(next++));
      if (running == 0) break;
      Message m;
      if (!inbox_.pop(&m, 250)) {
        progress_->tick();
        continue;
      }
      Worker& w = *workers_[static_cast<std::size_t>(m.worker)];
      if (!m.end) {
        handle(w, m.line);
        continue;
      }
      w.reading.join();
      const int code = os::wait_child(&w.child);
      lost(w, code < 0 ? std::string("its worker was stopped")
                       : "its worker ended with exit code " + std::to_string(code));
      fs::remove_all(w.dir, ec);
      --running;
    }
    fs::remove_all(root_, ec);
    // Boxes from here on (the closing text) belong to no reader.
    Progress* progress = progress_;
    options().box_line = [progress](const std::string& line) { progress->box(-1, line); };
    return totals_;
  }

 private:
  static fs::path scratch_root() {
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      char name[40];
      std::snprintf(name, sizeof name, "enroltool-download-%08x", static_cast<unsigned>(random()));
      const fs::path dir = temp / name;
      if (fs::create_directory(dir, ec)) {
        // The copies hold the installation's sealed records: for this user only.
        fs::permissions(dir, fs::perms::owner_all, ec);
        return dir;
      }
    }
    return fs::path();
  }

  // Starts the worker of connection `c`; 1 when it runs.
  int start(int c) {
    auto w = std::make_unique<Worker>();
    w->connection = c;
    const int index = static_cast<int>(workers_.size());
    workers_.push_back(std::move(w));
    Worker& worker = *workers_.back();
    progress_->connection_started(c);
    std::error_code ec;
    worker.dir = root_ / ("connection-" + std::to_string(c));
    // The copy holds the installation's data files; Log.txt is not copied,
    // the worker starts a log of its own.
    bool copied = !root_.empty() && fs::create_directory(worker.dir, ec);
    for (fs::directory_iterator f(platform::working_directory(), ec), end; copied && !ec && f != end;
         f.increment(ec))
      if (store::is_installation_file(f->path().filename().string()))
        copied = fs::copy_file(f->path(), worker.dir / f->path().filename(), ec);
    copied = copied && !ec;
    const std::string self = os::self_path();
    std::vector<std::string> args = {self,
                                     options().yes ? "--yes" : "--no",
                                     kWorkerCommand,
                                     worker.dir.string(),
                                     "--plan",
                                     kind_name(kind_),
                                     "--readers",
                                     slot_list(conns_[static_cast<std::size_t>(c)].readers),
                                     "--persons",
                                     slot_list(persons_)};
    if (!copied || self.empty() || !os::spawn(args, &worker.child)) {
      lost(worker, copied ? "its worker did not start" : "the installation could not be copied for it");
      fs::remove_all(worker.dir, ec);
      return 0;
    }
    os::Child child = worker.child;
    worker.reading = std::thread([this, index, child] { read_lines(index, child); });
    return 1;
  }

  void read_lines(int index, os::Child child) {
    std::string pending;
    char buf[4096];
    for (;;) {
      const long n = os::read_output(child, buf, sizeof buf);
      if (n <= 0) break;
      pending.append(buf, static_cast<std::size_t>(n));
      std::size_t at;
      while ((at = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, at);
        pending.erase(0, at + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        inbox_.push(Message{index, std::move(line), false});
      }
    }
    inbox_.push(Message{index, std::string(), true});
  }

  // Readers of `w` that it did not report done: failures.
  void lost(Worker& w, const std::string& why) {
    for (int slot : conns_[static_cast<std::size_t>(w.connection)].readers) {
      if (std::find(w.done.begin(), w.done.end(), slot) != w.done.end()) continue;
      w.done.push_back(slot);
      ++totals_.failures;
      progress_->reader_lost(slot, why);
    }
  }

  void handle(Worker& w, const std::string& line) {
    std::istringstream in(line);
    std::string what;
    int slot = -1;
    in >> what >> slot;
    const std::vector<int>& mine = conns_[static_cast<std::size_t>(w.connection)].readers;
    // A line about another reader, or about one done, is not this worker's to
    // say; only a box may belong to no reader (-1).
    const bool none = what == "box" && slot == -1;
    if (!none && (std::find(mine.begin(), mine.end(), slot) == mine.end() ||
                  std::find(w.done.begin(), w.done.end(), slot) != w.done.end()))
      return;
    box_slot_ = slot;
    if (what == "start") {
      progress_->reader_start(slot);
    } else if (what == "person") {
      progress_->person_done(slot);
    } else if (what == "fail") {
      progress_->failure(slot);
    } else if (what == "box") {
      std::string text;
      std::getline(in >> std::ws, text);
      progress_->box(slot, text);
    } else if (what == "mask") {
      int person = -1, set = 0;
      if (in >> person >> set && person >= 0 && person < store::kPersons) mask(slot, person, set != 0);
    } else if (what == "head") {
      std::string hex;
      std::uint8_t mark[kMarkSize];
      if (in >> hex && from_hex(hex, mark, kMarkSize)) ledger_mark(slot, mark);
    } else if (what == "entry") {
      int index = -1;
      std::string hex;
      store::Widerrufsatz e;
      if (in >> index >> hex && index >= store::ledger_region(slot) &&
          index < store::ledger_region(slot) + store::kLedgerPerReader &&
          from_hex(hex, e.b.data(), e.b.size()))
        ledger_entry(index, e);
    } else if (what == "done") {
      ops::ReaderReport r;
      r.slot = slot;
      r.name = store::db().readers[slot].name();
      int skipped = 0;
      in >> r.first_check >> skipped >> r.erase >> r.stored >> r.failures >> r.iversion >> r.work;
      r.skipped = skipped != 0;
      take_log(w, slot);
      w.done.push_back(slot);
      totals_.stored += r.stored;
      totals_.failures += r.failures;
      progress_->reader_done(r);
    }
  }

  // The worker's reader took or lost a person: its bit in the person's
  // record here, written when it changed (one record in place).
  void mask(int slot, int person, bool set) {
    store::Tables& t = store::db();
    if (!t.persons[person].used()) return;
    const std::uint32_t bit = 1u << slot, was = t.persons[person].reader_mask();
    const std::uint32_t want = set ? was | bit : was & ~bit;
    if (want == was) return;
    t.person_write = t.persons[person];
    t.person_write.set_reader_mask(want);
    const long written = store::rw_person(store::kWrite);
    if (written >= 0) return;
    diag::log_line("%s%s", plan_.log_prefix, res::format(res::DS_UPDATE_FAILED, written).c_str());
    ui::message_box(ui::kNoWindow, res::format(res::DS_UPDATE_FAILED, written),
                    res::text(res::DS_CAP_UPDATE_FEHLER), ui::kOk);
    ++totals_.failures;
    progress_->failure(slot);
  }

  void ledger_mark(int slot, const std::uint8_t* mark) {
    std::uint8_t* here = mark_of(store::db().ledger.head, slot);
    if (std::equal(mark, mark + kMarkSize, here)) return;
    std::copy_n(mark, kMarkSize, here);
    note_ledger_write(store::write_ledger_head());
  }

  void ledger_entry(int index, const store::Widerrufsatz& e) {
    store::Widerrufsatz& here = store::db().ledger.entries[static_cast<std::size_t>(index)];
    if (here.b == e.b) return;
    here = e;
    note_ledger_write(store::write_ledger_entry(index));
  }

  // As the ledger's own writes do: a failure is a line of Log.txt.
  static void note_ledger_write(int rc) {
    if (rc != 1) diag::log_line("Widerruf  - %s", res::format(res::RVL_WRITE_FAILED, rc).c_str());
  }

  // The worker's Log.txt lines of reader `slot`, appended to the log here.
  void take_log(const Worker& w, int slot) {
    std::ifstream in(w.dir / log_name(slot), std::ios::binary);
    const std::string lines((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int rc = diag::log_append(lines.data(), lines.size());
    if (rc != diag::kLogOk)
      progress_->box(-1, "enroltool: Log.txt did not take the lines of reader " + std::to_string(slot) +
                             " (" + std::to_string(rc) + ")");
  }

  const ops::LoopPlan plan_;
  const DownloadKind kind_;
  const std::vector<int>& persons_;
  const std::vector<Connection>& conns_;
  Progress* progress_;
  Inbox inbox_;
  std::vector<std::unique_ptr<Worker>> workers_;
  fs::path root_;
  int box_slot_ = -1;
  DownloadTotals totals_;
};

}  // namespace

ops::LoopPlan download_plan(DownloadKind kind) {
  return kind == DownloadKind::Persons ? ops::persons_plan() : ops::bulk_plan(kind == DownloadKind::Erase);
}

DownloadTotals download_in_workers(DownloadKind kind, const std::vector<int>& persons,
                                   const std::vector<Connection>& connections, int parallel,
                                   Progress* progress) {
  Parent parent(kind, persons, connections, progress);
  return parent.run(parallel);
}

// enroltool [--yes|--no] _download-worker COPY --plan bulk|erase|persons
//           --readers SLOT,... --persons SLOT,...
int run_download_worker(const Args& args) {
  if (args.size() != 7 || args[1] != "--plan" || args[3] != "--readers" || args[5] != "--persons")
    return fail(kExitUsage, std::string(kWorkerCommand) + ": started only by download");
  DownloadKind kind = DownloadKind::Bulk;
  if (args[2] == "erase") kind = DownloadKind::Erase;
  else if (args[2] == "persons") kind = DownloadKind::Persons;
  else if (args[2] != "bulk") return fail(kExitUsage, std::string(kWorkerCommand) + ": unknown plan");
  std::vector<int> readers, persons;
  if (!parse_slot_list(args[4], store::kReaders, &readers) || !parse_slot_list(args[6], store::kPersons, &persons))
    return fail(kExitUsage, std::string(kWorkerCommand) + ": bad slot list");
  // The crash point is for the installation's files, which only the parent
  // writes; a worker changes its copy alone.
  platform::crash::arm(0);
  int rc = open_installation(args[0]);
  if (rc != kExitOk) return rc;
  if (store::load_all() != store::kLoadAllOk) return fail(kExitFailed, args[0] + ": the data files do not read");
  ops::open_ledger(ui::kNoWindow);
  if (platform::tcp_startup() != 0) return fail(kExitFailed, "the socket library did not start");

  Reporter report;
  options().box_line = [&report](const std::string& line) { report.say("box", line); };
  ops::LoopHooks hooks;
  hooks.reader_start = [&report](int slot) { report.begin(slot); };
  hooks.person_done = [&report] {
    report.sync();
    report.say("person");
  };
  hooks.failed = [&report] { report.say("fail"); };
  hooks.reader_done = [&report](const ops::ReaderReport& r) {
    report.sync();
    // The log lines of this reader go to the parent with it.
    const std::string& dir = platform::working_directory();
    const std::string log = platform::path_join(dir, "Log.txt");
    if (platform::path_exists(log)) platform::file_rename(log, platform::path_join(dir, log_name(r.slot)));
    report.say("done", std::to_string(r.first_check) + " " + (r.skipped ? "1 " : "0 ") + std::to_string(r.erase) +
                           " " + std::to_string(r.stored) + " " + std::to_string(r.failures) + " " +
                           std::to_string(r.iversion) + " " + std::to_string(r.work));
  };
  // The closing text is the parent's, once for all workers.
  ops::LoopPlan plan = download_plan(kind);
  plan.closing = ops::kNone;
  ops::run_reader_loop(plan, readers, persons, hooks);
  platform::tcp_cleanup();
  return kExitOk;
}

}  // namespace enroltool
