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

Layout with(bool start_length, std::initializer_list<Position> pos, char sep = ';') {
  Layout l;
  l.path = "x.txt";
  l.separator = static_cast<std::uint8_t>(sep);
  l.start_length = start_length;
  int i = 0;
  for (const Position& p : pos) l.pos[i++] = p;
  return l;
}

TEST(Layout, RefusalsAndOverlapCodes) {
  res::select_edition(res::Edition::English);
  struct Case {
    Exchange which;
    Layout l;
    int result;
    int overlap;
    const char* message;  // UTF-8; nullptr: not compared
  };
  const Exchange ex = Exchange::Export, im = Exchange::Import;
  Layout no_file = with(false, {{1, 0, 0}});
  no_file.path.clear();
  Layout tpl = with(true, {{3, 0, 10}});
  tpl.templates = true;
  tpl.template_start = 10;
  Layout tpl_ok = tpl;
  tpl_ok.template_start = 11;
  const Case cases[] = {
      {ex, with(true, {{1, 0, 10}, {3, 11, 6}}), 1, 0, ""},
      {ex, with(true, {{1, 0, 10}, {3, 10, 6}}), ops::kLayoutOverlap, 1,
       "\nDatenexport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\n"
       "Fehlercode 1\n\n"},
      {ex, with(true, {{1, 0, 5}, {2, 5, 5}, {3, 10, 5}}), ops::kLayoutOverlap, 11, nullptr},
      {ex, with(true, {{1, 0, 1}, {1, 2, 1}, {1, 4, 1}, {1, 6, 1}, {1, 8, 1}, {1, 10, 1},
                       {1, 12, 1}, {1, 14, 1}, {1, 15, 1}, {1, 16, 1}}),
       ops::kLayoutOverlap, 7000, nullptr},
      {ex, with(false, {{1, 0, 0}, {3, 2, 0}}), 1, 0, ""},
      {ex, with(false, {{1, 0, 0}, {2, 0, 0}}), 1, 0, ""},
      {ex, with(false, {{1, 3, 0}, {2, 3, 0}, {3, 5, 0}}), ops::kLayoutOverlap, 1, nullptr},
      {ex, with(false, {{1, 0, 0}}, '/'), ops::kLayoutBadSeparator, 0,
       "\nUnzulässige Eingabe im Feld Trennzeichen !\n\nErlaubte Zeichen sind (',' ';' ' ' '.' "
       "':' '#' '~')\n\n"},
      {im, no_file, ops::kLayoutNoFileName, 0, "\nExportdateiname fehlt !\n\n"},
      {ex, with(true, {{1, -1, 5}}), ops::kLayoutBadStart, 0,
       "\nEingegebene Startposition ist nicht zulässig !!!\n\n"},
      {ex, with(true, {{1, 0, -5}}), ops::kLayoutBadLength, 0,
       "\nEingegebene Positionslänge ist nicht zulässig !!!\n\n"},
      {ex, with(true, {{0, 0, 5}}), ops::kLayoutNoField, 0,
       "\nEs wurde kein Datenbankfeld ausgewählt !\n\n"},
      {im, tpl, ops::kLayoutOverlap, 10000,
       "\nDatenimport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\n"
       "Fehlercode 10000\n\n"},
      {im, tpl_ok, 1, 0, ""},
      {im, with(false, {{1, 0, 0}, {2, 1, 0}}), ops::kLayoutNoKeyField, 0,
       "\nDatenimport ist so nicht möglich !!!\nEs ist weder das Feld Personalnummer noch das "
       "Feld Ausweisnummer ausgewählt !!!\n\n"},
      {im, with(false, {{3, 0, 0}, {3, 1, 0}}), ops::kLayoutDoubleField, 0,
       "\nDatenimport ist so nicht möglich !!!\nEs ist (sind) Datenimportfelder doppeld belegt "
       "!!!\n\n"},
      {ex, with(false, {{3, 0, 0}, {3, 1, 0}}), 1, 0, ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    Layout l = c.l;
    ops::LayoutCheck r = ops::check_layout(c.which, l);
    EXPECT_EQ(c.result, r.result) << "case " << i;
    EXPECT_EQ(c.overlap, r.overlap) << "case " << i;
    if (c.message) {
      EXPECT_EQ(cp(c.message), r.message) << "case " << i;
    }
    ++i;
  }
}

TEST(Layout, SortsUsedPositionsByStartAndUnusedAfterThem) {
  Layout l = with(true, {{8, 30, 4}, {0, 0, 0}, {1, 0, 10}, {0, 7, 3}, {3, 11, 6}});
  ASSERT_EQ(1, ops::check_layout(Exchange::Export, l).result);
  const int codes[] = {1, 3, 8, 0, 0}, starts[] = {0, 11, 30, 0, 7};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(codes[i], l.pos[i].code) << i;
    EXPECT_EQ(starts[i], l.pos[i].start) << i;
  }
}

class LayoutSave : public opstest::ExchangeTest {};

TEST_F(LayoutSave, StoresEveryFieldAtItsOffsetAndKeepsItOnAFailedWrite) {
  Layout l = with(true, {{3, 12, 6}, {1, 0, 10}});
  l.header = 0x0102;
  l.set_length = 0x0304;
  l.cr = l.templates = true;
  ASSERT_EQ(1, ops::save_layout(Exchange::Export, l).result);
  Layout imp = with(true, {{8, 0, 10}});
  imp.templates = imp.footer_as_length = true;
  imp.template_start = 0x0B0A;
  ASSERT_EQ(1, ops::save_layout(Exchange::Import, imp).result);
  ASSERT_EQ(1, store::rw_konfig(store::kRead));  // read back from the file
  const auto& b = store::db().konfig.b;
  const std::pair<int, int> bytes[] = {
      {190, 'x'}, {702, ';'}, {704, 0x02}, {705, 0x01}, {707, 1},  {708, 1},  {709, 0},
      {710, 0x04}, {712, 1},  {713, 3},    {726, 12},   {744, 10}, {746, 6},  {783, 1},
      {784, 'x'}, {1296, ';'}, {1301, 1},  {1306, 8},   {1338, 10}, {1372, 0x0A}, {1373, 0x0B},
      {1376, 1},  {1377, 1}};
  for (const auto& [offset, value] : bytes) EXPECT_EQ(value, b[offset]) << offset;

  store::Konfigsatz before = store::db().konfig;
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  Layout other = with(false, {{3, 0, 0}});
  ops::LayoutCheck r = ops::save_layout(Exchange::Import, other);
  EXPECT_EQ(ops::kLayoutSaveFailed, r.result);
  EXPECT_EQ(cp("\nEs ist ein Fehler beim speichern der Daten afgetreten !\nFehlercode -1 !\n\n"),
            r.message);
  EXPECT_EQ(before.b, store::db().konfig.b);
}

}  // namespace
