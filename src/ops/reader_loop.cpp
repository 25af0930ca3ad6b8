#include "ops/reader_loop.h"

#include "diag/log.h"
#include "link/link.h"
#include "ops/maintenance.h"
#include "ops/revocation.h"
#include "store/store.h"

namespace ops {

LoopPlan bulk_plan(bool erase_mode) {
  LoopPlan p{};
  p.log_prefix = "DownAlle  - ";
  p.first_check = true;
  p.erase = true;
  p.iversion = true;
  p.start_status = erase_mode ? res::DS_STATUS_ERASE : res::DS_STATUS_LOADING;
  p.stored_status = erase_mode ? res::DS_STATUS_ERASING_DE : res::DS_STATUS_LOADING_DE;
  p.stored_trace = kNone;
  p.check_failed = res::DS_CHECK_FAILED_ERROR_NUMBER;
  p.check_failed_caption = res::DS_CAP_DOWNLOAD_ERROR;
  p.check_failed_log = res::DSL_CHECK_FAILED_ERROR_NUMBER;
  p.person_read_failed = res::DS_PERSON_RECORD_FAILED_SATZ;
  p.person_read_log = res::DS_PERSON_RECORD_FAILED_SATZ;
  p.template_read_failed = res::DS_TEMPLATE_RECORD_FAILED_SATZ;
  p.template_read_log = res::DS_TEMPLATE_RECORD_FAILED_SATZ;
  p.read_failed_caption = res::DS_CAP_DOWNLOAD_FEHLER;
  p.add_failed = res::DS_ADD_FAILED_ERROR_NUMBER;
  p.add_failed_names = true;
  p.add_failed_caption = res::DS_CAP_DOWNLOAD_FEHLER;
  p.add_failed_log = res::DS_ADD_FAILED_ERROR_NUMBER;
  p.closing = erase_mode ? res::DS_DONE_DELETED : res::DS_DONE_LOADED;
  p.closing_caption = erase_mode ? res::DS_CAP_LOAD_DELETE : res::DS_CAP_LOAD_INFO;
  return p;
}

namespace {

// What the three copies that load without erasing share.
LoopPlan load_plan(const char* prefix) {
  LoopPlan p{};
  p.log_prefix = prefix;
  p.start_status = res::DS_STATUS_LOADING;
  p.stored_status = res::DS_STATUS_LOADING_DE;
  p.stored_trace = kNone;
  p.check_failed = res::DS_CHECK_FAILED_NUMBER_DOT;
  p.check_failed_caption = res::CAP_INFO;
  p.check_failed_log = res::DSL_CHECK_FAILED_NUMBER;
  p.person_read_failed = res::DS_PERSON_RECORD_FAILED;
  p.person_read_log = res::DS_PERSON_RECORD_FAILED;
  p.template_read_failed = res::DS_TEMPLATE_RECORD_FAILED;
  p.template_read_log = res::DS_TEMPLATE_RECORD_FAILED;
  p.read_failed_caption = res::CAP_INFO;
  p.add_failed = res::DS_ADD_FAILED_NUMBER;
  p.add_failed_names = true;
  p.add_failed_caption = res::CAP_INFO;
  p.add_failed_log = res::DS_ADD_FAILED_NUMBER;
  p.closing = res::DS_LOAD_COMPLETED;
  p.closing_caption = res::CAP_INFO;
  return p;
}

}  // namespace

LoopPlan persons_plan() {
  LoopPlan p = load_plan("DPView    - ");
  p.check_failed = res::DS_CHECK_FAILED_NUMBER;
  p.closing = res::DS_DONE_LOADED_PERSONS;
  p.closing_caption = res::DS_CAP_LOAD_INFO;
  return p;
}

LoopPlan template_list_plan() {
  LoopPlan p = load_plan("TView     - ");
  p.step_after_read_failure = false;
  p.stored_trace = res::DSL_STORED;
  return p;
}

LoopPlan toc_plan() {
  LoopPlan p = load_plan("ToC       - ");
  p.step_when_updated = false;
  p.add_failed = res::DS_ADD_FAILED;
  p.add_failed_names = false;
  p.add_failed_log = res::DS_ADD_FAILED;
  return p;
}

LoopPlan template_delete_plan() {
  LoopPlan p = load_plan("TDestroy  - ");
  p.start_status = res::TD_STATUS_START;
  p.stored_status = res::TD_STATUS_STORED;
  p.add_failed = res::DS_ADD_FAILED;
  p.add_failed_names = false;
  p.add_failed_log = res::DS_ADD_FAILED;
  p.closing = kNone;
  return p;
}

std::vector<int> persons_in_use() {
  std::vector<int> slots;
  const auto& table = store::db().persons;
  for (int i = 0; i < store::kPersons; ++i)
    if (table[i].used()) slots.push_back(i);
  return slots;
}

long update_reader_mask(int reader, bool stored_any) {
  store::Tables& t = store::db();
  const std::uint32_t bit = 1u << reader;
  const std::uint32_t mask = t.person_read.reader_mask();
  const std::uint32_t want = stored_any ? mask | bit : mask & ~bit;
  if (want == mask) return 0;
  const std::uint32_t number = t.person_read.nummer();
  if (number >= 1 && number <= store::kPersons) t.persons[number - 1].set_reader_mask(want);
  t.person_read.set_reader_mask(want);
  t.person_write = t.person_read;
  return store::rw_person(store::kWrite);
}

int delete_all_templates(ui::Window owner) {
  store::Tables& t = store::db();
  const std::string caption = res::text(res::CAP_INFO);
  int failures = 0;
  auto fail = [&](const std::string& text) {
    ui::message_box(owner, text, caption, ui::kOk);
    ++failures;
  };
  for (int slot : persons_in_use()) {
    const std::uint32_t number = t.persons[slot].nummer();
    const std::string pnr = t.persons[slot].personalnummer();
    t.template_write = store::Templatesatz{};
    t.template_write.set_nummer(number);
    if (store::rw_template(store::kWrite) != static_cast<int>(number)) {
      fail(res::format(res::DS_EMPTY_TEMPLATES_FAILED, pnr.c_str()));
      continue;
    }
    t.person_read.set_nummer(number);
    if (store::rw_person(store::kRead) < 0) {
      fail(res::format(res::DS_READ_PERSON_FAILED, pnr.c_str()));
      continue;
    }
    t.person_write = t.person_read;
    for (int g = 1; g <= 10; ++g) t.person_write.set_group_mark(g, 0);
    if (store::rw_person(store::kWrite) < 0)
      fail(res::format(res::DS_WRITE_PERSON_FAILED, pnr.c_str()));
  }
  return failures;
}

namespace {

// One run of the loop: its plan, hooks and what it found.
class Run {
 public:
  Run(const LoopPlan& plan, const LoopHooks& hooks) : plan_(plan), hooks_(hooks) {}

