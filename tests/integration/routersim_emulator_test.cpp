// The emulator itself: its decoder, its WAN rules, the discovery responder and
// the fault switches, checked with plain sockets so that a fault in the
// wizard's own client cannot hide one here.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "BuiltProgram.h"
#include "router_test_fixture.h"
#include "tools/routersim/RouterSim.h"
#include "tools/routersim/SimHttpRequest.h"

namespace kelvane::routersim {
namespace {

std::uint64_t NowMs() { return SimNowMs(); }

// Sends `request` to 127.0.0.1:port and reads until the server closes or
// `waitMs` passes. `closed` tells whether the server closed.
std::string ExchangeAt(const char* address, std::uint16_t port, const std::string& request, int waitMs,
                       bool* closed = nullptr) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, address, &a.sin_addr);
  std::string got;
  if (closed) *closed = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    if (closed) *closed = true;
    return got;
  }
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  const std::uint64_t end = NowMs() + static_cast<std::uint64_t>(waitMs);
  char buf[4096];
  while (NowMs() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) {
      if (closed) *closed = true;
      break;
    }
    got.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  return got;
}

std::string Exchange(std::uint16_t port, const std::string& request, int waitMs, bool* closed = nullptr) {
  return ExchangeAt("127.0.0.1", port, request, waitMs, closed);
}

std::string Request(const std::string& path, const std::string& extra = "") {
  return "GET " + path + " HTTP/1.0\r\n" + extra + "Connection:Close\r\n\r\n";
}

TEST(SimHttpRequestTest, DecodesLikeAWebServer) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {{"a%20b", "a b"}, {"a+b", "a b"},     {"%2B", "+"},   {"%zz", "%zz"},
                        {"100%", "100%"}, {"%4", "%4"},       {"%e9", "\xe9"}, {"KM%23", "KM#"},
                        {"", ""},         {"%25%32%30", "%20"}};
  for (const Case& c : cases) EXPECT_EQ(FormDecode(c.in), c.out) << c.in;
  EXPECT_EQ(ScriptEscape("vpn.example.net"), "vpn.example.net");
  EXPECT_EQ(ScriptEscape("a b&c"), "a%20b%26c");
}

TEST(SimHttpRequestTest, ParsesFieldsAndCredentials) {
  SimHttpRequest r;
  ASSERT_TRUE(ParseSimHttpRequest("GET /cgi-bin/prim?rc=@&Wt=0200&IU0=a%26b&KM%23=00FF&empty=&flag HTTP/1.0\r\n"
                                  "Authorization: Basic a3d6cG86\r\nConnection:Close",
                                  r));
  EXPECT_EQ(r.path, "cgi-bin/prim");
  EXPECT_EQ(r.FieldOr("IU0", "?"), "a&b");
  EXPECT_EQ(r.FieldOr("KM#", "?"), "00FF");
  EXPECT_EQ(r.FieldOr("empty", "?"), "");
  EXPECT_TRUE(r.Has("flag"));
  EXPECT_FALSE(r.Has("IW0"));
  EXPECT_TRUE(r.hasAuthorization);
  EXPECT_EQ(r.authUser, "kwzpo");
  EXPECT_EQ(r.authPassword, "");
  EXPECT_FALSE(ParseSimHttpRequest("garbage", r));
}

class EmulatorTest : public testing::RouterSimTest {};

