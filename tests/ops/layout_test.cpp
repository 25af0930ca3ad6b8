// The layout checks of the export and import dialogs: refusals with their
// messages, sorting, overlap codes, and saving into Programm.cfg.
#include "ops/fixture.h"
#include "ops/layout.h"
#include "platform/fault.h"
#include "resources/catalogue.h"

namespace {

using ops::Exchange;
using ops::Layout;
using ops::Position;
using testsupport::cp;

Layout with(bool start_length, std::initializer_list<Position> pos) {
  Layout l;
  l.path = "x.txt";
  l.separator = ';';
  l.start_length = start_length;
  int i = 0;
  for (const Position& p : pos) l.pos[i++] = p;
  return l;
}

TEST(Layout, RefusalsAndOverlapCodes) {
  res::select_edition(res::Edition::English);
  struct Case {
    const char* what;
    Exchange which;
    Layout l;
    int result;
    int overlap;
    const char* message;  // UTF-8
  };
  Layout bad_sep = with(false, {{1, 0, 0}});
  bad_sep.separator = '/';
  Layout no_file = with(false, {{1, 0, 0}});
  no_file.path.clear();
  Layout tpl = with(true, {{3, 0, 10}});
  tpl.templates = true;
  tpl.template_start = 10;
  Layout tpl_ok = tpl;
  tpl_ok.template_start = 11;
  const Case cases[] = {
      {"name 0/10, pers. no. 11/6", Exchange::Export, with(true, {{1, 0, 10}, {3, 11, 6}}), 1, 0,
       ""},
      {"pers. no. at 10", Exchange::Export, with(true, {{1, 0, 10}, {3, 10, 6}}), ops::kLayoutOverlap,
       1,
       "\nDatenexport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\nFehlercode "
       "1\n\n"},
      {"three touching fields", Exchange::Export, with(true, {{1, 0, 5}, {2, 5, 5}, {3, 10, 5}}),
       ops::kLayoutOverlap, 11, nullptr},
      {"pairs 9-10 and 8-9", Exchange::Export,
       with(true, {{1, 0, 1}, {1, 2, 1}, {1, 4, 1}, {1, 6, 1}, {1, 8, 1}, {1, 10, 1}, {1, 12, 1},
                   {1, 14, 1}, {1, 15, 1}, {1, 16, 1}}),
       ops::kLayoutOverlap, 7000, nullptr},
      {"columns 0 and 2", Exchange::Export, with(false, {{1, 0, 0}, {3, 2, 0}}), 1, 0, ""},
      {"two fields at column 0", Exchange::Export, with(false, {{1, 0, 0}, {2, 0, 0}}), 1, 0, ""},
      {"two fields at column 3", Exchange::Export, with(false, {{1, 3, 0}, {2, 3, 0}, {3, 5, 0}}),
       ops::kLayoutOverlap, 1, nullptr},
      {"separator", Exchange::Export, bad_sep, ops::kLayoutBadSeparator, 0,
       "\nUnzulässige Eingabe im Feld Trennzeichen !\n\nErlaubte Zeichen sind (',' ';' ' ' '.' ':' "
       "'#' '~')\n\n"},
      {"no file", Exchange::Import, no_file, ops::kLayoutNoFileName, 0,
       "\nExportdateiname fehlt !\n\n"},
      {"negative start", Exchange::Export, with(true, {{1, -1, 5}}), ops::kLayoutBadStart, 0,
       "\nEingegebene Startposition ist nicht zulässig !!!\n\n"},
      {"negative length", Exchange::Export, with(true, {{1, 0, -5}}), ops::kLayoutBadLength, 0,
       "\nEingegebene Positionslänge ist nicht zulässig !!!\n\n"},
      {"nothing selected", Exchange::Export, with(true, {{0, 0, 5}}), ops::kLayoutNoField, 0,
       "\nEs wurde kein Datenbankfeld ausgewählt !\n\n"},
      {"template start inside the last field", Exchange::Import, tpl, ops::kLayoutOverlap, 10000,
       "\nDatenimport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\nFehlercode "
       "10000\n\n"},
      {"template start after the last field", Exchange::Import, tpl_ok, 1, 0, ""},
      {"import without key field", Exchange::Import, with(false, {{1, 0, 0}, {2, 1, 0}}),
       ops::kLayoutNoKeyField, 0,
       "\nDatenimport ist so nicht möglich !!!\nEs ist weder das Feld Personalnummer noch das Feld "
       "Ausweisnummer ausgewählt !!!\n\n"},
      {"import field twice", Exchange::Import, with(false, {{3, 0, 0}, {3, 1, 0}}),
       ops::kLayoutDoubleField, 0,
       "\nDatenimport ist so nicht möglich !!!\nEs ist (sind) Datenimportfelder doppeld belegt "
       "!!!\n\n"},
      {"export field twice", Exchange::Export, with(false, {{3, 0, 0}, {3, 1, 0}}), 1, 0, ""},
  };
  for (const Case& c : cases) {
    Layout l = c.l;
    ops::LayoutCheck r = ops::check_layout(c.which, l);
    EXPECT_EQ(c.result, r.result) << c.what;
    EXPECT_EQ(c.overlap, r.overlap) << c.what;
    if (c.message) {
      EXPECT_EQ(cp(c.message), r.message) << c.what;
    }
  }
}

TEST(Layout, SortsUsedPositionsByStartAndUnusedAfterThem) {
  Layout l = with(true, {{8, 30, 4}, {0, 0, 0}, {1, 0, 10}, {0, 7, 3}, {3, 11, 6}});
  ASSERT_EQ(1, ops::check_layout(Exchange::Export, l).result);
  const int codes[] = {1, 3, 8, 0, 0};
  const int starts[] = {0, 11, 30, 0, 7};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(codes[i], l.pos[i].code) << i;
    EXPECT_EQ(starts[i], l.pos[i].start) << i;
  }
  // The template start counts only in start-and-length mode with templates.
  Layout sep = with(false, {{3, 0, 0}});
  sep.template_start = 99;
  ASSERT_EQ(1, ops::check_layout(Exchange::Import, sep).result);
  EXPECT_EQ(0, sep.template_start);
}

