#include "tools/routersim/RouterSim.h"

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>

namespace kelvane::routersim {
namespace {

constexpr std::size_t kMaxRequestHead = 16384;
constexpr int kHeadTimeoutMs = 5000;
constexpr int kSliceMs = 20;
constexpr std::uint64_t kNeverBack = std::numeric_limits<std::uint64_t>::max();

std::string StatusLine(int code) {
  switch (code) {
    case 200: return "HTTP/1.0 200 OK";
    case 401: return "HTTP/1.0 401 Unauthorized";
    case 404: return "HTTP/1.0 404 Not Found";
    case 500: return "HTTP/1.0 500 Internal Server Error";
    default: return "HTTP/1.0 " + std::to_string(code) + " Error";
  }
}

// Every answer carries its length, so a client can end a response whose
// connection is left open. There is no blank after the colon: the wizard's
// status test searches for " 200" anywhere in the answer, and a length such as
// 2001 after a blank would make a 404 look like a success.
std::string Response(int code, const std::string& body, const std::string& extraHeaders = "") {
  return StatusLine(code) + "\r\nServer: LMQ-5812\r\nContent-Type: text/html\r\nPragma: no-cache\r\n" +
         "Content-Length:" + std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

bool ParseIpv4(const std::string& text, in_addr& out) { return inet_pton(AF_INET, text.c_str(), &out) == 1; }

std::string EndpointText(const sockaddr_in& a) {
  char buf[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf);
  return std::string(buf) + ":" + std::to_string(ntohs(a.sin_port));
}

// Runs argv (searched on PATH, no shell) and waits for it, at most
// `timeoutMs`. The answer is its exit status, or -1.
int RunProgram(const std::vector<std::string>& argv, int timeoutMs) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  for (int waited = 0;; waited += 20) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (r < 0) return -1;
    if (waited >= timeoutMs) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// Whether `address` lies in the /24 network of `lan` (both network order).
bool SameLan24(std::uint32_t address, const std::string& lan) {
  in_addr l{};
  if (!ParseIpv4(lan, l)) return false;
  return (ntohl(address) & 0xFFFFFF00u) == (ntohl(l.s_addr) & 0xFFFFFF00u);
}

void ResetClose(int fd) {
  linger lg{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
  close(fd);
}

}  // namespace

std::uint64_t SimNowMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

RouterSim::RouterSim(RouterSimOptions options) : options_(std::move(options)) {
  state_.RestartWanLink(SimNowMs());
}

RouterSim::~RouterSim() { Stop(); }

bool RouterSim::Start(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why + ": " + std::strerror(errno);
    if (listenFd_ >= 0) close(listenFd_);
    if (udpFd_ >= 0) close(udpFd_);
    listenFd_ = udpFd_ = -1;
    return false;
  };
  httpPort_ = options_.httpPort;
  std::string listenError;
  if (!OpenListener(&listenError)) {
    if (error) *error = listenError;
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  int one = 1;
  socklen_t len = 0;

  if (options_.udpEnabled) {
    sockaddr_in u{};
    u.sin_family = AF_INET;
    const std::string bindText = options_.udpBindAddress.empty() ? options_.bindAddress : options_.udpBindAddress;
    if (!ParseIpv4(bindText, u.sin_addr)) {
      errno = EINVAL;
      return fail("bad UDP bind address " + bindText);
    }
    u.sin_port = htons(options_.udpPort);
    udpFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (udpFd_ < 0) return fail("socket");
    setsockopt(udpFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    setsockopt(udpFd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    // Learn the interface and local address each datagram came in on, so the
    // reply leaves through the same LAN port (a limited broadcast would
    // otherwise follow the default route, which may be the WAN side).
    setsockopt(udpFd_, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    if (bind(udpFd_, reinterpret_cast<sockaddr*>(&u), sizeof u) != 0)
      return fail("cannot bind UDP port " + std::to_string(options_.udpPort));
    len = sizeof u;
    getsockname(udpFd_, reinterpret_cast<sockaddr*>(&u), &len);
    udpPort_ = ntohs(u.sin_port);
  }

  if (!options_.wakeInterface.empty()) {
    sockaddr_ll ll{};
    ll.sll_family = AF_PACKET;
    ll.sll_protocol = htons(ETH_P_IP);
    ll.sll_ifindex = static_cast<int>(if_nametoindex(options_.wakeInterface.c_str()));
    if (ll.sll_ifindex == 0) return fail("no interface " + options_.wakeInterface);
    wakeFd_ = socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
    if (wakeFd_ < 0) return fail("cannot watch " + options_.wakeInterface + " (a packet socket needs root)");
    if (bind(wakeFd_, reinterpret_cast<sockaddr*>(&ll), sizeof ll) != 0) {
      close(wakeFd_);
      wakeFd_ = -1;
      return fail("cannot watch " + options_.wakeInterface);
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    servingLan_ = state_.lanAddress;
  }

  stopping_ = false;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  if (udpFd_ >= 0) udpThread_ = std::thread([this] { UdpLoop(); });
  if (wakeFd_ >= 0) wakeThread_ = std::thread([this] { WakeLoop(); });
  return true;
}

bool RouterSim::OpenListener(std::string* error) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  std::string bindAddress;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bindAddress = options_.bindAddress;
  }
  if (!ParseIpv4(bindAddress, addr.sin_addr)) {
    if (error) *error = "bad bind address " + bindAddress;
    return false;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  addr.sin_port = htons(httpPort_);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
    if (error) *error = "cannot bind HTTP port " + std::to_string(httpPort_) + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  httpPort_ = ntohs(addr.sin_port);
  listenFd_ = fd;
  return true;
}

bool RouterSim::MoveLan(const std::string& from, const std::string& to) {
  const std::string& dev = options_.lanInterface;
  bool ok = true;
  if (!dev.empty()) {
    ok = RunProgram({"ip", "-4", "addr", "flush", "dev", dev}, 10000) == 0 &&
         RunProgram({"ip", "addr", "add", to + "/24", "dev", dev}, 10000) == 0;
    std::lock_guard<std::mutex> lock(mutex_);
    Log(std::string(ok ? "LAN MOVED to " : "LAN MOVE FAILED to ") + to + " on " + dev);
  }
  // The program may be what moves the address (a test bed's own script), so
  // it runs before the web server moves.
  if (!options_.lanChangeProgram.empty()) {
    const int rc = RunProgram({options_.lanChangeProgram, to, "24", dev, from}, 20000);
    std::lock_guard<std::mutex> lock(mutex_);
    Log("LAN CHANGE PROGRAM ended with " + std::to_string(rc));
    ok = ok && rc == 0;
  }
  bool rebind = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    servingLan_ = to;
    if (options_.bindAddress == from) {
      options_.bindAddress = to;
      rebind = true;
    }
  }
  if (rebind) {
    close(listenFd_);
    listenFd_ = -1;
    std::string error;
    if (!OpenListener(&error)) {
      std::lock_guard<std::mutex> lock(mutex_);
      Log("cannot serve at " + to + ": " + error);
      ok = false;
    }
  }
  return ok;
}

void RouterSim::WakeLoop() {
  std::uint8_t buf[2048];
  while (!stopping_) {
    pollfd p{wakeFd_, POLLIN, 0};
    if (poll(&p, 1, kSliceMs) <= 0) continue;
    sockaddr_ll from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = recvfrom(wakeFd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    // Only what comes in from the LAN: an IPv4 header, then ICMP echo request.
    if (n < 20 || from.sll_pkttype == PACKET_OUTGOING) continue;
    const std::size_t headerLength = static_cast<std::size_t>(buf[0] & 0x0F) * 4;
    if ((buf[0] >> 4) != 4 || headerLength < 20 || static_cast<std::size_t>(n) < headerLength + 8) continue;
    if (buf[9] != IPPROTO_ICMP || buf[headerLength] != 8) continue;
    std::uint32_t destination = 0;
    std::memcpy(&destination, buf + 16, 4);
    std::string lan;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      lan = state_.lanAddress;
    }
    if (destination == INADDR_BROADCAST || SameLan24(destination, lan)) continue;
    in_addr d{};
    d.s_addr = destination;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &d, text, sizeof text);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!state_.publicHostPinged) Log(std::string("WAKE-UP ECHO to ") + text);
    state_.publicHostPinged = true;
  }
}

void RouterSim::Stop() {
  stopping_ = true;
  if (acceptThread_.joinable()) acceptThread_.join();
  if (udpThread_.joinable()) udpThread_.join();
  if (wakeThread_.joinable()) wakeThread_.join();
  if (wakeFd_ >= 0) close(wakeFd_);
  wakeFd_ = -1;
  std::list<Connection> rest;
  {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    rest.swap(connections_);
  }
  for (Connection& c : rest) {
    if (c.thread.joinable()) c.thread.join();
  }
  if (listenFd_ >= 0) close(listenFd_);
  if (udpFd_ >= 0) close(udpFd_);
  listenFd_ = udpFd_ = -1;
}

std::string RouterSim::Address() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return options_.bindAddress + ":" + std::to_string(httpPort_);
}

RouterSimState RouterSim::StateCopy() {
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpRestart(SimNowMs());
  return state_;
}

std::vector<std::string> RouterSim::RequestLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requestLog_;
}

std::vector<std::string> RouterSim::RequestHeads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requestHeads_;
}

