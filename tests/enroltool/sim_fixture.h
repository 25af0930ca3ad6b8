// A test that runs the built enroltool against a simulated station or reader
// bus (readers 2 and 5) on loopback TCP in this process.
#pragma once
#ifndef _WIN32

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "sim.h"
#include "support/support.h"
#include "enroltool/tool_runner.h"

#ifndef ENROLTOOL_PATH
#error "ENROLTOOL_PATH must name the built enroltool"
#endif

namespace tooltest {

class ToolWithSim : public ::testing::Test {
 protected:
  Result run(const std::string& args) { return run_tool(ENROLTOOL_PATH, args, scratch); }
  // Starts a simulated bus on a free loopback port; "--tcp 127.0.0.1:PORT".
  std::string start(sim::Bus bus) {
    sim::Options o;
    o.bus = bus;
    o.addresses = {2, 5};
    dev = std::make_unique<sim::Simulator>(o);
    int port = dev->listen_tcp();
    EXPECT_GT(port, 0);
    EXPECT_TRUE(dev->start());
    return "--tcp 127.0.0.1:" + std::to_string(port);
  }
  void expect_closed_and_off(int address) {
    sim::Simulator& s = *dev;
    EXPECT_TRUE(s.wait_until([&] { return s.connections_closed() == s.connections_opened(); }, 2000));
    EXPECT_FALSE(s.transparent(address));
  }
  void TearDown() override {
    if (dev) dev->stop();
  }

  std::unique_ptr<sim::Simulator> dev;
  testsupport::TempDir scratch;
};

}  // namespace tooltest
#endif
