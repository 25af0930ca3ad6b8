// The answer decoder and the answer polling: every mapping row, the boxes they
// show, the template delivery and the last-delivery text.
#include <gtest/gtest.h>

#include "link/link.h"
#include "platform/headless/boxes.h"
#include "scripted.h"
#include "store/store.h"

using scripted::Bytes;
using scripted::Device;
using testsupport::cp;

namespace {

struct Polling : ::testing::Test {
  Device dev;
  scripted::Install inst{dev};
  void SetUp() override {
    rlink::reset_link();
    store::reset_store();
    ui::headless::clear_boxes();
  }
  std::vector<std::string> texts() {
    std::vector<std::string> r;
    for (const auto& b : ui::headless::boxes()) r.push_back(b.text);
    return r;
  }
};

struct Row {
  Bytes after;
  int daten, antwort;
  std::vector<std::string> daten_boxes, antwort_boxes;
};

TEST_F(Polling, AnswerMapping) {
  const std::string kA = "leser_funk: ZAM-FP, Fingerprintleser\n, ";
  std::vector<Row> rows = {
      {{'s', '>'}, 0, 0x3E, {}, {}},
      {{'s', 'C'}, 0, 0x43, {}, {}},
      {{'s', 'D', 1}, -37, 0x44, {}, {}},
      {{'Y', 0x01, 0x01}, 3, 3, {}, {}},
      {{'Y', 0x01, 0x02}, 4, 4, {"leser_komm: Fingerprint DB ist voll."}, {"leser_komm: Fingerprint DB ist voll."}},
      {{'Y', 0x01, 0x03}, 5, 5, {}, {}},
      {{'Y', 0x01, 0x05}, 7, 7, {}, {}},
      {{'Y', 0x01, 0x07}, 0, 0x59, {}, {}},
      {{'Y', 0x01, 0x04}, 0, 0x59, {}, {}},
      {{'Y', 0x01, 0x00}, 0, 0x30, {}, {}},
      {{'Y', 0x01, 0x0A, 7, 8}, 0, 12, {kA + "0A 07 08."}, {}},
      {{'Y', 0x01, 0x0B, 7, 8}, 0, 13, {kA + "0B 07 08."}, {}},
      {{'Y', 0x01, 0x0C, 7, 8}, 0, 14, {kA + "0C 07 08."}, {}},
      {{'Y', 0x01, 0x0D, 7, 8}, 0, 15, {kA + "0D 07 08."}, {}},
      {{'Y', 0x01, 0x0E},
       0,
       0x59,
       {"leser_funk: ZAM-FP, Unbekannte Antwort 0E vom Fingerprintleser."},
       {"leser_funk: ZAM-FP, Unbekannte Antwort 0E vom Fingerprintleser."}},
      {{'Y', 0x01, 0x30},
       0,
       0x59,
       {"leser_komm: Unbekannter Fehlerwert 30.", "leser_funk: ZAM-FP, Unbekannte Antwort 30 vom Fingerprintleser."},
       {"leser_komm: Unbekannter Fehlerwert 30.", "leser_funk: ZAM-FP, Unbekannte Antwort 30 vom Fingerprintleser."}},
      {{'Y', 0x66, 0x09},
       0,
       0x59,
       {"leser_funk: ZAM-FP, Unbekannte Statusantwort 09 vom Fingerprintleser."},
       {"leser_funk: ZAM-FP, Unbekannte Statusantwort 09 vom Fingerprintleser."}},
      {{'Y', 0x55, 0x01, 0x02},
       0,
       0x59,
       {"leser_komm: Unbekannter Returnwert 0x55.", kA + "01 02 00."},
       {"leser_komm: Unbekannter Returnwert 0x55.", kA + "01 02 00."}},
      {{'Y'}, 0, 0x59, {kA + "00 00 00."}, {kA + "00 00 00."}},
      {{'e', 'Q', 0x01, 0x01}, 0, 'Q', {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.after));
    for (int antwort = 0; antwort < 2; ++antwort) {
      ui::headless::clear_boxes();
      dev.deliver(1, row.after);
      int r = antwort ? rlink::leser_funk_antwort(1) : rlink::leser_funk_daten(1);
      EXPECT_EQ(r, antwort ? row.antwort : row.daten);
      std::vector<std::string> want = antwort ? row.antwort_boxes : row.daten_boxes;
      for (auto& w : want) w = cp(w);
      EXPECT_EQ(texts(), want);
      EXPECT_TRUE(dev.deliveries.empty());
    }
  }
}

TEST_F(Polling, DataRecordBecomesTheLastDeliveryText) {
  Bytes record{'i'};
  for (int i = 0; i < 80; ++i) record.push_back(static_cast<std::uint8_t>('A' + i % 26));
  dev.deliver(2, record);
  EXPECT_EQ(rlink::leser_funk_daten(2), 1);
  std::string expected = "T" + std::string(record.begin() + 1, record.begin() + 62);
  EXPECT_EQ(rlink::last_delivery(), expected);
  dev.deliver(2, {'k', '7'});
  EXPECT_EQ(rlink::leser_funk_antwort(2), 1000);
  EXPECT_EQ(rlink::last_delivery(), "K7");
  EXPECT_EQ(rlink::leser_funk_daten(2), 0);  // DC2: nothing, no box
  EXPECT_TRUE(ui::headless::boxes().empty());
}

TEST_F(Polling, PollAndFetchFailures) {
  dev.silent = true;
  EXPECT_EQ(rlink::leser_funk_daten(1), -99);
  EXPECT_EQ(rlink::leser_funk_antwort(1), -98);
  ASSERT_EQ(texts().size(), 2u);
  EXPECT_EQ(texts()[0], "leser_funk: Fehler -2 beim Pollen,  Adresse 1");
  EXPECT_EQ(ui::headless::boxes()[0].caption, "Error Message");
  dev.silent = false;
  ui::headless::clear_boxes();
  dev.deliver(1, {'s', '>'});
  dev.nak_frames = 2;
  EXPECT_EQ(rlink::leser_funk_daten(1), -98);
  EXPECT_EQ(rlink::leser_funk_antwort(1), -99);
  EXPECT_EQ(texts()[0], "leser_funk: Fehler -2 beim Daten holen,  Adresse 1");
}

Bytes template_delivery(int quality, const Bytes& block) {
  Bytes d{'Y', 0x66, 0x02, static_cast<std::uint8_t>(quality),
          static_cast<std::uint8_t>(block.size() >> 8), static_cast<std::uint8_t>(block.size() & 0xFF)};
  for (std::uint8_t b : block) d.push_back(b);
  return d;
}

Bytes block_with_check(int n) {
  Bytes b;
  std::uint8_t x = 0;
  for (int i = 0; i < n - 1; ++i) {
    b.push_back(static_cast<std::uint8_t>(i * 13));
    x ^= b.back();
  }
  b.push_back(x);
  return b;
}

TEST_F(Polling, TemplateDeliveryFillsTheExpectedBuffer) {
  rlink::State& st = rlink::state();
  st.enrol_mark = 1;
  Bytes block = block_with_check(400);
  dev.deliver(1, template_delivery(77, block));
  EXPECT_EQ(rlink::leser_funk_daten(1), 1);
  EXPECT_EQ(st.template_quality, 77);
  EXPECT_EQ(st.template_len1, 400);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), st.template1.begin()));
  EXPECT_EQ(st.enrol_mark, 0);
  // Without the mark the second buffer takes it.
  dev.deliver(1, template_delivery(60, block_with_check(1010)));
  EXPECT_EQ(rlink::leser_funk_antwort(1), 1);
  EXPECT_EQ(st.template_len2, 1010);
  EXPECT_EQ(st.template_quality, 60);
  EXPECT_TRUE(ui::headless::boxes().empty());
}

