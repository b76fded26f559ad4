// kelvane-cli as a black box: each router subcommand run as a program against
// the in-process emulator, checking its output, exit status, the request lines
// the router received and the router state afterwards.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "CliFixture.h"
#include "BuiltProgram.h"
#include "net/host/sim/SimHostNetwork.h"
#include "tools/cli/CommandTable.h"
#include "net/HttpClient.h"
#include "router/Fields.h"
#include "router_test_fixture.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;


TEST_F(CliTest, ReadCommandsPrintTheRouterState) {
  Router([](RouterSimState& s) {
    s.ssid = "Den";
    s.channel = "0";
    s.securityCode = "5";
    s.psk = "a b c d e";
    s.region = "ETSI";
    s.channelMask = "1FFF";
    s.service = routersim::WanService::kPppoe;
  });
  struct Case {
    std::vector<std::string> args;
    std::string request;
    std::string out;
  };
  const Case cases[] = {
      {{"read", "wireless"}, "/zero.htm?rc=&rf=0010",
       "ssid=Den\nchannel=auto\nsecurity=WPA-PSK / WPA2-PSK\nmode=5\nkey=a b c d e\n"},
      {{"read", "sysinfo"}, "/sysinfo.htm", "region-usa=0\nchannels=1,2,3,4,5,6,7,8,9,10,11,12,13\n"},
      {{"read", "wan-link"}, "/zero.htm?rc=&rf=0004", "link=up\n"},
      {{"read", "wan-detect"}, "/zero.htm?rc=&rf=0004", "ready=yes\ndetected=pppoe\n"},
      {{"read", "wan-addr"}, "/zero.htm?rc=&rf=0020", "wan=down\ngateway=0.0.0.0\ndns=0.0.0.0\n"},
      {{"read", "wan-options", "pptp"}, "/cgi-bin/want?rd=prim&Wt=0300", "connect=auto\n"},
  };
  for (const Case& c : cases) {
    sim_->ClearLog();
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(CommandLines(), std::vector<std::string>{Get(c.request)}) << c.args[1];
  }
}

TEST_F(CliTest, SetWanSendsEachType) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> requests;
    const char* wt;
    std::string input = "";  // standard input
  };
  const Case cases[] = {
      {{"set-wan", "dynamic", "--connect", "demand"},
       {"/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=x"}, "0100"},
      {{"set-wan", "dynamic"},  // keeps the choice the command before left (on demand)
       {"/cgi-bin/want?rd=prim&Wt=0100", "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=x"}, "0100"},
      {{"set-wan", "dynamic", "--connect", "auto"},
       {"/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o"}, "0100"},
      {{"set-wan", "dynamic"},
       {"/cgi-bin/want?rd=prim&Wt=0100", "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o"}, "0100"},
      {{"set-wan", "static", "--ip", "203.0.113.9", "--mask", "255.255.255.0", "--gateway", "203.0.113.1", "--dns1",
        "198.51.100.1"},
       {"/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0000&lf=003F&ai=0&WI=203.0.113.9&WN=255.255.255.0&WG=203.0.113.1"
        "&ID00=198.51.100.1&ID01="},
       "0000"},
      {{"set-wan", "pppoe", "--wan-user", "me&you", "--wan-password", "p w", "--connect", "manual"},
       {"/prim.htm", "/cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=x&DF01=o&Wt=0200&IU0=me%26you&IW0=p%20w"
                     "&IT0=&ID00=&ID01="},
       "0200"},
      {{"set-wan", "l2tp", "--server", "lns.example.net", "--wan-user", "u", "--wan-password", "p", "--connect",
        "auto"},
       {"/cgi-bin/want?rd=prim&Wt=0700", "/cgi-bin/prim?rc=@&rf=4000&rd=zero&Wt=0700&lf=0037&ai=0&DF00=o&DF01=x"
                                         "&WI=0.0.0.0&WN=0.0.0.0&WG=0.0.0.0&DI0=lns.example.net&IU0=u&IW0=p&IM0=1460"},
       "0700"},
      {{"set-wan", "bigpond", "--wan-user", "bp", "--login-server", "sm-server", "--connect", "auto"},
       {"/cgi-bin/prim?rc=@&rf=2000&rd=zero&Wt=0101&lf=0037&ai=0&DF00=on&DF01=x&IU0=bp&IW0=&IT0=sm-server"}, "0101"},
      {{"set-wan", "telia", "--wan-user", "t", "--connect", "demand"},
       {"/cgi-bin/prim?rc=@&rf=8000&rd=zero&Wt=0104&lf=0037&ai=0&DF01=x&IU0=t&IW0="}, "0104"},
      {{"set-wan", "telia", "--wan-user", "t", "--wan-password-stdin", "--connect", "demand"},
       {"/cgi-bin/prim?rc=@&rf=8000&rd=zero&Wt=0104&lf=0037&ai=0&DF01=x&IU0=t&IW0=t%20w"}, "0104", "t w\n"},
  };
  for (const Case& c : cases) {
    sim_->ClearLog();
    const CliResult r = Run(c.args, c.input);
    EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
    std::vector<std::string> expected;
    for (const std::string& q : c.requests) expected.push_back(Get(q));
    EXPECT_EQ(CommandLines(), expected) << c.args[1];
    EXPECT_EQ(sim_->StateCopy().wanType, c.wt);
  }
  EXPECT_EQ(sim_->StateCopy().forms.at("0104").Value("IU0"), "t");
}

