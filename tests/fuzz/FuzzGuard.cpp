// The guard of the fuzz programs: see FuzzGuard.h. Each function below is
// defined in the program itself, so the dynamic linker binds every call of the
// program (and of the libraries it loads) to it instead of the C library's.
// Calls the guard lets through go on to the C library's function, found with
// dlsym(RTLD_NEXT). The sanitizers' own helpers (the symbolizer) start their
// processes with raw system calls and are not affected.
#include "tests/fuzz/FuzzGuard.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kelvane::fuzz {
namespace {

std::atomic<unsigned long> gRefusals{0};
std::atomic<unsigned long> gLookups{0};
constexpr std::size_t kMaxPorts = 16;
std::array<std::atomic<std::uint16_t>, kMaxPorts> gPorts{};
std::atomic<std::size_t> gPortCount{0};

bool Verbose() {
  static const bool verbose = std::getenv("KELVANE_FUZZ_GUARD_VERBOSE") != nullptr;
  return verbose;
}

// Counts the refusal, says what was refused when asked to, and sets errno.
void Refuse(const char* what, int error) {
  gRefusals.fetch_add(1, std::memory_order_relaxed);
  if (Verbose()) std::fprintf(stderr, "fuzz guard: refused %s\n", what);
  errno = error;
}

void RefuseLookup(const char* what) {
  gLookups.fetch_add(1, std::memory_order_relaxed);
  Refuse(what, EACCES);
}

bool PortAllowed(std::uint16_t port) {
  const std::size_t count = gPortCount.load();
  if (count == 0) return true;
  for (std::size_t i = 0; i < count && i < kMaxPorts; ++i)
    if (gPorts[i].load() == port) return true;
  return false;
}

// 0 when the destination is a loopback address (and an allowed port), else
// the errno to refuse with.
int CheckDestination(const sockaddr* address, socklen_t length) {
  if (address == nullptr) return 0;  // a connected socket: its connect was checked
  if (length < static_cast<socklen_t>(sizeof(sa_family_t))) return EINVAL;
  if (address->sa_family == AF_UNSPEC) return 0;  // dissolves an association
  if (address->sa_family == AF_INET) {
    if (length < static_cast<socklen_t>(sizeof(sockaddr_in))) return EINVAL;
    sockaddr_in in{};
    std::memcpy(&in, address, sizeof in);
    if ((ntohl(in.sin_addr.s_addr) >> 24) != 127) return EACCES;
    return PortAllowed(ntohs(in.sin_port)) ? 0 : ECONNREFUSED;
  }
  if (address->sa_family == AF_INET6) {
    if (length < static_cast<socklen_t>(sizeof(sockaddr_in6))) return EINVAL;
    sockaddr_in6 in6{};
    std::memcpy(&in6, address, sizeof in6);
    const bool loopback = IN6_IS_ADDR_LOOPBACK(&in6.sin6_addr) ||
                          (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr) && in6.sin6_addr.s6_addr[12] == 127);
    if (!loopback) return EACCES;
    return PortAllowed(ntohs(in6.sin6_port)) ? 0 : ECONNREFUSED;
  }
  return EACCES;
}

// Control data that picks the outgoing interface or source is refused: it is
// how a datagram is sent through a chosen adapter.
bool ChoosesInterface(const msghdr* message) {
  if (message == nullptr || message->msg_control == nullptr) return false;
  for (const cmsghdr* c = CMSG_FIRSTHDR(message); c != nullptr; c = CMSG_NXTHDR(const_cast<msghdr*>(message),
                                                                                 const_cast<cmsghdr*>(c))) {
    if ((c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) ||
        (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO))
      return true;
  }
  return false;
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

void GuardAllowPort(std::uint16_t port) {
  const std::size_t at = gPortCount.load();
  if (at >= kMaxPorts) std::abort();
  gPorts[at].store(port);
  gPortCount.store(at + 1);
}

unsigned long GuardRefusals() { return gRefusals.load(); }

unsigned long GuardLookups() { return gLookups.load(); }

}  // namespace kelvane::fuzz

