// The export and import dialogs (F2, F3): filling from the Konfigsatz, the
// checks as the operator meets them, the save at the Konfigsatz offsets with the
// positions shown sorted, "search", and a run of each from its dialog.
#include <functional>
#include <string>

#include "ops/layout.h"
#include "platform/fault.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "resources/ids/d_export.h"
#include "resources/ids/d_import.h"
#include "support/program.h"

namespace {

namespace rows = res::exchange_layout;
namespace hl = ui::headless;
using testsupport::cp;

// What the tests need to tell the two dialogs apart. The import's settings lie
// 594 bytes after the export's in the Konfigsatz.
struct Dialog {
  int key;
  const char* resource;
  ops::Exchange which;
  int separator, start_and_length, header, header_as_length, set_length, cr, lf;
  int shift;
};
const Dialog kExport{ui::kKeyF2, "D_EXPORT", ops::Exchange::Export,
                     res::d_export::kSeparator, res::d_export::kStartAndLength,
                     res::d_export::kHeader, res::d_export::kHeaderAsLength,
                     res::d_export::kSetLength, res::d_export::kCr, res::d_export::kLf, 0};
const Dialog kImport{ui::kKeyF3, "D_IMPORT", ops::Exchange::Import,
                     res::d_import::kSeparator, res::d_import::kStartAndLength,
                     res::d_import::kHeader, res::d_import::kHeaderAsLength,
                     res::d_import::kSetLength, res::d_import::kCr, res::d_import::kLf, 594};
const Dialog* const kBoth[] = {&kExport, &kImport};

int field_id(int i) { return rows::kFirstField + i; }
int start_id(int i) { return rows::kFirstStart + 10 * i; }
int length_id(int i) { return rows::kFirstLength + 10 * i; }

class ExchangeDialogs : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(start_logged_in());
  }
  ui::Window open(const Dialog& d) {
    EXPECT_TRUE(hl::press_key(d.key)) << d.resource;
    return dialog(d.resource);
  }
  // Chooses the field of position i and types its start and length.
  static void position(ui::Window w, int i, int code, const char* s, const char* len = "") {
    ASSERT_TRUE(hl::choose_item(w, field_id(i), code));
    ASSERT_TRUE(hl::type(w, start_id(i), s));
    ASSERT_TRUE(hl::type(w, length_id(i), len));
  }
  // The Konfigsatz as Programm.cfg holds it.
  store::Konfigsatz konfig_on_disk() {
    store::Tables& t = store::db();
    const store::Konfigsatz in_use = t.konfig, saved = t.konfig_saved;
    EXPECT_EQ(1, store::rw_konfig(store::kRead));
    store::Konfigsatz disk = t.konfig;
    t.konfig = in_use;
    t.konfig_saved = saved;
    return disk;
  }
};

