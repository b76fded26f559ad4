// The dotted-address check that both sockets use before they connect or send.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "net/SocketWait.h"

namespace kelvane {
namespace {

using namespace std::string_literals;

TEST(ParseDottedAddress, TakesFourDecimalPartsAndNothingElse) {
  struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"127.0.0.1", true},
      {"192.168.123.254", true},
      {"0.0.0.0", true},
      {"127.0.0.01", false},          // a leading zero
      {"127.0.0.1\0"s, false},        // a zero byte after a valid address
      {"1.2.3.4\0junk"s, false},
      {"1.2.3.4 ", false},
      {"1.2.3", false},
      {"256.1.1.1", false},
      {"", false},
  };
  for (const auto& c : cases) {
    std::uint32_t address = 0;
    EXPECT_EQ(ParseDottedAddress(c.text, address), c.valid) << c.text.size() << " " << c.text.c_str();
    if (!c.valid) {
      EXPECT_EQ(address, INADDR_NONE) << c.text.c_str();
    }
  }
}

}  // namespace
}  // namespace kelvane
