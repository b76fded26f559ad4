// Shared pieces of the fuzz programs: the invariant check, and the loopback
// peers (an HTTP server and a datagram responder answering fuzzed bytes) that
// the targets talk to. The peers bind to 127.0.0.x only and register their
// ports with the guard, so the code under test can reach nothing else.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kelvane::fuzz {

// A broken invariant: prints the message and the values, then aborts, so that
// libFuzzer keeps the input as a crash.
[[noreturn]] void InvariantFailed(const char* file, int line, const char* condition, const std::string& detail);

#define FUZZ_CHECK(condition, detail)                                                   \
  do {                                                                                  \
    if (!(condition)) ::kelvane::fuzz::InvariantFailed(__FILE__, __LINE__, #condition, (detail)); \
  } while (0)

// Printable rendering of bytes for failure messages (escapes, cut to `max`).
std::string Printable(std::string_view bytes, std::size_t max = 300);

// Replaces every "@PORT@" in `text` by `port`, so seed inputs can name the
// peer's ephemeral port.
std::string WithPort(std::string_view text, std::uint16_t port);

// Splits the input at each "\n=====\n" (the seeds' way of giving the peer
// several answers), at most `maxParts` parts (the last takes the rest).
std::vector<std::string> SplitParts(std::string_view input, std::size_t maxParts);

// An HTTP peer on 127.0.0.1 and 127.0.0.2 (same port): for each connection it
// reads the request up to its blank line, records it, writes the next answer
// of the list (the last one again once the list is used up; none: closes at
// once) and closes.
class LoopbackHttpPeer {
 public:
  struct Request {
    std::string localAddress;  // "127.0.0.1" or "127.0.0.2": which host was asked
    std::string bytes;
  };

  LoopbackHttpPeer();
  ~LoopbackHttpPeer();
  LoopbackHttpPeer(const LoopbackHttpPeer&) = delete;
  LoopbackHttpPeer& operator=(const LoopbackHttpPeer&) = delete;

  std::uint16_t Port() const { return port_; }
  // Starts a new round: these answers, no recorded requests.
  void SetAnswers(std::vector<std::string> answers);
  // The requests of this round (complete once the client's call returned).
  std::vector<Request> Requests();

 private:
  void Serve();
  void Answer(int fd, const std::string& local);

  int listen_[2] = {-1, -1};
  int stop_[2] = {-1, -1};  // a pipe that wakes the server to end it
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
  std::vector<Request> requests_;
  std::thread thread_;
};

// A datagram peer: waits for datagrams on 127.0.0.1:Port() and answers each
// with the round's replies, sent from 127.0.0.<replyHost> to `replyPort`.
class LoopbackUdpResponder {
 public:
  LoopbackUdpResponder();
  ~LoopbackUdpResponder();
  LoopbackUdpResponder(const LoopbackUdpResponder&) = delete;
  LoopbackUdpResponder& operator=(const LoopbackUdpResponder&) = delete;

  std::uint16_t Port() const { return port_; }
  // replyHost 1..4; the replies go out in order for every datagram received.
  void SetReplies(std::vector<std::string> replies, int replyHost, std::uint16_t replyPort);
  // Datagrams received in this round.
  std::vector<std::string> Received();
  // Waits (5 s at most) until the replies to every datagram received so far
  // have gone out, so that none of them reaches the next round's probe.
  void WaitIdle();

 private:
  void Serve();

  int socket_ = -1;
  int senders_[4] = {-1, -1, -1, -1};  // bound to 127.0.0.1 .. 127.0.0.4
  int stop_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> replies_;
  int replyHost_ = 1;
  std::uint16_t replyPort_ = 0;
  std::vector<std::string> received_;
  bool sending_ = false;
  std::condition_variable idle_;
  std::thread thread_;
};

// A free loopback UDP port (bound once and released), registered with the guard.
std::uint16_t FreeUdpPort();

}  // namespace kelvane::fuzz
