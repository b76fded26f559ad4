#include "net/SocketWait.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <cerrno>

#include "net/Wait.h"

namespace kelvane {

int WaitForSocket(int fd, short events, std::uint64_t deadlineMs) {
  for (;;) {
    const std::uint64_t now = SteadyMs();
    const std::uint64_t left = deadlineMs > now ? deadlineMs - now : 0;
    const int slice = static_cast<int>(left < static_cast<std::uint64_t>(kWaitSliceMs) ? left : kWaitSliceMs);
    pollfd entry{};
    entry.fd = fd;
    entry.events = events;
    const int n = ::poll(&entry, 1, slice);
    if (n > 0) return entry.revents != 0 ? entry.revents : events;
    if (n < 0 && errno != EINTR) return -1;
    if (left == 0) return 0;
    CallWaitHook();
  }
}

bool ParseDottedAddress(const std::string& dotted, std::uint32_t& networkOrder) {
  in_addr parsed{};
  // A zero byte would end the text for inet_pton and let "1.2.3.4\0junk" pass.
  const bool valid = dotted.size() <= 15 && dotted.find('\0') == std::string::npos &&
                     ::inet_pton(AF_INET, dotted.c_str(), &parsed) == 1;
  networkOrder = valid ? parsed.s_addr : INADDR_NONE;
  return valid;
}

std::uint64_t DeadlineAfterMs(long long ms) {
  return SteadyMs() + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
}

}  // namespace kelvane
