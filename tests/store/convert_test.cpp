// Conversions from older database versions, built from old-layout files made
// here; a failure at any step leaves the old file as it was.
#include <cstring>

#include "fixture.h"
#include "store/commit.h"
#include "support/crash.h"
#include "support/sealed_file.h"

namespace {

using platform::fault::Kind;
using platform::fault::Op;
using storetest::Store;
using testsupport::Bytes;
using testsupport::sealed_file;

class Convert : public Store {
 protected:
  void SetUp() override {
    Store::SetUp();
    install();
  }

  std::string box_texts() const {
    std::string all;
    for (const auto& b : ui::headless::boxes()) all += b.text + "|" + b.caption + "\n";
    return all;
  }

  void write_old_persons() {
    old_persons = sealed_file(500, 156, [](int n, std::uint8_t* rec) {
      if (n % 50 != 0) return;
      store::put_u32(rec, 0, static_cast<std::uint32_t>(n));
      store::put_text(rec, 4, 22, "Person" + std::to_string(n));
      store::put_text(rec, 48, 12, "P" + std::to_string(n));
      rec[146] = 0x50;
      rec[155] = 0x99;
    });
    testsupport::write_file(path("Personen.dat"), old_persons);
  }

  void write_old_templates() {
    old_templates = sealed_file(500, 2624, [](int n, std::uint8_t* rec) {
      store::put_u32(rec, 0, static_cast<std::uint32_t>(n));
      for (int i = 0; i < 10; ++i) {
        std::uint8_t* b = rec + 4 + 262 * i;
        store::put_i16(b, 0, static_cast<std::int16_t>(n % 7 == 0 ? 256 : 0));
        b[2] = static_cast<std::uint8_t>(i + 1);
        b[3] = 77;
        b[4] = 5;
        b[5] = 9;
        std::memset(b + 6, n & 0xFF, 256);
      }
    });
    testsupport::write_file(path("Template.dat"), old_templates);
  }