TEST_F(ExchangeDialogs, SavedLayoutLiesAtItsOffsetsAndFillsTheDialogSorted) {
  store::db().eingabe.set_zusatz_active(1, 1);
  store::db().eingabe.set_zusatz_description(1, "Kostenstelle");
  for (const Dialog* d : kBoth) {
    ui::Window w = open(*d);
    EXPECT_EQ(510, hl::text_limit(w, rows::kFile));
    EXPECT_EQ("Separator", ui::get_text(w, rows::kStartTitle));
    ASSERT_TRUE(hl::type(w, rows::kFile, path("hr.txt")));
    ASSERT_TRUE(hl::type(w, d->separator, "~"));
    for (int id : {d->start_and_length, d->header_as_length, d->cr, d->lf,
                   int{rows::kFooterAsLength}, int{rows::kTemplates}})
      ASSERT_TRUE(hl::press(w, id));
    EXPECT_EQ("Start", ui::get_text(w, rows::kStartTitle));
    ASSERT_TRUE(hl::type(w, d->header, "3"));
    ASSERT_TRUE(hl::type(w, d->set_length, "300"));
    ASSERT_TRUE(hl::type(w, rows::kFooter, "2"));
    position(w, 0, ops::kFieldPersNo, "20", "8");
    position(w, 1, ops::kFieldZusatz1, "0", "10");
    position(w, 2, ops::kFieldPreset, "12", "6");
    if (d == &kImport) {
      ASSERT_TRUE(hl::type(w, res::d_import::kTemplateStart, "29"));
    }

    // A failed write keeps the dialog and the Konfigsatz in use as they were.
    platform::fault::arm(platform::fault::Op::FileOpen, 1);
    ASSERT_TRUE(hl::press(w, ui::kIdAction));
    EXPECT_EQ("\nEs ist ein Fehler beim speichern der Daten afgetreten !\nFehlercode -1 !\n\n"
              "|Fehler Meldung\n",
              boxes());
    EXPECT_EQ("", ops::layout_from_konfig(d->which, store::db().konfig).path);
    hl::clear_boxes();
    ASSERT_TRUE(hl::press(w, ui::kIdAction));
    EXPECT_EQ("", boxes());
    EXPECT_EQ(ops::kFieldZusatz1, ui::items_selected(w, field_id(0)));  // shown sorted at once
    EXPECT_EQ("12", ui::get_text(w, start_id(1)));

    // Offsets of the export layout; the import's lie 594 bytes further on.
    const store::Konfigsatz k = konfig_on_disk();
    EXPECT_EQ(path("hr.txt"), store::get_text(k.b.data(), 190 + d->shift, 512));
    struct At {
      int offset, width, value;
    };
    const At stored[] = {{702, 1, '~'}, {704, 2, 3},  {706, 1, 1},  {707, 1, 1},  {708, 1, 1},
                         {709, 1, 1},   {710, 2, 300}, {712, 1, 4}, {713, 1, 8},  {714, 1, 3},
                         {715, 1, 0},   {724, 2, 0},  {726, 2, 12}, {728, 2, 20}, {744, 2, 10},
                         {746, 2, 6},   {748, 2, 8},  {780, 2, 2},  {782, 1, 1},  {783, 1, 1}};
    for (const At& a : stored) {
      int at = a.offset + d->shift;
      EXPECT_EQ(a.value, a.width == 1 ? k.b[at] : k.b[at] | k.b[at + 1] << 8) << a.offset;
    }
    if (d == &kImport) {
      EXPECT_EQ(29, k.import_template_start());
    }
    ASSERT_TRUE(hl::press(w, ui::kIdExitMenu));
    EXPECT_EQ(ui::kNoWindow, dialog(d->resource));
    EXPECT_TRUE(ui::window_enabled(main()));

    // Opened again, the dialog shows what was stored, the positions sorted.
    w = open(*d);
    EXPECT_EQ((std::vector<std::string>{"Not used", "Name", "First Name", "Pers. No.",
                                        "Kostenstelle", "Comp. Code", "Not used", "Not used",
                                        "Preset No.", "Not used", "User PIN"}),
              hl::items(w, field_id(9)));
    const std::pair<int, const char*> shown[] = {
        {d->separator, "~"},  {d->header, "3"},      {d->set_length, "300"},
        {rows::kFooter, "2"}, {start_id(0), "0"},     {length_id(0), "10"},
        {start_id(1), "12"},  {length_id(1), "6"},    {start_id(2), "20"},
        {length_id(2), "8"},  {start_id(3), "0"},     {rows::kStartTitle, "Start"}};
    for (const auto& f : shown) EXPECT_EQ(f.second, ui::get_text(w, f.first)) << f.first;
    const int codes[] = {ops::kFieldZusatz1, ops::kFieldPreset, ops::kFieldPersNo, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(codes[i], ui::items_selected(w, field_id(i)));
    EXPECT_TRUE(ui::checked(w, d->cr) && ui::checked(w, rows::kTemplates));
    ASSERT_TRUE(hl::press(w, ui::kIdExitMenu));
  }
  // The German column titles.
  res::select_edition(res::Edition::German);
  ui::Window w = open(kImport);
  ASSERT_TRUE(hl::press(w, kImport.start_and_length));
  EXPECT_EQ("Trennz.", ui::get_text(w, rows::kStartTitle));
}

TEST_F(ExchangeDialogs, RefusedLayoutsShowTheirMessageAndStayUnsaved) {
  using Enter = std::function<void(ui::Window)>;
  struct Case {
    const Dialog* only;  // null: both dialogs
    Enter enter;
    const char* message;
  };
  const Case cases[] = {
      {nullptr, [](ui::Window w) { ASSERT_TRUE(hl::type(w, rows::kFile, "")); },
       "\nExportdateiname fehlt !\n\n"},
      {nullptr, [](ui::Window w) { position(w, 1, ops::kFieldName, "2x"); },
       "\nEingegebene Startposition ist nicht zulässig !!!\n\n"},
      {nullptr, [](ui::Window w) { position(w, 1, ops::kFieldName, "", "-1"); },
       "\nEingegebene Positionslänge ist nicht zulässig !!!\n\n"},
      {nullptr, [](ui::Window w) { ASSERT_TRUE(hl::choose_item(w, field_id(0), 0)); },
       "\nEs wurde kein Datenbankfeld ausgewählt !\n\n"},
      {&kExport,
       [](ui::Window w) {
         ASSERT_TRUE(hl::press(w, kExport.start_and_length));
         position(w, 1, ops::kFieldName, "10", "5");
       },
       "\nDatenexport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\n"
       "Fehlercode 1\n\n"},
      {&kImport,
       [](ui::Window w) {
         ASSERT_TRUE(hl::press(w, kImport.start_and_length));
         ASSERT_TRUE(hl::press(w, rows::kTemplates));
         ASSERT_TRUE(hl::type(w, res::d_import::kTemplateStart, "10"));
       },
       "\nDatenimport ist so nicht möglich !!!\nEs liegen Feldüberschneidungen vor !!!\n"
       "Fehlercode 10000\n\n"},
      {&kImport, [](ui::Window w) { ASSERT_TRUE(hl::choose_item(w, field_id(0), ops::kFieldName)); },
       "\nDatenimport ist so nicht möglich !!!\nEs ist weder das Feld Personalnummer noch das "
       "Feld Ausweisnummer ausgewählt !!!\n\n"},
      {&kImport, [](ui::Window w) { position(w, 1, ops::kFieldPersNo, "1"); },
       "\nDatenimport ist so nicht möglich !!!\nEs ist (sind) Datenimportfelder doppeld belegt "
       "!!!\n\n"},
  };
  for (const Dialog* d : kBoth) {
    for (const Case& c : cases) {
      if (c.only && c.only != d) continue;
      // On a layout that passes: the Personalnummer, start 0, length 10.
      ui::Window w = open(*d);
      ASSERT_TRUE(hl::type(w, rows::kFile, path("x.txt")));
      position(w, 0, ops::kFieldPersNo, "0", "10");
      hl::clear_boxes();
      c.enter(w);
      ASSERT_TRUE(hl::press(w, ui::kIdSecond));
      EXPECT_EQ(std::string(c.message) + "|Fehler Meldung\n", boxes()) << d->resource;
      ASSERT_TRUE(hl::press(w, ui::kIdExitMenu));
    }
    EXPECT_EQ("", konfig_on_disk().export_path() + konfig_on_disk().import_path());
    // A separator the files cannot use is refused as it is typed.
    ui::Window w = open(*d);
    hl::clear_boxes();
    ASSERT_TRUE(hl::type(w, d->separator, "/"));
    EXPECT_EQ("\nUnzulässige Eingabe im Feld Trennzeichen !\n\nErlaubte Zeichen sind (',' ';' "
              "' ' '.' ':' '#' '~')\n\n|Fehler Meldung\n",
              boxes());
    EXPECT_EQ("", ui::get_text(w, d->separator));
    ASSERT_TRUE(hl::press(w, ui::kIdExitMenu));
  }
}

TEST_F(ExchangeDialogs, SearchStartsFromTheStoredPathOrTheWorkingDirectory) {
  for (const Dialog* d : kBoth) {
    const bool save = d == &kExport;
    ui::Window w = open(*d);
    hl::script_file(path("chosen.txt"));
    ASSERT_TRUE(hl::press(w, rows::kSearch));
    EXPECT_EQ(path("chosen.txt"), ui::get_text(w, rows::kFile));
    const ui::FileDialog& f = hl::file_dialogs().back().dialog;
    EXPECT_EQ(save, f.save);
    EXPECT_EQ(cp(save ? "Datei speichern" : "Datei öffnen"), f.title);
    EXPECT_EQ("All Files", f.filter_name);
    EXPECT_EQ("*.*", f.filter_pattern);
    EXPECT_EQ(platform::working_directory(), f.initial);
    EXPECT_EQ(save, f.overwrite_prompt);
    EXPECT_TRUE(f.path_must_exist);
    position(w, 0, ops::kFieldPersNo, "0");
    ASSERT_TRUE(hl::press(w, ui::kIdAction));

    hl::script_file_cancel();
    ASSERT_TRUE(hl::type(w, rows::kFile, "typed"));
    ASSERT_TRUE(hl::press(w, rows::kSearch));
    EXPECT_EQ(path("chosen.txt"), hl::file_dialogs().back().dialog.initial);
    EXPECT_EQ("typed", ui::get_text(w, rows::kFile));
    ASSERT_TRUE(hl::press(w, ui::kIdExitMenu));
  }
}

TEST_F(ExchangeDialogs, ExportAndImportRunFromTheirDialogsAndReport) {
  for (const char* pers : {"0000000001", "0000000002"}) {
    store::new_person_defaults();
    store::db().person_write.set_name(std::string("N") + pers[9]);
    store::db().person_write.set_personalnummer(pers);
    store::db().person_write.set_ausweisnummer(std::string("000000000") + pers[9]);
    ASSERT_GT(store::rw_person(store::kWrite), 0);
  }
  auto forget_persons = [] {
    for (int n = 1; n <= 2; ++n) {
      store::db().person_write.set_nummer(static_cast<std::uint32_t>(n));
      ASSERT_EQ(n, store::rw_person(store::kDelete));
    }
  };
  struct Run {
    const Dialog* dialog;
    const char* file;
    std::vector<int> answers;
    const char* shown;  // boxes, "text|caption" a line
    bool forget_before;
  };
  const Run runs[] = {
      {&kExport, "hr.txt", {}, "\nDer Datenexport wurde erfolgreich abgeschlossen.\n\n|Daten Export\n",
       false},
      {&kExport, "hr.txt", {ui::kIdNo},
       "\nVorhandene Exportdatei überschreiben ?\n\n|Frage ?\n"
       "\nFehler bei Datenexport.\n\nFehlernummer = 0\n|Daten Export\n",
       false},
      {&kImport, "hr.txt", {ui::kIdOk},
       "\nEs sollten maximal 2 Datensätze vorhanden sein !\n\n|Info Meldung\n"
       "\nDer Datenimport wurde erfolgreich abgeschlossen.\n\nEs wurden 2 Datensätze eingelesen "
       "und\nes sind dabei 0 Fehler aufgetreten !!!\n\n|Daten Import\n",
       true},
      {&kImport, "missing.txt", {},
       "\nFehler bei Datenimport.\n\nFehlernummer = -1\n|Daten Import\n",
       false},
  };
  for (const Run& r : runs) {
    if (r.forget_before) forget_persons();
    ui::Window w = open(*r.dialog);
    ASSERT_TRUE(hl::type(w, rows::kFile, path(r.file)));
    ASSERT_TRUE(hl::type(w, r.dialog->separator, ";"));
    ASSERT_TRUE(hl::press(w, r.dialog->cr));
    ASSERT_TRUE(hl::press(w, r.dialog->lf));
    position(w, 0, ops::kFieldName, "0");
    position(w, 1, ops::kFieldPersNo, "1");
    position(w, 2, ops::kFieldPreset, "2");
    hl::clear_boxes();
    for (int a : r.answers) hl::script_answer(a);
    ASSERT_TRUE(hl::press(w, ui::kIdSecond));
    EXPECT_EQ(r.shown, boxes()) << r.file;
    EXPECT_EQ(ui::kNoWindow, dialog(r.dialog->resource));
    EXPECT_TRUE(ui::window_enabled(main()));
  }
  testsupport::Bytes file = testsupport::read_file(path("hr.txt"));
  EXPECT_EQ("N1;0000000001;0000000001;\r\nN2;0000000002;0000000002;\r\n",
            std::string(file.begin(), file.end()));
  EXPECT_EQ("N2", on_disk()->persons[1].name());
  // The three lines of the completed import, once: the failed import adds none.
  testsupport::Bytes log = testsupport::read_file(path("Log.txt"));
  const std::string text(log.begin(), log.end());
  for (const char* line : {"Import    - Der Datenimport wurde erfolgreich abgeschlossen.\r\n",
                           "Import    - Es wurden 2 Datensätze eingelesen und\r\n",
                           "Import    - es sind dabei 0 Fehler aufgetreten !!!\r\n"}) {
    std::size_t at = text.find(cp(line));
    EXPECT_NE(std::string::npos, at) << line;
    EXPECT_EQ(std::string::npos, text.find(cp(line), at + 1)) << line;
  }
}

}  // namespace
