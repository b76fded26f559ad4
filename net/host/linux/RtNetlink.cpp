#include "net/host/linux/RtNetlink.h"

#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/SocketWait.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

constexpr int kNetlinkTimeoutMs = 2000;

// Walks the netlink messages of `data`; calls `each(header)` for every message
// that is not NLMSG_DONE/NOOP. Answers false on an error message or bad length.
template <typename Each>
bool WalkMessages(const std::vector<std::uint8_t>& data, Each each) {
  std::size_t offset = 0;
  while (offset + sizeof(nlmsghdr) <= data.size()) {
    nlmsghdr header;
    std::memcpy(&header, data.data() + offset, sizeof header);
    if (header.nlmsg_len < sizeof(nlmsghdr) || offset + header.nlmsg_len > data.size()) return false;
    if (header.nlmsg_type == NLMSG_DONE) return true;
    if (header.nlmsg_type == NLMSG_ERROR) {
      nlmsgerr err{};
      if (header.nlmsg_len >= NLMSG_LENGTH(sizeof err))
        std::memcpy(&err, data.data() + offset + NLMSG_HDRLEN, sizeof err);
      // An acknowledgement carries error 0.
      if (err.error != 0) return false;
    } else if (header.nlmsg_type != NLMSG_NOOP) {
      if (!each(data.data() + offset, header.nlmsg_len, header.nlmsg_type)) return false;
    }
    offset += NLMSG_ALIGN(header.nlmsg_len);
  }
  return true;  // a tail shorter than a header is padding
}

// Walks the attributes that follow a fixed body of `bodySize` bytes.
template <typename Each>
bool WalkAttributes(const std::uint8_t* message, std::size_t length, std::size_t bodySize, Each each) {
  std::size_t offset = NLMSG_HDRLEN + NLMSG_ALIGN(bodySize);
  if (offset > length) return false;
  while (offset + sizeof(rtattr) <= length) {
    rtattr attribute;
    std::memcpy(&attribute, message + offset, sizeof attribute);
    if (attribute.rta_len < sizeof(rtattr) || offset + attribute.rta_len > length) return false;
    each(attribute.rta_type, message + offset + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0));
    offset += RTA_ALIGN(attribute.rta_len);
  }
  return true;
}

std::string AttributeText(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

std::uint32_t AttributeU32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t value = 0;
  if (size >= sizeof value) std::memcpy(&value, data, sizeof value);
  return value;
}

}  // namespace

bool ParseLinkMessages(const std::vector<std::uint8_t>& data, std::vector<NetLink>& links) {
  return WalkMessages(data, [&](const std::uint8_t* message, std::size_t length, std::uint16_t type) {
    if (type != RTM_NEWLINK) return true;
    if (length < NLMSG_LENGTH(sizeof(ifinfomsg))) return false;
    ifinfomsg info;
    std::memcpy(&info, message + NLMSG_HDRLEN, sizeof info);
    NetLink link;
    link.index = info.ifi_index;
    link.flags = info.ifi_flags;
    link.type = info.ifi_type;
    const bool ok = WalkAttributes(message, length, sizeof info,
                                   [&](unsigned short attr, const std::uint8_t* value, std::size_t size) {
      if (attr == IFLA_IFNAME) link.name = AttributeText(value, size);
      if (attr == IFLA_IFALIAS) link.alias = AttributeText(value, size);
      if (attr == IFLA_LINKINFO) {
        // Nested: IFLA_INFO_KIND among the link-info attributes.
        std::size_t offset = 0;
        while (offset + sizeof(rtattr) <= size) {
          rtattr nested;
          std::memcpy(&nested, value + offset, sizeof nested);
          if (nested.rta_len < sizeof(rtattr) || offset + nested.rta_len > size) break;
          if (nested.rta_type == IFLA_INFO_KIND)
            link.kind = AttributeText(value + offset + RTA_LENGTH(0), nested.rta_len - RTA_LENGTH(0));
          offset += RTA_ALIGN(nested.rta_len);
        }
      }
    });
    if (!ok) return false;
    links.push_back(std::move(link));
    return true;
  });
}

