// The RF-ID reader module D_RFID_PARA (command 5200) and the Template-on-Card
// write key D_RFID_KEYS (command 5300). The key is shown to the administrator
// only; it is never logged.
#include "admin/admin.h"
#include "admin/dialog.h"
#include "admin/rules.h"
#include "resources/ids/d_rfid_keys.h"
#include "resources/ids/d_rfid_para.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/field_checks.h"
#include "views/host.h"

namespace admin {
namespace {

constexpr int kTemplateOnCard = 2500;

// ---------------------------------------------------------------- reader module
namespace module {

using namespace res::d_rfid_para;

constexpr int kCommand = 5200;

int button_of(int module) { return kFirstModule + 10 * module; }

void fill(ui::Window d) {
  const int m = store::db().eingabe.module_type();
  if (m < kModules) ui::check_radio(d, button_of(0), button_of(kModules - 1), button_of(m));
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  int chosen = 0;
  for (int m = 0; m < kModules; ++m)
    if (ui::checked(d, button_of(m))) chosen = m;
  store::Eingabesatz& e = store::db().eingabe;
  if (chosen != e.module_type()) {
    e.set_module_type(static_cast<std::uint16_t>(chosen));
    if (!write_mask(d, res::AD_MODULE_SAVE_FAILED)) return;
  }
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command || e.id != ui::kIdAction) return false;
  save(d);
  return true;
}

}  // namespace module

// ---------------------------------------------------------------- write key
namespace key {

using namespace res::d_rfid_keys;

constexpr int kCommand = 5300;

bool administrator() { return views::logged_in().number <= views::kAdministrator; }

int bytes() { return key_bytes(store::db().eingabe.module_type()); }

void fill(ui::Window d) {
  const int n = bytes();
  ui::set_text(d, kKey, key_shown(store::db().eingabe, administrator()));
  if (n > 0) ui::limit_text(d, kKey, 2 * n);
  // Only the administrator types a key, and only for a module that has one.
  if (n == 0 || !administrator()) ui::set_edit_style(d, kKey, ui::kReadOnly, true);
}

// The typing rule: the text is cut at a character that is not hexadecimal.
void typed(ui::Window d) {
  const std::string text = ui::get_text(d, kKey);
  const std::size_t bad = views::first_non_hex(text);
  if (bad == std::string::npos) return;
  ui::set_text(d, kKey, text.substr(0, bad));
  views::field_box(d, res::format(res::AD_KEY_CHAR_REFUSED, static_cast<int>(text[bad])));
}

void save(ui::Window d) {
  if (!may_save(d)) return;
  store::Eingabesatz& e = store::db().eingabe;
  const int module = e.module_type();
  const KeyReading reading = read_key(ui::get_text(d, kKey), key_bytes(module));
  for (res::TextId m : reading.messages) views::info(d, res::text(m));
  if (store_key(e, module, reading) && !write_mask(d, res::AD_KEY_SAVE_FAILED)) return;
  report(1);
}

bool events(ui::Window d, const ui::Event& e) {
  switch (e.kind) {
    case ui::EventKind::Command:
      if (e.id != ui::kIdAction) return false;
      save(d);
      return true;
    case ui::EventKind::EditChanged:
      if (e.id != kKey || !administrator()) return false;
      typed(d);
      return true;
    default:
      return false;
  }
}

}  // namespace key

}  // namespace

void open_reader_module(std::intptr_t) {
  open_parameter_dialog(module::kCommand, "D_RFID_PARA", module::events, module::fill);
}

void reader_module_completed(std::intptr_t result) {
  if (result == 0) return;
  const int m = store::db().eingabe.module_type();
  views::enable_command(kTemplateOnCard, m >= store::kDesfireModule && m <= store::kMifareModule);
}

void open_write_key(std::intptr_t) {
  open_parameter_dialog(key::kCommand, "D_RFID_KEYS", key::events, key::fill);
}

}  // namespace admin
