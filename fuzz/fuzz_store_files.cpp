// Loads the configuration and every record file from arbitrary bytes in a
// temporary working directory, and runs the conversions over them. The first
// input byte chooses the file; the rest is its content. The record key is the
// one of the golden installation, so that its files serve as starting points.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz_install.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "store/store.h"
#include "store/users.h"

namespace {

std::uint8_t g_key0[store::kKeyBytes];

void put_file(const char* name, const std::uint8_t* data, std::size_t size) {
  std::string path;
  if (!platform::working_path(name, &path)) std::abort();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::install_once("fuzz_store_", g_key0);
  if (size < 1) return 0;
  const std::uint8_t* body = data + 1;
  std::size_t n = size - 1;
  fuzzsupport::with_record_key(g_key0);
  ui::headless::clear_boxes();
  store::Tables& t = store::db();
  switch (data[0] % 6) {
    case 0:
      put_file(store::kKonfigFile, body, n);
      store::load_konfig();
      break;
    case 1:
      put_file(store::kPersonFile, body, n);
      for (int k = 1; k <= 3; ++k) {
        t.person_read.set_nummer(static_cast<std::uint32_t>(k));
        store::rw_person(store::kRead);
      }
      store::update_person_file();
      break;
    case 2:
      put_file(store::kTemplateFile, body, n);
      t.template_read.set_nummer(1);
      store::rw_template(store::kRead);
      store::update_template_file(data[0] & 0x10 ? 1 : 0);
      break;
    case 3:
      put_file(store::kReaderFile, body, n);
      for (int k = 1; k <= 32; ++k) {
        t.current_reader.set_nummer(static_cast<std::uint32_t>(k));
        store::rw_leser(store::kRead);
      }
      store::check_leser_eindeutig();
      break;
    case 4:
      put_file(store::kEingabeFile, body, n);
      if (store::rw_eingabe(store::kRead) == 1) store::identification_text(t.persons[0], t.eingabe);
      store::update_eingabe_file(data[0] & 0x10 ? 1 : 0);
      break;
    default:
      put_file(store::kUserFile, body, n);
      store::login(1, "Operator1", "oper01", false);
      store::login(0, "Admin", "Golden-Admin-16!", false);
      break;
  }
  return 0;
}
