// The Template-on-Card data block byte for byte, and the block on a simulated
// transponder after write_card_data sent it in chunks of 200 bytes.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "link/link.h"
#include "ops/toc_block.h"
#include "platform/headless/boxes.h"
#include "sim.h"
#include "store/store.h"
#include "support/support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put_template(store::Templatesatz& t, int block, int group, int length, std::uint8_t seed) {
  t.set_length(block, static_cast<std::int16_t>(length));
  t.set_group(block, static_cast<std::uint8_t>(group));
  t.set_quality(block, 80);
  for (int i = 0; i < length && i < store::kTemplateDataSize; ++i)
    t.data(block)[i] = static_cast<std::uint8_t>(seed + i * 3);
}

Bytes data_of(const store::Templatesatz& t, int block) {
  return Bytes(t.data(block), t.data(block) + t.length(block));
}

std::uint8_t xor_of(const Bytes& b) {
  std::uint8_t x = 0;
  for (int i = 0; i < 23; ++i) x ^= b[static_cast<std::size_t>(i)];
  return x;
}

class Block : public ::testing::Test {
 protected:
  void SetUp() override {
    store::reset_store();
    store::default_eingabe();  // "Matching Level" 5
  }
  store::Personensatz person;
  store::Templatesatz templates;
};

TEST_F(Block, OneTemplateOf400BytesInGroup2) {
  put_template(templates, 1, 2, 400, 7);
  Bytes b = ops::toc_block(person, templates, 3);
  ASSERT_EQ(424u, b.size());
  Bytes header = {3, 1, 1, 0x21, 0x90};
  header.resize(23, 0);
  header.push_back(xor_of(header));
  EXPECT_TRUE(testsupport::same_bytes(header, Bytes(b.begin(), b.begin() + 24)));
  EXPECT_TRUE(testsupport::same_bytes(data_of(templates, 1), Bytes(b.begin() + 24, b.end())));
}

TEST_F(Block, EntriesInBlockOrderWithTheirDataBackToBack) {
  put_template(templates, 0, 1, 300, 1);
  templates.set_length(2, store::kDummyTemplate);  // a placeholder is no entry
  templates.set_group(2, 3);
  put_template(templates, 3, 4, 700, 9);
  put_template(templates, 5, 6, 1500, 2);  // longer than a finger block holds: no entry
  put_template(templates, 9, 10, 1010, 4);
  Bytes b = ops::toc_block(person, templates, 0);  // 0: the input mask's level
  ASSERT_EQ(24u + 300 + 700 + 1010, b.size());
  Bytes header = {5, 1, 3, 0x11, 0x2C, 0x42, 0xBC, 0xA3, 0xF2};
  header.resize(23, 0);
  header.push_back(xor_of(header));
  EXPECT_TRUE(testsupport::same_bytes(header, Bytes(b.begin(), b.begin() + 24)));
  Bytes data = data_of(templates, 0);
  for (int block : {3, 9}) {
    Bytes d = data_of(templates, block);
    data.insert(data.end(), d.begin(), d.end());
  }
  EXPECT_TRUE(testsupport::same_bytes(data, Bytes(b.begin() + 24, b.end())));
}

TEST_F(Block, SpezialPinIsWrittenInsteadOfTheTemplates) {
  person.set_spezial_pin("80417");
  put_template(templates, 0, 1, 400, 5);
  Bytes b = ops::toc_block(person, templates, 9);
  Bytes want = {9, 1, 1, 0xF0, 5, '8', '0', '4', '1', '7'};
  want.resize(23, 0);
  want.push_back(xor_of(want));
  EXPECT_TRUE(testsupport::same_bytes(want, b));
}

TEST_F(Block, NothingToWriteWithoutPinOrTemplate) {
  EXPECT_TRUE(ops::toc_block(person, templates, 5).empty());
  templates.set_length(0, store::kDummyTemplate);
  EXPECT_TRUE(ops::toc_block(person, templates, 5).empty());
}

// The block on the transponder: module 2 (Legic advant) writes from the start
// address of its settings in chunks of 200 bytes, each confirmed, and the start
// address is put back afterwards.
TEST(CardWrite, TheBlockLandsOnTheTransponderInChunksOf200) {
  store::reset_store();
  rlink::reset_link();
  ui::headless::clear_boxes();
  store::default_eingabe();
  store::Eingabesatz& mask = store::db().eingabe;
  mask.set_module_type(store::kLegicModule);
  mask.rfid_module2()[1] = 0x00;
  mask.rfid_module2()[2] = 0x30;  // start address 48
  store::Templatesatz t;
  put_template(t, 1, 2, 400, 11);
  const Bytes block = ops::toc_block(store::Personensatz{}, t, 4);

  sim::Simulator station(sim::Options{});
  const int port = station.listen_tcp();
  ASSERT_GT(port, 0);
  station.present_card({0x04, 0x11, 0x22, 0x33});
  ASSERT_TRUE(station.start());
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(port));

  EXPECT_EQ(1, rlink::write_card_data(1, block.data(), static_cast<int>(block.size())));
  std::vector<sim::Card> cards = station.cards();
  station.stop();
  ASSERT_EQ(1u, cards.size());
  EXPECT_EQ(3, cards[0].writes);  // 200, 200 and 24 bytes
  Bytes memory(cards[0].memory.begin() + 48, cards[0].memory.begin() + 48 + 424);
  EXPECT_TRUE(testsupport::same_bytes(block, memory));
  EXPECT_EQ(0, cards[0].memory[47]);
  EXPECT_EQ(0, cards[0].memory[48 + 424]);
  EXPECT_EQ(0x00, mask.rfid_module2()[1]);
  EXPECT_EQ(0x30, mask.rfid_module2()[2]);
  EXPECT_TRUE(ui::headless::boxes().empty());
}

}  // namespace