std::vector<std::string> RouterSim::DatagramLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return datagramLog_;
}

void RouterSim::ClearLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  requestLog_.clear();
  requestHeads_.clear();
  datagramLog_.clear();
}

bool RouterSim::WaitForRequests(std::size_t count, int ms) const {
  const std::uint64_t end = SimNowMs() + static_cast<std::uint64_t>(ms);
  while (true) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (requestLog_.size() >= count) return true;
    }
    if (SimNowMs() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
  }
}

void RouterSim::SetLogSink(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

void RouterSim::SetFaults(const RouterSimFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.faults = faults;
}

void RouterSim::SetLayout(PageLayout layout) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.layout = layout;
}

void RouterSim::SetRestartMs(int ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.restartMs = ms;
}

void RouterSim::NotePublicHostPinged() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!state_.publicHostPinged) Log("PING public host");
  state_.publicHostPinged = true;
}

bool RouterSim::OffAir() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return restartPending_ && SimNowMs() < offAirUntil_;
}

void RouterSim::Log(const std::string& line) {
  // Caller holds the lock.
  if (sink_) sink_(line);
}

void RouterSim::SleepUnlessStopped(int ms) const {
  const std::uint64_t end = SimNowMs() + static_cast<std::uint64_t>(ms < 0 ? 0 : ms);
  while (!stopping_ && SimNowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
}

bool RouterSim::WaitPeerClose(int fd) const {
  char scratch[512];
  while (!stopping_) {
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, kSliceMs);
    if (r < 0 && errno != EINTR) return true;
    if (r > 0) {
      const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
      if (n <= 0) return true;
    }
  }
  return false;
}