  Bytes old_persons, old_templates;
};

TEST_F(Convert, PersonFile) {
  write_old_persons();
  ASSERT_EQ(1, store::update_person_file());
  EXPECT_EQ(500u * 224, bytes_of("Personen.dat").size());
  EXPECT_FALSE(platform::path_exists(path("Personen.dat.new")));
  ASSERT_EQ(1, store::load_all());
  const store::Personensatz& p = store::db().persons[99];
  EXPECT_EQ(100u, p.nummer());
  EXPECT_EQ("Person100", p.name());
  EXPECT_EQ(0x50, p.combined_mode());
  EXPECT_EQ(0x99, p.b[155]);
  for (int i = 156; i < 216; ++i) EXPECT_EQ(0, p.b[i]);
  EXPECT_FALSE(store::db().persons[0].used());
  EXPECT_TRUE(ui::headless::boxes().empty());
}

TEST_F(Convert, PersonFileFailuresKeepTheOldFile) {
  write_old_persons();
  struct Case {
    Op op;
    int nth;
    Kind kind;
    int code;
    const char* text;
  } cases[] = {
      {Op::FileOpen, 1, Kind::Fail, -3, nullptr},
      {Op::FileSeek, 7, Kind::Fail, -10, "Fehler bei SetFilePointer in der Personendatei aufgetreten !"},
      {Op::FileRead, 300, Kind::Short, -11, "Fehler bei ReadFile in der Personendatei aufgetreten !"},
      {Op::FileOpen, 2, Kind::Fail, -23, "Fehler bei WriteFile in der Personendatei aufgetreten !"},
      // The 500 reads each position; the new file is positioned once and
      // written in one piece.
      {Op::FileSeek, 501, Kind::Fail, -20, "Fehler bei SetFilePointer in der Personendatei aufgetreten !"},
      {Op::FileWrite, 1, Kind::Fail, -23, "Fehler bei WriteFile in der Personendatei aufgetreten !"},
      {Op::FileWrite, 1, Kind::Short, -23, "Fehler bei WriteFile in der Personendatei aufgetreten !"},
      {Op::FileFlush, 1, Kind::Fail, -23, "Fehler bei WriteFile in der Personendatei aufgetreten !"},
      {Op::FileRename, 1, Kind::Fail, -23, "Fehler bei WriteFile in der Personendatei aufgetreten !"},
  };
  for (const Case& c : cases) {
    platform::fault::reset();
    ui::headless::clear_boxes();
    platform::fault::arm(c.op, c.nth, c.kind);
    EXPECT_EQ(c.code, store::update_person_file()) << c.nth;
    platform::fault::reset();
    EXPECT_EQ(old_persons, bytes_of("Personen.dat")) << c.nth;
    EXPECT_FALSE(platform::path_exists(path("Personen.dat.new")));
    if (c.text) {
      ASSERT_EQ(1u, ui::headless::boxes().size()) << box_texts();
      EXPECT_EQ(c.text, ui::headless::boxes()[0].text);
      EXPECT_EQ("Info", ui::headless::boxes()[0].caption);
    } else {
      EXPECT_TRUE(ui::headless::boxes().empty());
    }
    EXPECT_TRUE(closed("Personen.dat"));
  }
}

TEST_F(Convert, PersonFileDamagedRecords) {
  write_old_persons();
  Bytes bad = old_persons;
  bad[160 * 10 + 20] ^= 4;
  testsupport::write_file(path("Personen.dat"), bad);
  EXPECT_EQ(-12, store::update_person_file());
  EXPECT_EQ("Fehler bei Remake in der Personendatei aufgetreten !", ui::headless::boxes().back().text);
  EXPECT_EQ(bad, bytes_of("Personen.dat"));
  // A file already in the current layout fails on its first slot's check byte.
  ui::headless::clear_boxes();
  testsupport::write_file(path("Personen.dat"), sealed_file(500, 150, [](int, std::uint8_t*) {}));
  EXPECT_EQ(-13, store::update_person_file());
  EXPECT_EQ("Fehler bei Len in der Personendatei aufgetreten !", ui::headless::boxes().back().text);
  platform::set_working_directory("");
  EXPECT_EQ(-1, store::update_person_file());
}

TEST_F(Convert, TemplateFileFromVersionZeroAndOne) {
  for (int from : {0, 1}) {
    write_old_templates();
    ASSERT_EQ(1, store::update_template_file(from));
    EXPECT_EQ(500u * 10208, bytes_of("Template.dat").size());
    store::Templatesatz& r = store::db().template_read;
    r.set_nummer(14);
    ASSERT_EQ(14, store::rw_template(store::kRead));
    EXPECT_EQ(256, r.length(3));
    EXPECT_EQ(4, r.group(3));
    EXPECT_EQ(77, r.quality(3));
    EXPECT_EQ(from == 1 ? 5 : 0, r.finger_type(3));
    EXPECT_EQ(from == 1 ? 9 : 0, r.reserved5(3));
    for (int i = 6; i < 10; ++i) EXPECT_EQ(0, r.block(3)[i]);
    EXPECT_EQ(14, r.data(3)[0]);
    EXPECT_EQ(14, r.data(3)[255]);
    EXPECT_EQ(0, r.data(3)[256]);
    r.set_nummer(15);
    ASSERT_EQ(15, store::rw_template(store::kRead));
    EXPECT_EQ(0, r.length(0));
  }
}

TEST_F(Convert, TemplateFileFailures) {
  write_old_templates();
  ui::headless::clear_boxes();
  platform::fault::arm(Op::FileWrite, 1);
  EXPECT_EQ(-23, store::update_template_file(0));
  EXPECT_EQ(old_templates, bytes_of("Template.dat"));
  EXPECT_EQ("Fehler bei WriteFile in der Templatedatei aufgetreten !", ui::headless::boxes().at(0).text);
  platform::fault::reset();
  Bytes bad = old_templates;
  bad[2640 * 499 + 2639] ^= 1;
  testsupport::write_file(path("Template.dat"), bad);
  EXPECT_EQ(-12, store::update_template_file(1));
  EXPECT_EQ(bad, bytes_of("Template.dat"));
  testsupport::write_file(path("Template.dat"), Bytes(old_templates.begin(), old_templates.end() - 10));
  EXPECT_EQ(-11, store::update_template_file(1));
  EXPECT_EQ(-4, store::update_template_file(2));
  EXPECT_TRUE(closed("Template.dat"));
}

TEST_F(Convert, InputMaskSteps) {
  Bytes v0 = sealed_file(1, 130, [](int, std::uint8_t* rec) {
    store::put_u16(rec, 0, 12);
    store::put_text(rec, 8, 12, "ABCD");
    rec[129] = 0x0F;
  });
  testsupport::write_file(path("Eingabe.dat"), v0);
  ASSERT_EQ(1, store::update_eingabe_file(0));
  EXPECT_EQ(336u, bytes_of("Eingabe.dat").size());
  ASSERT_EQ(1, store::update_eingabe_file(1));
  EXPECT_EQ(400u, bytes_of("Eingabe.dat").size());
  ASSERT_EQ(1, store::rw_eingabe(store::kRead));
  const store::Eingabesatz& e = store::db().eingabe;
  EXPECT_EQ(12, e.name_len());
  EXPECT_EQ("ABCD", e.default_firma());
  EXPECT_EQ(0x0F, e.fix_bits());
  for (int i = 130; i < 388; ++i) EXPECT_EQ(0, e.b[i]) << i;
  EXPECT_TRUE(ui::headless::boxes().empty());
}

TEST_F(Convert, InputMaskFailures) {
  ui::headless::clear_boxes();
  EXPECT_EQ(-4, store::update_eingabe_file(2));
  ASSERT_EQ(1u, ui::headless::boxes().size());
  EXPECT_EQ("Unbekannte Updateversion der Eingabedatei aufgetreten !", ui::headless::boxes()[0].text);
  EXPECT_EQ("Info", ui::headless::boxes()[0].caption);

  // The current file is not a 328-byte record: the length step fails.
  Bytes current = bytes_of("Eingabe.dat");
  ui::headless::clear_boxes();
  EXPECT_EQ(-12, store::update_eingabe_file(1));
  EXPECT_EQ("Fehler bei Remake in der Eingabedatei aufgetreten !", ui::headless::boxes()[0].text);
  EXPECT_EQ(current, bytes_of("Eingabe.dat"));

  Bytes v1 = sealed_file(1, 328, [](int, std::uint8_t* rec) { store::put_u16(rec, 24, 4); });
  testsupport::write_file(path("Eingabe.dat"), v1);
  store::db().eingabe.set_finger_count(9);
  platform::fault::arm(Op::FileWrite, 1, Kind::Short);
  ui::headless::clear_boxes();
  EXPECT_EQ(-23, store::update_eingabe_file(1));
  EXPECT_EQ(v1, bytes_of("Eingabe.dat"));
  EXPECT_EQ(4, store::db().eingabe.finger_count());
  EXPECT_EQ("Fehler bei WriteFile in der Eingabedatei aufgetreten !", ui::headless::boxes()[0].text);
  platform::fault::reset();
  platform::fault::arm(Op::FileOpen, 1);
  ui::headless::clear_boxes();
  EXPECT_EQ(-3, store::update_eingabe_file(1));
  EXPECT_TRUE(ui::headless::boxes().empty());
  EXPECT_TRUE(closed("Eingabe.dat"));
}

#ifndef _WIN32
// The update of each old version, cut off at every call that changes a file:
// the next start finds the old files or the converted ones, and after its own
// update exactly the converted ones, which load.
TEST_F(Convert, UpdateCutOffAtEveryCallIsConvertedAtTheNextStart) {
  using testsupport::files_in;
  const testsupport::Files current = files_in(dir.path());
  for (int version : {0, 1, 2}) {
    testsupport::put_files(dir.path(), current);
    if (version == 0) write_old_persons();
    if (version <= 1) write_old_templates();
    testsupport::write_file(path("Eingabe.dat"), sealed_file(1, version == 0 ? 130 : 328, [](int, std::uint8_t*) {}));
    store::db().konfig.set_db_version(static_cast<std::uint16_t>(version));
    ASSERT_EQ(1, store::rw_konfig(store::kWrite));
    const testsupport::Files old = files_in(dir.path());
    ASSERT_EQ(store::kUpdateDone, store::update_database());
    const testsupport::Files converted = files_in(dir.path());
    for (int n = 1;; ++n) {
      SCOPED_TRACE("version " + std::to_string(version) + ", crash at " + std::to_string(n));
      testsupport::put_files(dir.path(), old);
      store::reset_store();
      ASSERT_EQ(1, store::load_konfig());
      bool crashed = testsupport::crashes_at(n, [] { store::update_database(); });
      ASSERT_GE(store::recover_change(), 0);
      const testsupport::Files now = files_in(dir.path());
      EXPECT_TRUE(now == old || now == converted);
      store::reset_store();
      ASSERT_EQ(1, store::load_konfig());
      EXPECT_EQ(now == old ? store::kUpdateDone : store::kUpdateNotNeeded, store::update_database());
      EXPECT_TRUE(files_in(dir.path()) == converted);
      EXPECT_EQ(1, store::load_all());
      if (!crashed) break;
    }
  }
}
#endif

}  // namespace