TEST_F(EmulatorTest, LogsRequestLinesInOrderAndAnswersClosed) {
  bool closed = false;
  const std::string a = Exchange(sim_->HttpPort(), Request("/zero.htm?rc=&rf=0004"), 2000, &closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(a.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
  // The length lets a client end an answer on a connection left open; no
  // blank follows the colon, so the length can never read as a status.
  const std::size_t length = a.find("\r\nContent-Length:");
  ASSERT_NE(length, std::string::npos);
  const std::size_t bodyAt = a.find("\r\n\r\n");
  ASSERT_NE(bodyAt, std::string::npos);
  EXPECT_EQ(std::stoul(a.substr(length + 17)), a.size() - bodyAt - 4);
  Exchange(sim_->HttpPort(), Request("/nothing.htm"), 2000);
  Exchange(sim_->HttpPort(), "GET /odd%20path?x=1+2 HTTP/1.1\r\n\r\n", 2000);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"GET /zero.htm?rc=&rf=0004 HTTP/1.0", "GET /nothing.htm HTTP/1.0",
                                               "GET /odd%20path?x=1+2 HTTP/1.1"}));
}

TEST_F(EmulatorTest, BasicFlavourChallengesEveryRequest) {
  SetFlavour(LoginFlavour::kBasic);
  std::string a = Exchange(sim_->HttpPort(), Request("/prim.htm"), 2000);
  EXPECT_EQ(a.rfind("HTTP/1.0 401", 0), 0u);
  EXPECT_NE(a.find("\r\nWWW-Authenticate: Basic"), std::string::npos);
  // "kwzpo:" and "kwzpo:anything" both pass: the word is the user name.
  a = Exchange(sim_->HttpPort(), Request("/prim.htm", "Authorization: Basic a3d6cG86\r\n"), 2000);
  EXPECT_EQ(a.rfind("HTTP/1.0 200", 0), 0u);
  a = Exchange(sim_->HttpPort(), Request("/prim.htm", "Authorization: Basic a3d6cG86a3d6cG8=\r\n"), 2000);
  EXPECT_EQ(a.rfind("HTTP/1.0 200", 0), 0u);
}

TEST_F(EmulatorTest, WanComesUpAfterTheDelay) {
  sim_->WithState([](RouterSimState& s) {
    s.wanUpDelayMs = 1500;
    s.RestartWanLink(SimNowMs());
  });
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/zero.htm?rc=&rf=0020"), 2000).find("Gateway=0.0.0.0<BR>"),
            std::string::npos);
  ASSERT_TRUE(testing::WaitUntil([&] { return sim_->StateCopy().WanUp(SimNowMs()); }));
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/zero.htm?rc=&rf=0020"), 2000).find("Gateway=10.64.0.1<BR>"),
            std::string::npos);
  // A WAN refresh starts the bring-up again.
  Exchange(sim_->HttpPort(), Request("/cgi-bin/want?rc=&rf=&UB=0001&rd=status"), 2000);
  EXPECT_FALSE(sim_->StateCopy().WanUp(SimNowMs()));
}

TEST_F(EmulatorTest, WanWaitsForThePublicPing) {
  sim_->WithState([](RouterSimState& s) { s.wanUpOnPing = true; });
  EXPECT_FALSE(sim_->StateCopy().WanUp(SimNowMs()));
  sim_->NotePublicHostPinged();
  EXPECT_TRUE(sim_->StateCopy().WanUp(SimNowMs()));
  // The control request of the namespace test bed does the same.
  sim_->WithState([](RouterSimState& s) { s.RestartWanLink(SimNowMs()); });
  EXPECT_FALSE(sim_->StateCopy().WanUp(SimNowMs()));
  Exchange(sim_->HttpPort(), Request("/_sim/pinged"), 2000);
  EXPECT_TRUE(sim_->StateCopy().WanUp(SimNowMs()));
}

