// A fresh installation in a temporary working directory for the store tests.
#pragma once

#include <string>

#include "platform/fault.h"
#include "platform/files.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "support/support.h"

namespace storetest {

constexpr const char* kAdminPassword = "Sesam-oeffne-di!";  // 16 characters

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    res::select_edition(res::Edition::English);
    platform::fault::reset();
    ui::headless::clear_boxes();
    store::reset_store();
    platform::set_working_directory(dir.path());
  }
  void TearDown() override {
    platform::fault::reset();
    store::reset_store();
  }

  // Makes a new installation the way the first administrator login does.
  void install() {
    store::Usersatz& admin = store::db().user_current;
    admin.set_nummer(store::kAdminRecord);
    admin.set_name("Admin");
    admin.set_password(kAdminPassword);
    ASSERT_EQ(1, store::create_konfig(123));
    ASSERT_EQ(1, store::create_db());
    ASSERT_EQ(1, store::load_all());
  }

  std::string path(const char* name) const { return dir.file(name); }
  testsupport::Bytes bytes_of(const char* name) const { return testsupport::read_file(path(name)); }

  // True when the file can be opened exclusively again (nothing left open).
  bool closed(const char* name) const {
    platform::File f;
    return platform::file_open(f, path(name), platform::Access::ReadWrite,
                               platform::Create::OpenExisting);
  }

  testsupport::TempDir dir;
};

}  // namespace storetest