TEST_F(Polling, TemplateDeliveryThatDoesNotCheckOrFitIsRefused) {
  rlink::State& st = rlink::state();
  Bytes bad = block_with_check(100);
  bad[5] ^= 1;
  Bytes too_long = template_delivery(50, block_with_check(400));
  too_long[4] = 0x04;  // declares 1024 + ... bytes
  Bytes beyond = template_delivery(50, block_with_check(20));
  beyond[5] = 200;  // declares more than the frame holds
  for (const Bytes& d : {template_delivery(50, bad), too_long, beyond}) {
    ui::headless::clear_boxes();
    st.template_quality = 0;
    dev.deliver(1, d);
    EXPECT_EQ(rlink::leser_funk_daten(1), 0);
    EXPECT_EQ(st.template_quality, 0);
    ASSERT_GE(texts().size(), 1u);
    EXPECT_EQ(texts()[0], "leser_komm: BCC Fehler bei Enrol.");
  }
}

TEST_F(Polling, DatabaseInformationAndErrorCodes) {
  rlink::state().info_pending = 1;
  dev.deliver(1, {'Y', 0x66, 0x08, 0x03, 0xE8, 0x00, 0x0C, 0x27, 0x10, 0x00, 0x05, 'V', '1', '.', '2'});
  EXPECT_EQ(rlink::leser_funk_antwort(1), 0x59);
  ASSERT_GE(texts().size(), 1u);
  EXPECT_EQ(texts()[0],
            "leser_komm:\nMax. Anzahl von Records in der FP-Sensor-DB = 1000.\n"
            "Akt. Anzahl von Records in der FP-Sensor-DB = 12.\n"
            "Max. Anzahl von Records im Dataflash = 10000.\n"
            "Akt. Anzahl von Records im Dataflash = 5.\n"
            "Software-Version des FP-Sensors = V1.2.\n");
  EXPECT_EQ(rlink::state().info_pending, 0);
  ui::headless::clear_boxes();
  Bytes codes{'Y', 0x66, 0x0B};
  for (int i = 1; i <= 12; ++i) codes.push_back(static_cast<std::uint8_t>(i));
  dev.deliver(1, codes);
  rlink::leser_funk_antwort(1);
  EXPECT_EQ(texts()[0],
            "leser_komm: Fehlercode 1: 01 02 03 04.\nleser_komm: Fehlercode 2: 05 06 07 08.\n"
            "leser_komm: Fehlercode 3: 09 0a 0b 0c.\n");
  // Too short to hold the values: no box from the decoder.
  ui::headless::clear_boxes();
  dev.deliver(1, {'Y', 0x66, 0x0B, 1, 2});
  rlink::leser_funk_antwort(1);
  EXPECT_EQ(texts().size(), 1u);  // only the polling's own message
}

}  // namespace
