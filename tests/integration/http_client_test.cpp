// The HTTP client and its TCP socket against small misbehaving servers on
// 127.0.0.1 (see fake_http_server.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <arpa/nameser.h>
#include <resolv.h>

#include <atomic>
#include <memory>

#include "net/HostResolver.h"
#include "net/HttpClient.h"
#include "net/TcpClientSocket.h"
#include "net/TrafficLog.h"
#include "net/Wait.h"
#include "fake_http_server.h"

namespace kelvane {
namespace {

using namespace std::string_literals;
using namespace kelvane::testing;

std::uint64_t Elapsed(std::uint64_t since) { return SteadyMs() - since; }

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>SSID=LMQ-5812<BR></html>";

// Connects `socket` to the server and sends one request.
void ConnectAndSend(TcpClientSocket& socket, const FakeServer& server, std::string_view request) {
  socket.SetAddress("127.0.0.1");
  socket.SetRemotePort(server.Port());
  ASSERT_TRUE(socket.Connect(1000));
  ASSERT_TRUE(socket.Send(request));
}

// ---------------------------------------------------------------------------
// Request bytes

TEST(HttpRequestBytes, AreExactlyTheRequestLineAndHeaders) {
  struct {
    bool withCredentials;
    const char* user;
    const char* password;
    const char* path;
    std::string expected;
  } cases[] = {
      {false, "", "", "/zero.htm?rf=0004", "GET /zero.htm?rf=0004 HTTP/1.0\r\nConnection:Close\r\n\r\n"},
      {true, "admin", "kwzpo", "/sysinfo.htm",
       "GET /sysinfo.htm HTTP/1.0\r\nAuthorization: Basic YWRtaW46a3d6cG8=\r\nConnection:Close\r\n\r\n"},
      {true, "kwzpo", "", "/", "GET / HTTP/1.0\r\nAuthorization: Basic a3d6cG86\r\nConnection:Close\r\n\r\n"},
      // A ":" in the query stays in the path, unchanged.
      {false, "", "", "/cgi-bin/logi?rc=@&PS=a:b&rd=menu",
       "GET /cgi-bin/logi?rc=@&PS=a:b&rd=menu HTTP/1.0\r\nConnection:Close\r\n\r\n"},
  };
  for (const auto& c : cases) {
    FakeServer server(Answer(kOk));
    std::string response;
    const bool ok = c.withCredentials ? HttpGetAuth(server.Url(c.path), c.user, c.password, response, 2)
                                      : HttpGet(server.Url(c.path), response, 2);
    EXPECT_TRUE(ok) << c.path;
    EXPECT_EQ(response, kOk);
    ASSERT_EQ(server.Connections(), 1) << c.path;
    EXPECT_EQ(server.Requests()[0], c.expected);
  }
}

TEST(HttpRequestBytes, LongCommandsGoOutWholeAndOverlongOnesAreRefused) {
  FakeServer server(Answer(kOk));
  const std::string value(3000, 'k');
  std::string response;
  ASSERT_TRUE(HttpGetAuth(server.Url("/cgi-bin/wlap?rc=@&key=" + value), "u", "p", response, 2));
  ASSERT_EQ(server.Connections(), 1);
  EXPECT_EQ(server.Requests()[0], "GET /cgi-bin/wlap?rc=@&key=" + value +
                                      " HTTP/1.0\r\nAuthorization: Basic dTpw\r\nConnection:Close\r\n\r\n");

  response = "stale";
  EXPECT_FALSE(HttpGet(server.Url("/cgi-bin/wlap?key=" + std::string(kHttpMaxUrlLength, 'k')), response, 2));
  EXPECT_FALSE(HttpGetAuth(server.Url("/x"), std::string(kHttpMaxCredentialsLength, 'u'), "p", response, 2));
  EXPECT_EQ(response, "");
  EXPECT_EQ(server.Connections(), 1);  // nothing cut and sent
}

// ---------------------------------------------------------------------------
// What the answer decides

TEST(HttpAnswers, StatusAndLoginMarkerDecideTheResult) {
  struct {
    const char* name;
    std::string answer;
    bool plain;
    bool authenticated;
  } cases[] = {
      {"ok", kOk, true, true},
      {"login refused", "HTTP/1.0 200 OK\r\n\r\n<script>var s=\";login=false;\";</script>", true, false},
      {"marker compared with case", "HTTP/1.0 200 OK\r\n\r\n;LOGIN=FALSE;", true, true},
      {"302 not followed", "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:1/\r\n\r\n", false, false},
      {"401", "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"LMQ\"\r\n\r\n", false, false},
      {"404 with a length of 200", "HTTP/1.0 404 Not Found\r\nContent-Length: 200\r\n\r\n" + std::string(200, 'x'),
       true, true},
      {"404", "HTTP/1.0 404 Not Found\r\n\r\n", false, false},
      {"301 without Location", "HTTP/1.0 301 Moved\r\nContent-Length: 0\r\n\r\n", false, false},
      {"no status line", "<html>200 OK</html>", false, false},
      {"binary", "\0\x01\xFF\xFEHTTP 200\0\0"s, false, false},
      {"closed without a byte", "", false, false},
      {"lower-case start", "http/1.0 200 ok\r\n\r\n", true, true},
  };
  for (const auto& c : cases) {
    FakeServer server(Answer(c.answer));
    std::string response;
    EXPECT_EQ(HttpGet(server.Url("/zero.htm"), response, 2), c.plain) << c.name;
    EXPECT_EQ(response, c.answer) << c.name;
    EXPECT_EQ(HttpGetAuth(server.Url("/zero.htm"), "kwzpo", "", response, 2), c.authenticated) << c.name;
    EXPECT_EQ(HttpGetAuthDiscard(server.Url("/zero.htm"), "kwzpo", "", 2), c.authenticated) << c.name;
    EXPECT_EQ(server.Connections(), 3) << c.name;  // 302 and 301 without Location are not followed
  }
}

TEST(HttpAnswers, OversizedAnswersAreCutAtTheCap) {
  const std::string header = "HTTP/1.0 200 OK\r\n";
  struct {
    const char* name;
    std::string answer;
  } cases[] = {
      {"long body", header + "\r\n" + std::string(100000, 'b')},
      {"long body with its length", header + "Content-Length: 100000\r\n\r\n" + std::string(100000, 'b')},
      {"endless headers", header + std::string(90000, 'h')},
      {"exactly the cap", header + "\r\n" + std::string(kHttpResponseCap - header.size() - 2, 'c')},
  };
  for (const auto& c : cases) {
    FakeServer server(Answer(c.answer));
    std::string response;
    const std::uint64_t start = SteadyMs();
    EXPECT_TRUE(HttpGet(server.Url("/big.htm"), response, 2)) << c.name;
    EXPECT_LT(Elapsed(start), 1500u) << c.name;
    ASSERT_EQ(response.size(), kHttpResponseCap) << c.name;
    EXPECT_EQ(response, c.answer.substr(0, kHttpResponseCap)) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Redirects

TEST(HttpRedirect, OneMovedAnswerIsFollowedWithTheSameCredentials) {
  FakeServer target(Answer("HTTP/1.0 200 OK\r\n\r\nprim page"));
  // Two blanks, a dotted host, a port and a path.
  FakeServer mover(Answer("HTTP/1.0 301 Moved Permanently\r\nLocation:  127.0.0.1:" + std::to_string(target.Port()) +
                          "/prim.htm\r\n\r\n"));
  std::string response;
  ASSERT_TRUE(HttpGetAuth(mover.Url("/"), "admin", "pw", response, 2));
  EXPECT_EQ(response, "HTTP/1.0 200 OK\r\n\r\nprim page");  // the second answer alone
  ASSERT_EQ(target.Connections(), 1);
  EXPECT_EQ(target.Requests()[0], "GET /prim.htm HTTP/1.0\r\nAuthorization: Basic YWRtaW46cHc=\r\nConnection:Close\r\n\r\n");
}

TEST(HttpRedirect, ASecondMoveIsNotFollowed) {
  FakeServer last(Answer(kOk));
  FakeServer second(Answer("HTTP/1.0 301 Moved\r\nLocation: " + last.Url("/") + "\r\n\r\n"));
  FakeServer first(Answer("HTTP/1.0 301 Moved\r\nLocation: " + second.Url("/") + "\r\n\r\n"));
  std::string response;
  EXPECT_FALSE(HttpGet(first.Url("/"), response, 2));
  EXPECT_EQ(first.Connections(), 1);
  EXPECT_EQ(second.Connections(), 1);
  EXPECT_EQ(last.Connections(), 0);
}

// Installs a host look-up for the length of a test and restores the system one.
class ResolverScope {
 public:
  explicit ResolverScope(HostLookup lookup) : previous_(SetHostResolver(std::move(lookup))) {}
  ~ResolverScope() { SetHostResolver(previous_); }

 private:
  HostLookup previous_;
};

// A look-up that answers from a fixed table and counts every name it is asked.
struct TableLookup {
  std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
  std::vector<std::pair<std::string, std::string>> table;
  HostLookup Function() const {
    return [calls = calls, table = table](const std::string& name, std::string& dotted) {
      ++*calls;
      for (const auto& [n, address] : table) {
        if (n == name) {
          dotted = address;
          return true;
        }
      }
      return false;
    };
  }
};

std::string Moved(const std::string& location) {
  return "HTTP/1.0 301 Moved Permanently\r\nLocation: " + location + "\r\n\r\n";
}

TEST(HttpRedirect, OnlyPlainHttpLocationsAreFollowedAndNoStrayTextIsLookedUp) {
  FakeServer target(Answer(kOk));
  const std::string port = std::to_string(target.Port());
  struct {
    std::string location;
    bool followed;
  } cases[] = {
      {"http://127.0.0.1:" + port + "/prim.htm", true},
      {"HTTP://127.0.0.1:" + port + "/", true},
      {"127.0.0.1:" + port + "/prim.htm", true},  // a bare numeric host needs no look-up
      {"http://router.invalid:" + port + "/", true},
      {"ftp://router.invalid:" + port + "/", false},
      {"router.invalid:" + port + "/", false},      // no scheme and a name
      {"\thttp://router.invalid:" + port + "/", false},
      {"http://user:pw@router.invalid:" + port + "/", false},
      {"http://router.invalid@127.0.0.1:" + port + "/", false},
      {"javascript:alert(1)", false},
      {"http://router.invalid:" + port + "x/", false},
      {"http://rou ter.invalid/", false},
      {"http:///prim.htm", false},
  };
  for (const auto& c : cases) {
    TableLookup lookup;
    lookup.table = {{"router.invalid", "127.0.0.1"}};
    ResolverScope scope(lookup.Function());
    FakeServer mover(Answer(Moved(c.location)));
    const int before = target.Connections();
    std::string response;
    EXPECT_EQ(HttpGet(mover.Url("/"), response, 2), c.followed) << c.location;
    EXPECT_EQ(target.Connections() - before, c.followed ? 1 : 0) << c.location;
    // Only a followed http:// location with a name asks the resolver.
    const bool named = c.followed && c.location.find("router.invalid") != std::string::npos;
    EXPECT_EQ(lookup.calls->load(), named ? 1 : 0) << c.location;
    if (!c.followed) {
      EXPECT_EQ(LastHttpResult().failure, HttpFailure::kRedirectRefused) << c.location;
    }
  }
}

TEST(HttpRedirect, CredentialsGoOnlyToTheHostTheyWereGivenFor) {
  FakeServer sameHost(Answer(kOk));
  FakeServer otherHost(Answer(kOk), htonl(0x7F000002));  // 127.0.0.2
  TableLookup lookup;
  lookup.table = {{"router.invalid", "127.0.0.1"}, {"elsewhere.invalid", "127.0.0.2"}};
  ResolverScope scope(lookup.Function());
  const std::string noCredentials = "GET /x HTTP/1.0\r\nConnection:Close\r\n\r\n";
  const std::string withCredentials =
      "GET /x HTTP/1.0\r\nAuthorization: Basic YWRtaW46cHc=\r\nConnection:Close\r\n\r\n";
  struct {
    std::string location;
    FakeServer* target;
    std::string request;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(sameHost.Port()) + "/x", &sameHost, withCredentials},
      {"http://router.invalid:" + std::to_string(sameHost.Port()) + "/x", &sameHost, withCredentials},
      {"http://127.0.0.2:" + std::to_string(otherHost.Port()) + "/x", &otherHost, noCredentials},
      {"http://elsewhere.invalid:" + std::to_string(otherHost.Port()) + "/x", &otherHost, noCredentials},
  };
  for (const auto& c : cases) {
    FakeServer mover(Answer(Moved(c.location)));
    std::string response;
    HttpGetAuth(mover.Url("/"), "admin", "pw", response, 2);
    ASSERT_FALSE(c.target->Requests().empty()) << c.location;
    EXPECT_EQ(c.target->Requests().back(), c.request) << c.location;
  }
}

// A DNS server on loopback that takes queries and never answers.
class SilentDnsServer {
 public:
  SilentDnsServer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ADD_FAILURE() << "cannot bind";
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentDnsServer() { ::close(fd_); }
  std::uint16_t Port() const { return port_; }
  // Queries that arrived so far (read without waiting).
  int Queries() {
    char buffer[512];
    while (::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) ++queries_;
    return queries_;
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
  int queries_ = 0;
};

// The system resolver's own code, told to ask only the silent server: left
// alone it waits 5 s per try, twice.
HostLookup LookupAt(std::uint16_t dnsPort) {
  return [dnsPort](const std::string& name, std::string& dotted) {
    struct __res_state resolver {};
    if (res_ninit(&resolver) != 0) return false;
    for (auto& server : resolver.nsaddr_list) {
      server.sin_family = AF_INET;
      server.sin_port = htons(dnsPort);
      server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    resolver.nscount = 1;
    unsigned char answer[512];
    const int n = res_nquery(&resolver, name.c_str(), ns_c_in, ns_t_a, answer, sizeof answer);
    res_nclose(&resolver);
    if (n > 0) dotted = "127.0.0.1";
    return n > 0;
  };
}

TEST(HttpRedirect, ASilentNameServerCostsNoMoreThanTheTimeOutAndTheWindowStaysAlive) {
  SilentDnsServer dns;
  ResolverScope scope(LookupAt(dns.Port()));
  FakeServer mover(Answer(Moved("http://router.invalid/prim.htm")));
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
  std::string response;
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(HttpGet(mover.Url("/"), response, 1));
  const std::uint64_t elapsed = Elapsed(start);
  SetWaitHook(previous);
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 3000u);  // not the resolver's 10 s
  EXPECT_GE(hookCalls, 10);
  EXPECT_EQ(LastHttpResult().failure, HttpFailure::kNameNotResolved);
  // The query went to the silent server on loopback, nowhere else.
  EXPECT_TRUE(WaitUntil(10000, [&] { return dns.Queries() >= 1; }));
}

// ---------------------------------------------------------------------------
// Peers that close late, never, slowly or violently

TEST(HttpTiming, AnAnswerWithItsLengthEndsWithoutWaitingForTheClose) {
  const std::string answers[] = {
      "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello",
      "HTTP/1.0 200 OK\r\ncontent-length:0\r\n\r\n",
      "HTTP/1.0 301 Moved\r\nContent-Length: 0\r\n\r\n",  // no Location: fails at once
  };
  for (const auto& answer : answers) {
    FakeServer server(AnswerAndStayOpen(answer));
    std::string response;
    const std::uint64_t start = SteadyMs();
    EXPECT_EQ(HttpGet(server.Url("/"), response, 5), answer.find(" 200") != std::string::npos);
    EXPECT_LT(Elapsed(start), 500u) << answer;
    EXPECT_EQ(response, answer);
  }
}

TEST(HttpTiming, AnAnswerArrivingInPiecesIsWaitedForAndEndsWithItsLastByte) {
  const std::vector<std::vector<std::string>> cases = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234", "56789"},
      {"HTTP/1.0 200 OK\r\nContent-Len", "gth: 3\r\n\r", "\nabc"},  // split in the header and its end
      {"HTTP/1.0 200 OK\nContent-Length: 2\n\n", "ok"},              // bare line feeds
  };
  for (const auto& pieces : cases) {
    FakeServer server([pieces](FakeServer& s, int fd) {
      for (const auto& piece : pieces) {
        FakeServer::SendAll(fd, piece);
        s.Pause(150);
      }
      s.HoldOpen(fd);
    });
    std::string whole;
    for (const auto& piece : pieces) whole += piece;
    std::string response;
    const std::uint64_t start = SteadyMs();
    EXPECT_TRUE(HttpGet(server.Url("/"), response, 5)) << whole;
    EXPECT_EQ(response, whole);
    EXPECT_LT(Elapsed(start), 150u * pieces.size() + 400u) << whole;
  }
}

TEST(HttpTiming, WithoutALengthAnOpenConnectionCostsOneTimeOut) {
  FakeServer server(AnswerAndStayOpen(kOk));
  std::string response;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(HttpGet(server.Url("/"), response, 1));
  const std::uint64_t elapsed = Elapsed(start);
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 1800u);
  EXPECT_EQ(response, kOk);
}

TEST(HttpTiming, ASilentPeerFailsAfterOneTimeOutAndTheWindowStaysAlive) {
  FakeServer server(Silent());
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
  std::string response = "stale";
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(HttpGet(server.Url("/"), response, 1));
  const std::uint64_t elapsed = Elapsed(start);
  SetWaitHook(previous);
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 1800u);
  EXPECT_EQ(response, "");
  // Slices of kWaitSliceMs: about a hundred calls in one second.
  EXPECT_GE(hookCalls, 400 / kWaitSliceMs);
}

TEST(HttpTiming, AChainOfQuickAnswersYieldsOnEveryRequest) {
  // Every answer comes before a slice runs out; each request outlasts the
  // yield interval, so the window gets its turn at least once per request.
  constexpr int kRequests = 10;
  FakeServer server([](FakeServer&, int fd) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kYieldIntervalMs + 2));
    FakeServer::SendAll(fd, kOk);
  });
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
  for (int i = 0; i < kRequests; ++i) {
    std::string response;
    EXPECT_TRUE(HttpGet(server.Url("/"), response, 5));
  }
  SetWaitHook(previous);
  EXPECT_GE(hookCalls, kRequests);
}