TEST_F(CliTest, SetWanRefusesBadFieldsWithoutSending) {
  const std::vector<std::vector<std::string>> cases = {
      {"set-wan", "static", "--ip", "1.2.3", "--mask", "255.0.0.0", "--gateway", "1.2.3.1", "--dns1", "1.1.1.1"},
      {"set-wan", "pppoe", "--wan-user", "u"},
      {"set-wan", "pptp", "--server", "nodots", "--wan-user", "u", "--wan-password", "p"},
      // A fixed address needs all three fields, not some completed with 0.0.0.0.
      {"set-wan", "pptp", "--server", "vpn.example.net", "--wan-user", "u", "--wan-password", "p", "--ip", "10.0.0.2"},
      {"set-wan", "l2tp", "--server", "vpn.example.net", "--wan-user", "u", "--wan-password", "p", "--ip", "10.0.0.2",
       "--mask", "255.0.0.0"},
      {"set-wan", "carrier-pigeon"},
      {"set-wan", "dynamic", "--connect", "manual"},
      {"set-wan", "pppoe", "--wan-user", std::string(65, 'u'), "--wan-password", "p"},
      {"set-wan", "dynamic", "--bogus"},
  };
  for (const auto& args : cases) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args[1] << " " << r.err;
    EXPECT_EQ(r.err.rfind("kelvane-cli: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(CliTest, SetWirelessKeepsWhatIsNotGiven) {
  Router([](RouterSimState& s) {
    s.ssid = "Old";
    s.channel = "6";
    s.securityCode = "4";
    s.psk = "keep this one";
  });
  // No mode and no key given: the command carries no security, so the
  // router keeps its mode, cipher and key.
  CliResult r = Run({"set-wireless", "--ssid", "New & Improved"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CommandLines(),
            (std::vector<std::string>{Get("/zero.htm?rc=&rf=0010"),
                                      Get("/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=New%20%26%20Improved"
                                          "&ZC=6")}));
  RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.ssid, "New & Improved");
  EXPECT_EQ(s.psk, "keep this one");
  EXPECT_EQ(s.securityCode, "4");

  sim_->ClearLog();
  r = Run({"set-wireless", "--ssid", "W", "--channel", "auto", "--security", "wep", "--key", "0123456789"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CommandLines(), (std::vector<std::string>{Get("/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=W"
                                                          "&ZC=0&CS=1&ZS=1&KM%23=000F&ZO0=0123456789")}));
  s = sim_->StateCopy();
  EXPECT_EQ(s.securityCode, "1");
  EXPECT_EQ(s.channel, "0");

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"set-wireless", "--security", "wep", "--key", "1234"},
        std::vector<std::string>{"set-wireless", "--security", "wep"},
        std::vector<std::string>{"set-wireless", "--security", "wpa2", "--key", "short"},
        std::vector<std::string>{"set-wireless", "--channel", "15"},
        std::vector<std::string>{"set-wireless", "--ssid", std::string(33, 's')}}) {
    sim_->ClearLog();
    r = Run(bad);
    EXPECT_EQ(r.status, 2) << bad[1] << " " << r.out;
    if (bad.size() == 3) {
      // Refused before anything is sent, the login included.
      EXPECT_TRUE(Lines().empty()) << bad[2];
    }
  }
}

