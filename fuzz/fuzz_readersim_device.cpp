// The simulated devices take any bytes a host sends: the stream parser cuts
// them into units and the bus answers each, with faults and sealing switched
// on by the first input bytes.
#include <cstddef>
#include <cstdint>

#include "codec.h"
#include "device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  sim::Options options;
  if (data[0] & 1) {
    options.bus = sim::Bus::Readers;
    options.addresses = {1, 3, 15};
  }
  sim::BusState bus;
  sim::init_bus(&bus, options);
  bus.encryption = static_cast<sim::Encryption>(((data[0] >> 1) & 0x03) % 3);
  bus.record_key.assign(16, 0x5A);
  bus.auto_csn = {0x04, 0x10, 0x22};
  bus.keys_pending = (data[0] & 0x08) != 0;
  bus.keys = "1234";
  sim::Fault fault;
  fault.kind = static_cast<sim::FaultKind>(data[1] % 9);
  fault.count = data[1] / 9 + 1;
  bus.faults.push_back(fault);
  sim::StreamParser parser;
  sim::ConnContext conn;
  std::vector<sim::InUnit> units;
  // Feed in pieces whose length the next byte tells, as reads would.
  std::size_t at = 3;
  std::size_t piece = data[2] % 64 + 1;
  while (at < size) {
    const std::size_t n = size - at < piece ? size - at : piece;
    units.clear();
    parser.feed(data + at, n, &units);
    parser.flush_garbage(&units);
    for (const sim::InUnit& u : units) sim::handle_unit(&bus, &conn, u);
    at += n;
  }
  return 0;
}