class LayoutSave : public opstest::ExchangeTest {};

TEST_F(LayoutSave, StoresEveryFieldAtItsOffsetAndKeepsItOnAFailedWrite) {
  Layout l = with(true, {{3, 12, 6}, {1, 0, 10}});
  l.path = "C:\\Daten\\export.txt";
  l.header = 0x0102;
  l.header_as_length = true;
  l.set_length = 0x0304;
  l.cr = true;
  l.footer = 0x0506;
  l.templates = true;
  ASSERT_EQ(1, ops::save_layout(Exchange::Export, l).result);
  ASSERT_EQ(1, store::rw_konfig(0));  // read back from the file
  const auto& b = store::db().konfig.b;
  EXPECT_EQ('C', b[190]);
  EXPECT_EQ(';', b[702]);
  EXPECT_EQ(0x02, b[704]);
  EXPECT_EQ(0x01, b[705]);
  EXPECT_EQ(1, b[706]);
  EXPECT_EQ(1, b[707]);
  EXPECT_EQ(1, b[708]);
  EXPECT_EQ(0, b[709]);
  EXPECT_EQ(0x04, b[710]);
  EXPECT_EQ(1, b[712]);  // sorted: name first
  EXPECT_EQ(3, b[713]);
  EXPECT_EQ(12, b[726]);
  EXPECT_EQ(10, b[744]);
  EXPECT_EQ(6, b[746]);
  EXPECT_EQ(0x06, b[780]);
  EXPECT_EQ(1, b[783]);

  Layout imp = with(true, {{8, 0, 10}});
  imp.templates = true;
  imp.template_start = 0x0B0A;
  imp.footer_as_length = true;
  ASSERT_EQ(1, ops::save_layout(Exchange::Import, imp).result);
  EXPECT_EQ(8, b[1306]);
  EXPECT_EQ(0x0A, b[1372]);
  EXPECT_EQ(0x0B, b[1373]);
  EXPECT_EQ(1, b[1376]);
  EXPECT_EQ(1, b[1377]);

  store::Konfigsatz before = store::db().konfig;
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  Layout other = with(false, {{3, 0, 0}});
  ops::LayoutCheck r = ops::save_layout(Exchange::Import, other);
  EXPECT_EQ(ops::kLayoutSaveFailed, r.result);
  EXPECT_EQ(-1, r.save_code);
  EXPECT_EQ(cp("\nEs ist ein Fehler beim speichern der Daten afgetreten !\nFehlercode -1 !\n\n"),
            r.message);
  EXPECT_EQ(before.b, store::db().konfig.b);
}

TEST_F(LayoutSave, FieldListsFollowTheInputMask) {
  store::Eingabesatz& m = store::db().eingabe;
  EXPECT_EQ("Not used", ops::field_list_text(4, m));
  m.set_zusatz_active(1, 1);
  EXPECT_EQ("befor Comp. Code", ops::field_list_text(4, m));
  m.set_zusatz_description(1, "Werk");
  EXPECT_EQ("Werk", ops::field_list_text(4, m));
  m.set_change_company_active(1);
  m.set_company_description("Mandant");
  EXPECT_EQ("Mandant", ops::field_list_text(5, m));
  res::select_edition(res::Edition::German);
  EXPECT_EQ("Pers. Nr.", ops::field_list_text(3, m));
}

}  // namespace