TEST_F(EmulatorTest, RefusesBadValuesWithAnAlert) {
  struct Case {
    const char* path;
  };
  const Case cases[] = {
      {"/cgi-bin/prim?rc=@&Wt=0000&WI=1.2.3.999"},
      {"/cgi-bin/prim?rc=@&Wt=0999"},
      {"/cgi-bin/wlap?ZN=x&ZC=14&CS=0"},  // channel 14 is not in the USA mask
      {"/cgi-bin/wlap?ZN=x&ZC=1&CS=1&ZS=129&ZO0=toolong"},
      {"/cgi-bin/wlap?ZN=x&ZC=1&CS=4&KM5=o&PK=nothex"},
      {"/cgi-bin/prim?rc=@&En=00-11-22"},
  };
  const RouterSimState before = sim_->StateCopy();
  for (const Case& c : cases) {
    const std::string a = Exchange(sim_->HttpPort(), Request(c.path), 2000);
    EXPECT_NE(a.find("alert("), std::string::npos) << c.path;
  }
  const RouterSimState after = sim_->StateCopy();
  EXPECT_EQ(after.wanType, before.wanType);
  EXPECT_EQ(after.ssid, before.ssid);
  EXPECT_EQ(after.channel, before.channel);
  EXPECT_EQ(after.securityCode, before.securityCode);
  EXPECT_EQ(after.wanMac, before.wanMac);
}

TEST_F(EmulatorTest, RestartTakesTheRouterOffTheAir) {
  sim_->SetRestartMs(1500);
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/cgi-bin/rebo?"), 2000).find("200 OK"), std::string::npos);
  EXPECT_TRUE(sim_->OffAir());
  bool closed = false;
  EXPECT_EQ(Exchange(sim_->HttpPort(), Request("/zero.htm"), 500, &closed), "");
  EXPECT_TRUE(closed);
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/zero.htm"), 2000).find("200 OK"), std::string::npos);
}

// A restart that changes the LAN address runs the change program and moves
// the web server to the new address (on loopback: 127.0.0.2 needs no root).
TEST(EmulatorLanMoveTest, RestartToANewAddressRunsTheProgramAndServesThere) {
  char dir[] = "/tmp/kvsim-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string program = std::string(dir) + "/on-lan-change";
  const std::string record = std::string(dir) + "/args";
  {
    std::FILE* f = std::fopen(program.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "#!/bin/sh\necho \"$@\" >> %s\n", record.c_str());
    std::fclose(f);
    chmod(program.c_str(), 0700);
  }
  RouterSimOptions options;
  options.bindAddress = "127.0.0.1";
  options.restartMs = 300;
  options.lanChangeProgram = program;
  RouterSim sim(options);
  sim.WithState([](RouterSimState& s) { s.lanAddress = "127.0.0.1"; });
  std::string error;
  ASSERT_TRUE(sim.Start(&error)) << error;
  const std::uint16_t port = sim.HttpPort();
  auto read = [&](const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    std::string text;
    if (f == nullptr) return text;
    char buf[256];
    while (std::fgets(buf, sizeof buf, f)) text += buf;
    std::fclose(f);
    return text;
  };

  // A restart without a new address moves nothing.
  ExchangeAt("127.0.0.1", port, Request("/cgi-bin/rebo?"), 2000);
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim.OffAir(); }));
  EXPECT_NE(ExchangeAt("127.0.0.1", port, Request("/zero.htm"), 2000).find("200 OK"), std::string::npos);
  EXPECT_EQ(read(record), "");

  ExchangeAt("127.0.0.1", port, Request("/cgi-bin/prim?rc=@&rd=zero&LI=127.0.0.2&ai=0"), 2000);
  ExchangeAt("127.0.0.1", port, Request("/cgi-bin/rebo?"), 2000);
  ASSERT_TRUE(testing::WaitUntil([&] { return sim.Address() == "127.0.0.2:" + std::to_string(port); }));
  EXPECT_NE(ExchangeAt("127.0.0.2", port, Request("/zero.htm"), 2000).find("200 OK"), std::string::npos);
  bool closed = false;
  EXPECT_EQ(ExchangeAt("127.0.0.1", port, Request("/zero.htm"), 500, &closed), "");
  EXPECT_TRUE(closed);
  // The program's arguments: new address, prefix, interface (none), old address.
  EXPECT_EQ(read(record), "127.0.0.2 24  127.0.0.1\n");

  // A factory reset applies at the next restart, which moves it back.
  ExchangeAt("127.0.0.2", port, Request("/cgi-bin/rset?rc=@&rd=_toolbox"), 2000);
  EXPECT_FALSE(sim.OffAir());
  EXPECT_NE(ExchangeAt("127.0.0.2", port, Request("/zero.htm"), 2000).find("200 OK"), std::string::npos);
  ExchangeAt("127.0.0.2", port, Request("/cgi-bin/rebo?"), 2000);
  ASSERT_TRUE(testing::WaitUntil([&] { return sim.Address() == "192.168.123.254:" + std::to_string(port); }));
  EXPECT_EQ(read(record), "127.0.0.2 24  127.0.0.1\n192.168.123.254 24  127.0.0.2\n");
  sim.Stop();
  std::remove(record.c_str());
  std::remove(program.c_str());
  rmdir(dir);
}