bool RouterSim::SendAll(int fd, const std::string& data, const RouterSimFaults& faults) {
  const std::size_t piece = faults.dripBytes > 0 ? static_cast<std::size_t>(faults.dripBytes) : data.size();
  std::size_t sent = 0;
  while (sent < data.size() && !stopping_) {
    const std::size_t n = std::min(piece, data.size() - sent);
    const ssize_t r = send(fd, data.data() + sent, n, MSG_NOSIGNAL);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(r);
    if (faults.dripBytes > 0 && sent < data.size()) SleepUnlessStopped(faults.dripPauseMs);
  }
  return sent == data.size();
}

void RouterSim::AcceptLoop() {
  while (!stopping_) {
    // A restart that changed the LAN address moves the router before it
    // answers again.
    if (!options_.lanInterface.empty() || !options_.lanChangeProgram.empty()) {
      std::string from, to;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        CatchUpRestart(SimNowMs());
        if (!restartPending_ && state_.lanAddress != servingLan_) {
          from = servingLan_;
          to = state_.lanAddress;
        }
      }
      if (!to.empty()) MoveLan(from, to);
    }
    if (listenFd_ < 0) {
      SleepUnlessStopped(kSliceMs);
      continue;
    }
    pollfd p{listenFd_, POLLIN, 0};
    const int r = poll(&p, 1, kSliceMs);
    // Join the connections that have finished, so a long-running program does
    // not gather threads.
    {
      std::lock_guard<std::mutex> lock(connectionsMutex_);
      for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->done->load()) {
          it->thread.join();
          it = connections_.erase(it);
        } else {
          ++it;
        }
      }
    }
    if (r <= 0) continue;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    bool offAir;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const std::uint64_t now = SimNowMs();
      CatchUpRestart(now);
      offAir = restartPending_ && now < offAirUntil_;
    }
    if (offAir) {
      // Restarting: nobody is there to answer.
      ResetClose(fd);
      continue;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    connections_.push_back(Connection{std::thread([this, fd, done] {
                                        ServeConnection(fd);
                                        done->store(true);
                                      }),
                                      done});
  }
}