  void reader(int slot, const std::vector<int>& persons) {
    const store::Lesersatz r = store::db().readers[slot];
    report_ = ReaderReport{};
    report_.slot = slot;
    report_.name = r.name();
    // What the reader was asked to delete earlier and did not confirm is
    // asked again first, without boxes.
    retry_removals(slot);
    if (plan_.first_check && !first_check(r)) {
      report_.skipped = true;
    } else {
      if (plan_.work) work(r);
      if (plan_.erase) erase(r);
      for (int person : persons) pair(r, person);
      if (plan_.iversion) iversion(r);
    }
    result_.readers.push_back(report_);
    if (hooks_.reader_done) hooks_.reader_done(report_);
  }

  LoopResult finish() {
    if ((result_.stored > 0 || plan_.closing_always) && plan_.closing != kNone)
      ui::message_box(hooks_.owner, res::text(plan_.closing), res::text(plan_.closing_caption),
                      ui::kOk);
    return result_;
  }

 private:
  void step() {
    if (hooks_.step) hooks_.step();
  }
  void status(const std::string& operation, const std::string& detail) {
    if (hooks_.status) hooks_.status(operation, detail);
  }
  void clear_status() { status(std::string(), std::string()); }
  void fail(const std::string& text, res::TextId caption) {
    ui::message_box(hooks_.owner, text, res::text(caption), ui::kOk);
    ++report_.failures;
    ++result_.failures;
  }
  // A failure line of the log: the prefix, then the formatted text.
  template <typename... Args>
  void log(res::TextId format, Args... args) {
    diag::log_line("%s%s", plan_.log_prefix, res::format(format, args...).c_str());
  }

  bool first_check(const store::Lesersatz& r) {
    rlink::select_reader(r);
    const int result = rlink::check_leser_parameter();
    report_.first_check = result;
    if (result > 1) wiped();
    if (result > 0) return true;
    const int address = r.bus_address() + 1;
    if (plan_.reader_check_log != kNone) log(plan_.reader_check_log, r.name().c_str(), address, result);
    if (plan_.clear_before_reader_box) clear_status();
    fail(res::format(plan_.reader_check_failed, r.name().c_str(), address, result),
         plan_.reader_check_caption);
    return false;
  }

  void work(const store::Lesersatz& r) {
    WorkSteps steps;
    steps.status = [this](const std::string& operation, const std::string& detail) {
      status(operation, detail);
    };
    steps.fail = [this](const std::string& text, res::TextId caption) { fail(text, caption); };
    rlink::select_reader(r);
    report_.work = plan_.work(report_.slot, r, steps);
  }