TEST_F(EmulatorTest, FaultSwitches) {
  RouterSimFaults f;
  f.answerDelayMs = 200;
  sim_->SetFaults(f);
  std::uint64_t start = NowMs();
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/zero.htm"), 2000).find("200 OK"), std::string::npos);
  EXPECT_GE(NowMs() - start, 190u);

  f = {};
  f.silent = true;
  sim_->SetFaults(f);
  bool closed = true;
  EXPECT_EQ(Exchange(sim_->HttpPort(), Request("/zero.htm"), 300, &closed), "");
  EXPECT_FALSE(closed);

  f = {};
  f.keepOpen = true;
  sim_->SetFaults(f);
  const std::string open = Exchange(sim_->HttpPort(), Request("/zero.htm"), 1000, &closed);
  EXPECT_NE(open.find("</HTML>"), std::string::npos);
  EXPECT_FALSE(closed);

  f = {};
  f.dripBytes = 16;
  f.dripPauseMs = 5;
  sim_->SetFaults(f);
  start = NowMs();
  const std::string dripped = Exchange(sim_->HttpPort(), Request("/zero.htm"), 5000, &closed);
  EXPECT_TRUE(closed);
  EXPECT_NE(dripped.find("</HTML>"), std::string::npos);
  EXPECT_GE(NowMs() - start, 20u);

  f = {};
  f.wrongStatus = 503;
  f.match = "prim.htm";
  sim_->SetFaults(f);
  EXPECT_EQ(Exchange(sim_->HttpPort(), Request("/prim.htm"), 2000).rfind("HTTP/1.0 503", 0), 0u);
  EXPECT_EQ(Exchange(sim_->HttpPort(), Request("/zero.htm"), 2000).rfind("HTTP/1.0 200", 0), 0u);
}

