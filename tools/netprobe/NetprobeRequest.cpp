#include "tools/netprobe/NetprobeRequest.h"

#include <arpa/inet.h>

namespace kelvane::netprobe {
namespace {

// Plain decimal without sign or leading zero, within [low, high].
bool ParseNumber(std::string_view text, long low, long high, long& value) {
  if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return false;
  value = v;
  return true;
}

bool IsLoopback(std::uint32_t networkOrder) { return (ntohl(networkOrder) >> 24) == 127; }

// "--to ADDRESS[:PORT]": the limited broadcast to port 67, or loopback.
bool ParseProbeDestination(std::string_view text, Request& r, std::string& why) {
  const std::size_t colon = text.find(':');
  std::uint32_t address = 0;
  if (!ParseDottedQuad(text.substr(0, colon), address)) {
    why = "--to takes a dotted IPv4 address and an optional port";
    return false;
  }
  long port = kProbeServerPort;
  if (colon != std::string_view::npos && !ParseNumber(text.substr(colon + 1), 1, 65535, port)) {
    why = "--to takes a port from 1 to 65535";
    return false;
  }
  if (address == htonl(INADDR_BROADCAST)) {
    if (port != kProbeServerPort) {
      why = "a probe to 255.255.255.255 goes to port 67 only";
      return false;
    }
  } else if (!IsLoopback(address)) {
    why = "a probe goes to 255.255.255.255 or to a loopback address only";
    return false;
  }
  r.address = address;
  r.port = static_cast<std::uint16_t>(port);
  return true;
}

}  // namespace

Operation OperationWord(std::string_view word) {
  if (word == "discover") return Operation::kDiscover;
  if (word == "dhcp-presence") return Operation::kDhcpPresence;
  if (word == "echo") return Operation::kEcho;
  return Operation::kNone;
}

Operation OperationOfLine(std::string_view line) { return OperationWord(line.substr(0, line.find_first_of(" \n"))); }

bool ParseDottedQuad(std::string_view text, std::uint32_t& networkOrder) {
  std::uint32_t value = 0;
  std::size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = text.find('.', start);
    const bool last = part == 3;
    if (last != (dot == std::string_view::npos)) return false;
    long octet = 0;
    if (!ParseNumber(text.substr(start, last ? std::string_view::npos : dot - start), 0, 255, octet)) return false;
    value = (value << 8) | static_cast<std::uint32_t>(octet);
    start = dot + 1;
  }
  networkOrder = htonl(value);
  return true;
}

bool IsUnicastTarget(std::uint32_t networkOrder) {
  const std::uint32_t first = ntohl(networkOrder) >> 24;
  return first != 0 && first < 224;
}

bool SplitRequestLine(std::string_view input, std::vector<std::string>& words, std::string& why) {
  words.clear();
  const std::size_t end = input.find('\n');
  if (end == std::string_view::npos || end + 1 != input.size()) {
    why = "the request is one line ended by a newline";
    return false;
  }
  if (end > kMaxRequestLine) {
    why = "the request line is longer than " + std::to_string(kMaxRequestLine) + " bytes";
    return false;
  }
  std::string word;
  for (std::size_t i = 0; i <= end; ++i) {
    const char c = input[i];
    if (c == ' ' || c == '\n') {
      if (word.empty()) {
        why = "words are separated by single spaces";
        return false;
      }
      words.push_back(word);
      word.clear();
    } else if (c < 0x21 || c > 0x7E) {
      why = "the request holds a byte that is not printable ASCII";
      return false;
    } else {
      word.push_back(c);
    }
  }
  return true;
}

bool ParseRequest(const std::vector<std::string>& words, Request& request, std::string& why) {
  if (words.empty()) {
    why = "no request (discover, dhcp-presence or echo ADDRESS)";
    return false;
  }
  if (words.size() > kMaxWords) {
    why = "too many words";
    return false;
  }
  Request r;
  r.operation = OperationWord(words[0]);
  if (r.operation == Operation::kNone) {
    why = "unknown operation (discover, dhcp-presence or echo ADDRESS)";
    return false;
  }
  std::size_t i = 1;
  if (r.operation == Operation::kEcho) {
    if (words.size() < 2 || !ParseDottedQuad(words[1], r.address)) {
      why = "echo takes one dotted IPv4 address";
      return false;
    }
    if (!IsUnicastTarget(r.address)) {
      why = "echo goes to one unicast address, not " + words[1];
      return false;
    }
    i = 2;
  } else {
    r.address = htonl(INADDR_BROADCAST);
  }
  bool seenTo = false, seenCount = false, seenTimeout = false;
  for (; i < words.size(); i += 2) {
    const std::string& option = words[i];
    const bool isProbe = r.operation != Operation::kEcho;
    bool* seen = option == "--to" && isProbe         ? &seenTo
                 : option == "--count" && !isProbe   ? &seenCount
                 : option == "--timeout" && !isProbe ? &seenTimeout
                                                     : nullptr;
    if (seen == nullptr) {
      why = "unknown option " + option;
      return false;
    }
    if (*seen) {
      why = option + " given twice";
      return false;
    }
    *seen = true;
    if (i + 1 >= words.size()) {
      why = option + " needs a value";
      return false;
    }
    const std::string& value = words[i + 1];
    long number = 0;
    if (option == "--to") {
      if (!ParseProbeDestination(value, r, why)) return false;
    } else if (option == "--count") {
      if (!ParseNumber(value, 1, kMaxEchoes, number)) {
        why = "--count takes 1 to " + std::to_string(kMaxEchoes);
        return false;
      }
      r.count = static_cast<int>(number);
    } else {
      if (!ParseNumber(value, kMinEchoTimeoutMs, kMaxEchoTimeoutMs, number)) {
        why = "--timeout takes " + std::to_string(kMinEchoTimeoutMs) + " to " + std::to_string(kMaxEchoTimeoutMs) +
              " ms";
        return false;
      }
      r.timeoutMs = static_cast<int>(number);
    }
  }
  request = r;
  return true;
}

}  // namespace kelvane::netprobe
