#include "tools/routersim/RouterSim.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <limits>
#include <thread>

#include "tools/routersim/RouterSimDispatch.h"

namespace kelvane::routersim {
namespace {

constexpr std::uint64_t kNeverBack = std::numeric_limits<std::uint64_t>::max();

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

}  // namespace

RouterSim::RouterSim(RouterSimOptions options) : options_(std::move(options)) {
  state_.RestartWanLink(SimNowMs());
}

RouterSim::~RouterSim() { Stop(); }

bool RouterSim::Start(std::string* error) {
  if (!OpenListener(options_.httpPort, error)) return false;
  if (options_.udpEnabled) {
    SimDiscoveryResponder::Options udp;
    udp.bindAddress = options_.udpBindAddress.empty() ? options_.bindAddress : options_.udpBindAddress;
    udp.port = options_.udpPort;
    udp.replyAddress = options_.replyAddress;
    udp.replyPort = options_.replyPort;
    udp.answerDhcp = options_.answerDhcp;
    if (!responder_.Open(udp, error)) {
      webServer_.Close();
      return false;
    }
  }
  if (!options_.wakeInterface.empty() && !wakeWatcher_.Open(options_.wakeInterface, error)) {
    webServer_.Close();
    responder_.Close();
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    servingLan_ = state_.lanAddress;
  }

  stopping_ = false;
  webServer_.Start({[this] { FollowLanChange(); }, [this] { return AcceptsClients(); },
                    [this](SimConnection& connection) { ServeConnection(connection); }});
  if (responder_.IsOpen()) {
    responder_.Start([this](const std::string& description) { return NoteDatagram(description); });
  }
  if (wakeWatcher_.IsOpen()) {
    wakeWatcher_.Start({[this] {
                          std::lock_guard<std::mutex> lock(mutex_);
                          return state_.lanAddress;
                        },
                        [this](const std::string& destination) { NoteWakeUpEcho(destination); }});
  }
  return true;
}

void RouterSim::Stop() {
  stopping_ = true;
  webServer_.Stop();
  responder_.Stop();
  wakeWatcher_.Stop();
  wakeWatcher_.Close();
  responder_.Close();
}

bool RouterSim::OpenListener(std::uint16_t port, std::string* error) {
  std::string bindAddress;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bindAddress = options_.bindAddress;
  }
  return webServer_.Open(bindAddress, port, error);
}

void RouterSim::FollowLanChange() {
  std::string from, to;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool configured = !options_.lanInterface.empty() || !options_.lanChangeProgram.empty();
    if (!configured && !followFaultMove_) return;
    CatchUpRestart(SimNowMs());
    if (restartPending_) return;
    if (configured) {
      if (state_.lanAddress != servingLan_) {
        from = servingLan_;
        to = state_.lanAddress;
      }
    } else if (options_.bindAddress != "0.0.0.0" && options_.bindAddress != state_.lanAddress) {
      // Nothing else moves the server: it leaves the address it listened on.
      from = options_.bindAddress;
      to = state_.lanAddress;
    }
    followFaultMove_ = false;
  }
  if (!to.empty()) MoveLan(from, to);
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
    webServer_.Close();
    std::string error;
    if (!OpenListener(webServer_.Port(), &error)) {
      std::lock_guard<std::mutex> lock(mutex_);
      Log("cannot serve at " + to + ": " + error);
      ok = false;
    }
  }
  return ok;
}

bool RouterSim::AcceptsClients() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint64_t now = SimNowMs();
  CatchUpRestart(now);
  // Restarting: nobody is there to answer.
  return !(restartPending_ && now < offAirUntil_);
}

