// The import: round trips with the export, the record checks and their
// questions, file structures (header, footer, terminators, templates), and
// every failure the file system can cause, with the file closed afterwards.
#include <cstdio>

#include "ops/export.h"
#include "ops/fixture.h"
#include "ops/import.h"
#include "platform/fault.h"

namespace {

using ops::Exchange;
using ops::Layout;
using platform::fault::Op;
using testsupport::cp;

class Import : public opstest::ExchangeTest {
 protected:
  // A fresh installation in another directory becomes the working one.
  void move_to_fresh_installation() {
    store::reset_store();
    platform::set_working_directory(other.path());
    install();
  }
  ops::ImportResult import(std::initializer_list<int> answers = {}) {
    ui::headless::clear_boxes();
    for (int a : answers) ui::headless::script_answer(a);
    return ops::import_persons(ui::kNoWindow);
  }
  static const ui::headless::Box& box(std::size_t i) { return ui::headless::boxes().at(i); }

  testsupport::TempDir other;
};

const std::initializer_list<ops::Position> kAllColumns = {
    {ops::kFieldName, 0, 0},   {ops::kFieldFirstName, 1, 0}, {ops::kFieldPersNo, 2, 0},
    {ops::kFieldComp, 3, 0},   {ops::kFieldPreset, 4, 0},    {ops::kFieldUserPin, 5, 0}};

TEST_F(Import, FiveHundredPersonsWithTemplatesComeBackByteForByte) {
  for (int n = 1; n <= store::kPersons; ++n) {
    char pers[16], preset[16];
    std::snprintf(pers, sizeof pers, "%010d", 7000000 + n);
    std::snprintf(preset, sizeof preset, "%010X", 0xA00000 + n);
    const char* name = n < store::kPersons ? "Müller " : "Semi;colon ";  // holds the separator
    ASSERT_EQ(n, add_person(cp(name) + std::to_string(n), pers, preset, "Anna-Lena",
                            n % 3 ? "123456" : ""));
    if (n % 2) {
      add_templates(n, {400, 0, store::kTemplateDataSize});
      // The groups holding templates (blocks 0 and 2) come back marked.
      store::db().person_write = store::db().persons[n - 1];
      store::db().person_write.set_group_mark(1, 1);
      store::db().person_write.set_group_mark(3, 3);
      ASSERT_EQ(n, store::rw_person(store::kWrite));
    } else {
      add_templates(n, {});  // a clean record: new ones come without filler
    }
  }
  Layout l = separated(';', kAllColumns);
  l.templates = true;
  set_layout(Exchange::Export, l);
  ASSERT_EQ(1, ops::export_persons(ui::kNoWindow));
  EXPECT_TRUE(logged("Export    - Trennzeichen in einem Wert !, Satz 499, Personalnummer 0007000500 nicht exportiert"));
  const std::string file = path("exchange.txt");
  std::vector<store::Personensatz> persons(store::db().persons.begin(), store::db().persons.end());
  std::vector<store::Templatesatz> templates;
  for (int n = 1; n <= store::kPersons; ++n) {
    store::db().template_read.set_nummer(static_cast<std::uint32_t>(n));
    ASSERT_EQ(n, store::rw_template(store::kRead));
    templates.push_back(store::db().template_read);
  }

  move_to_fresh_installation();
  ops::layout_to_konfig(Exchange::Import, l, store::db().konfig);
  store::db().konfig.set_import_path(file);
  ops::ImportResult r = import();
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(499, r.read_in);
  EXPECT_EQ(0, r.faulty);
  ASSERT_EQ(1u, ui::headless::boxes().size());
  EXPECT_EQ(cp("\nEs sollten maximal 499 Datensätze vorhanden sein !\n\n"), box(0).text);
  EXPECT_EQ("Info Meldung", box(0).caption);
  EXPECT_FALSE(store::db().persons[store::kPersons - 1].used());
  for (int n = 1; n < store::kPersons; ++n) {
    store::db().person_read.set_nummer(static_cast<std::uint32_t>(n));
    ASSERT_EQ(n, store::rw_person(store::kRead));
    ASSERT_EQ(persons[n - 1].b, store::db().person_read.b) << n;
    store::db().template_read.set_nummer(static_cast<std::uint32_t>(n));
    ASSERT_EQ(n, store::rw_template(store::kRead));
    ASSERT_EQ(templates[n - 1].b, store::db().template_read.b) << n;
  }
}

TEST_F(Import, ASecondImportAsksAboutEachExistingPersonalnummer) {
  add_person("Meier", "0000000001", "000000000A");
  add_person("Li", "0000000002", "000000000B");
  Layout l = separated(';', kAllColumns);
  set_layout(Exchange::Export, l);
  ASSERT_EQ(1, ops::export_persons(ui::kNoWindow));
  set_layout(Exchange::Import, l);
  for (int n = 1; n <= 2; ++n) {
    store::db().person_write = store::Personensatz{};
    store::db().person_write.set_nummer(static_cast<std::uint32_t>(n));
    ASSERT_EQ(n, store::rw_person(store::kDelete));
  }
  ops::ImportResult r = import();
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(2, r.read_in);
  EXPECT_EQ(0, questions());

  r = import({ui::kIdOk, ui::kIdYes, ui::kIdYes});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(0, r.read_in);
  EXPECT_EQ(2, r.faulty);
  ASSERT_EQ(3u, ui::headless::boxes().size());
  EXPECT_EQ(cp("\nBearbeite Importsatz Nummer 1.\n\nDie Personalnummer ist schon vorhanden !!!\n\n"
               "Möchten Sie mit dem Import fortfahren ?\n\n"),
            box(1).text);
  EXPECT_EQ("Meldung / Frage", box(1).caption);
  EXPECT_TRUE(logged("Import    - Bearbeite Importsatz Nummer 2."));
  EXPECT_TRUE(logged("Import    - Die Personalnummer ist schon vorhanden !"));
  EXPECT_TRUE(logged("Import    - Ja."));

  // No stops the import; what was stored before stays.
  store::db().person_write = store::Personensatz{};
  store::db().person_write.set_nummer(1);
  ASSERT_EQ(1, store::rw_person(store::kDelete));
  r = import({ui::kIdOk, ui::kIdNo});
  EXPECT_EQ(-90, r.code);
  EXPECT_EQ(1, r.read_in);
  EXPECT_EQ("Meier", store::db().persons[0].name());
  EXPECT_TRUE(logged("Import    - Nein."));
  EXPECT_EQ("\nFehler bei Datenimport.\n\nFehlernummer = -90\n", ops::import_result_text(r));
  EXPECT_TRUE(closed("exchange.txt"));
}

TEST_F(Import, EachCheckAsksWithItsTextAndOnlyCleanRecordsAreStored) {
  store::db().eingabe.set_ausweis_len(6);
  Layout l = separated(';', {{ops::kFieldName, 0, 0},
                             {ops::kFieldPersNo, 1, 0},
                             {ops::kFieldPreset, 2, 0},
                             {ops::kFieldComp, 3, 0},
                             {ops::kFieldUserPin, 4, 0}});
  set_layout(Exchange::Import, l);
  struct Case {
    const char* line;    // UTF-8 source; "@" stands for a zero byte
    const char* asked;   // the case's text, or nullptr when stored
    const char* preset;  // stored Ausweisnummer
    const char* pin;     // stored UserPIN
  };
  const Case cases[] = {
      {"A;0000000001;1A3;;", nullptr, "0001A3", ""},
      {"B;0000000002;1G3;;",
       "Es sind unzulässige Zeichen für das Feld Ausweisnummer vorhanden !\n"
       "Dieses Feld ist aber zwingend erfordelich !\n\n", nullptr, nullptr},
      {"C;;0000AB;;",
       "Es sind keine Daten für das Feld Personalnummer vorhanden !\n"
       "Diese Daten sind aber zwingend erfordelich !\n\n", nullptr, nullptr},
      {"D;12;0000AC;;", "Die Länge der Daten im Feld Personalnummer ist zu kurz !\n\n", nullptr,
       nullptr},
      {"E;0000000005;;;",
       "Es sind keine Daten für das Feld Ausweisnummer vorhanden !\n"
       "Diese Daten sind aber zwingend erfordelich !\n\n", nullptr, nullptr},
      {"F;0000000006;0000AD;FFFF;",
       "Der Import ist nicht möglich, da die Firmenkennung nicht stimmt !\n\n", nullptr, nullptr},
      {"G;0000000007;0000AE;;12a",
       "Es sind unzulässige Zeichen für das Feld UserPIN vorhanden !\n\n", nullptr, nullptr},
      {"H;0000000008;0000AF;0123456789;12", nullptr, "0000AF", "000012"},
      {"Müller;0000000009;0000B0;;",
       "Es sind unzulässige Zeichen (kein Windows-1252 Text) im Datensatz vorhanden !\n\n",
       nullptr, nullptr},
      {"Ma@er;0000000010;0000B1;;",
       "Es sind unzulässige Zeichen (kein Windows-1252 Text) im Datensatz vorhanden !\n\n",
       nullptr, nullptr},
  };
  std::string file;
  std::vector<int> answers = {ui::kIdOk};
  for (const Case& c : cases) {
    std::string line = c.line;  // kept UTF-8: the file is not Windows-1252 here
    for (char& ch : line) ch = ch == '@' ? '\0' : ch;
    file += line + "\r\n";
    if (c.asked) answers.push_back(ui::kIdYes);
  }
  put_text(file);
  ui::headless::clear_boxes();
  for (int a : answers) ui::headless::script_answer(a);
  ops::ImportResult r = ops::import_persons(ui::kNoWindow);
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(2, r.read_in);
  EXPECT_EQ(8, r.faulty);
  std::size_t q = 1;
  int stored = 0;
  for (int i = 0; i < 10; ++i) {
    const Case& c = cases[i];
    if (!c.asked) {
      const store::Personensatz& p = store::db().persons[stored++];
      EXPECT_EQ(c.preset, p.ausweisnummer()) << c.line;
      EXPECT_EQ(c.pin, p.user_pin()) << c.line;
      EXPECT_EQ("0123456789", p.firmenkennung()) << c.line;
      continue;
    }
    ASSERT_LT(q, ui::headless::boxes().size());
    EXPECT_EQ(cp("\nBearbeite Importsatz Nummer " + std::to_string(i + 1) + ".\n\n" + c.asked +
                 "Möchten Sie mit dem Import fortfahren ?\n\n"),
              box(q++).text);
  }
  EXPECT_EQ(q, ui::headless::boxes().size());
  EXPECT_FALSE(store::db().persons[2].used());
}

TEST_F(Import, FileStructures) {
  struct Case {
    const char* what;
    Layout l;
    std::string file;
    int code;
    int announced;  // -1: no count box
    int read_in;
  };
  auto rec = [](int n) {
    char s[40];
    std::snprintf(s, sizeof s, "N%d;%010d;%010d;", n, n, n);
    return std::string(s);
  };
  const Layout sep = separated(';', {{ops::kFieldName, 0, 0}, {ops::kFieldPersNo, 1, 0},
                                     {ops::kFieldPreset, 2, 0}});
  Layout header = sep;
  header.header = 2;
  header.header_as_length = true;
  header.footer = 2;
  Layout header_lines = sep;
  header_lines.header = 2;
  header_lines.footer = 3;
  header_lines.footer_as_length = true;
  Layout fixed;
  fixed.start_length = true;
  fixed.set_length = 25;
  fixed.header = 1;
  fixed.footer = 1;
  fixed.pos[0] = {ops::kFieldPersNo, 0, 10};
  fixed.pos[1] = {ops::kFieldPreset, 12, 10};
  Layout fixed_lines = fixed;
  fixed_lines.cr = fixed_lines.lf = true;
  Layout fixed_no_footer = fixed_lines;
  fixed_no_footer.footer = 0;
  Layout tpl = sep;
  tpl.templates = true;
  Layout lf_only = sep;
  lf_only.cr = false;
  const std::string blocks = "00000101500142" + std::string("017D0002FF02") +
                             "020000000000030000000000040000000000050000000000"
                             "060000000000070000000000080000000000090000000000";
  const std::string pad = "   ";  // fills a fixed record of 22 bytes to 25
  const std::string f1 = "0000000001  000000000A" + pad, f2 = "0000000002  000000000B" + pad;
  const std::string h = std::string(25, ' ');
  const Case cases[] = {
      {"three CR LF records", sep, rec(1) + "\r\n" + rec(2) + "\r\n" + rec(3) + "\r\n", 1, 3, 3},
      {"no terminator after the last", sep, rec(1) + "\r\n" + rec(2) + "\r\n" + rec(3), 1, 3, 3},
      {"header of 2 blanks, 2 footer lines", header,
       "  \r\n" + rec(1) + "\r\n" + rec(2) + "\r\nF1\r\nF2\r\n", 1, 2, 2},
      {"header lines, footer as a length", header_lines,
       "H1\r\nH2\r\n" + rec(1) + "\r\n   \r\n", 1, 1, 1},
      {"header shorter than 2 blanks", header, " ", -4, -1, 0},
      {"LF only", lf_only, rec(1) + "\n" + rec(2) + "\n", 1, 2, 2},
      {"LF where CR LF is required", sep, rec(1) + "\n", -62, -1, 0},
      {"CR without LF", sep, rec(1) + "\rX\r\n", -64, -1, 0},
      {"fixed records without terminators", fixed, h + f1 + f2 + h, 1, 2, 2},
      {"fixed records with a rest", fixed, h + f1 + f2 + "x", -68, -1, 0},
      {"fixed lines with terminators", fixed_lines,
       h + "\r\n" + f1 + "\r\n" + f2 + "\r\n" + h + "\r\n", 1, 2, 2},
      {"fixed lines, the second cut short", fixed_no_footer, h + "\r\n" + f1 + "\r\n000000", 0, 2,
       1},
      {"templates with a dummy block", tpl, rec(1) + blocks + "\r\n", 1, 1, 1},
      {"template text that is not hex", tpl, rec(1) + "0000010150014X" + "\r\n", -82, 1, 0},
      {"template text cut short", tpl, rec(1) + "000001015001", 0, 1, 0},
      {"a field of 1025 bytes", sep, std::string(1025, 'x') + ";1;2;\r\n", -31, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int n = 1; n <= store::kPersons; ++n) {
      if (!store::db().persons[n - 1].used()) continue;
      store::db().person_write = store::Personensatz{};
      store::db().person_write.set_nummer(static_cast<std::uint32_t>(n));
      ASSERT_EQ(n, store::rw_person(store::kDelete));
    }
    set_layout(Exchange::Import, c.l);
    put_text(c.file);
    ops::ImportResult r = import();
    EXPECT_EQ(c.code, r.code);
    EXPECT_EQ(c.read_in, r.read_in);
    EXPECT_EQ(0, questions());
    if (c.announced >= 0) {
      ASSERT_FALSE(ui::headless::boxes().empty());
      EXPECT_EQ(cp("\nEs sollten maximal " + std::to_string(c.announced) +
                   " Datensätze vorhanden sein !\n\n"),
                box(0).text);
    }
    EXPECT_TRUE(closed("exchange.txt"));
  }
}

TEST_F(Import, TemplateBlocksAndBlanksAreKept) {
  store::db().eingabe.set_personalnummer_len(6);
  Layout l;
  l.start_length = true;
  l.templates = true;
  l.pos[0] = {ops::kFieldName, 0, 10};
  l.pos[1] = {ops::kFieldPersNo, 11, 6};
  l.pos[2] = {ops::kFieldPreset, 18, 10};
  set_layout(Exchange::Import, l);
  std::string blocks = "000003015203ABCDEF" + std::string("017D0002FF02");
  for (int i = 2; i < 10; ++i) blocks += "0" + std::to_string(i) + "0000000000";
  put_text("Meier      1234   000000000A" + blocks + "\r\n");
  ops::ImportResult r = import();
  ASSERT_EQ(1, r.code);
  const store::Personensatz& p = store::db().persons[0];
  EXPECT_EQ("Meier     ", p.name());
  EXPECT_EQ("1234  ", p.personalnummer());
  store::db().template_read.set_nummer(1);
  ASSERT_EQ(1, store::rw_template(store::kRead));
  const store::Templatesatz& t = store::db().template_read;
  using testsupport::Bytes;
  EXPECT_EQ(testsupport::bytes({3, 0, 1, 0x52, 3, 0, 0, 0, 0, 0, 0xAB, 0xCD, 0xEF, 0}),
            Bytes(t.block(0), t.block(0) + 14));
  EXPECT_EQ(Bytes(14, 0), Bytes(t.block(1), t.block(1) + 14));  // the dummy: an empty block
  EXPECT_EQ(1, p.save_in_db());
  EXPECT_EQ(0, p.fingerprint_flag());
}

TEST_F(Import, EveryFileFailureHasItsCodeAndLogLineAndClosesTheFile) {
  Layout fixed;
  fixed.start_length = true;
  fixed.cr = fixed.lf = true;
  fixed.header = 2;
  fixed.header_as_length = true;
  fixed.pos[0] = {ops::kFieldName, 0, 10};
  fixed.pos[1] = {ops::kFieldPersNo, 11, 10};
  fixed.pos[2] = {ops::kFieldPreset, 22, 10};
  const std::string record = "Meier      0000000001 000000000A";
  Layout padded = fixed;
  padded.set_length = 40;
  Layout header_lines = padded;
  header_lines.header_as_length = false;
  header_lines.header = 1;
  Layout terminated_header = fixed;
  terminated_header.header_as_length = false;
  Layout tpl = fixed;
  tpl.templates = true;
  tpl.template_start = 33;
  std::string blocks;
  for (int i = 0; i < 10; ++i) blocks += "0" + std::to_string(i) + "0000000000";
  Layout sep = separated(';', {{ops::kFieldName, 0, 0}, {ops::kFieldPersNo, 1, 0},
                               {ops::kFieldPreset, 2, 0}});
  Layout unterminated = fixed;
  unterminated.cr = unterminated.lf = false;
  unterminated.header = 0;
  unterminated.set_length = 32;

  struct Case {
    const Layout* l;
    std::string file;
    Op op;
    int nth;
    int code;
    const char* log;  // after "Import    - "
  };
  const std::string file = "  \r\n" + record + "\r\n";
  const std::string padded_file = "  \r\n" + record + "        \r\n";
  const std::string columns = "Meier;0000000001;000000000A\r\n";
  // Reads: 1 fills the buffer (header), 2 finds the end while counting, 3 the
  // record's first byte, 4 and 5 after moving to the second and third field.
  // Seeks: 1 to the start, 2 data start, 3 back to it, 4 the record's start,
  // 5 and 6 to the fields (separator mode: 5 back to the record for column 0).
  const Case cases[] = {
      {&fixed, file, Op::FileOpen, 1, -1, "Konnte Importdatei nicht öffnen !"},
      {&fixed, file, Op::FileSeek, 1, -2, "Fehler beim aufsetzen auf Dateianfang !"},
      {&fixed, file, Op::FileRead, 1, -3, "Fehler beim lesen des Dateiheaders !"},
      {&header_lines, std::string(40, ' ') + "\r\n" + record, Op::FileRead, 1, -10,
       "Fehler beim lesen eines Dateiheaders !"},
      {&terminated_header, "H\r\n" + record + "\r\n", Op::FileRead, 1, -16,
       "Fehler beim lesen eines Dateiheaders !"},
      {&fixed, file, Op::FileSeek, 2, -60, "Fehler beim ermitteln der Startposition !"},
      {&fixed, file, Op::FileRead, 2, -61, "Fehler beim lesen eines Zeichens !"},
      {&unterminated, record, Op::FileSize, 1, -67, "Fehler beim GetFileSize aufgetreten !"},
      {&fixed, file, Op::FileSeek, 3, -70, "Fehler beim aufsetzen auf die Startposition !"},
      {&fixed, file, Op::FileSeek, 4, -25, "Fehler beim holen der Startposition !"},
      {&fixed, file, Op::FileSeek, 5, -50, "Fehler beim aufsetzen auf eine Position !"},
      {&fixed, file, Op::FileRead, 4, -51, "Fehler beim lesen einer gewissen Zeichenanzahl !"},
      {&padded, padded_file, Op::FileSeek, 7, -35, "Fehler beim ermitteln der aktuellen Position !"},
      {&padded, padded_file, Op::FileSeek, 8, -36, "Fehler beim aufsetzen innerhalb der Datei !"},
      {&padded, padded_file, Op::FileRead, 6, -38, "Fehler beim lesen des CR Zeichens !"},
      {&tpl, "  \r\n" + record + " " + blocks + "\r\n", Op::FileRead, 6, -80,
       "Fehler beim lesen der Templatedaten !"},
      {&sep, columns, Op::FileSeek, 5, -25, "Fehler beim aufsetzen auf die Startposition !"},
      {&sep, columns, Op::FileRead, 4, -30, "Fehler beim lesen eines Zeichens !"},
      {&sep, columns, Op::FileRead, 5, -26, "Fehler beim lesen eines Zeichens !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    set_layout(Exchange::Import, *c.l);
    put_text(c.file);
    std::remove(path("Log.txt").c_str());
    platform::fault::reset();
    platform::fault::arm(c.op, c.nth);
    ops::ImportResult r = import();
    platform::fault::reset();
    EXPECT_EQ(c.code, r.code);
    EXPECT_TRUE(logged(std::string("Import    - ") + c.log)) << log();
    EXPECT_TRUE(closed("exchange.txt"));
    EXPECT_FALSE(store::db().persons[0].used());
  }
}

}  // namespace
