// A fuzz target's own installation (the golden installation's password, so
// that its files serve as seeds) and its record key.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "platform/workdir.h"
#include "store/store.h"

namespace fuzzsupport {

// Once per process: /tmp/<prefix>XXXXXX with Programm.cfg; the record key into `key0`.
inline void install_once(const char* prefix, std::uint8_t key0[store::kKeyBytes]) {
  static bool done = false;
  if (done) return;
  char tmpl[64];
  std::snprintf(tmpl, sizeof tmpl, "/tmp/%sXXXXXX", prefix);
  if (!mkdtemp(tmpl)) std::abort();
  platform::set_working_directory(tmpl);
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(1);
  admin.set_password("Golden-Admin-16!");
  if (store::create_konfig(0) != 1) std::abort();
  std::memcpy(key0, store::key_row(store::kSlotRecord), store::kKeyBytes);
  done = true;
}

// Every table cleared, the record key of install_once in use.
inline void with_record_key(const std::uint8_t key0[store::kKeyBytes]) {
  store::reset_store();
  std::memcpy(store::key_row(store::kSlotRecord), key0, store::kKeyBytes);
  store::install_key(store::kSlotRecord);
}

}  // namespace fuzzsupport
