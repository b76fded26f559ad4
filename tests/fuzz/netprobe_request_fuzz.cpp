// The privileged helper's request reader on fuzzed standard input: whatever
// it takes lies inside the documented form (one of the three operations, a
// probe to the limited broadcast on port 67 or to loopback, an echo to a
// unicast address, counts and time-outs within the program's own), a refusal
// always says why and leaves the request untouched, and the command-line form
// of the same words reads the same.
//
// Input: the bytes of the line, newline included.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/FuzzSupport.h"
#include "tools/netprobe/NetprobeRequest.h"

using namespace kelvane::netprobe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words;
  std::string why;
  if (!SplitRequestLine(input, words, why)) {
    FUZZ_CHECK(!why.empty(), "a refused line without a reason");
    return 0;
  }
  FUZZ_CHECK(!words.empty() && size <= kMaxRequestLine + 1, "a split line outside the form");
  for (const std::string& w : words) {
    FUZZ_CHECK(!w.empty(), "an empty word");
    for (char c : w) FUZZ_CHECK(c > 0x20 && c < 0x7F, "a word with a byte that is not printable ASCII");
  }

  Request request;
  request.count = -7;  // a marker: a refusal must leave it
  why.clear();
  if (!ParseRequest(words, request, why)) {
    FUZZ_CHECK(!why.empty(), "a refused request without a reason");
    FUZZ_CHECK(request.count == -7 && request.operation == Operation::kNone, "a refusal changed the request");
    return 0;
  }
  FUZZ_CHECK(OperationWord(words[0]) == request.operation && request.operation != Operation::kNone,
             "the operation is not the first word's");
  const std::uint32_t host = ntohl(request.address);
  if (request.operation == Operation::kEcho) {
    FUZZ_CHECK(IsUnicastTarget(request.address) && (host >> 24) != 0 && (host >> 24) < 224,
               "an echo to an address that is not unicast");
    FUZZ_CHECK(request.count >= 1 && request.count <= kMaxEchoes, "an echo count out of range");
    FUZZ_CHECK(request.timeoutMs >= kMinEchoTimeoutMs && request.timeoutMs <= kMaxEchoTimeoutMs,
               "an echo time-out out of range");
  } else {
    const bool broadcast = host == 0xFFFFFFFFu && request.port == kProbeServerPort;
    const bool loopback = (host >> 24) == 127 && request.port != 0;
    FUZZ_CHECK(broadcast || loopback, "a probe to somewhere else than the limited broadcast or loopback");
    FUZZ_CHECK(request.count == 1, "a probe with a count");
  }
  // Every word of a taken request was read: a second reading agrees.
  Request again;
  FUZZ_CHECK(ParseRequest(words, again, why) && again.address == request.address && again.port == request.port &&
                 again.count == request.count && again.timeoutMs == request.timeoutMs,
             "the same words read differently");
  return 0;
}
