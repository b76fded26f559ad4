// kelvane-netprobe: the one program of the package that holds network
// privileges (cap_net_bind_service and cap_net_raw, permitted but not
// effective). It makes the router discovery probe, the DHCP-presence probe
// and an ICMP echo to one unicast address, exactly as the wizard's own code
// makes them, for the wizard and kelvane-cli that run without privileges.
//
// Before it reads its request it clears its environment and closes inherited
// descriptors; the first word, compared whole with the three operation names,
// chooses the one capability to keep, and only then is the request parsed.
// That capability is raised for the single call that needs it and then every
// capability is dropped. A user's calls take turns, each lasts at least
// kMinCallMs, and one call sends one probe or at most four echoes. The
// request form is in NetprobeRequest.h, the answer form and exit statuses in
// net/host/linux/NetprobeAnswer.h and in the usage below.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/capability.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net/DiscoveryProbe.h"
#include "net/UdpSocket.h"
#include "net/Wait.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/NetprobeAnswer.h"
#include "tools/netprobe/Capabilities.h"
#include "tools/netprobe/NetprobeRequest.h"

namespace {

using namespace kelvane;
using namespace kelvane::netprobe;

constexpr int kExitRan = 0;
constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;
constexpr int kExitBusy = 3;
constexpr int kMinCallMs = 100;
constexpr int kTurnWaitMs = 5000;
constexpr int kEchoPauseMs = 300;

constexpr char kSynopsis[] =
    "usage: kelvane-netprobe discover|dhcp-presence [--to ADDRESS[:PORT]]\n"
    "       kelvane-netprobe echo ADDRESS [--count 1-4] [--timeout 100-1000]\n"
    "       kelvane-netprobe -   (the same words as one line on standard input)\n"
    "       kelvane-netprobe --help\n";

constexpr char kDescription[] =
    "The privileged helper of kelvane and kelvane-cli. discover sends the router\n"
    "discovery probe and dhcp-presence the DHCP-presence probe, once, from UDP port 68\n"
    "to 255.255.255.255 port 67 or, with --to, to a loopback address and port; echo\n"
    "sends ICMP echoes to one unicast address (default 1, 1000 ms each) and stops at\n"
    "the first reply. Anything else is refused.\n"
    "Answer on standard output, one line each:\n"
    "  answer ADDRESS  discover: the router answered from ADDRESS\n"
    "  answered        dhcp-presence: something answered on port 68\n"
    "  none            nothing answered within 2 seconds\n"
    "  echo OUTCOME    one per echo: reply, timeout, unreachable, short-reply,\n"
    "                  send-failed or broadcast\n"
    "  error KIND      the operation could not run: no-privilege, port-in-use,\n"
    "                  socket or send-failed\n"
    "Lines for people go to standard error, after \"kelvane-netprobe:\".\n"
    "Exit status: 0 the operation ran; 1 it could not (an error line); 2 the request\n"
    "was refused; 3 an earlier call of the same user did not end within 5 seconds.\n";

int Refuse(const std::string& why) {
  std::fprintf(stderr, "%s refused: %s\n%s", kNetprobeDiagnostic, why.c_str(), kSynopsis);
  return kExitRefused;
}

std::string Dotted(std::uint32_t networkOrder) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr a{};
  a.s_addr = networkOrder;
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

// Descriptors 0-2 open (on /dev/null when the caller closed them), nothing else.
void TidyDescriptors() {
  for (int fd = 0; fd < 3; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) {
      const int opened = open("/dev/null", O_RDWR);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
  }
  if (syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
    for (int fd = 3; fd < 1024; ++fd) close(fd);
  }
}

// The standard-input form, as it came: at most one byte past the longest line.
std::string ReadInput() {
  char buffer[kMaxRequestLine + 2];
  std::size_t size = 0;
  while (size < sizeof buffer) {
    const ssize_t n = read(0, buffer + size, sizeof buffer - size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    size += static_cast<std::size_t>(n);
  }
  return std::string(buffer, size);
}

// The request's words from the command line or the standard-input line.
bool SplitWords(int argc, char** argv, bool fromInput, const std::string& input, std::vector<std::string>& words,
                std::string& why) {
  if (fromInput) return SplitRequestLine(input, words, why);
  if (argc - 1 > static_cast<int>(kMaxWords)) {
    why = "too many words";
    return false;
  }
  for (int i = 1; i < argc; ++i) {
    if (std::strlen(argv[i]) > kMaxRequestLine) {
      why = "a word longer than " + std::to_string(kMaxRequestLine) + " bytes";
      return false;
    }
    words.emplace_back(argv[i]);
  }
  return true;
}

// A subnet's broadcast address passes the form check; the interfaces know it.
bool IsInterfaceBroadcast(std::uint32_t address) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool found = false;
  for (ifaddrs* e = list; e != nullptr && !found; e = e->ifa_next) {
    if (e->ifa_broadaddr == nullptr || e->ifa_broadaddr->sa_family != AF_INET) continue;
    if ((e->ifa_flags & IFF_BROADCAST) == 0) continue;
    found = reinterpret_cast<const sockaddr_in*>(e->ifa_broadaddr)->sin_addr.s_addr == address;
  }
  freeifaddrs(list);
  return found;
}

// One call of a user at a time. The turn is a listening abstract socket named
// after the user, released by the kernel when the process ends. Abstract
// names carry no permissions: anybody may bind "kelvane-netprobe.UID" first.
// So a name held by anything but a listener of this user (the listener's
// credentials tell) is no turn of ours, and the call goes on without one
// instead of waiting on a stranger. An earlier call of ours is waited for
// until its listener closes, which hangs up our connection to it. The turn
// paces a user's own calls; it is no barrier against that same user, who can
// take the name first.
constexpr int kNoTurn = -1;   // go on without the turn
constexpr int kTurnBusy = -2;  // our earlier call outlasted kTurnWaitMs
constexpr int kTurnFailed = -3;

int TakeTurn() {
  sockaddr_un name{};
  name.sun_family = AF_UNIX;
  const int length =
      std::snprintf(name.sun_path + 1, sizeof name.sun_path - 1, "kelvane-netprobe.%u", static_cast<unsigned>(getuid()));
  const auto* address = reinterpret_cast<const sockaddr*>(&name);
  const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  const std::uint64_t deadline = SteadyMs() + kTurnWaitMs;
  for (;;) {
    const int turn = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (turn < 0) return kTurnFailed;
    const bool bound = bind(turn, address, size) == 0;
    if (bound && listen(turn, SOMAXCONN) == 0) return turn;
    const int error = errno;
    close(turn);
    errno = error;
    if (bound || error != EADDRINUSE) return kTurnFailed;
    const int holder = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (holder < 0) return kTurnFailed;
    ucred peer{};
    socklen_t peerSize = sizeof peer;
    const bool ours = connect(holder, address, size) == 0 &&
                      getsockopt(holder, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) == 0 && peer.uid == getuid();
    if (!ours) {
      close(holder);
      std::fprintf(stderr, "%s the turn of user %u is held by something else than a call of that user; going on "
                   "without it\n",
                   kNetprobeDiagnostic, static_cast<unsigned>(getuid()));
      return kNoTurn;
    }
    const std::uint64_t now = SteadyMs();
    pollfd hangUp{holder, 0, 0};  // POLLHUP is always reported
    const int ended = now < deadline ? poll(&hangUp, 1, static_cast<int>(deadline - now)) : 0;
    close(holder);
    if (ended == 0) return kTurnBusy;
    if (ended < 0 && errno != EINTR) return kTurnFailed;
  }
}

int OpenFailure(ProbeError error) {
  std::printf("error %s\n", ProbeErrorWord(error));
  std::fprintf(stderr, "%s %s\n", kNetprobeDiagnostic, ProbeErrorText(error));
  return kExitFailed;
}

ProbeError BindError(int error) {
  if (error == EACCES || error == EPERM) return ProbeError::kNoPrivilege;
  if (error == EADDRINUSE) return ProbeError::kPortInUse;
  return ProbeError::kSocketError;
}

// A socket bound to port 68, the privilege raised for the bind alone.
bool OpenPort68(UdpSocket& socket, ProbeError& error) {
  socket.SetLocalPort(kProbeClientPort);
  Raise(CAP_NET_BIND_SERVICE);
  const bool open = socket.OpenBoundReceiver();
  const int why = socket.LastError();
  DropAll();
  error = open ? ProbeError::kNone : BindError(why);
  return open;
}

int Discover(const Request& r) {
  UdpSocket socket;
  socket.SetAddress(Dotted(r.address));
  socket.SetRemotePort(r.port);
  ProbeError error = ProbeError::kNone;
  if (!OpenPort68(socket, error)) return OpenFailure(error);
  const std::vector<std::uint8_t> datagram = BuildDiscoveryDatagram();
  if (!socket.SetPayload(datagram.data(), datagram.size()) || !socket.SendPayload(1))
    return OpenFailure(ProbeError::kSendFailed);
  std::uint32_t router = 0;
  if (ReceiveRouterAnswer(socket, router))
    std::printf("answer %s\n", Dotted(router).c_str());
  else
    std::printf("none\n");
  return kExitRan;
}

int DhcpPresence(const Request& r) {
  UdpSocket receiver;
  ProbeError error = ProbeError::kNone;
  if (!OpenPort68(receiver, error)) return OpenFailure(error);
  UdpSocket sender;
  sender.SetAddress(Dotted(r.address));
  sender.SetRemotePort(r.port);
  if (!sender.OpenSender()) return OpenFailure(ProbeError::kSocketError);
  const std::vector<std::uint8_t> datagram = BuildDhcpPresenceDatagram();
  if (!sender.SetPayload(datagram.data(), datagram.size()) || !sender.SendPayload(1))
    return OpenFailure(ProbeError::kSendFailed);
  const bool answered = receiver.ReceiveDatagram(kProbeWaitMs / 1000, (kProbeWaitMs % 1000) * 1000L);
  std::printf(answered ? "answered\n" : "none\n");
  return kExitRan;
}

int Echo(const Request& r) {
  IcmpEcho echo;
  PingError error = PingError::kNone;
  Raise(CAP_NET_RAW);
  const bool open = echo.Open(error);
  DropAll();
  if (!open) {
    std::printf("error %s\n", PingErrorWord(error));
    std::fprintf(stderr, "%s %s\n", kNetprobeDiagnostic,
                 error == PingError::kNoPrivilege ? "no ICMP socket: this program lacks cap_net_raw"
                                                  : "the ICMP socket could not be prepared");
    return kExitFailed;
  }
  for (int i = 0; i < r.count; ++i) {
    const bool back = echo.Echo(r.address, r.timeoutMs, error);
    std::printf("echo %s\n", PingErrorWord(back ? PingError::kNone : error));
    if (back) break;
    if (i + 1 < r.count) WaitRealMs(kEchoPauseMs);
  }
  return kExitRan;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing of the caller's is used: no environment (so no locale, no
  // library path, no time scale), no descriptors but 0-2, no way to gain
  // privileges through anything this process might run.
  clearenv();
  TidyDescriptors();
  prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);

