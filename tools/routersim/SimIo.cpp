#include "tools/routersim/SimIo.h"

#include <arpa/inet.h>

#include <chrono>
#include <thread>

namespace kelvane::routersim {

std::uint64_t SimNowMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

void SleepUnlessStopped(const std::atomic<bool>& stopping, int ms) {
  const std::uint64_t end = SimNowMs() + static_cast<std::uint64_t>(ms < 0 ? 0 : ms);
  while (!stopping && SimNowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(kSimSliceMs));
}

bool ParseIpv4(const std::string& text, in_addr& out) { return inet_pton(AF_INET, text.c_str(), &out) == 1; }

std::string EndpointText(const sockaddr_in& address) {
  char buf[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, buf, sizeof buf);
  return std::string(buf) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace kelvane::routersim
