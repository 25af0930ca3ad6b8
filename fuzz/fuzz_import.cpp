// Imports arbitrary file bytes into a real installation in a temporary working
// directory. The first input byte chooses one of a few layouts (separator or
// start-and-length, header and footer forms, terminators, set length, with and
// without templates) and the answers to the questions; the second switches
// additional fields on; the rest is the import file.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "ops/import.h"
#include "ops/layout.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "store/store.h"

namespace {

std::string g_file;

void set_up_once() {
  static bool done = false;
  if (done) return;
  char tmpl[] = "/tmp/fuzz_import_XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  platform::set_working_directory(tmpl);
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(1);
  admin.set_name("Admin");
  admin.set_password("Fuzz-Admin-1234!");
  if (store::create_konfig(0) != 1 || store::create_db() != 1 || store::load_all() != 1) {
    std::abort();
  }
  g_file = std::string(tmpl) + "/import.txt";
  done = true;
}

ops::Layout layout(int which) {
  ops::Layout l;
  l.separator = ';';
  switch (which % 8) {
    case 0:  // columns, CR LF
      l.cr = l.lf = true;
      l.pos[0] = {ops::kFieldName, 0, 0};
      l.pos[1] = {ops::kFieldPersNo, 1, 0};
      l.pos[2] = {ops::kFieldPreset, 2, 0};
      l.pos[3] = {ops::kFieldComp, 3, 0};
      l.pos[4] = {ops::kFieldUserPin, 5, 0};
      break;
    case 1:  // columns with templates, header lines, footer as a length
      l.templates = true;
      l.header = 1;
      l.footer = 2;
      l.footer_as_length = true;
      l.pos[0] = {ops::kFieldPersNo, 0, 0};
      l.pos[1] = {ops::kFieldPreset, 1, 0};
      l.pos[2] = {ops::kFieldZusatz1, 2, 0};
      break;
    case 2:  // fixed fields, CR LF, header as a length
      l.start_length = true;
      l.cr = l.lf = true;
      l.header = 3;
      l.header_as_length = true;
      l.pos[0] = {ops::kFieldName, 0, 10};
      l.pos[1] = {ops::kFieldPersNo, 11, 10};
      l.pos[2] = {ops::kFieldPreset, 22, 10};
      break;
    case 3:  // fixed fields with templates at their start
      l.start_length = true;
      l.templates = true;
      l.template_start = 24;
      l.pos[0] = {ops::kFieldPersNo, 0, 10};
      l.pos[1] = {ops::kFieldPreset, 12, 10};
      break;
    case 4:  // fixed records of a set length, no terminators, header and footer lines
      l.start_length = true;
      l.set_length = 24;
      l.header = 1;
      l.footer = 1;
      l.pos[0] = {ops::kFieldPersNo, 0, 10};
      l.pos[1] = {ops::kFieldPreset, 12, 10};
      break;
    case 5:  // fixed records of a set length with CR only
      l.start_length = true;
      l.set_length = 30;
      l.cr = true;
      l.pos[0] = {ops::kFieldPersNo, 2, 10};
      l.pos[1] = {ops::kFieldPreset, 14, 10};
      l.pos[2] = {ops::kFieldUserPin, 25, 0};
      break;
    case 6:  // tab columns, LF only, templates right after the fields
      l.separator = 0;
      l.lf = true;
      l.templates = true;
      l.pos[0] = {ops::kFieldPreset, 0, 0};
      l.pos[1] = {ops::kFieldPersNo, 4, 0};
      break;
    default:  // fixed fields, templates after the last field, footer lines
      l.start_length = true;
      l.templates = true;
      l.footer = 2;
      l.pos[0] = {ops::kFieldPersNo, 0, 10};
      l.pos[1] = {ops::kFieldPreset, 11, 10};
      l.pos[2] = {ops::kFieldZusatz4, 22, 4};
      break;
  }
  l.path = g_file;
  return l;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  set_up_once();
  if (size < 2) return 0;
  store::Tables& t = store::db();
  ops::layout_to_konfig(ops::Exchange::Import, layout(data[0]), t.konfig);
  for (int z = 1; z <= 4; ++z) {
    t.eingabe.set_zusatz_active(z, (data[1] >> (z - 1)) & 1);
    t.eingabe.set_zusatz_len(z, static_cast<std::uint16_t>((data[1] >> 4) + 1));
  }
  t.eingabe.set_ausweis_len(data[1] & 0x10 ? 6 : 10);
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));
  }
  // Every stored person goes into the first slots again.
  for (store::Personensatz& p : t.persons) p = store::Personensatz{};
  ui::headless::clear_boxes();
  // The count box, then Yes to the first questions (or No to the first).
  ui::headless::script_answer(ui::kIdOk);
  for (int i = 0; i < 16; ++i) ui::headless::script_answer(data[0] & 0x80 ? ui::kIdNo : ui::kIdYes);
  ops::ImportResult r = ops::import_persons(ui::kNoWindow);
  if (r.code > 1 || r.read_in < 0 || r.faulty < 0) std::abort();
  // Every stored person reads back whole.
  for (int n = 1; n <= 3; ++n) {
    if (!t.persons[n - 1].used()) continue;
    t.person_read.set_nummer(static_cast<std::uint32_t>(n));
    if (store::rw_person(store::kRead) != n) std::abort();
    t.template_read.set_nummer(static_cast<std::uint32_t>(n));
    if (store::rw_template(store::kRead) != n) std::abort();
  }
  ui::headless::clear_boxes();
  return 0;
}
