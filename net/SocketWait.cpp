#include "net/SocketWait.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <cerrno>

#include "net/Wait.h"

namespace kelvane {

int WaitForSocket(int fd, short events, std::uint64_t deadlineMs) {
  for (;;) {
    // Asked on every slice and before every return: a socket that is ready at
    // once must not let a chain of quick exchanges run past the event loop.
    YieldIfDue();
    const int slice = SliceMs(deadlineMs);
    pollfd entry{};
    entry.fd = fd;
    entry.events = events;
    const int n = ::poll(&entry, 1, slice);
    if (n > 0) {
      YieldIfDue();
      return entry.revents != 0 ? entry.revents : events;
    }
    if (n < 0 && errno != EINTR) return -1;
    if (slice == 0 && SteadyMs() >= deadlineMs) {
      YieldIfDue();
      return 0;
    }
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
