// An installation in a temporary directory with persons, templates and an
// export or import layout, for the exchange tests.
#pragma once

#include <cstring>
#include <string>

#include "ops/layout.h"
#include "platform/headless/boxes.h"
#include "store/fixture.h"
#include "support/support.h"

namespace opstest {

class ExchangeTest : public storetest::Store {
 protected:
  void SetUp() override {
    storetest::Store::SetUp();
    install();
  }

  // Stores a new person (number 0: the first free slot) with the fields the
  // import gives a clean record; returns its number.
  int add_person(const std::string& name, const std::string& pers_no, const std::string& preset,
                 const std::string& first = "", const std::string& pin = "") {
    store::Tables& t = store::db();
    store::Personensatz p;
    p.set_name(name);
    p.set_vorname(first);
    p.set_personalnummer(pers_no);
    p.set_ausweisnummer(preset);
    p.set_user_pin(pin);
    p.set_firmenkennung(t.eingabe.default_firma());
    p.set_write_on_transponder(1);
    p.set_distribute_to_reader(1);
    p.set_save_in_db(1);
    p.set_finger_count(t.eingabe.finger_count());
    p.set_combined_mode(store::kNeedFinger);
    t.person_write = p;
    int n = store::rw_person(store::kWrite);
    EXPECT_GT(n, 0);
    return n;
  }

  // Writes the template record of person n: block i gets length len[i] and
  // data bytes (n + i + k) & 0xFF.
  void add_templates(int n, std::initializer_list<int> lengths) {
    store::Templatesatz& t = store::db().template_write;
    t = store::Templatesatz{};
    t.set_nummer(static_cast<std::uint32_t>(n));
    int i = 0;
    for (int len : lengths) {
      t.set_length(i, static_cast<std::int16_t>(len));
      t.set_group(i, static_cast<std::uint8_t>(i + 1));
      t.set_quality(i, len == store::kDummyTemplate ? 255 : 80 + i);
      t.set_finger_type(i, static_cast<std::uint8_t>(i + 1));
      for (int k = 0; k < len && k < store::kTemplateDataSize; ++k) {
        t.data(i)[k] = static_cast<std::uint8_t>(n + i + k);
      }
      ++i;
    }
    ASSERT_EQ(n, store::rw_template(store::kWrite));
  }

  // Stores a layout into the Konfigsatz in use (no checks), its file in the
  // installation's directory.
  void set_layout(ops::Exchange which, ops::Layout l, const char* file = "exchange.txt") {
    l.path = path(file);
    ops::layout_to_konfig(which, l, store::db().konfig);
  }

  static ops::Layout separated(char sep, std::initializer_list<ops::Position> pos) {
    ops::Layout l;
    l.separator = static_cast<std::uint8_t>(sep);
    l.cr = l.lf = true;
    int i = 0;
    for (const ops::Position& p : pos) l.pos[i++] = p;
    return l;
  }

  std::string file_text(const char* file = "exchange.txt") const {
    testsupport::Bytes b = bytes_of(file);
    return std::string(b.begin(), b.end());
  }
  void put_text(const std::string& s, const char* file = "exchange.txt") const {
    testsupport::write_file(path(file), testsupport::Bytes(s.begin(), s.end()));
  }
  std::string log() const { return file_text("Log.txt"); }
  // True when Log.txt holds the line (UTF-8 source).
  bool logged(const std::string& line) const {
    return log().find(testsupport::cp(line) + "\r\n") != std::string::npos;
  }

  // Boxes shown with Yes/No buttons.
  static int questions() {
    int n = 0;
    for (const ui::headless::Box& b : ui::headless::boxes()) n += (b.style & 0xF) == ui::kYesNo;
    return n;
  }
};

}  // namespace opstest