  // The first word alone, compared whole, chooses the capability to keep;
  // the request is parsed only after the others are gone.
  const bool fromInput = argc == 2 && std::strcmp(argv[1], "-") == 0;
  const std::string input = fromInput ? ReadInput() : std::string();
  const Operation named = fromInput ? OperationOfLine(input) : OperationWord(argc > 1 ? argv[1] : "");
  const int keep = named == Operation::kEcho ? CAP_NET_RAW
                   : named == Operation::kNone ? kNoCapability
                                               : CAP_NET_BIND_SERVICE;
  if (!KeepOnly(keep)) {
    std::fprintf(stderr, "%s cannot drop capabilities: %s\n", kNetprobeDiagnostic, std::strerror(errno));
    return kExitFailed;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::printf("%s%s", kSynopsis, kDescription);
    return kExitRan;
  }
  std::vector<std::string> words;
  std::string why;
  Request request;
  if (!SplitWords(argc, argv, fromInput, input, words, why) || !ParseRequest(words, request, why)) return Refuse(why);
  if (request.operation == Operation::kEcho && IsInterfaceBroadcast(request.address))
    return Refuse("echo goes to one unicast address, not the broadcast address " + Dotted(request.address));

  const int turn = TakeTurn();
  if (turn == kTurnBusy) {
    std::fprintf(stderr, "%s busy: an earlier call of this user did not end within %d ms\n", kNetprobeDiagnostic,
                 kTurnWaitMs);
    return kExitBusy;
  }
  if (turn == kTurnFailed) {
    const int error = errno;
    std::printf("error %s\n", ProbeErrorWord(ProbeError::kSocketError));
    std::fprintf(stderr, "%s no socket for the turn: %s\n", kNetprobeDiagnostic, std::strerror(error));
    return kExitFailed;
  }
  const std::uint64_t start = SteadyMs();
  int status = kExitFailed;
  switch (request.operation) {
    case Operation::kDiscover: status = Discover(request); break;
    case Operation::kDhcpPresence: status = DhcpPresence(request); break;
    case Operation::kEcho: status = Echo(request); break;
    case Operation::kNone: break;
  }
  std::fflush(stdout);
  const std::uint64_t spent = SteadyMs() - start;
  if (spent < kMinCallMs) usleep(static_cast<useconds_t>((kMinCallMs - spent) * 1000));
  if (turn >= 0) close(turn);
  return status;
}
