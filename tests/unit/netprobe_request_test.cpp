// The privileged helper's request form: what it takes, what it refuses, and
// the standard-input line, in one table. Every refusal names its reason.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/netprobe/NetprobeRequest.h"

namespace kelvane::netprobe {
namespace {

using namespace std::string_literals;

struct Case {
  std::string input;  // the standard-input form; the command-line form is its words
  bool taken;
  Operation operation = Operation::kNone;
  const char* address = "";
  int port = 67;
  int count = 1;
  int timeoutMs = 1000;
  const char* why = "";  // a part of the refusal
};

TEST(NetprobeRequest, TakesTheDocumentedFormAndNothingElse) {
  const Case cases[] = {
      {"discover\n", true, Operation::kDiscover, "255.255.255.255"},
      {"dhcp-presence\n", true, Operation::kDhcpPresence, "255.255.255.255"},
      {"discover --to 255.255.255.255:67\n", true, Operation::kDiscover, "255.255.255.255"},
      {"discover --to 127.0.0.1:40123\n", true, Operation::kDiscover, "127.0.0.1", 40123},
      {"dhcp-presence --to 127.8.9.10\n", true, Operation::kDhcpPresence, "127.8.9.10"},
      {"echo 192.168.123.254\n", true, Operation::kEcho, "192.168.123.254"},
      {"echo 127.0.0.1 --count 4 --timeout 100\n", true, Operation::kEcho, "127.0.0.1", 67, 4, 100},
      {"echo 10.0.0.1 --timeout 1000 --count 1\n", true, Operation::kEcho, "10.0.0.1"},
      // Where a probe may go: the limited broadcast to port 67, or loopback.
      {"discover --to 255.255.255.255:68\n", false, {}, "", 67, 1, 1000, "port 67 only"},
      {"discover --to 192.168.123.254\n", false, {}, "", 67, 1, 1000, "loopback"},
      {"discover --to 127.0.0.1:0\n", false, {}, "", 67, 1, 1000, "port"},
      {"discover --to 127.0.0.1:65536\n", false, {}, "", 67, 1, 1000, "port"},
      {"discover --to 127.0.0.1:080\n", false, {}, "", 67, 1, 1000, "port"},
      {"discover --to localhost\n", false, {}, "", 67, 1, 1000, "dotted"},
      // The echo goes to one unicast address.
      {"echo 255.255.255.255\n", false, {}, "", 67, 1, 1000, "unicast"},
      {"echo 224.0.0.1\n", false, {}, "", 67, 1, 1000, "unicast"},
      {"echo 240.0.0.1\n", false, {}, "", 67, 1, 1000, "unicast"},
      {"echo 0.0.0.0\n", false, {}, "", 67, 1, 1000, "unicast"},
      {"echo 192.168.123.01\n", false, {}, "", 67, 1, 1000, "dotted"},
      {"echo 1.2.3\n", false, {}, "", 67, 1, 1000, "dotted"},
      {"echo 1.2.3.4.5\n", false, {}, "", 67, 1, 1000, "dotted"},
      {"echo\n", false, {}, "", 67, 1, 1000, "dotted"},
      // Counts and time-outs within the program's own.
      {"echo 10.0.0.1 --count 5\n", false, {}, "", 67, 1, 1000, "--count"},
      {"echo 10.0.0.1 --count 0\n", false, {}, "", 67, 1, 1000, "--count"},
      {"echo 10.0.0.1 --count -1\n", false, {}, "", 67, 1, 1000, "--count"},
      {"echo 10.0.0.1 --timeout 1001\n", false, {}, "", 67, 1, 1000, "--timeout"},
      {"echo 10.0.0.1 --timeout 99\n", false, {}, "", 67, 1, 1000, "--timeout"},
      {"echo 10.0.0.1 --count 1 --count 2\n", false, {}, "", 67, 1, 1000, "twice"},
      {"echo 10.0.0.1 --count\n", false, {}, "", 67, 1, 1000, "needs a value"},
      // Options belong to their operation; nothing else is an option.
      {"echo 10.0.0.1 --to 127.0.0.1\n", false, {}, "", 67, 1, 1000, "unknown option"},
      {"discover --count 1\n", false, {}, "", 67, 1, 1000, "unknown option"},
      {"discover --help\n", false, {}, "", 67, 1, 1000, "unknown option"},
      {"discover extra\n", false, {}, "", 67, 1, 1000, "unknown option"},
      {"--help\n", false, {}, "", 67, 1, 1000, "unknown operation"},
      {"Discover\n", false, {}, "", 67, 1, 1000, "unknown operation"},
      // The line itself.
      {"discover", false, {}, "", 67, 1, 1000, "newline"},
      {"discover\nmore\n", false, {}, "", 67, 1, 1000, "newline"},
      {"discover  --to 127.0.0.1\n", false, {}, "", 67, 1, 1000, "single spaces"},
      {" discover\n", false, {}, "", 67, 1, 1000, "single spaces"},
      {"\n", false, {}, "", 67, 1, 1000, "single spaces"},
      {"discover\t--to\n", false, {}, "", 67, 1, 1000, "printable"},
      {"discover\0\n"s, false, {}, "", 67, 1, 1000, "printable"},
      {"echo 10.0.0.1 --count 1 --timeout 100 x y z\n", false, {}, "", 67, 1, 1000, "too many"},
      {"echo " + std::string(130, '1') + "\n", false, {}, "", 67, 1, 1000, "longer than"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::vector<std::string> words;
    std::string why;
    Request request;
    const bool split = SplitRequestLine(c.input, words, why);
    const bool taken = split && ParseRequest(words, request, why);
    EXPECT_EQ(taken, c.taken) << why;
    if (!c.taken) {
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
      EXPECT_EQ(request.operation, Operation::kNone) << "a refused request leaves nothing behind";
      continue;
    }
    EXPECT_EQ(request.operation, c.operation);
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = request.address;
    EXPECT_STREQ(inet_ntop(AF_INET, &a, text, sizeof text), c.address);
    EXPECT_EQ(request.port, c.port);
    EXPECT_EQ(request.count, c.count);
    EXPECT_EQ(request.timeoutMs, c.timeoutMs);
    // The command line carries the same words and gets the same answer.
    Request again;
    EXPECT_TRUE(ParseRequest(words, again, why)) << why;
    // The first word alone names the operation (the capability kept before parsing).
    EXPECT_EQ(OperationWord(words[0]), c.operation);
    EXPECT_EQ(OperationOfLine(c.input), c.operation);
  }
}

}  // namespace
}  // namespace kelvane::netprobe
