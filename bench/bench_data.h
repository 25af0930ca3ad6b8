// What the download benchmarks send: a new installation, the input mask of a
// typical site (company code, 16-digit identification number, six-digit PIN,
// two fingers) and persons with two 400-byte templates each, different for
// everyone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "store/store.h"

namespace bench {

// Creates and loads an installation in the working directory; false when it
// could not be made.
inline bool new_installation() {
  store::reset_store();
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(store::kAdminRecord);
  admin.set_name("Admin");
  admin.set_password("Bench-password-1");
  return store::create_konfig(123) == 1 && store::create_db() == 1 && store::load_all() == 1;
}

// The benchmark's input mask (in memory).
inline void set_mask(store::Eingabesatz& m) {
  m.set_default_firma("1234");
  m.set_ausweis_len(16);
  m.set_user_pin_len(6);
  m.set_finger_count(2);
  m.set_with_fingerprint(1);
}

// Stores persons 1 to `persons`; after each, `stored` (may be empty) sees the
// person and template records written. False when a write failed.
inline bool store_persons(int persons, const std::function<void(const store::Personensatz&,
                                                                const store::Templatesatz&)>& stored = {}) {
  std::uint32_t seed = 12345;
  for (int i = 1; i <= persons; ++i) {
    store::new_person_defaults();
    store::Personensatz& p = store::db().person_write;
    char text[32];
    std::snprintf(text, sizeof text, "%010d", i);
    p.set_personalnummer(text);
    std::snprintf(text, sizeof text, "%016X", i);
    p.set_ausweisnummer(text);
    p.set_user_pin("111111");
    if (store::rw_person(store::kWrite) != i) return false;
    store::Templatesatz& t = store::db().template_write;
    t = store::Templatesatz{};
    t.set_nummer(static_cast<std::uint32_t>(i));
    for (int block : {0, 1}) {
      t.set_length(block, 400);
      t.set_group(block, 1);
      t.set_quality(block, 80);
      for (int k = 0; k < 400; ++k) {
        seed = seed * 1103515245u + 12345u;
        t.data(block)[k] = static_cast<std::uint8_t>(seed >> 16);
      }
    }
    if (store::rw_template(store::kWrite) != i) return false;
    if (stored) stored(p, t);
  }
  return true;
}

}  // namespace bench