bool ParseAddressMessages(const std::vector<std::uint8_t>& data, std::vector<NetAddress>& addresses) {
  return WalkMessages(data, [&](const std::uint8_t* message, std::size_t length, std::uint16_t type) {
    if (type != RTM_NEWADDR) return true;
    if (length < NLMSG_LENGTH(sizeof(ifaddrmsg))) return false;
    ifaddrmsg info;
    std::memcpy(&info, message + NLMSG_HDRLEN, sizeof info);
    if (info.ifa_family != AF_INET) return true;
    NetAddress address;
    address.index = static_cast<int>(info.ifa_index);
    address.prefixLength = info.ifa_prefixlen;
    address.flags = info.ifa_flags;
    bool haveLocal = false, haveAddress = false;
    std::uint32_t local = 0, peer = 0;
    const bool ok = WalkAttributes(message, length, sizeof info,
                                   [&](unsigned short attr, const std::uint8_t* value, std::size_t size) {
      if (attr == IFA_LOCAL && size >= 4) { local = AttributeU32(value, size); haveLocal = true; }
      if (attr == IFA_ADDRESS && size >= 4) { peer = AttributeU32(value, size); haveAddress = true; }
      if (attr == IFA_FLAGS && size >= 4) address.flags = AttributeU32(value, size);
      if (attr == IFA_CACHEINFO && size >= sizeof(ifa_cacheinfo)) {
        ifa_cacheinfo cache;
        std::memcpy(&cache, value, sizeof cache);
        address.validLifetime = cache.ifa_valid;
      }
    });
    if (!ok) return false;
    // On point-to-point links IFA_ADDRESS is the peer; IFA_LOCAL is ours.
    if (!haveLocal && !haveAddress) return true;
    address.address = haveLocal ? local : peer;
    addresses.push_back(address);
    return true;
  });
}

bool ParseRouteMessages(const std::vector<std::uint8_t>& data, std::vector<NetRoute>& routes) {
  return WalkMessages(data, [&](const std::uint8_t* message, std::size_t length, std::uint16_t type) {
    if (type != RTM_NEWROUTE) return true;
    if (length < NLMSG_LENGTH(sizeof(rtmsg))) return false;
    rtmsg info;
    std::memcpy(&info, message + NLMSG_HDRLEN, sizeof info);
    if (info.rtm_family != AF_INET) return true;
    NetRoute route;
    route.table = info.rtm_table;
    route.destinationLength = info.rtm_dst_len;
    const bool ok = WalkAttributes(message, length, sizeof info,
                                   [&](unsigned short attr, const std::uint8_t* value, std::size_t size) {
      if (attr == RTA_TABLE) route.table = static_cast<int>(AttributeU32(value, size));
      if (attr == RTA_DST) route.destination = AttributeU32(value, size);
      if (attr == RTA_GATEWAY) route.gateway = AttributeU32(value, size);
      if (attr == RTA_OIF) route.outputIndex = static_cast<int>(AttributeU32(value, size));
      if (attr == RTA_PRIORITY) route.priority = AttributeU32(value, size);
    });
    if (!ok) return false;
    routes.push_back(route);
    return true;
  });
}