void RouterSim::ServeConnection(int fd) {
  std::string head;
  const std::uint64_t deadline = SimNowMs() + kHeadTimeoutMs;
  char buf[2048];
  while (!stopping_ && head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
    if (SimNowMs() >= deadline) break;
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, kSliceMs);
    if (r < 0 && errno != EINTR) break;
    if (r <= 0) continue;
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    head.append(buf, static_cast<std::size_t>(n));
  }
  const std::size_t end = head.find("\r\n\r\n");
  if (end != std::string::npos) head.resize(end);

  SimHttpRequest request;
  const bool parsed = ParseSimHttpRequest(head, request);
  RouterSimFaults faults;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!head.empty()) {
      requestLog_.push_back(request.requestLine);
      requestHeads_.push_back(head);
      Log(request.requestLine);
    }
    faults = options_.faults;
  }
  if (head.empty() || stopping_) {
    close(fd);
    return;
  }
  const bool faulty = FaultApplies(faults, request.requestLine);
  if (!faulty) faults = RouterSimFaults{};
  if (faults.answerDelayMs > 0) SleepUnlessStopped(faults.answerDelayMs);
  if (faults.silent) {
    WaitPeerClose(fd);
    close(fd);
    return;
  }

  bool restart = false;
  std::string response;
  if (!parsed || request.method != "GET") {
    response = Response(400, "<HTML>Bad request</HTML>\n");
  } else {
    response = Respond(request, faults, restart);
  }
  if (faults.wrongStatus > 0) {
    const std::size_t lineEnd = response.find("\r\n");
    response = StatusLine(faults.wrongStatus) + response.substr(lineEnd);
  }
  // The restart began in Respond, under the same lock as the command: off the
  // air before the answer leaves (a client that ends the answer by its length
  // may ask again at once, and must not find the router still there), and
  // before anyone can see a factory reset's LAN address without the restart.
  SendAll(fd, response, faults);
  if (faults.keepOpen) {
    WaitPeerClose(fd);
  } else {
    shutdown(fd, SHUT_WR);
  }
  close(fd);
}

bool RouterSim::FaultApplies(const RouterSimFaults& faults, const std::string& requestLine) const {
  return faults.match.empty() || requestLine.find(faults.match) != std::string::npos;
}

void RouterSim::BeginRestart() {
  // Caller holds the lock.
  restartPending_ = true;
  offAirUntil_ = options_.faults.restartNeverReturns
                     ? kNeverBack
                     : SimNowMs() + static_cast<std::uint64_t>(options_.restartMs < 0 ? 0 : options_.restartMs);
  Log("RESTART");
}