// The answers put in place of the router's own, on one chosen request: each
// changes nothing, and the requests before and after it are served as usual.
TEST_F(EmulatorTest, FaultSwitchesOnOneRequest) {
  const std::string command = "/cgi-bin/dhcp?rc=@&rd=zero&HD=lan&ai=0";
  struct Case {
    const char* name;
    void (*set)(RouterSimFaults&);
    std::string (*check)(const std::string& answer, bool closed);  // "" when the answer is the fault's
  };
  const Case cases[] = {
      {"close", [](RouterSimFaults& f) { f.closeAtOnce = true; },
       [](const std::string& a, bool closed) { return a.empty() && closed ? "" : "answered: " + a; }},
      {"reset", [](RouterSimFaults& f) { f.resetAfterBytes = 0; },
       [](const std::string& a, bool closed) { return a.empty() && closed ? "" : "answered: " + a; }},
      {"reset mid-answer", [](RouterSimFaults& f) { f.resetAfterBytes = 30; },
       // A reset may also drop what arrived before it: at most the 30 bytes.
       [](const std::string& a, bool closed) {
         return a.size() <= 30 && closed ? "" : "got " + std::to_string(a.size());
       }},
      {"empty", [](RouterSimFaults& f) { f.emptyAnswer = true; },
       [](const std::string& a, bool) {
         return a.rfind("HTTP/1.0 200", 0) == 0 && a.size() == a.find("\r\n\r\n") + 4 ? "" : "got: " + a;
       }},
      {"oversized junk", [](RouterSimFaults& f) { f.junkBytes = 100000; },
       [](const std::string& a, bool) {
         return a.size() > 100000 && a.find("<") == std::string::npos ? "" : "got " + std::to_string(a.size());
       }},
      {"login page", [](RouterSimFaults& f) { f.loginPageInstead = true; },
       [](const std::string& a, bool) { return a.find("cgi-bin/logi") != std::string::npos ? "" : "got: " + a; }},
      {"thrown away", [](RouterSimFaults& f) { f.ignoreQuietly = true; },
       [](const std::string& a, bool) { return a.rfind("HTTP/1.0 200", 0) == 0 ? "" : "got: " + a; }},
      {"500", [](RouterSimFaults& f) { f.wrongStatus = 500; },
       [](const std::string& a, bool) { return a.rfind("HTTP/1.0 500", 0) == 0 ? "" : "got: " + a; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RouterSimFaults f;
    c.set(f);
    f.match = "cgi-bin/dhcp";
    f.nth = 2;
    sim_->SetFaults(f);
    sim_->WithState([](RouterSimState& s) { s.domainName = "before"; });
    bool closed = false;
    // The first matching request is served; the second gets the fault (and
    // changes nothing, even where the router took it first); the third is served.
    EXPECT_NE(Exchange(sim_->HttpPort(), Request("/cgi-bin/dhcp?rc=@&rd=zero&HD=one&ai=0"), 10000).find("200 OK"),
              std::string::npos);
    EXPECT_EQ(Exchange(sim_->HttpPort(), Request("/prim.htm"), 10000).rfind("HTTP/1.0 200", 0), 0u);
    sim_->WithState([](RouterSimState& s) { s.domainName = "before"; });
    const std::string faulty = Exchange(sim_->HttpPort(), Request(command), 10000, &closed);
    EXPECT_EQ(c.check(faulty, closed), "");
    // A 500 or a reset mid-answer comes after the router took the command.
    if (std::string(c.name) != "500" && std::string(c.name) != "reset mid-answer") {
      EXPECT_EQ(sim_->StateCopy().domainName, "before");
    }
    EXPECT_NE(Exchange(sim_->HttpPort(), Request(command), 10000).find("200 OK"), std::string::npos);
    EXPECT_EQ(sim_->StateCopy().domainName, "lan");
  }
  // A restart after the answer: off the air (long enough to be seen on a
  // loaded machine), then back.
  sim_->SetRestartMs(3000);
  RouterSimFaults f;
  f.restartAfter = true;
  f.match = "zero.htm";
  f.nth = 1;
  sim_->SetFaults(f);
  EXPECT_NE(Exchange(sim_->HttpPort(), Request("/zero.htm"), 10000).find("200 OK"), std::string::npos);
  EXPECT_TRUE(sim_->OffAir());
  EXPECT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }, 20000));

  // A restart onto another address: answered, off the air, then served at
  // the new address only (on loopback 127.0.0.2 needs no root).
  sim_->SetRestartMs(300);
  f = {};
  f.restartOnto = "127.0.0.2";
  f.match = "zero.htm";
  f.nth = 1;
  sim_->SetFaults(f);
  const std::uint16_t port = sim_->HttpPort();
  EXPECT_NE(Exchange(port, Request("/zero.htm"), 10000).find("200 OK"), std::string::npos);
  EXPECT_TRUE(sim_->OffAir());
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return ExchangeAt("127.0.0.2", port, Request("/zero.htm"), 2000).find("200 OK") != std::string::npos; },
      20000));
  EXPECT_EQ(sim_->StateCopy().lanAddress, "127.0.0.2");
  EXPECT_EQ(sim_->Address(), "127.0.0.2:" + std::to_string(port));
  bool closed = false;
  EXPECT_EQ(ExchangeAt("127.0.0.1", port, Request("/zero.htm"), 500, &closed), "");
  EXPECT_TRUE(closed);
}

class ResponderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(client_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    getsockname(client_, reinterpret_cast<sockaddr*>(&a), &len);
    RouterSimOptions options;
    options.udpEnabled = true;
    options.replyAddress = "127.0.0.1";
    options.replyPort = ntohs(a.sin_port);
    options.restartMs = 150;
    sim_ = std::make_unique<RouterSim>(options);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }
  void TearDown() override {
    sim_->Stop();
    close(client_);
  }
  void Send(const std::vector<std::uint8_t>& datagram) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(sim_->UdpPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sendto(client_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  // A reply within `ms`: its size, or -1.
  int Reply(int ms, sockaddr_in* from = nullptr) {
    pollfd p{client_, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return -1;
    std::uint8_t buf[2048];
    sockaddr_in f{};
    socklen_t len = sizeof f;
    const ssize_t n = recvfrom(client_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&f), &len);
    if (from) *from = f;
    return static_cast<int>(n);
  }
  static std::vector<std::uint8_t> Discovery() {
    std::vector<std::uint8_t> d(548, 0);
    d[0] = 192;
    d[1] = 1;
    d[2] = 1;
    std::memcpy(d.data() + 108, "Qorvex", 6);
    return d;
  }
  int client_ = -1;
  std::unique_ptr<RouterSim> sim_;
};

TEST_F(ResponderTest, AnswersOnlyTheDiscoveryDatagram) {
  Send(Discovery());
  sockaddr_in from{};
  EXPECT_EQ(Reply(1000, &from), 548);
  EXPECT_EQ(ntohs(from.sin_port), sim_->UdpPort());

  std::vector<std::uint8_t> wrongMagic = Discovery();
  wrongMagic[108] = 'q';
  Send(wrongMagic);
  std::vector<std::uint8_t> wrongOp = Discovery();
  wrongOp[0] = 1;
  Send(wrongOp);
  Send(std::vector<std::uint8_t>(40, 0));
  EXPECT_EQ(Reply(200), -1);

  // The DHCP presence datagram is answered only when asked for.
  std::vector<std::uint8_t> dhcp(300, 0);
  dhcp[0] = 1;
  dhcp[1] = 1;
  dhcp[2] = 6;
  dhcp[236] = 0x02, dhcp[237] = 0x93, dhcp[238] = 0x02, dhcp[239] = 0x93;
  dhcp[240] = 53, dhcp[241] = 1, dhcp[242] = 1, dhcp[243] = 255;
  Send(dhcp);
  EXPECT_EQ(Reply(200), -1);
  EXPECT_TRUE(testing::WaitUntil([&] { return sim_->DatagramLog().size() >= 5; }));
  EXPECT_EQ(sim_->DatagramLog().size(), 5u);
}

TEST_F(ResponderTest, SilentWhileRestarting) {
  sim_->SetRestartMs(1000);
  Exchange(sim_->HttpPort(), Request("/cgi-bin/rebo?"), 2000);
  Send(Discovery());
  EXPECT_EQ(Reply(100), -1);
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  Send(Discovery());
  EXPECT_EQ(Reply(1000), 548);
}

TEST(RouterSimProgramTest, HelpAndBadOptions) {
  const std::string sim = testing::BuiltProgram("lmq-routersim");
  if (sim.empty()) GTEST_SKIP() << "lmq-routersim is not built (KELVANE_BIN_DIR)";
  EXPECT_EQ(std::system((sim + " --help > /dev/null").c_str()), 0);
  EXPECT_NE(std::system((sim + " --login sideways 2> /dev/null").c_str()), 0);
  EXPECT_NE(std::system((sim + " --http-port 70000 2> /dev/null").c_str()), 0);
}

}  // namespace
}  // namespace kelvane::routersim