RtNetlink::RtNetlink() {
  fd_ = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (fd_ < 0) return;
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

RtNetlink::~RtNetlink() {
  if (fd_ >= 0) close(fd_);
}

bool RtNetlink::Request(std::uint16_t type, std::uint16_t flags, const void* body, std::size_t bodySize,
                        const void* attributes, std::size_t attributesSize,
                        std::vector<std::uint8_t>& answer) {
  answer.clear();
  if (fd_ < 0) return false;
  std::vector<std::uint8_t> request(NLMSG_LENGTH(NLMSG_ALIGN(bodySize)) + attributesSize, 0);
  nlmsghdr header{};
  header.nlmsg_len = static_cast<std::uint32_t>(request.size());
  header.nlmsg_type = type;
  header.nlmsg_flags = static_cast<std::uint16_t>(NLM_F_REQUEST | flags);
  header.nlmsg_seq = ++sequence_;
  std::memcpy(request.data(), &header, sizeof header);
  std::memcpy(request.data() + NLMSG_HDRLEN, body, bodySize);
  if (attributesSize > 0)
    std::memcpy(request.data() + NLMSG_LENGTH(NLMSG_ALIGN(bodySize)), attributes, attributesSize);

  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
    return false;

  const bool dump = (flags & NLM_F_DUMP) == NLM_F_DUMP;
  const std::uint64_t deadline = SteadyMs() + kNetlinkTimeoutMs;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    YieldIfDue();
    if (SteadyMs() >= deadline) return false;
    const int ready = WaitForSocket(fd_, POLLIN, deadline);
    if (ready < 0) return false;
    if (ready == 0) continue;
    const ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    // Keep only the messages that answer our request; stop at its end.
    std::size_t offset = 0;
    bool finished = false;
    while (offset + sizeof(nlmsghdr) <= static_cast<std::size_t>(n)) {
      nlmsghdr h;
      std::memcpy(&h, buffer.data() + offset, sizeof h);
      if (h.nlmsg_len < sizeof(nlmsghdr) || offset + h.nlmsg_len > static_cast<std::size_t>(n)) return false;
      if (h.nlmsg_seq == header.nlmsg_seq) {
        // Copy the message and pad it to alignment, so a walk stays in range.
        answer.insert(answer.end(), buffer.begin() + static_cast<long>(offset),
                      buffer.begin() + static_cast<long>(offset + h.nlmsg_len));
        answer.resize(answer.size() + (NLMSG_ALIGN(h.nlmsg_len) - h.nlmsg_len), 0);
        if (h.nlmsg_type == NLMSG_DONE || h.nlmsg_type == NLMSG_ERROR || !dump) finished = true;
      }
      offset += NLMSG_ALIGN(h.nlmsg_len);
    }
    if (finished) return true;
  }
}

bool RtNetlink::DumpLinks(std::vector<NetLink>& links) {
  links.clear();
  ifinfomsg body{};
  body.ifi_family = AF_UNSPEC;
  std::vector<std::uint8_t> answer;
  return Request(RTM_GETLINK, NLM_F_DUMP, &body, sizeof body, nullptr, 0, answer) &&
         ParseLinkMessages(answer, links);
}

bool RtNetlink::DumpAddresses(std::vector<NetAddress>& addresses) {
  addresses.clear();
  ifaddrmsg body{};
  body.ifa_family = AF_INET;
  std::vector<std::uint8_t> answer;
  return Request(RTM_GETADDR, NLM_F_DUMP, &body, sizeof body, nullptr, 0, answer) &&
         ParseAddressMessages(answer, addresses);
}

bool RtNetlink::DumpRoutes(std::vector<NetRoute>& routes) {
  routes.clear();
  rtmsg body{};
  body.rtm_family = AF_INET;
  std::vector<std::uint8_t> answer;
  return Request(RTM_GETROUTE, NLM_F_DUMP, &body, sizeof body, nullptr, 0, answer) &&
         ParseRouteMessages(answer, routes);
}

bool RtNetlink::DeleteAddress(const NetAddress& address) {
  ifaddrmsg body{};
  body.ifa_family = AF_INET;
  body.ifa_prefixlen = static_cast<unsigned char>(address.prefixLength);
  body.ifa_index = static_cast<unsigned>(address.index);
  // One IFA_LOCAL attribute with the address.
  std::uint8_t attribute[RTA_SPACE(4)] = {};
  rtattr header{};
  header.rta_len = RTA_LENGTH(4);
  header.rta_type = IFA_LOCAL;
  std::memcpy(attribute, &header, sizeof header);
  std::memcpy(attribute + RTA_LENGTH(0), &address.address, 4);
  std::vector<std::uint8_t> answer;
  if (!Request(RTM_DELADDR, NLM_F_ACK, &body, sizeof body, attribute, sizeof attribute, answer)) return false;
  std::vector<NetLink> none;
  return ParseLinkMessages(answer, none);  // false when the kernel answered with an error
}

}  // namespace kelvane