TEST(HttpTiming, ATricklingPeerIsCutOffAtThreeTimeOuts) {
  FakeServer server(Drip(kOk));
  std::string response;
  const std::uint64_t start = SteadyMs();
  HttpGet(server.Url("/"), response, 1);
  const std::uint64_t elapsed = Elapsed(start);
  EXPECT_GE(elapsed, 2900u);
  EXPECT_LT(elapsed, 4000u);
  EXPECT_GE(response.size(), 5u);
  EXPECT_LE(response.size(), 14u);
  EXPECT_EQ(response, kOk.substr(0, response.size()));
}

TEST(HttpTiming, AResetMidBodyEndsAtOnce) {
  FakeServer server(ResetAfter("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\npartial"));
  std::string response;
  const std::uint64_t start = SteadyMs();
  const bool ok = HttpGet(server.Url("/"), response, 3);
  EXPECT_LT(Elapsed(start), 1000u);
  // The part that arrived before the reset may or may not have been read.
  if (ok) {
    EXPECT_EQ(response.rfind("HTTP/1.0 200 OK", 0), 0u);
  }
  EXPECT_LE(response.size(), 60u);
}

TEST(HttpTiming, ARefusedConnectionFailsAtOnce) {
  std::string response = "stale";
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(HttpGet("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/", response, 5));
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_EQ(response, "");
}

