#include "ops/maintenance.h"

#include "link/link.h"
#include "ops/param_file.h"
#include "ops/revocation.h"
#include "store/store.h"

namespace ops {
namespace {

struct Texts {
  res::TextId check_caption;
  res::TextId status, status_done;
  res::TextId failed, failed_caption;
  res::TextId closing, closing_caption;
};

Texts texts_of(Maintenance kind) {
  switch (kind) {
    case Maintenance::Test:
      return {res::MT_CAP_READER_ERROR, res::MT_STATUS_TEST, res::MT_STATUS_TESTING, kNone, kNone,
              res::MT_TEST_DONE, res::MT_CAP_TEST_DONE};
    case Maintenance::Erase:
      return {res::MT_CAP_READER_ERROR, res::MT_STATUS_ERASE, res::MT_STATUS_ERASED,
              res::MT_ERASE_FAILED, res::MT_CAP_LESER_FEHLER, res::MT_ERASE_DONE,
              res::MT_CAP_ERASE_DONE};
    case Maintenance::Reset:
      return {res::MT_CAP_READER_ERROR, res::MT_STATUS_RESET, res::MT_STATUS_RESET_DONE,
              res::MT_RESET_FAILED, res::MT_CAP_LESER_FEHLER, res::MT_RESET_DONE,
              res::MT_CAP_RESET_DONE};
    case Maintenance::ReaderParameters:
      return {res::MT_CAP_PARAMETER_ERROR, res::MT_STATUS_PARAMETER, res::MT_STATUS_PARAMETER_DONE,
              res::MT_PARAMETER_FAILED, res::MT_CAP_PARAMETER_FAILED, res::MT_PARAMETER_DONE,
              res::MT_CAP_PARAMETER_DONE};
    case Maintenance::OperatingMode:
      break;
  }
  return {res::MT_CAP_MODE_ERROR, res::MT_STATUS_MODE, res::MT_STATUS_MODE_DONE, res::MT_MODE_FAILED,
          res::MT_CAP_MODE_FAILED, res::MT_MODE_DONE, res::MT_CAP_MODE_DONE};
}

}  // namespace

int maintenance_step(Maintenance kind, int address, int mode) {
  switch (kind) {
    case Maintenance::Test:
      return 1;  // the check was the test
    case Maintenance::Erase:
      return rlink::del_template(1);
    case Maintenance::Reset:
      return rlink::parameter_reset(address);
    case Maintenance::ReaderParameters:
      return rlink::load_reader_parameter(table_of(ParamFile::Reader).data());
    case Maintenance::OperatingMode:
      return rlink::change_bmode(mode);
  }
  return 0;
}

MaskClearing clear_reader_bit(int reader, const ShowBox& show) {
  MaskClearing out;
  if (reader < 0 || reader >= store::kReaders) return out;
  store::Tables& t = store::db();
  const std::uint32_t bit = 1u << reader;
  for (int slot : persons_in_use()) {
    const std::uint32_t mask = t.persons[slot].reader_mask();
    if ((mask & bit) == 0) continue;
    // The table holds what the file holds; it takes the record only when the
    // write succeeded, so a failure leaves memory and disk alike.
    t.person_write = t.persons[slot];
    t.person_write.set_reader_mask(mask & ~bit);
    const long written = store::rw_person(store::kWrite);
    if (written < 0) {
      ++out.failures;
      show(res::format(res::DS_UPDATE_FAILED, written), res::DS_CAP_UPDATE_FEHLER);
    } else {
      ++out.written;
    }
  }
  return out;
}

LoopPlan maintenance_plan(Maintenance kind, int mode) {
  const Texts x = texts_of(kind);
  LoopPlan p{};
  p.log_prefix = "Wartung   - ";
  p.first_check = true;
  p.reader_check_caption = x.check_caption;
  p.reader_check_log = kNone;
  p.clear_before_reader_box = true;
  p.closing = x.closing;
  p.closing_caption = x.closing_caption;
  p.closing_always = true;
  p.work = [kind, mode, x](int slot, const store::Lesersatz& r, const WorkSteps& steps) {
    const std::string name = r.name();
    const int address = r.bus_address() + 1;
    const int result = maintenance_step(kind, address, mode);
    if (result != 1) {
      steps.status(std::string(), std::string());
      steps.fail(res::format(x.failed, name.c_str(), address, result), x.failed_caption);
      return result;
    }
    steps.status(res::text(x.status), res::format(x.status_done, name.c_str()));
    // The reader holds nobody now: no person may say otherwise, and nothing
    // is left for it to remove.
    if (kind == Maintenance::Erase) {
      clear_reader_bit(slot, steps.fail);
      reader_erased(slot);
    }
    return result;
  };
  return p;
}

void show_maintenance_closing(Maintenance kind, ui::Window owner) {
  const Texts x = texts_of(kind);
  ui::message_box(owner, res::text(x.closing), res::text(x.closing_caption), ui::kOk);
}

LoopResult run_maintenance(Maintenance kind, const std::vector<int>& readers,
                           const LoopHooks& hooks, int mode) {
  return run_reader_loop(maintenance_plan(kind, mode), readers, {}, hooks);
}

int download_enrol_parameters(ui::Window owner) {
  const std::string failed = res::text(res::MT_CAP_ENROL_FAILED);
  const int check = rlink::check_enrol_parameter();
  if (check <= 0) {
    ui::message_box(owner, res::format(res::MT_ENROL_CHECK_FAILED, check), failed, ui::kOk);
    return check;
  }
  const int loaded = rlink::load_enrol_parameter(table_of(ParamFile::Enrol).data());
  if (loaded != 1) {
    ui::message_box(owner, res::format(res::MT_ENROL_LOAD_FAILED, loaded), failed, ui::kOk);
    return loaded;
  }
  ui::message_box(owner, res::text(res::MT_ENROL_DONE), res::text(res::MT_CAP_ENROL_DONE), ui::kOk);
  return 1;
}

}  // namespace ops