void RouterSim::CatchUpRestart(std::uint64_t nowMs) {
  if (restartPending_ && nowMs >= offAirUntil_) {
    restartPending_ = false;
    state_.CompleteRestart(nowMs);
    Log("BACK ON THE AIR at " + state_.lanAddress);
  }
}

std::string RouterSim::Respond(const SimHttpRequest& request, const RouterSimFaults& faults, bool& restart) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint64_t now = SimNowMs();
  CatchUpRestart(now);
  RouterSimState& s = state_;
  PageContext context{s, options_.layout, now, false};
  const std::string& path = request.path;

  if (path == "_sim/pinged") {
    s.publicHostPinged = true;
    return Response(200, "pinged\n");
  }
  if (s.flavour == LoginFlavour::kBasic &&
      !(request.hasAuthorization && request.authUser == s.loginWord)) {
    return Response(401, "<HTML><BODY>401 Unauthorized</BODY></HTML>\n",
                    "WWW-Authenticate: Basic realm=\"LMQ-5812\"\r\n");
  }
  if (path.empty() || path == "index.htm") {
    if (s.flavour == LoginFlavour::kOpen) return Response(200, RenderFrontPage(context, true));
    if (s.flavour == LoginFlavour::kBasic) return Response(200, RenderFrontPage(context, false));
    context.loginFalse = !s.formLoggedIn;
    return Response(200, RenderLoginForm(context));
  }
  if (path == "cgi-bin/logi") {
    CommandOutcome out = s.ApplyLogin(request);
    if (s.flavour != LoginFlavour::kForm) return Response(200, RenderFrontPage(context, false));
    context.loginFalse = !s.formLoggedIn;
    if (!out.accepted) return Response(200, RenderAlert(out.alert, context));
    return Response(200, RenderAfterCommand(out.nextPage, context));
  }
  if (s.flavour == LoginFlavour::kForm && !s.formLoggedIn) {
    context.loginFalse = true;
    return Response(200, RenderLoginForm(context));
  }

  if (path.rfind("cgi-bin/", 0) == 0) {
    const std::string command = path.substr(8);
    if (!faults.refuseAlert.empty()) return Response(200, RenderAlert(faults.refuseAlert, context));
    CommandOutcome out;
    if (command == "prim") out = s.ApplyPrim(request, now);
    else if (command == "want") out = s.ApplyWant(request, now);
    else if (command == "wlap") out = s.ApplyWlap(request);
    else if (command == "dhcp") out = s.ApplyDhcp(request);
    else if (command == "cmac") out = s.ApplyCmac(request, now);
    else if (command == "pass") out = s.ApplyPass(request);
    else if (command == "rset") out = s.ApplyReset();
    else if (command == "rebo") {
      out.restart = true;
      out.nextPage = "rebo";
    } else {
      return Response(404, "<HTML>404 Not Found</HTML>\n");
    }
    restart = out.restart;
    if (restart) BeginRestart();
    if (out.passwordRefused) return Response(200, RenderPasswordRefused(context));
    if (!out.accepted) return Response(200, RenderAlert(out.alert, context));
    return Response(200, RenderAfterCommand(out.nextPage, context));
  }

  std::string body;
  if (!RenderPage(path, request.FieldOr("rf", ""), context, body)) {
    return Response(404, "<HTML>404 Not Found</HTML>\n");
  }
  return Response(200, body);
}

