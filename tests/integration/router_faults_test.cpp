// Router operations against a router that misbehaves: each reader, the login
// and the commands that read the form first give false quickly, write nothing
// after a failed read, and never crash or hang.
#include <gtest/gtest.h>

#include <memory>

#include "net/Wait.h"
#include "router/RouterLogin.h"
#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

// A page that holds every marker the readers need, so that a failure can only
// come from the way it is delivered.
const std::string kFullPage =
    "<script>var CSKM0='0';</script>SSID=Den<BR>Channel=6<BR>Prechare Key=k<BR>"
    "<script>A-String D=USA;C=7FF;</script>\n";

TEST(RouterFaultsTest, MisbehavingRouterFailsFastAndWritesNothing) {
  struct Case {
    const char* name;
    std::string answer;  // empty: connection refused
    bool commandsOk;     // the login and the commands
    bool cut = false;    // the answers arrive cut: a read takes what came, a command is not done
  };
  const Case cases[] = {
      {"garbage instead of HTTP", "this is not a web server\r\n\r\n" + kFullPage, false},
      {"401 for ever", "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\n" + kFullPage, false},
      {"301 loop", "", false},  // filled in with the server's own address below
      {"server error", "HTTP/1.0 500 Internal Server Error\r\n\r\n" + kFullPage, false},
      {"login refused", "HTTP/1.0 200 OK\r\n\r\n;login=false;" + kFullPage, false},
      {"refused connection", "", false},
      // The markers lie past the client's cap, or past where the answer stops.
      // A command answered so may not have been taken: never reported done.
      {"page over 64 KiB", "HTTP/1.0 200 OK\r\n\r\n" + std::string(70000, ' ') + kFullPage, false, true},
      {"answer cut short", "HTTP/1.0 200 OK\r\nContent-Length:4000\r\n\r\nSSID=Den<BR>Chan", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    std::string loopAddress;
    std::unique_ptr<testing::CannedServer> server;
    WizardState state;
    ResetRouterDefaults(state);
    if (name == "refused connection") {
      state.routerAddress = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort(SOCK_STREAM));
    } else {
      std::string answer = c.answer;
      server = std::make_unique<testing::CannedServer>([answer, &loopAddress](const std::string&) {
        return answer.empty() ? "HTTP/1.0 301 Moved\r\nLocation: http://" + loopAddress + "/\r\n\r\n" : answer;
      });
      loopAddress = server->Address();
      state.routerAddress = server->Address();
    }
    const std::uint64_t start = SteadyMs();

    std::string ssid, channel, text, key;
    EXPECT_FALSE(ReadWirelessStatus(ssid, channel, text, key, state.WirelessSettings.securityMode, state));
    int region = 0;
    ChannelFlags flags{};
    EXPECT_FALSE(ReadSystemInfo(region, flags, state));
    EXPECT_EQ(LoginToRouter(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str()),
              c.commandsOk);
    state.PppoeSettings.userName = "u";
    EXPECT_EQ(ApplyPppoeWan(state), c.commandsOk);
    EXPECT_EQ(SetLanAddress("192.168.1.1", state), c.commandsOk);
    EXPECT_EQ(RebootRouter(state), c.commandsOk);
    if (!c.cut) {
      std::uint8_t link = 0, up = 0, ready = 0;
      std::int32_t type = 0;
      std::string gateway, dns;
      EXPECT_FALSE(ReadWanLinkStatus(link, state));
      EXPECT_FALSE(ReadWanDetection(ready, type, state));
      EXPECT_FALSE(ReadWanAddresses(up, gateway, dns, state));
      EXPECT_FALSE(ApplyPptpWan(state));
      EXPECT_FALSE(SetWanMacAddress("00-11-22-33-44-55", state));
      EXPECT_FALSE(SetWirelessSettings("n", "", state));
      // A failed read of the form ends the command before it writes.
      if (server) {
        for (const std::string& line : server->Lines()) {
          EXPECT_EQ(line.find("/cgi-bin/prim"), std::string::npos) << line;
        }
      }
    }
    // Nothing here waits for a time-out (one alone would be 10 s).
    EXPECT_LT(SteadyMs() - start, 8000u);
  }
}

}  // namespace
}  // namespace kelvane