// ---------------------------------------------------------------------------
// The socket itself

TEST(TcpClientSocketTest, ReceiveTakesExactlyWhatArrivedBeforeTheClose) {
  const std::string hundred(100, 'z');
  FakeServer server(Answer(hundred));
  TcpClientSocket socket;
  EXPECT_EQ(socket.SetAddress("127.0.0.1"), htonl(INADDR_LOOPBACK));
  ConnectAndSend(socket, server, "GET / HTTP/1.0\r\n\r\n");
  std::string destination;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(socket.Receive(2, 0, destination, false));
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_EQ(destination, hundred);
  EXPECT_EQ(socket.ReceivedTotal(), 100);
  EXPECT_EQ(socket.Close(), 0);
  EXPECT_EQ(socket.Close(), -1);
}

TEST(TcpClientSocketTest, SilenceLeavesTheDestinationUntouched) {
  FakeServer server(Silent());
  TcpClientSocket socket;
  ConnectAndSend(socket, server, "GET / HTTP/1.0\r\n\r\n");
  std::string destination = "keep";
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(socket.Receive(0, 300000, destination, false));
  const std::uint64_t elapsed = Elapsed(start);
  EXPECT_GE(elapsed, 290u);
  EXPECT_LT(elapsed, 800u);
  EXPECT_EQ(destination, "keep");
}