using kelvane::fuzz::CheckDestination;
using kelvane::fuzz::ChoosesInterface;
using kelvane::fuzz::Next;
using kelvane::fuzz::Refuse;
using kelvane::fuzz::RefuseLookup;

extern "C" {

// ---- sockets --------------------------------------------------------------

int socket(int domain, int type, int protocol) __THROW {
  const int kind = type & 0xF;  // without SOCK_NONBLOCK / SOCK_CLOEXEC
  const bool ipFamily = domain == AF_INET || domain == AF_INET6;
  const bool plainKind = kind == SOCK_STREAM || kind == SOCK_DGRAM;
  const bool plainProtocol = protocol == 0 || protocol == IPPROTO_TCP || protocol == IPPROTO_UDP;
  if (!ipFamily || !plainKind || !plainProtocol) {
    Refuse("socket (raw, packet, netlink, local or ICMP)", EACCES);
    return -1;
  }
  static const auto real = Next<int (*)(int, int, int)>("socket");
  return real(domain, type, protocol);
}

int connect(int fd, const sockaddr* address, socklen_t length) {
  if (address == nullptr) {
    errno = EFAULT;
    return -1;
  }
  if (const int error = CheckDestination(address, length); error != 0) {
    Refuse("connect to a non-loopback address or a foreign port", error);
    return -1;
  }
  static const auto real = Next<int (*)(int, const sockaddr*, socklen_t)>("connect");
  return real(fd, address, length);
}

ssize_t sendto(int fd, const void* buffer, size_t size, int flags, const sockaddr* address, socklen_t length) {
  if (const int error = CheckDestination(address, length); error != 0) {
    Refuse("sendto a non-loopback address or a foreign port", error);
    return -1;
  }
  static const auto real = Next<ssize_t (*)(int, const void*, size_t, int, const sockaddr*, socklen_t)>("sendto");
  return real(fd, buffer, size, flags, address, length);
}

ssize_t sendmsg(int fd, const msghdr* message, int flags) {
  if (message != nullptr) {
    const int error =
        CheckDestination(static_cast<const sockaddr*>(message->msg_name), message->msg_namelen);
    if (error != 0 || ChoosesInterface(message)) {
      Refuse("sendmsg to a non-loopback address or through a chosen interface", error != 0 ? error : EACCES);
      return -1;
    }
  }
  static const auto real = Next<ssize_t (*)(int, const msghdr*, int)>("sendmsg");
  return real(fd, message, flags);
}

int sendmmsg(int fd, mmsghdr* messages, unsigned int count, int flags) {
  for (unsigned int i = 0; messages != nullptr && i < count; ++i) {
    const msghdr& m = messages[i].msg_hdr;
    const int error = CheckDestination(static_cast<const sockaddr*>(m.msg_name), m.msg_namelen);
    if (error != 0 || ChoosesInterface(&m)) {
      Refuse("sendmmsg to a non-loopback address or through a chosen interface", error != 0 ? error : EACCES);
      return -1;
    }
  }
  static const auto real = Next<int (*)(int, mmsghdr*, unsigned int, int)>("sendmmsg");
  return real(fd, messages, count, flags);
}

int setsockopt(int fd, int level, int name, const void* value, socklen_t length) __THROW {
  if (level == SOL_SOCKET && name == SO_BINDTODEVICE) {
    const char* device = static_cast<const char*>(value);
    const bool lo = device != nullptr && length >= 2 && std::strncmp(device, "lo", length) == 0;
    if (!lo) {
      Refuse("SO_BINDTODEVICE to an interface other than lo", EACCES);
      return -1;
    }
  }
  static const auto real = Next<int (*)(int, int, int, const void*, socklen_t)>("setsockopt");
  return real(fd, level, name, value, length);
}

// ---- name look-ups ----------------------------------------------------------

int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
  // A numeric host (or none) asks no resolver; everything else is refused.
  if (node != nullptr && (hints == nullptr || (hints->ai_flags & AI_NUMERICHOST) == 0)) {
    RefuseLookup("getaddrinfo of a host name");
    if (result != nullptr) *result = nullptr;
    return EAI_FAIL;
  }
  static const auto real =
      Next<int (*)(const char*, const char*, const addrinfo*, addrinfo**)>("getaddrinfo");
  return real(node, service, hints, result);
}