void RouterSim::UdpLoop() {
  std::uint8_t buf[2048];
  while (!stopping_) {
    pollfd p{udpFd_, POLLIN, 0};
    const int r = poll(&p, 1, kSliceMs);
    if (r <= 0) continue;
    sockaddr_in from{};
    iovec iov{buf, sizeof buf};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(udpFd_, &msg, 0);
    if (n < 0) continue;
    in_pktinfo arrival{};
    bool haveArrival = false;
    for (cmsghdr* cm = CMSG_FIRSTHDR(&msg); cm; cm = CMSG_NXTHDR(&msg, cm)) {
      if (cm->cmsg_level == IPPROTO_IP && cm->cmsg_type == IP_PKTINFO) {
        std::memcpy(&arrival, CMSG_DATA(cm), sizeof arrival);
        haveArrival = true;
      }
    }
    const std::size_t size = static_cast<std::size_t>(n);
    const bool discovery = size >= 114 && buf[0] == 192 && std::memcmp(buf + 108, "Qorvex", 6) == 0;
    const bool dhcp = size >= 243 && buf[0] == 1 &&
                      ((buf[236] == 0x02 && buf[237] == 0x93 && buf[238] == 0x02 && buf[239] == 0x93) ||
                       (buf[236] == 0x63 && buf[237] == 0x82 && buf[238] == 0x53 && buf[239] == 0x63));
    std::string lan;
    bool offAir;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const std::uint64_t now = SimNowMs();
      CatchUpRestart(now);
      offAir = restartPending_ && now < offAirUntil_;
      lan = state_.lanAddress;
      const std::string line = "UDP " + std::to_string(size) + " bytes from " + EndpointText(from) +
                               (discovery ? " discovery" : dhcp ? " dhcp" : " other") +
                               (offAir ? " (off the air)" : "");
      datagramLog_.push_back(line);
      Log(line);
    }
    if (offAir || (!discovery && !(dhcp && options_.answerDhcp))) continue;

    // The reply: a BOOTP-shaped answer naming the router. The wizard only
    // uses its source address.
    std::vector<std::uint8_t> reply(discovery ? 548 : 300, 0);
    reply[0] = discovery ? 193 : 2;
    reply[1] = 1;
    reply[2] = 6;
    std::memcpy(reply.data() + 4, buf + 4, 4);  // transaction id
    in_addr lanAddr{};
    if (ParseIpv4(lan, lanAddr)) std::memcpy(reply.data() + 20, &lanAddr, 4);
    if (discovery) std::memcpy(reply.data() + 108, "LMQ-5812", 8);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(options_.replyPort);
    if (!ParseIpv4(options_.replyAddress, to.sin_addr)) continue;
    iovec out{reply.data(), reply.size()};
    alignas(cmsghdr) char outControl[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr reply_msg{};
    reply_msg.msg_name = &to;
    reply_msg.msg_namelen = sizeof to;
    reply_msg.msg_iov = &out;
    reply_msg.msg_iovlen = 1;
    if (haveArrival) {
      reply_msg.msg_control = outControl;
      reply_msg.msg_controllen = sizeof outControl;
      cmsghdr* cm = CMSG_FIRSTHDR(&reply_msg);
      cm->cmsg_level = IPPROTO_IP;
      cm->cmsg_type = IP_PKTINFO;
      cm->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
      in_pktinfo info{};
      info.ipi_ifindex = arrival.ipi_ifindex;
      info.ipi_spec_dst = arrival.ipi_spec_dst;  // the router's address on that port
      // A router answers from its LAN address. The kernel's choice follows the
      // route back to the sender, which for a PC with an address outside the
      // LAN is the WAN side; use the LAN address where it is ours.
      const bool fromLan = ParseIpv4(lan, lanAddr) && lanAddr.s_addr != arrival.ipi_spec_dst.s_addr;
      if (fromLan) info.ipi_spec_dst = lanAddr;
      std::memcpy(CMSG_DATA(cm), &info, sizeof info);
      if (fromLan && sendmsg(udpFd_, &reply_msg, 0) >= 0) continue;
      info.ipi_spec_dst = arrival.ipi_spec_dst;  // the LAN address is not on this host
      std::memcpy(CMSG_DATA(cm), &info, sizeof info);
    }
    sendmsg(udpFd_, &reply_msg, 0);
  }
}

}  // namespace kelvane::routersim
