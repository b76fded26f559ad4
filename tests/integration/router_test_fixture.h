// Shared by the router tests: an emulated router on 127.0.0.1 (ephemeral
// port, its own threads) and a fresh wizard state pointed at it.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/routersim/RouterSim.h"
#include "state/WizardState.h"

namespace kelvane::testing {

// Polls `condition` until it holds or `ms` have passed. Tests wait on what
// they need rather than for a fixed pause, so a loaded machine or the
// sanitizer build gets room and a fast machine loses no time.
template <class F>
bool WaitUntil(F condition, int ms = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A loopback port of `socketType` (SOCK_STREAM or SOCK_DGRAM) that was free a
// moment ago: nobody listens there unless a test binds it.
inline std::uint16_t FreeLoopbackPort(int socketType) {
  const int fd = socket(AF_INET, socketType, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

class RouterSimTest : public ::testing::Test {
 protected:
  void StartRouter(routersim::RouterSimOptions options = {}) {
    options.bindAddress = "127.0.0.1";
    options.httpPort = 0;
    sim_ = std::make_unique<routersim::RouterSim>(options);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    ResetRouterDefaults(state_);
    state_.routerAddress = sim_->Address();
  }
  void SetUp() override { StartRouter(); }
  void TearDown() override {
    if (sim_) sim_->Stop();
  }

  void SetFlavour(routersim::LoginFlavour flavour) {
    sim_->WithState([&](routersim::RouterSimState& s) { s.flavour = flavour; });
  }
  // Runs `f` on the emulated router's state (to set it up or inspect it).
  template <class F>
  void Router(F f) {
    sim_->WithState([&](routersim::RouterSimState& s) { f(s); });
  }

  // Request lines received, with the router address prefix removed from none:
  // the log holds "GET <path> HTTP/1.0" exactly as sent.
  std::vector<std::string> Lines() const { return sim_->RequestLog(); }
  std::string LastLine() const {
    auto lines = Lines();
    return lines.empty() ? std::string() : lines.back();
  }
  static std::string Get(const std::string& path) { return "GET " + path + " HTTP/1.0"; }

  std::unique_ptr<routersim::RouterSim> sim_;
  WizardState state_;
};

// The same tests against each page layout of the emulator (classic, compact,
// varied): the readers and commands depend on markers only, never on the
// layout around them.
class LayoutRouterSimTest : public RouterSimTest, public ::testing::WithParamInterface<routersim::PageLayout> {
 protected:
  void SetUp() override {
    routersim::RouterSimOptions options;
    options.layout = GetParam();
    StartRouter(options);
  }
};

#define KELVANE_INSTANTIATE_ALL_LAYOUTS(Suite)                                                       \
  INSTANTIATE_TEST_SUITE_P(AllLayouts, Suite,                                                        \
                           ::testing::Values(routersim::PageLayout::kClassic, routersim::PageLayout::kCompact, \
                                             routersim::PageLayout::kVaried),                        \
                           [](const ::testing::TestParamInfo<routersim::PageLayout>& info) {         \
                             std::string name = routersim::PageLayoutName(info.param);               \
                             name[0] = static_cast<char>(name[0] - 'a' + 'A');                       \
                             return name;                                                            \
                           })

// A tiny web server that answers every request with what `handler` makes of
// its head (request line and headers): canned pages for the readers and
// answers the emulator would never give.
class CannedServer {
 public:
  using Handler = std::function<std::string(const std::string& head)>;
  explicit CannedServer(Handler handler) : handler_(std::move(handler)) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, 8) != 0) return;
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Loop(); });
  }
  ~CannedServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(fd_);
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // A 200 answer with `body`.
  static std::string Ok(const std::string& body) { return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body; }

 private:
  void Loop() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      const int c = accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      std::string head;
      char buf[1024];
      while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd q{c, POLLIN, 0};
        if (poll(&q, 1, 2000) <= 0) break;
        const ssize_t n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, static_cast<std::size_t>(n));
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(head.substr(0, head.find("\r\n")));
      }
      const std::string answer = handler_(head);
      send(c, answer.data(), answer.size(), MSG_NOSIGNAL);
      shutdown(c, SHUT_WR);
      close(c);
    }
  }
  Handler handler_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace kelvane::testing
