// The backup of the whole database, the rules of the backup dialog, the
// reading of the backup transponder and the result messages.
#include <cstring>

#include "link/link.h"
#include "ops/backup_internal.h"

namespace ops {
namespace {

using detail::box;

constexpr int kStationAddress = 1;
constexpr int kCardWaitMs = 10000;

// Writes the seven groups into the open, positioned file. 0 or a code.
int write_groups(platform::File& f, detail::Counter& progress) {
  std::unique_ptr<detail::BackupImage> img = detail::new_image();
  if (!img) return -60;
  const store::Tables& t = store::db();
  img->konfig = t.konfig;
  img->header = t.key_header;
  img->users = t.users;
  img->eingabe = t.eingabe;
  img->readers = t.readers;
  img->persons = t.persons;
  for (int g = 1; g <= 5; ++g) {
    int rc = detail::write_group(f, g, *img, &progress);
    if (rc != 0) return rc;
  }
  if (store::read_all_templates(img->templates.data()) != 1) return -62;
  for (int n = 0; n < store::kPersons; ++n) progress.step();
  int rc = detail::write_group(f, 6, *img, &progress);
  if (rc != 0) return rc;
  return detail::write_group(f, 7, *img, &progress);
}

int write_backup(const std::string& path, const Hooks& hooks) {
  store::Tables& t = store::db();
  t.konfig.set_backup_stamp(backup_stamp(platform::local_time()));
  install_backup_key(t.konfig);
  if (platform::path_exists(path) &&
      box(hooks.owner, res::text(res::BK_ASK_OVERWRITE), res::CAP_FRAGE_QM, ui::kYesNo) != ui::kIdYes)
    return 0;

  // The new backup goes beside an existing one and replaces it only when it
  // is complete and reads back.
  const std::string temp = path + ".new";
  platform::File f;
  if (!platform::file_open(f, temp, platform::Access::ReadWrite, platform::Create::CreateAlways))
    return -2;
  // Template.dat is read, the file written and then read back.
  detail::Counter progress(hooks, store::kPersons + 2 * kBackupRecords);
  int rc = 0;
  if (!platform::file_seek(f, 0)) rc = -3;
  if (rc == 0) {
    if (hooks.status) hooks.status(res::text(res::BK_STATUS_BACKUP));
    rc = write_groups(f, progress);
  }
  // The backup is on the disk before it replaces an earlier one. A failed
  // flush or close may have lost data: count it as a failed write of the last group.
  if (rc == 0 && !platform::file_flush(f)) rc = -72;
  if (!platform::file_close(f) && rc == 0) rc = -72;
  if (rc == 0 && detail::check_file(temp, nullptr, &progress) != 1) rc = kBackupUnreadable;
  if (rc == 0 && !platform::file_replace(temp, path)) rc = -1;
  if (rc != 0) {
    platform::file_delete(temp);
    return rc;
  }
  return store::rw_konfig(store::kWrite) == 1 ? 1 : -80;
}

bool is_letter(unsigned char c) {
  // ASCII letters and the letters of Windows-1252 (À .. ÿ without × and ÷).
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

}  // namespace

int backup_restore(int mode, const std::string& path, const Hooks& hooks) {
  store::Tables& t = store::db();
  const store::Konfigsatz entry = t.konfig;
  int rc = -1;
  if (mode == kBackup) rc = write_backup(path, hooks);
  if (mode == kRestore) rc = detail::restore(path, hooks);
  // Whatever did not succeed leaves the Konfigsatz in use as it was.
  if (rc != 1) t.konfig = entry;
  return rc;
}

bool names_backup_path(const std::string& name) {
  for (char c : name)
    if (is_letter(static_cast<unsigned char>(c))) return true;
  return false;
}

std::string search_start_name(const std::string& field_text) {
  std::string last = store::db().konfig.backup_path();
  if (!last.empty()) return last;
  return field_text.empty() ? res::text(res::BK_FILTER_PATTERN) : field_text;
}

bool take_start(int mode, const std::string& name, const std::string& transponder, ui::Window owner) {
  if (name.empty()) {
    box(owner, res::text(mode == kBackup ? res::BK_NAME_MISSING : res::RS_NAME_MISSING),
        res::CAP_FEHLER_MELDUNG, ui::kOk);
    return false;
  }
  store::Konfigsatz& k = store::db().konfig;
  if (names_backup_path(name)) k.set_backup_path(name);
  if (mode != kBackup) return true;
  if (transponder.empty()) {
    box(owner, res::text(res::BK_TRANSPONDER_MISSING), res::CAP_FEHLER_MELDUNG, ui::kOk);
    return false;
  }
  k.set_backup_transponder(transponder);
  return true;
}

int read_backup_transponder(std::string* number, ui::Window owner) {
  box(owner, res::text(res::BK_HOLD_TRANSPONDER), res::CAP_INFO, ui::kOk);
  for (;;) {
    int r = rlink::enrol_read_csn(kStationAddress, kCardWaitMs);
    if (r == 1) {
      *number = rlink::last_delivery().substr(0, kTransponderChars);
      return 1;
    }
    int answer = r == 0 ? box(owner, res::text(res::STN_NO_DATA), res::CAP_QUESTION_MARK, ui::kYesNo)
                        : box(owner, res::format(res::STN_READ_ERROR, r), res::CAP_FEHLER_MELDUNG_FRAGE,
                              ui::kYesNo);
    if (answer != ui::kIdYes) return 0;
  }
}

bool repeat_question(const std::string& text, const std::string& caption) {
  return (caption == res::text(res::CAP_QUESTION_MARK) && text == res::text(res::STN_NO_DATA)) ||
         caption == res::text(res::CAP_FEHLER_MELDUNG_FRAGE);
}

ResultBox result_box(int mode, int result) {
  ResultBox b;
  bool backup = mode == kBackup;
  if (result == 1) {
    b.show = true;
    b.text = res::text(backup ? res::BK_DONE : res::RS_DONE);
    b.caption = res::text(backup ? res::CAP_BACKUP_INFO : res::CAP_RESTORE_INFO);
  } else if (result < 0) {
    b.show = true;
    b.text = res::text(backup ? res::BK_FAILED : res::RS_FAILED);
    if (backup && result == kBackupUnreadable) b.text += res::text(res::BK_UNREADABLE);
    b.text += res::format(res::BK_ERROR_CODE, result);
    b.caption = res::text(backup ? res::CAP_BACKUP_FEHLER : res::CAP_RESTORE_FEHLER);
  }
  return b;
}

void show_result(int mode, int result, ui::Window owner) {
  ResultBox b = result_box(mode, result);
  if (b.show) ui::message_box(owner, b.text, b.caption, b.style);
}

}  // namespace ops
