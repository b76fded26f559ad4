#include "net/SocketWait.h"

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

std::uint64_t DeadlineAfterMs(long long ms) {
  return SteadyMs() + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
}

}  // namespace kelvane
