// The rtnetlink answer parsers on fuzzed kernel messages: no read outside the
// buffer, every record within its ranges, and the same records whether the
// answer is parsed whole or as its first message and the rest.
//
// Input: a selector byte (links / addresses / routes), then the answer bytes.
#include <linux/netlink.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/host/linux/RtNetlink.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

bool Same(const NetLink& a, const NetLink& b) {
  return a.index == b.index && a.name == b.name && a.flags == b.flags && a.type == b.type && a.kind == b.kind &&
         a.alias == b.alias;
}
bool Same(const NetAddress& a, const NetAddress& b) {
  return a.index == b.index && a.address == b.address && a.prefixLength == b.prefixLength &&
         a.validLifetime == b.validLifetime && a.flags == b.flags;
}
bool Same(const NetRoute& a, const NetRoute& b) {
  return a.table == b.table && a.destinationLength == b.destinationLength && a.destination == b.destination &&
         a.gateway == b.gateway && a.outputIndex == b.outputIndex && a.priority == b.priority;
}

// Parses whole, then split after the first message: an ordinary first message
// (not DONE, not ERROR) that parses alone gives a prefix of the records, and
// the rest gives the remainder.
template <typename Record, typename Parse>
std::vector<Record> ParseBothWays(const std::vector<std::uint8_t>& answer, Parse parse) {
  std::vector<Record> whole;
  const bool wholeOk = parse(answer, whole);
  if (answer.size() >= sizeof(nlmsghdr)) {
    nlmsghdr header;
    std::memcpy(&header, answer.data(), sizeof header);
    const std::size_t first = NLMSG_ALIGN(header.nlmsg_len);
    if (header.nlmsg_len >= sizeof(nlmsghdr) && first <= answer.size() && header.nlmsg_type != NLMSG_DONE &&
        header.nlmsg_type != NLMSG_ERROR) {
      std::vector<Record> head, tail;
      const std::vector<std::uint8_t> headBytes(answer.begin(), answer.begin() + static_cast<long>(first));
      const std::vector<std::uint8_t> tailBytes(answer.begin() + static_cast<long>(first), answer.end());
      if (parse(headBytes, head)) {
        const bool tailOk = parse(tailBytes, tail);
        FUZZ_CHECK(tailOk == wholeOk, "whole and split answers disagree on success");
        head.insert(head.end(), tail.begin(), tail.end());
        FUZZ_CHECK(head.size() == whole.size(), "split answer gives " + std::to_string(head.size()) +
                                                    " records, whole " + std::to_string(whole.size()));
        for (std::size_t i = 0; i < head.size(); ++i) FUZZ_CHECK(Same(head[i], whole[i]), "record differs");
      }
    }
  }
  return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // An exact-size copy, so that a read past the end is caught.
  const std::vector<std::uint8_t> answer(data + 1, data + size);
  switch (data[0] % 3) {
    case 0:
      for (const NetLink& l : ParseBothWays<NetLink>(answer, ParseLinkMessages)) {
        FUZZ_CHECK(l.name.find('\0') == std::string::npos, "interface name with a NUL: " + Printable(l.name));
        FUZZ_CHECK(l.kind.find('\0') == std::string::npos && l.alias.find('\0') == std::string::npos, "NUL in text");
      }
      break;
    case 1:
      for (const NetAddress& a : ParseBothWays<NetAddress>(answer, ParseAddressMessages))
        FUZZ_CHECK(a.prefixLength >= 0 && a.prefixLength <= 255, "prefix length " + std::to_string(a.prefixLength));
      break;
    case 2:
      for (const NetRoute& r : ParseBothWays<NetRoute>(answer, ParseRouteMessages))
        FUZZ_CHECK(r.destinationLength >= 0 && r.destinationLength <= 255, "destination length");
      break;
  }
  return 0;
}