TEST(TcpClientSocketTest, StopAfterFirstChunkDoesNotWaitForMore) {
  FakeServer server([](FakeServer& s, int fd) {
    FakeServer::SendAll(fd, "abc");
    s.Pause(1000);
    FakeServer::SendAll(fd, "def");
  });
  TcpClientSocket socket;
  ConnectAndSend(socket, server, "x\r\n\r\n");
  std::string destination;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(socket.Receive(3, 0, destination, true));
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_EQ(destination, "abc");
}

TEST(TcpClientSocketTest, FreshObjectsAndBadAddressesHoldNoConnection) {
  TcpClientSocket fresh;
  EXPECT_EQ(fresh.Close(), -1);
  EXPECT_EQ(fresh.Close(), -1);
  std::string destination = "keep";
  EXPECT_FALSE(fresh.Send("x"));
  EXPECT_FALSE(fresh.Receive(0, 1000, destination, false));
  EXPECT_EQ(destination, "keep");

  const char* bad[] = {"999.1.1.1", "127.0.0.1abc", "", "127.0.0.1.1", "localhost"};
  for (const char* address : bad) {
    TcpClientSocket socket;
    EXPECT_EQ(socket.SetAddress(address), INADDR_NONE) << address;
    socket.SetRemotePort(80);
    EXPECT_FALSE(socket.Connect(200)) << address;
    EXPECT_EQ(socket.Close(), 0) << address;  // the handle was kept for Close
  }
}