  void erase(const store::Lesersatz& r) {
    rlink::select_reader(r);
    report_.erase = rlink::del_template(1);
    if (report_.erase != 1) {
      fail(res::format(res::DS_ERASE_FAILED, r.name().c_str(), r.bus_address() + 1, report_.erase),
           res::DS_CAP_ERASE_ERROR);
      return;
    }
    // The reader holds nobody now: only the persons it takes from here on may
    // carry its bit, and nothing is left for it to remove.
    clear_reader_bit(report_.slot, [this](const std::string& text, res::TextId caption) {
      fail(text, caption);
    });
    reader_erased(report_.slot);
  }

  // After a check whose parameter update deleted the reader's data base.
  void wiped() {
    if (!rlink::state().reader_data_deleted) return;
    // No person's mask may still claim this reader, or the next download
    // would leave them out.
    clear_reader_bit(report_.slot, [this](const std::string& text, res::TextId caption) {
      fail(text, caption);
    });
    reader_wiped(report_.slot);
  }

  void iversion(const store::Lesersatz& r) {
    rlink::select_reader(r);
    report_.iversion = rlink::set_iversion(store::db().konfig.release_info());
    if (report_.iversion != 1)
      fail(res::format(res::DS_IVERSION_FAILED, static_cast<long>(report_.iversion)),
           res::DS_CAP_IVERSION);
  }

  // One person to one reader.
  void pair(const store::Lesersatz& r, int person) {
    store::Tables& t = store::db();
    step();
    const std::uint32_t number = t.persons[person].nummer();
    rlink::select_reader(r);
    const int check = rlink::check_leser_parameter();
    if (check <= 0) {
      clear_status();
      log(plan_.check_failed_log, check);
      fail(res::format(plan_.check_failed, check), plan_.check_failed_caption);
      step();
    } else if (check > 1) {
      wiped();
      if (plan_.step_when_updated) step();
    } else if (read_records(number)) {
      add(r);
    }
    if (hooks_.person_done) hooks_.person_done();
  }

  // Reads the person and its template record into the buffers add_template
  // sends; false (both reads tried, each failure shown) when either failed.
  bool read_records(std::uint32_t number) {
    store::Tables& t = store::db();
    t.person_read.set_nummer(number);
    const long person = store::rw_person(store::kRead);
    if (person < 0) {
      log(plan_.person_read_log, person);
      fail(res::format(plan_.person_read_failed, person), plan_.read_failed_caption);
    }
    t.template_read.set_nummer(number);
    const long templates = store::rw_template(store::kRead);
    if (templates < 0) {
      log(plan_.template_read_log, templates);
      fail(res::format(plan_.template_read_failed, templates), plan_.read_failed_caption);
    }
    if (person >= 0 && templates >= 0) return true;
    clear_status();
    if (plan_.step_after_read_failure) step();
    return false;
  }

  void add(const store::Lesersatz& r) {
    store::Tables& t = store::db();
    const std::string pnr = t.person_read.personalnummer();
    const int added = rlink::add_template();
    if (added <= 0) {
      clear_status();
      if (plan_.add_failed_names) {
        log(plan_.add_failed_log, pnr.c_str(), added);
        fail(res::format(plan_.add_failed, pnr.c_str(), added), plan_.add_failed_caption);
      } else {
        log(plan_.add_failed_log, added);
        fail(res::format(plan_.add_failed, added), plan_.add_failed_caption);
      }
      step();
      return;
    }
    status(res::text(plan_.stored_status),
           res::format(res::DS_STATUS_PERSON_TO_READER, pnr.c_str(), r.name().c_str()));
    if (plan_.stored_trace != kNone)
      diag::log_trace("%s%s", plan_.log_prefix,
                      res::format(plan_.stored_trace, pnr.c_str(), r.name().c_str()).c_str());
    step();
    ++report_.stored;
    ++result_.stored;
    // The reader deleted this user ID before it stored it afresh for the
    // person who holds it now: a removal left open for it is done.
    if (rlink::state().templates_added != 0)
      removal_done(report_.slot, store::user_id_of(t.person_read, t.eingabe));
    const long written = update_reader_mask(report_.slot, rlink::state().templates_added != 0);
    if (written < 0) {
      log(res::DS_UPDATE_FAILED, written);
      fail(res::format(res::DS_UPDATE_FAILED, written), res::DS_CAP_UPDATE_FEHLER);
    }
  }

  const LoopPlan& plan_;
  const LoopHooks& hooks_;
  ReaderReport report_;
  LoopResult result_;
};

}  // namespace

LoopResult run_reader_loop(const LoopPlan& plan, const std::vector<int>& readers,
                           const std::vector<int>& persons, const LoopHooks& hooks) {
  Run run(plan, hooks);
  for (int slot : readers)
    if (slot >= 0 && slot < store::kReaders && store::db().readers[slot].used()) run.reader(slot, persons);
  return run.finish();
}

}  // namespace ops
