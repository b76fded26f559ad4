#include "net/SocketWait.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "net/Wait.h"

namespace kelvane {

int WaitForSocket(int fd, short events, std::uint64_t deadlineMs) {
  for (;;) {
    // Asked on every pass and before every return: a socket that is ready at
    // once must not let a chain of quick exchanges run past the event loop.
    YieldIfDue();
    pollfd entry{};
    entry.fd = fd;
    entry.events = events;
    // Ready now? Else wait in the event loop, which watches the socket, and
    // ask again; without one, poll in slices.
    int n = ::poll(&entry, 1, 0);
    const std::uint64_t now = SteadyMs();
    if (n == 0 && now < deadlineMs &&
        !WaitReadyInEventLoop(fd, events, static_cast<int>(std::min<std::uint64_t>(deadlineMs - now, 1u << 30)))) {
      n = ::poll(&entry, 1, SliceMs(deadlineMs));
    }
    if (n > 0) {
      YieldIfDue();
      return entry.revents != 0 ? entry.revents : events;
    }
    if (n < 0 && errno != EINTR) return -1;
    if (SteadyMs() >= deadlineMs) {
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
