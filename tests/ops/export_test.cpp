// The export file byte for byte, the overwrite question, and every failure the
// file system can cause with its code, its log line and the file closed.
#include "ops/export.h"
#include "ops/fixture.h"
#include "platform/fault.h"

namespace {

using ops::Exchange;
using ops::Layout;
using platform::fault::Op;
using testsupport::cp;

class Export : public opstest::ExchangeTest {};

TEST_F(Export, StartAndLengthRecordIsNineteenBytes) {
  add_person("Meier", "1234", "00000000AB");
  Layout l;
  l.start_length = true;
  l.cr = l.lf = true;
  l.pos[0] = {ops::kFieldName, 0, 10};
  l.pos[1] = {ops::kFieldPersNo, 11, 6};
  set_layout(Exchange::Export, l);
  ASSERT_EQ(1, ops::export_persons(ui::kNoWindow));
  EXPECT_EQ("Meier      1234  \r\n", file_text());
  EXPECT_TRUE(closed("exchange.txt"));
}

TEST_F(Export, SeparatorColumnsHeadersFootersAndOverwriting) {
  add_person("Name", "number", "00000000AB", "First");
  add_person("Li", "42", "00000000AC");
  struct Case {
    const char* what;
    Layout l;
    const char* expected;
  };
  Layout cols = separated(';', {{ops::kFieldName, 0, 0}, {ops::kFieldPersNo, 2, 0}});
  Layout header_length = cols;
  header_length.header = 2;
  header_length.header_as_length = true;
  Layout fixed = cols;
  fixed.set_length = 16;
  fixed.header = 2;
  fixed.footer = 1;
  Layout terminators_only = cols;
  terminators_only.header = 2;
  terminators_only.footer = 1;
  terminators_only.lf = false;
  Layout tab = separated(0, {{ops::kFieldName, 0, 0}, {ops::kFieldFirstName, 1, 0}});
  Layout same_column = separated(',', {{ops::kFieldName, 0, 0}, {ops::kFieldPersNo, 0, 0}});
  const Case cases[] = {
      {"columns 0 and 2", cols, "Name;;number;\r\nLi;;42;\r\n"},
      {"header as a length", header_length, "  \r\nName;;number;\r\nLi;;42;\r\n"},
      {"lines of the set length", fixed,
       "                \r\n                \r\nName;;number;   \r\nLi;;42;         \r\n"
       "                \r\n"},
      {"lines of terminators", terminators_only, "\r\rName;;number;\rLi;;42;\r\r"},
      {"tab as the separator", tab, "Name\tFirst\t\r\nLi\t\t\r\n"},
      {"a later position overwrites its column", same_column, "number,\r\n42,\r\n"},
  };
  for (const Case& c : cases) {
    set_layout(Exchange::Export, c.l);
    ui::headless::clear_boxes();
    ui::headless::script_answer(ui::kIdYes);  // replace the previous case's file
    ASSERT_EQ(1, ops::export_persons(ui::kNoWindow)) << c.what;
    EXPECT_EQ(c.expected, file_text()) << c.what;
  }
}

TEST_F(Export, ExistingFileIsReplacedOnlyAfterYes) {
  add_person("Meier", "1234", "00000000AB");
  set_layout(Exchange::Export, separated(';', {{ops::kFieldName, 0, 0}}));
  put_text("old");
  ui::headless::script_answer(ui::kIdNo);
  EXPECT_EQ(0, ops::export_persons(ui::kNoWindow));
  EXPECT_EQ("old", file_text());
  ASSERT_EQ(1u, ui::headless::boxes().size());
  EXPECT_EQ(cp("\nVorhandene Exportdatei überschreiben ?\n\n"), ui::headless::boxes()[0].text);
  EXPECT_EQ("Frage ?", ui::headless::boxes()[0].caption);
  ui::headless::script_answer(ui::kIdYes);
  EXPECT_EQ(1, ops::export_persons(ui::kNoWindow));
  EXPECT_EQ("Meier;\r\n", file_text());
  EXPECT_EQ(cp("\nDer Datenexport wurde erfolgreich abgeschlossen.\n\n"),
            ops::export_result_text(1));
  EXPECT_EQ("\nFehler bei Datenexport.\n\nFehlernummer = 0\n", ops::export_result_text(0));
}

TEST_F(Export, TemplatesAsHexWithDummyAndUnreadableRecords) {
  int a = add_person("A", "1", "00000000AB");
  add_templates(a, {2, store::kDummyTemplate, 0});
  int b = add_person("B", "2", "00000000AC");
  add_templates(b, {1});
  Layout l = separated(';', {{ops::kFieldName, 0, 0}});
  l.templates = true;
  l.cr = l.lf = false;  // templates switch both on
  l.set_length = 500;   // and the set length off
  set_layout(Exchange::Export, l);
  // The first person's template record cannot be opened: it gets empty blocks.
  platform::fault::arm(Op::FileOpen, 2);
  ASSERT_EQ(1, ops::export_persons(ui::kNoWindow));
  std::string empty_blocks;
  for (int i = 0; i < 10; ++i) empty_blocks += "0" + std::to_string(i) + "0000000000";
  EXPECT_EQ("A;" + empty_blocks + "\r\nB;" + "00000101500102" +
                empty_blocks.substr(12) + "\r\n",
            file_text());
  EXPECT_TRUE(logged("Export    - Konnte die Templatedaten nicht lesen !, Satz 0, Fehler -4"));

  platform::fault::reset();
  ui::headless::script_answer(ui::kIdYes);
  ASSERT_EQ(1, ops::export_persons(ui::kNoWindow));
  // Two data bytes, then the dummy as its 12 header characters without data.
  std::string first = file_text().substr(0, 2 + 12 + 4 + 12 + 12);
  EXPECT_EQ("A;" "000002015001" "0102" "017D0002FF02" "020000035203", first);
}

TEST_F(Export, EveryFileFailureHasItsCodeAndLogLineAndClosesTheFile) {
  add_person("Meier", "1234", "00000000AB", "Hans", "123456");
  store::Eingabesatz& m = store::db().eingabe;
  store::Personensatz& p = store::db().person_write;
  p = store::db().persons[0];
  for (int z = 1; z <= 4; ++z) {
    m.set_zusatz_active(z, 1);
    p.set_zusatz(z, "0" + std::to_string(z));
  }
  ASSERT_EQ(1, store::rw_person(store::kWrite));

  Layout fixed;
  fixed.start_length = true;
  fixed.cr = fixed.lf = true;
  fixed.header = 1;
  fixed.header_as_length = true;
  fixed.footer = 1;
  fixed.footer_as_length = true;
  fixed.set_length = 200;
  for (int code = 1; code <= 10; ++code) fixed.pos[code - 1] = {code, 10 * code, 8};
  Layout sep = separated(';', {{1, 0, 0}, {3, 2, 0}, {5, 3, 0}});
  sep.templates = true;
  Layout same_column = separated(';', {{1, 0, 0}, {3, 0, 0}});

  struct Case {
    const Layout* l;
    bool existing;
    Op op;
    int nth;
    int code;
    const char* log;  // after "Export    - "
  };
  // Start-and-length writes: header blank, CR, LF (1-3); per field: blanks
  // before its start, text, padding (4, 5, 6 for the name ...; the company
  // code and the Ausweisnummer fill their width and need no padding); the
  // set-length padding, CR, LF (32-34); the footer (35-37). Separator mode:
  // seeks 1 start, 2 record end, 3.. each column; writes: name, ";", the
  // separator before column 2, number, ";", company code, ";", templates.
  const Case cases[] = {
      {&fixed, true, Op::FileDelete, 1, -1, "Konnte alte Exportdatei nicht löschen !"},
      {&fixed, false, Op::FileOpen, 1, -2, "Konnte neue Exportdatei nicht öffnen !"},
      {&fixed, false, Op::FileSeek, 1, -3, "Fehler bei SetFilePointer auf Dateianfang !"},
      {&fixed, false, Op::FileWrite, 1, -4, "Fehler beim schreiben eines Leerzeichens !"},
      {&fixed, false, Op::FileWrite, 2, -5, "Fehler beim schreiben des CR Zeichens !"},
      {&fixed, false, Op::FileWrite, 3, -6, "Fehler beim schreiben des LF Zeichens !"},
      {&fixed, false, Op::FileSeek, 2, -9, "Fehler beim holen der aktuellen Position !"},
      {&fixed, false, Op::FileWrite, 4, -8, "Fehler beim schreiben eines Leerzeichens !"},
      {&fixed, false, Op::FileWrite, 5, -10, "Fehler beim schreiben des Namens !, Satz 0"},
      {&fixed, false, Op::FileWrite, 6, -11, "Fehler beim schreiben eines Leerzeichens !, Satz 0"},
      {&fixed, false, Op::FileWrite, 8, -12, "Fehler beim schreiben des Vornamens !, Satz 0"},
      {&fixed, false, Op::FileWrite, 11, -14, "Fehler beim schreiben der Personalnummer !, Satz 0"},
      {&fixed, false, Op::FileWrite, 14, -16, "Fehler beim schreiben des Zusatzfeldes 1 !, Satz 0"},
      {&fixed, false, Op::FileWrite, 17, -18, "Fehler beim schreiben der Firmenkennung !, Satz 0"},
      {&fixed, false, Op::FileWrite, 19, -20, "Fehler beim schreiben des Zusatzfeldes 2 !, Satz 0"},
      {&fixed, false, Op::FileWrite, 22, -22, "Fehler beim schreiben des Zusatzfeldes 3 !, Satz 0"},
      {&fixed, false, Op::FileWrite, 25, -24, "Fehler beim schreiben der Ausweisnummer !, Satz 0"},
      {&fixed, false, Op::FileWrite, 27, -26, "Fehler beim schreiben des Zusatzfeldes 4 !, Satz 0"},
      {&fixed, false, Op::FileWrite, 30, -28, "Fehler beim schreiben des Userpins !, Satz 0"},
      {&fixed, false, Op::FileWrite, 31, -29, "Fehler beim schreiben eines Leerzeichens !, Satz 0"},
      {&fixed, false, Op::FileWrite, 32, -31, "Fehler beim schreiben eines Leerzeichens !"},
      {&fixed, false, Op::FileWrite, 33, -32, "Fehler beim schreiben des CR Zeichens !"},
      {&fixed, false, Op::FileWrite, 34, -33, "Fehler beim schreiben des LF Zeichens !"},
      {&fixed, false, Op::FileWrite, 35, -4, "Fehler beim schreiben eines Leerzeichens !"},
      {&fixed, false, Op::FileWrite, 37, -6, "Fehler beim schreiben des LF Zeichens !"},
      {&sep, false, Op::FileSeek, 3, -7, "Fehler beim aufsetzen auf die Startposition !"},
      {&sep, false, Op::FileWrite, 3, -8, "Fehler beim schreiben eines Trennzeichens !"},
      {&sep, false, Op::FileWrite, 5, -15, "Fehler beim schreiben eines Leerzeichens !, Satz 0"},
      {&sep, false, Op::FileWrite, 6, -18, "Fehler beim schreiben de Firmenkennung !, Satz 0"},
      {&sep, false, Op::FileWrite, 8, -30, "Fehler beim schreiben der Templatedaten !"},
      // Two fields in column 0, the second shorter: back to the record's end.
      {&same_column, false, Op::FileSeek, 5, -7,
       "Fehler beim holen der aktuellen Position innerhalb der Datei !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    set_layout(Exchange::Export, *c.l);
    std::remove(path("exchange.txt").c_str());
    std::remove(path("Log.txt").c_str());
    if (c.existing) put_text("old");
    ui::headless::clear_boxes();
    ui::headless::script_answer(ui::kIdYes);
    platform::fault::reset();
    platform::fault::arm(c.op, c.nth);
    EXPECT_EQ(c.code, ops::export_persons(ui::kNoWindow));
    platform::fault::reset();
    EXPECT_TRUE(logged(std::string("Export    - ") + c.log)) << log();
    if (platform::path_exists(path("exchange.txt"))) {
      EXPECT_TRUE(closed("exchange.txt"));
    }
  }
}

}  // namespace
