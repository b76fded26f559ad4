// The ICMP echo reply classifier on fuzzed packets, as a raw socket (with IP
// header) and a datagram socket (without) hand them over: never a read
// outside the packet, a reply's data length within the packet, and our own
// reply and quoted error recognised. The Internet checksum is checked against
// its defining property.
//
// Input: a flag byte (bit 0: with IP header, bit 1: check the id), two bytes
// id, two bytes sequence, then the packet.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/host/linux/IcmpEcho.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const bool withIp = (data[0] & 1) != 0;
  const bool checkId = (data[0] & 2) != 0;
  const std::uint16_t id = static_cast<std::uint16_t>((data[1] << 8) | data[2]);
  const std::uint16_t sequence = static_cast<std::uint16_t>((data[3] << 8) | data[4]);
  const std::vector<std::uint8_t> packet(data + 5, data + size);  // exact size: overreads are caught

  std::size_t dataBytes = 12345;
  const EchoReplyKind kind =
      ClassifyEchoPacket(packet.data(), packet.size(), withIp, checkId, id, sequence, dataBytes);
  if (kind == EchoReplyKind::kReply) {
    FUZZ_CHECK(dataBytes + 8 <= packet.size(), "reply data longer than the packet");
  } else {
    FUZZ_CHECK(dataBytes == 0, "data length set for a packet that is no reply");
  }

  // Our own reply, built around the fuzzed bytes as its data, is recognised.
  std::vector<std::uint8_t> reply;
  if (withIp) {
    reply.assign(20, 0);
    reply[0] = 0x45;
  }
  const std::uint8_t icmp[8] = {0, 0, 0, 0, static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id),
                                static_cast<std::uint8_t>(sequence >> 8), static_cast<std::uint8_t>(sequence)};
  reply.insert(reply.end(), icmp, icmp + 8);
  reply.insert(reply.end(), packet.begin(), packet.end());
  dataBytes = 0;
  FUZZ_CHECK(ClassifyEchoPacket(reply.data(), reply.size(), withIp, checkId, id, sequence, dataBytes) ==
                     EchoReplyKind::kReply &&
                 dataBytes == packet.size(),
             "our own reply not recognised");

  // A packet carrying its own checksum sums to zero (even lengths: the
  // checksum field sits on a 16-bit boundary).
  std::vector<std::uint8_t> summed = packet;
  if (summed.size() % 2 != 0) summed.push_back(0);
  summed.push_back(0);
  summed.push_back(0);
  const std::uint16_t checksum = InternetChecksum(summed.data(), summed.size());
  summed[summed.size() - 2] = static_cast<std::uint8_t>(checksum >> 8);
  summed[summed.size() - 1] = static_cast<std::uint8_t>(checksum);
  const std::uint16_t verify = InternetChecksum(summed.data(), summed.size());
  FUZZ_CHECK(verify == 0, "checksum does not verify: " + std::to_string(verify));
  return 0;
}