void RouterSim::ServeConnection(SimConnection& connection) {
  const std::string head = connection.ReadHead();
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
    bool applies = !head.empty() && faults.AppliesTo(request.requestLine);
    if (applies && faults.nth > 0) applies = ++faultMatches_ == faults.nth;
    if (!applies) faults = RouterSimFaults{};
  }
  if (head.empty() || stopping_) return;
  if (faults.answerDelayMs > 0) SleepUnlessStopped(stopping_, faults.answerDelayMs);
  if (faults.silent) {
    connection.WaitPeerClose();
    return;
  }
  if (faults.closeAtOnce) return;
  if (faults.resetAfterBytes == 0) {
    connection.Reset();
    return;
  }

  std::string response;
  if (!parsed || request.method != "GET") {
    response = HttpResponse(400, "<HTML>Bad request</HTML>\n");
  } else if (faults.emptyAnswer || faults.junkBytes > 0 || faults.loginPageInstead || faults.ignoreQuietly) {
    response = Substitute(faults);
  } else {
    response = Respond(request, faults);
    if (faults.securityToNone) {
      std::lock_guard<std::mutex> lock(mutex_);
      state_.securityCode = "0";
    }
  }
  if (faults.restartAfter || !faults.restartOnto.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!faults.restartOnto.empty()) {
      state_.pendingLanAddress = faults.restartOnto;
      followFaultMove_ = true;
      Log("RESTART ONTO " + faults.restartOnto);
    }
    if (!restartPending_) BeginRestart();
  }
  if (faults.wrongStatus > 0) {
    const std::size_t lineEnd = response.find("\r\n");
    response = HttpStatusLine(faults.wrongStatus) + response.substr(lineEnd);
  }
  // The restart began in Respond, under the same lock as the command: off the
  // air before the answer leaves (a client that ends the answer by its length
  // may ask again at once, and must not find the router still there), and
  // before anyone can see a factory reset's LAN address without the restart.
  if (faults.resetAfterBytes > 0) {
    const std::size_t cut = std::min(response.size(), static_cast<std::size_t>(faults.resetAfterBytes));
    connection.SendAll(response.substr(0, cut), faults.dripBytes, faults.dripPauseMs);
    connection.Reset();
    return;
  }
  connection.SendAll(response, faults.dripBytes, faults.dripPauseMs);
  if (faults.keepOpen) {
    connection.WaitPeerClose();
  } else {
    connection.ShutdownWrite();
  }
}

std::string RouterSim::Respond(const SimHttpRequest& request, const RouterSimFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint64_t now = SimNowMs();
  CatchUpRestart(now);
  RouterAnswer answer = AnswerRequest(request, state_, options_.layout, now, faults.refuseAlert);
  if (answer.restart) BeginRestart();
  return std::move(answer.response);
}

std::string RouterSim::Substitute(const RouterSimFaults& faults) {
  if (faults.emptyAnswer) return HttpResponse(200, "");
  if (faults.junkBytes > 0) {
    std::string junk;
    junk.reserve(static_cast<std::size_t>(faults.junkBytes));
    for (int i = 0; i < faults.junkBytes; ++i) junk.push_back(static_cast<char>('a' + (i * 7) % 26));
    return HttpResponse(200, junk);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  PageContext context{state_, options_.layout, SimNowMs(), faults.loginPageInstead};
  if (faults.ignoreQuietly) return HttpResponse(200, RenderAfterCommand("zero", context));
  return HttpResponse(200, RenderLoginForm(context));
}

std::optional<std::string> RouterSim::NoteDatagram(const std::string& description) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint64_t now = SimNowMs();
  CatchUpRestart(now);
  const bool offAir = restartPending_ && now < offAirUntil_;
  const std::string line = description + (offAir ? " (off the air)" : "");
  datagramLog_.push_back(line);
  Log(line);
  if (offAir) return std::nullopt;
  return state_.lanAddress;
}

void RouterSim::NoteWakeUpEcho(const std::string& destination) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!state_.publicHostPinged) Log("WAKE-UP ECHO to " + destination);
  state_.publicHostPinged = true;
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

std::string RouterSim::Address() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return options_.bindAddress + ":" + std::to_string(webServer_.Port());
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
    std::this_thread::sleep_for(std::chrono::milliseconds(kSimSliceMs));
  }
}

void RouterSim::SetLogSink(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

void RouterSim::SetFaults(const RouterSimFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.faults = faults;
  faultMatches_ = 0;
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

}  // namespace kelvane::routersim