int getaddrinfo_a(int, gaicb**, int, sigevent*) {
  RefuseLookup("getaddrinfo_a");
  return EAI_SYSTEM;
}

int getnameinfo(const sockaddr* address, socklen_t length, char* host, socklen_t hostLength, char* service,
                socklen_t serviceLength, int flags) {
  if (host != nullptr && hostLength > 0 && (flags & NI_NUMERICHOST) == 0) {
    RefuseLookup("getnameinfo (reverse look-up)");
    return EAI_FAIL;
  }
  static const auto real =
      Next<int (*)(const sockaddr*, socklen_t, char*, socklen_t, char*, socklen_t, int)>("getnameinfo");
  return real(address, length, host, hostLength, service, serviceLength, flags);
}

hostent* gethostbyname(const char*) {
  RefuseLookup("gethostbyname");
  h_errno = NO_RECOVERY;
  return nullptr;
}

hostent* gethostbyname2(const char*, int) {
  RefuseLookup("gethostbyname2");
  h_errno = NO_RECOVERY;
  return nullptr;
}

hostent* gethostbyaddr(const void*, socklen_t, int) {
  RefuseLookup("gethostbyaddr");
  h_errno = NO_RECOVERY;
  return nullptr;
}

int gethostbyname_r(const char*, hostent*, char*, size_t, hostent** result, int* error) {
  RefuseLookup("gethostbyname_r");
  if (result != nullptr) *result = nullptr;
  if (error != nullptr) *error = NO_RECOVERY;
  return EACCES;
}

int gethostbyname2_r(const char*, int, hostent*, char*, size_t, hostent** result, int* error) {
  RefuseLookup("gethostbyname2_r");
  if (result != nullptr) *result = nullptr;
  if (error != nullptr) *error = NO_RECOVERY;
  return EACCES;
}

int gethostbyaddr_r(const void*, socklen_t, int, hostent*, char*, size_t, hostent** result, int* error) {
  RefuseLookup("gethostbyaddr_r");
  if (result != nullptr) *result = nullptr;
  if (error != nullptr) *error = NO_RECOVERY;
  return EACCES;
}

// ---- program starts -----------------------------------------------------------

pid_t fork() __THROW {
  Refuse("fork", EACCES);
  return -1;
}

pid_t vfork() __THROW {
  Refuse("vfork", EACCES);
  return -1;
}

int execve(const char*, char* const[], char* const[]) __THROW {
  Refuse("execve", EACCES);
  return -1;
}

int execv(const char*, char* const[]) __THROW {
  Refuse("execv", EACCES);
  return -1;
}

int execvp(const char*, char* const[]) __THROW {
  Refuse("execvp", EACCES);
  return -1;
}

int execvpe(const char*, char* const[], char* const[]) __THROW {
  Refuse("execvpe", EACCES);
  return -1;
}

int execl(const char*, const char*, ...) __THROW {
  Refuse("execl", EACCES);
  return -1;
}

int execlp(const char*, const char*, ...) __THROW {
  Refuse("execlp", EACCES);
  return -1;
}

int execle(const char*, const char*, ...) __THROW {
  Refuse("execle", EACCES);
  return -1;
}

int fexecve(int, char* const[], char* const[]) __THROW {
  Refuse("fexecve", EACCES);
  return -1;
}

int posix_spawn(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*, char* const[],
                char* const[]) {
  Refuse("posix_spawn", EACCES);
  return EACCES;
}

int posix_spawnp(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*, char* const[],
                 char* const[]) {
  Refuse("posix_spawnp", EACCES);
  return EACCES;
}

int system(const char*) {
  Refuse("system", EACCES);
  return -1;
}

FILE* popen(const char*, const char*) {
  Refuse("popen", EACCES);
  return nullptr;
}

}  // extern "C"