TEST(TcpClientSocketTest, ConnectIsBoundedByItsTimeOut) {
  // A listener that never accepts and has a full queue drops new handshakes,
  // so a connect to it would otherwise hang for the system's minutes.
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

  std::vector<int> fillers;
  bool full = false;
  for (int i = 0; i < 16 && !full; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    fillers.push_back(fd);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    pollfd entry{fd, POLLOUT, 0};
    full = ::poll(&entry, 1, 200) == 0;
  }
  if (full) {
    TcpClientSocket socket;
    socket.SetAddress("127.0.0.1");
    socket.SetRemotePort(ntohs(address.sin_port));
    int hookCalls = 0;
    const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
    const std::uint64_t start = SteadyMs();
    EXPECT_FALSE(socket.Connect(400));
    const std::uint64_t elapsed = Elapsed(start);
    SetWaitHook(previous);
    EXPECT_GE(elapsed, 390u);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_GE(hookCalls, 5);
  }
  for (const int fd : fillers) ::close(fd);
  ::close(listener);
  if (!full) GTEST_SKIP() << "the loopback listen queue never filled up";
}

// ---------------------------------------------------------------------------
// The traffic log

TEST(HttpTrafficLog, LogsRequestAndStatusLinesButNoCredentials) {
  FakeServer server(Answer(kOk));
  std::vector<std::string> lines;
  SetTrafficLogSink([&lines](const std::string& line) { lines.push_back(line); });
  std::string response;
  EXPECT_TRUE(HttpGetAuth(server.Url("/cgi-bin/logi?rc=@&PS=s3cret&rd=menu"), "admin", "s3cret", response, 2));
  SetTrafficLogSink(nullptr);

  bool sawRequest = false;
  bool sawStatus = false;
  for (const auto& line : lines) {
    sawRequest = sawRequest || line.find("GET /cgi-bin/logi?rc=@&PS=<redacted>&rd=menu HTTP/1.0") != std::string::npos;
    sawStatus = sawStatus || line.find("HTTP/1.0 200 OK") != std::string::npos;
    EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    EXPECT_EQ(line.find(Base64Encode("admin:s3cret")), std::string::npos) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  }
  EXPECT_TRUE(sawRequest);
  EXPECT_TRUE(sawStatus);
}

}  // namespace
}  // namespace kelvane