TEST_F(CliTest, LanDomainMacAndMaintenance) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> requests;
    std::string out;
  };
  const Case cases[] = {
      {{"set-lan", "192.168.9.1"},
       {"/prim.htm", "/cgi-bin/prim?rc=@&rd=zero&LI=192.168.9.1&ai=0&DF00=o&DF01=x"},
       "lan=192.168.9.1 (takes effect after the router restarts)\n"},
      {{"set-domain", "my home"}, {"/prim.htm", "/cgi-bin/dhcp?rc=@&rd=zero&HD=my%20home&ai=0"}, "domain=my home\n"},
      {{"clone-mac"}, {"/cgi-bin/cmac?rc=@&En=&rd=prim", "/prim.htm"}, "mac=00-1A-2B-3C-4D-5E\n"},
      {{"set-mac", "02-00-00-00-00-01"},
       {"/prim.htm", "/cgi-bin/prim?rc=@&rd=zero&En=02-00-00-00-00-01&ai=0&DF00=o&DF01=x"},
       "mac=02-00-00-00-00-01\n"},
      {{"refresh-wan"}, {"/cgi-bin/want?rc=&rf=&UB=0001&rd=status"}, "refreshed\n"},
      {{"password", "kwzpo", "n&w"}, {"/cgi-bin/pass?rc=@&PA=kwzpo&Pa=n%26w&P1=n%26w&rd=atbox"}, ""},
      {{"--password", "n&w", "reboot"}, {"/cgi-bin/rebo?"}, "restarting\n"},
  };
  for (const Case& c : cases) {
    sim_->ClearLog();
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
    if (!c.out.empty()) {
      EXPECT_EQ(r.out, c.out) << c.args[0];
    }
    std::vector<std::string> expected;
    for (const std::string& q : c.requests) expected.push_back(Get(q));
    EXPECT_EQ(CommandLines(), expected) << c.args[0];
  }
  // The LAN address is applied when the restart is over.
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.lanAddress, "192.168.9.1");
  EXPECT_EQ(s.domainName, "my home");
  EXPECT_EQ(s.wanMac, "02-00-00-00-00-01");
  EXPECT_EQ(s.loginWord, "n&w");

  sim_->ClearLog();
  // Off a terminal the factory reset needs --yes; without it nothing is sent.
  CliResult r = Run({"reset"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
  EXPECT_TRUE(Lines().empty());
  r = Run({"reset", "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CommandLines(), std::vector<std::string>{Get("/cgi-bin/rset?rc=@&rd=_toolbox")});
  // The router takes its factory settings when it restarts, and the command
  // says so: it neither restarts the router nor claims it did.
  EXPECT_EQ(r.out,
            "factory reset accepted; it takes effect when the router restarts (kelvane-cli reboot); then it answers "
            "at 192.168.123.254 with the login word 'kwzpo'\n");
  s = sim_->StateCopy();
  EXPECT_TRUE(s.factoryResetPending);
  EXPECT_EQ(s.loginWord, "n&w");
  EXPECT_FALSE(sim_->OffAir());
  ASSERT_EQ(Run({"--password", "n&w", "reboot"}).status, 0);
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  s = sim_->StateCopy();
  EXPECT_EQ(s.loginWord, "kwzpo");
  EXPECT_EQ(s.lanAddress, "192.168.123.254");
  EXPECT_EQ(s.domainName, "");
}

TEST_F(CliTest, ReportWritesTheRouterReadsWithoutTheLoginWord) {
  const std::string word = "S3cr&t pass";
  Router([&](RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kBasic;
    s.loginWord = word;
    s.ssid = "ReportNet";
  });
  const std::string path = ::testing::TempDir() + "kelvane-report.html";
  const CliResult r = Run({"--user", word, "--password", "", "report", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "report written: " + path + "\n");
  std::ifstream file(path);
  const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("<!DOCTYPE html>"), std::string::npos);
  EXPECT_NE(html.find("ReportNet"), std::string::npos);
  EXPECT_NE(html.find("zero.htm"), std::string::npos);  // the request log
  for (const std::string& form : {word, UrlEncode(word), Base64Encode(word + ":")}) {
    EXPECT_EQ(html.find(form), std::string::npos) << form;
  }
  std::remove(path.c_str());
}

TEST_F(CliTest, LoginFlavoursAndFailures) {
  // Form login: the password goes escaped into the form.
  Router([](RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kForm;
    s.loginWord = "a+b c";
  });
  // The word given on the command line, on standard input or in a file.
  const std::string file = ::testing::TempDir() + "/kelvane-cli-password";
  std::ofstream(file) << "a+b c\nnot this line\n";
  struct {
    std::vector<std::string> args;
    std::string input;
  } const ways[] = {
      {{"--password", "a+b c", "login"}, ""},
      {{"--password-stdin", "login"}, "a+b c\n"},
      {{"login", "--password-stdin"}, "a+b c"},
      {{"--password-file", file, "login"}, ""},
  };
  CliResult r;
  for (const auto& way : ways) {
    r = Run(way.args, way.input);
    EXPECT_EQ(r.status, 0) << way.args[0] << ": " << r.err;
    EXPECT_EQ(LastLine(), Get("/cgi-bin/logi?rc=@&PS=a%2Bb%20c&rd=menu")) << way.args[0];
  }
  std::remove(file.c_str());
  r = Run({"--password-file", file, "login"});
  EXPECT_EQ(r.status, 2) << "a file that is not there: " << r.err;
  r = Run({"--password", "x", "--password-stdin", "login"}, "a+b c\n");
  EXPECT_EQ(r.status, 2) << "two sources: " << r.err;
  r = Run({"--password", "wrong", "read", "wan-link"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kelvane-cli: cannot log in to the router at " + sim_->Address() + ": login refused\n");
  r = Run({"probe-login"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "usable=no\nbasic=0\n");
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

  // Basic: the word as the user name.
  Router([](RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kBasic;
    s.loginWord = "kwzpo";
  });
  r = Run({"--user", "kwzpo", "--password", "", "probe-login"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "usable=yes\nbasic=1\n");
  r = Run({"--user", "nope", "read", "wireless"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kelvane-cli: cannot log in to the router at " + sim_->Address() + ": login refused\n");
  r = Run({"--user", "nope", "probe-login"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "usable=no\nbasic=1\n");
  EXPECT_EQ(r.err, "kelvane-cli: the router is not usable with these credentials: login refused\n");
  // A new word with a ":" would lock a Basic router: refused, nothing changed
  // (with or without the login).
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--user", "kwzpo", "--password", "", "password", "kwzpo", "a:b"},
        std::vector<std::string>{"--user", "kwzpo", "--password", "", "--no-login", "password", "kwzpo", "a:b"}}) {
    sim_->ClearLog();
    r = Run(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.err,
              "kelvane-cli: this router asks for Basic credentials: its login word cannot contain ':' (see --help)\n");
    for (const std::string& line : Lines()) EXPECT_EQ(line.find("cgi-bin/pass"), std::string::npos) << line;
    EXPECT_EQ(sim_->StateCopy().loginWord, "kwzpo");
  }

  // Nobody there.
  sim_->Stop();
  r = RunCli({"--router", sim_->Address(), "read", "wireless"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kelvane-cli: cannot log in to the router at " + sim_->Address() + ": connection refused at " +
                       sim_->Address() + "\n");
}

// A failed command says why in one line: what the request layer saw.
TEST_F(CliTest, AFailedCommandNamesItsCause) {
  struct Case {
    const char* name;
    std::string answer;  // what a canned router answers every request with
    std::vector<std::string> args;
    std::string err;
  };
  const std::string ok = "HTTP/1.0 200 OK\r\n\r\n";
  const Case cases[] = {
      {"status", "HTTP/1.0 404 Not Found\r\n\r\n", {"--no-login", "read", "wireless"},
       "cannot read the wireless status: HTTP status 404"},
      {"status of a command", "HTTP/1.0 500 Internal Server Error\r\n\r\n", {"--no-login", "reboot"},
       "the router did not take the restart command: HTTP status 500"},
      {"cut answer", "HTTP/1.0 200 OK\r\nContent-Length: 4000\r\n\r\n<html>SSID=", {"--no-login", "read", "wireless"},
       "cannot read the wireless status: the router's answer was cut short"},
      {"refused value", ok + "<script>alert('Invalid domain name');</script>", {"--no-login", "set-domain", "x"},
       "the router did not take the domain name: the router refused the value: Invalid domain name"},
      {"refused value, escaped", ok + "<script>alert('\x1b]0;owned\x07');</script>", {"--no-login", "reboot"},
       "the router did not take the restart command: the router refused the value: \\x1B]0;owned\\x07"},
      {"login refused", ok + "<script>var s=';login=false;';</script>", {"read", "wan-link"},
       "cannot log in to the router at ROUTER: login refused"},
      {"form login refused by alert", ok + "<script>alert('Password incorrect');</script>", {"login"},
       "cannot log in to the router at ROUTER: login refused"},
      {"page without the fields", ok + "<html>nothing here</html>", {"--no-login", "read", "wan-addr"},
       "cannot read the WAN addresses: the router's answer did not hold what was expected"},
  };
  for (const Case& c : cases) {
    testing::CannedServer router([answer = c.answer](const std::string&) { return answer; });
    std::vector<std::string> args = {"--router", router.Address()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = RunCli(args);
    std::string err = "kelvane-cli: " + c.err + "\n";
    if (const std::size_t at = err.find("ROUTER"); at != std::string::npos) err.replace(at, 6, router.Address());
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, err) << c.name;
  }
  // The emulator's own refusal of a value.
  routersim::RouterSimFaults faults;
  faults.refuseAlert = "Invalid SSID";
  faults.match = "wlap";
  sim_->SetFaults(faults);
  const CliResult r = Run({"set-wireless", "--ssid", "x", "--security", "none"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");  // no values printed as if taken
  EXPECT_EQ(r.err, "kelvane-cli: the router did not take the wireless settings: the router refused the value: "
                   "Invalid SSID\n");
}

// Router text cannot drive the terminal: control characters come out escaped.
TEST_F(CliTest, RouterTextIsPrintedWithControlCharactersEscaped) {
  struct {
    std::string ssid;
    std::string shown;
  } cases[] = {
      {"Evil\x1b[2J\x07", "Evil\\x1B[2J\\x07"},
      {"a\\b", "a\\\\b"},                              // the escape character itself
      {"Caf\xC3\xA9", "Caf\xC3\xA9"},                    // UTF-8 text stays as it is
      {"c1\xC2\x9B" "2J", "c1\\xC2\\x9B2J"},              // U+009B, a C1 control (CSI)
      {"bad\xFF\xC3", "bad\\xFF\\xC3"},                  // bytes that are not UTF-8
      {"del\x7F", "del\\x7F"},
  };
  for (const auto& c : cases) {
    Router([&](RouterSimState& s) {
      s.ssid = c.ssid;
      s.channel = "6";
      s.securityCode = "0";
    });
    const CliResult r = Run({"read", "wireless"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "ssid=" + c.shown);
    for (const char ch : r.out) {
      EXPECT_TRUE(ch == '\n' || (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F)) << r.out;
    }
  }
}

TEST_F(CliTest, ReadBackWhatWasWritten) {
  struct Case {
    std::vector<std::string> write;
    std::vector<std::string> read;
    std::string out;
  };
  const Case cases[] = {
      {{"set-wan", "static", "--ip", "203.0.113.9", "--mask", "255.255.255.0", "--gateway", "203.0.113.1", "--dns1",
        "198.51.100.1"},
       {"read", "wan-settings"},
       "wan=static\nip=203.0.113.9\nmask=255.255.255.0\ngateway=203.0.113.1\ndns1=198.51.100.1\ndns2=\n"},
      {{"set-wan", "pppoe", "--wan-user", "me&you", "--wan-password", "secret", "--service", "isp", "--connect",
        "manual"},
       {"read", "wan-settings"},
       "wan=pppoe\nwan-user=me&you\nservice=isp\ndns1=\ndns2=\nconnect=manual\n"},
      {{"set-wan", "pptp", "--server", "vpn.example.net", "--wan-user", "u", "--wan-password", "p", "--ip",
        "203.0.113.5", "--mask", "255.255.255.0", "--gateway", "203.0.113.1", "--connect", "auto"},
       {"read", "wan-settings"},
       "wan=pptp\naddress-mode=static\nip=203.0.113.5\nmask=255.255.255.0\ngateway=203.0.113.1\n"
       "server=vpn.example.net\nwan-user=u\nconnect=auto\n"},
      {{"set-domain", " \t my home  "}, {"read", "domain"}, "domain=my home\n"},
  };
  for (const Case& c : cases) {
    CliResult r = Run(c.write);
    ASSERT_EQ(r.status, 0) << c.write[0] << ": " << r.err;
    r = Run(c.read);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out) << c.write[1];
    EXPECT_EQ(r.out.find("secret"), std::string::npos);
  }
  EXPECT_EQ(sim_->StateCopy().domainName, "my home");
}

TEST_F(CliTest, DiscoveryOnLoopback) {
  const std::uint16_t clientPort = testing::FreeLoopbackPort(SOCK_DGRAM);
  routersim::RouterSimOptions options;
  options.udpEnabled = true;
  options.replyAddress = "127.0.0.1";
  options.replyPort = clientPort;
  options.answerDhcp = true;
  StartRouter(options);
  const std::string to = "127.0.0.1:" + std::to_string(sim_->UdpPort());
  CliResult r = RunCli({"--probe-to", to, "--probe-port", std::to_string(clientPort), "discover"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "127.0.0.1\n");
  r = RunCli({"--probe-to", to, "--probe-port", std::to_string(clientPort), "dhcp-probe"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "dhcp=answered\n");
  const auto datagrams = sim_->DatagramLog();
  ASSERT_EQ(datagrams.size(), 2u);
  EXPECT_NE(datagrams[0].find("548 bytes"), std::string::npos);
  EXPECT_NE(datagrams[0].find("discovery"), std::string::npos);
  EXPECT_NE(datagrams[1].find("300 bytes"), std::string::npos);

  // Without --router, a router command finds the router first.
  r = RunCli({"--probe-to", to, "--probe-port", std::to_string(clientPort), "read", "wan-link"});
  // The emulator answers discovery from 127.0.0.1 but serves HTTP on an
  // ephemeral port, so the command reaches port 80 and fails plainly.
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(CliTest, HelpAndUsage) {
  CliResult r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* name : {"discover", "dhcp-probe", "login", "probe-login", "read", "set-wan", "set-wireless",
                           "set-lan", "set-domain", "clone-mac", "set-mac", "refresh-wan", "reboot", "reset",
                           "password"}) {
    EXPECT_NE(r.out.find(std::string("  ") + name + " "), std::string::npos) << name;
    const CliResult h = RunCli({name, "--help"});
    EXPECT_EQ(h.status, 0) << name;
    EXPECT_EQ(h.out.rfind("usage: kelvane-cli " + std::string(name), 0), 0u) << name << ": " << h.out;
  }
  // Every command's help explains it, not only its usage line.
  for (const char* name : {"discover", "dhcp-probe", "login", "probe-login", "read", "set-wan", "set-wireless",
                           "set-lan", "set-domain", "clone-mac", "set-mac", "refresh-wan", "reboot", "reset",
                           "password", "ping", "host-info", "dhcp-switch", "renew", "release", "resolve",
                           "phonebook"}) {
    const CliResult h = RunCli({name, "--help"});
    EXPECT_GE(std::count(h.out.begin(), h.out.end(), '\n'), 2) << name << ": " << h.out;
  }
  r = RunCli({});  // prints the usage
  EXPECT_EQ(r.status, 2);
  // Usage errors: status 2 and one plain line, before anything is sent.
  const std::vector<std::vector<std::string>> usage = {
      {"frobnicate"},
      {"--router", "not-an-address", "reboot"},
      // Longer than the router address field: cut, it would name another port.
      {"--router", "127.100.100.100:" + std::to_string(sim_->HttpPort()), "reboot"},
      // A form the socket would refuse, told at once rather than as a failed login.
      {"--router", "127.0.0.01:" + std::to_string(sim_->HttpPort()), "reboot"},
      {"--router", "127.0.0.1\x1b[2J", "reboot"},
      {"--router", sim_->Address(), "read", "everything"},
  };
  for (const auto& args : usage) {
    r = RunCli(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  }
  r = RunCli({"probe-login", "--help"});
  EXPECT_NE(r.out.find("Exit status: 0 when usable=yes"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("basic=0|1"), std::string::npos) << r.out;
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace kelvane
