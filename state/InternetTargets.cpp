#include "state/InternetTargets.h"

#include <arpa/inet.h>

#include <cctype>

namespace kelvane {

InternetTargets& InternetTargets::Instance() {
  // Never destroyed, like WizardState: late shutdown code may still read it.
  static InternetTargets* targets = new InternetTargets();
  return *targets;
}

bool IsDottedIpv4(std::string_view text) {
  if (text.empty() || text.size() > 15) return false;
  // inet_pton reads the copy only up to its first NUL, so "1.2.3.4" followed
  // by a NUL and more would pass: a NUL anywhere is no address.
  if (text.find('\0') != std::string_view::npos) return false;
  // inet_pton accepts exactly four decimal parts 0-255 without leading zeros.
  const std::string copy(text);
  in_addr address{};
  return inet_pton(AF_INET, copy.c_str(), &address) == 1;
}

bool IsHostNameOrAddress(std::string_view text) {
  if (IsDottedIpv4(text)) return true;
  if (text.empty() || text.size() > 253) return false;
  std::size_t labelLength = 0;
  char previous = '.';
  for (const char c : text) {
    if (c == '.') {
      if (labelLength == 0 || previous == '-') return false;
      labelLength = 0;
    } else {
      const unsigned char u = static_cast<unsigned char>(c);
      if (!std::isalnum(u) && c != '-') return false;
      if (c == '-' && labelLength == 0) return false;
      if (++labelLength > 63) return false;
    }
    previous = c;
  }
  return labelLength > 0 && previous != '-';
}

}  // namespace kelvane
