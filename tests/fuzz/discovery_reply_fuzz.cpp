// The discovery probe and the DHCP presence probe meeting fuzzed replies
// from a loopback responder: whatever the reply holds (empty, short, longer
// than the receive buffer, several datagrams), the probe answers true and the
// router's address is the sender of the first reply, unless every reply is a
// DHCP message, which discovery reads past (then no router answered).
//
// Input: a byte choosing the sender 127.0.0.<1-4> and the probe (bit 7: the
// presence probe), then up to three replies separated by "\n=====\n".
#include <arpa/inet.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/DiscoveryProbe.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static LoopbackUdpResponder responder;
  static const std::uint16_t localPort = FreeUdpPort();
  if (size < 1) return 0;
  const int host = 1 + (data[0] & 3);
  const bool presence = (data[0] & 0x80) != 0;
  std::vector<std::string> replies = SplitParts(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 3);
  for (std::string& r : replies)
    if (r.size() > 65507) r.resize(65507);  // the largest datagram
  const bool routerAnswers =
      std::any_of(replies.begin(), replies.end(), [](const std::string& r) { return !IsDhcpMessage(r); });

  // The probes wait 2 s (a protocol constant); a reply held up longer by a
  // loaded machine is tried once more before "no answer" counts.
  for (int attempt = 1;; ++attempt) {
    responder.SetReplies(replies, host, localPort);
    ProbeError error = ProbeError::kSocketError;
    if (presence) {
      bool answered = false;
      const bool sent = DetectDhcpServer(answered, "127.0.0.1", responder.Port(), localPort, &error);
      responder.WaitIdle();
      if (error == ProbeError::kNoAnswer && attempt == 1) continue;
      FUZZ_CHECK(sent && answered && error == ProbeError::kNone,
                 "presence probe: sent " + std::to_string(sent) + " answered " + std::to_string(answered) + ": " +
                     ProbeErrorText(error));
      const std::vector<std::string> received = responder.Received();
      FUZZ_CHECK(received.size() == 1 && received[0].size() == kDhcpPresenceDatagramSize, "presence datagram");
    } else {
      std::uint32_t address = 0;
      std::string text = "x";
      const bool found = FindRouterByBroadcast(address, text, "127.0.0.1", responder.Port(), localPort, &error);
      responder.WaitIdle();
      if (!routerAnswers) {
        FUZZ_CHECK(!found && error == ProbeError::kNoAnswer && text.empty(),
                   std::string("DHCP messages alone: ") + ProbeErrorText(error));
        break;
      }
      if (error == ProbeError::kNoAnswer && attempt == 1) continue;
      FUZZ_CHECK(found && error == ProbeError::kNone, std::string("discovery: ") + ProbeErrorText(error));
      const std::string expected = "127.0.0." + std::to_string(host);
      FUZZ_CHECK(text == expected, "router address " + Printable(text) + ", expected " + expected);
      in_addr parsed{};
      FUZZ_CHECK(inet_pton(AF_INET, expected.c_str(), &parsed) == 1 && parsed.s_addr == address, "address value");
      const std::vector<std::string> received = responder.Received();
      const std::vector<std::uint8_t> datagram = BuildDiscoveryDatagram();
      FUZZ_CHECK(received.size() == 1 && received[0] == std::string(datagram.begin(), datagram.end()),
                 "discovery datagram");
    }
    break;
  }
  return 0;
}
