// The address and port rules shared by the reader and enrol-station forms.
#include "link/address_rules.h"

#include <gtest/gtest.h>

namespace {

using rlink::AddressCheck;
using rlink::check_address;

TEST(AddressRules, DottedAddressesByTheirGroups) {
  for (const char* ok : {"192.168.0.1", "10.1", "10.", "1..2", "223.255.255.255", "1",
                         "001.002.003.004", "127.0.0.1"})
    EXPECT_EQ(AddressCheck::Ok, check_address(ok)) << ok;
  for (const char* bad : {"0.1.2.3", "224.0.0.1", "1.2.3.256", "1.2.3.4.5", "1234.1.1.1",
                          "1.2.3.4.", "10.0.0.1a", "1.2.3.-4", "1 .2.3.4", "000.1.1.1"})
    EXPECT_EQ(AddressCheck::Bad, check_address(bad)) << bad;
}

TEST(AddressRules, HostNamesAndEmptyText) {
  EXPECT_EQ(AddressCheck::Empty, check_address(""));
  // Anything not beginning with a digit is a host name, taken without a check.
  for (const char* name : {"door-reader", "reader.local", ".1.2.3", " 1.2.3.4", "a..b"})
    EXPECT_EQ(AddressCheck::Ok, check_address(name)) << name;
  EXPECT_FALSE(rlink::is_dotted_ipv4("door-reader"));
}

TEST(AddressRules, TcpPortRange) {
  unsigned port = 7;
  for (const char* bad : {"", "999", "0", "65536", "99999", "12a4", "-1000", "100000"}) {
    EXPECT_FALSE(rlink::parse_tcp_port(bad, &port)) << bad;
    EXPECT_EQ(7u, port) << bad;
  }
  ASSERT_TRUE(rlink::parse_tcp_port("1000", &port));
  EXPECT_EQ(1000u, port);
  ASSERT_TRUE(rlink::parse_tcp_port("65535", &port));
  EXPECT_EQ(65535u, port);
  ASSERT_TRUE(rlink::parse_tcp_port("01000", &port));
  EXPECT_EQ(1000u, port);
}

}  // namespace
