// lmq-routersim: runs the router emulator until interrupted.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "tools/routersim/RouterSim.h"

using namespace kelvane::routersim;

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gPinged = 0;

void OnStop(int) { gStop = 1; }
void OnPing(int) { gPinged = 1; }

const char kUsage[] =
    "usage: lmq-routersim [options]\n"
    "Emulates the LMQ-5812 router's web interface and discovery responder.\n"
    "\n"
    "Network:\n"
    "  --address A          address to serve on (default 127.0.0.1; --listen is the same)\n"
    "  --http-port N        web server port (default 80; 0 picks a free port)\n"
    "  --udp-port N         discovery responder port (default 67; 0 picks one)\n"
    "  --udp-address A      address of the responder (default 0.0.0.0, which also\n"
    "                       hears broadcasts; --address when that is a loopback address)\n"
    "  --no-udp             no discovery responder\n"
    "  --reply-address A    where replies go (default 255.255.255.255 as a broadcast,\n"
    "                       127.0.0.1 when serving on a loopback address)\n"
    "  --reply-port N       reply port (default 68)\n"
    "  --answer-dhcp        also answer the DHCP presence datagram\n"
    "Router:\n"
    "  --login open|basic|form   login flavour (default open)\n"
    "  --layout classic|compact|varied  page layout (default classic)\n"
    "  --login-word W       login word (default kwzpo)\n"
    "  --ssid S  --channel N  --lan-address A  --domain D\n"
    "  --region R           region text of the system page (default USA)\n"
    "  --channel-mask HEX   allowed channels, bit 0 = channel 1 (default 07FF)\n"
    "  --wan-type CODE      0000 static, 0100 dynamic, 0200 PPPoE, 0300 PPTP, 0700 L2TP,\n"
    "                       0101 BigPond, 0104 Telia (default 0100)\n"
    "  --wan-service dhcp|pppoe|none   what the provider side offers (default dhcp)\n"
    "  --wan-cable up|down  WAN cable state (default up)\n"
    "  --wan-up-delay MS    the WAN service comes up this long after a (re)start\n"
    "  --wan-up-on-ping     the WAN service comes up only after the public host was\n"
    "                       pinged: send SIGUSR1 or GET /_sim/pinged\n"
    "  --dial-on-demand IF  dial on demand: the WAN service comes up only once an ICMP\n"
    "                       echo from the LAN to an address outside it goes by on LAN\n"
    "                       interface IF (a packet socket: root; implies --wan-up-on-ping)\n"
    "  --isp-gateway A  --isp-dns1 A  --isp-dns2 A   the WAN gateway and DNS servers the\n"
    "                       status pages report while the WAN is up (--isp-dns2 \"\": one)\n"
    "  --isp-wan-address A   the router's WAN address the status page reports\n"
    "  --pc-mac MAC         what a MAC clone copies\n"
    "  --mixed-key-hidden   the wireless status page leaves the pass phrase out in the\n"
    "                       mixed WPA/WPA2 mode\n"
    "  --lan-interface IF   a restart that changes the LAN address moves it on IF (old\n"
    "                       address off, new one on with /24) and serves there (root)\n"
    "  --on-lan-change P    when a restart changed the LAN address (after the move, if\n"
    "                       --lan-interface), run P NEW 24 IF OLD before answering again\n"
    "                       (lan-dhcp-hook.sh points the bed's dnsmasq at the new network;\n"
    "                       P may also move the address itself); the web server follows\n"
    "  --restart-ms MS      time off the air during a restart (default 5000)\n"
    "Faults:\n"
    "  --delay MS           wait before each answer\n"
    "  --silent             read requests and never answer\n"
    "  --keep-open          leave the connection open after answering\n"
    "  --drip BYTES:MS      send answers in pieces with pauses\n"
    "  --wrong-status CODE  answer with this status\n"
    "  --restart-never-returns   a restart keeps the router off the air\n"
    "  --restart-onto A     after answering, restart and come back at LAN address A\n"
    "  --refuse-alert TEXT  refuse every CGI command with alert(\"TEXT\"), changing nothing\n"
    "  --fault-match TEXT   faults apply only to request lines containing TEXT\n"
    "Other:\n"
    "  --log                print every request line and datagram as received\n"
    "  --help               this text\n"
    "  --version            the program's version\n";

bool ToInt(const std::string& text, int& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < 0 || v > 100000000) return false;
  out = static_cast<int>(v);
  return true;
}

bool IsLoopback(const std::string& address) { return address.rfind("127.", 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
  RouterSimOptions options;
  options.httpPort = 80;
  options.udpEnabled = true;
  options.udpPort = 67;
  options.restartMs = 5000;
  options.replyAddress.clear();
  RouterSimState initial;
  bool log = false;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        std::cerr << "lmq-routersim: " << arg << " needs a value\n";
        std::exit(2);
      }
      out = argv[++i];
    };
    auto number = [&](int& out) {
      std::string v;
      value(v);
      if (!ToInt(v, out)) {
        std::cerr << "lmq-routersim: " << arg << " needs a number, not " << v << "\n";
        std::exit(2);
      }
    };
    auto port = [&](std::uint16_t& out) {
      int v = 0;
      number(v);
      if (v > 65535) {
        std::cerr << "lmq-routersim: " << arg << ": no such port\n";
        std::exit(2);
      }
      out = static_cast<std::uint16_t>(v);
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << "lmq-routersim " KELVANE_VERSION "\n";
      return 0;
    } else if (arg == "--address" || arg == "--listen") {
      value(options.bindAddress);
    } else if (arg == "--http-port") {
      port(options.httpPort);
    } else if (arg == "--udp-port") {
      port(options.udpPort);
    } else if (arg == "--udp-address") {
      value(options.udpBindAddress);
    } else if (arg == "--no-udp") {
      options.udpEnabled = false;
    } else if (arg == "--reply-address") {
      value(options.replyAddress);
    } else if (arg == "--reply-port") {
      port(options.replyPort);
    } else if (arg == "--answer-dhcp") {
      options.answerDhcp = true;
    } else if (arg == "--login") {
      value(text);
      if (text == "open") initial.flavour = LoginFlavour::kOpen;
      else if (text == "basic") initial.flavour = LoginFlavour::kBasic;
      else if (text == "form") initial.flavour = LoginFlavour::kForm;
      else {
        std::cerr << "lmq-routersim: --login takes open, basic or form\n";
        return 2;
      }
    } else if (arg == "--layout") {
      value(text);
      if (!ParsePageLayout(text, options.layout)) {
        std::cerr << "lmq-routersim: --layout takes classic, compact or varied\n";
        return 2;
      }
    } else if (arg == "--login-word") {
      value(initial.loginWord);
    } else if (arg == "--ssid") {
      value(initial.ssid);
    } else if (arg == "--channel") {
      value(initial.channel);
    } else if (arg == "--lan-address") {
      value(initial.lanAddress);
    } else if (arg == "--domain") {
      value(initial.domainName);
    } else if (arg == "--region") {
      value(initial.region);
    } else if (arg == "--channel-mask") {
      value(initial.channelMask);
    } else if (arg == "--wan-type") {
      value(text);
      if (!IsKnownWanType(text)) {
        std::cerr << "lmq-routersim: unknown WAN type " << text << "\n";
        return 2;
      }
      initial.wanType = initial.formType = text;
    } else if (arg == "--wan-service") {
      value(text);
      if (text == "dhcp") initial.service = WanService::kDhcp;
      else if (text == "pppoe") initial.service = WanService::kPppoe;
      else if (text == "none") initial.service = WanService::kNone;
      else {
        std::cerr << "lmq-routersim: --wan-service takes dhcp, pppoe or none\n";
        return 2;
      }
    } else if (arg == "--wan-cable") {
      value(text);
      if (text != "up" && text != "down") {
        std::cerr << "lmq-routersim: --wan-cable takes up or down\n";
        return 2;
      }
      initial.wanCable = text == "up";
    } else if (arg == "--wan-up-delay") {
      number(initial.wanUpDelayMs);
    } else if (arg == "--wan-up-on-ping") {
      initial.wanUpOnPing = true;
    } else if (arg == "--dial-on-demand") {
      value(options.wakeInterface);
      initial.wanUpOnPing = true;
    } else if (arg == "--lan-interface") {
      value(options.lanInterface);
    } else if (arg == "--on-lan-change") {
      value(options.lanChangeProgram);
    } else if (arg == "--isp-gateway") {
      value(initial.ispGateway);
    } else if (arg == "--isp-dns1") {
      value(initial.ispDns1);
    } else if (arg == "--isp-dns2") {
      value(initial.ispDns2);
    } else if (arg == "--isp-wan-address") {
      value(initial.ispWanAddress);
    } else if (arg == "--pc-mac") {
      value(initial.pcMac);
    } else if (arg == "--restart-ms") {
      number(options.restartMs);
    } else if (arg == "--delay") {
      number(options.faults.answerDelayMs);
    } else if (arg == "--silent") {
      options.faults.silent = true;
    } else if (arg == "--keep-open") {
      options.faults.keepOpen = true;
    } else if (arg == "--drip") {
      value(text);
      const std::size_t colon = text.find(':');
      if (colon == std::string::npos || !ToInt(text.substr(0, colon), options.faults.dripBytes) ||
          !ToInt(text.substr(colon + 1), options.faults.dripPauseMs) || options.faults.dripBytes == 0) {
        std::cerr << "lmq-routersim: --drip takes BYTES:MS\n";
        return 2;
      }
    } else if (arg == "--wrong-status") {
      number(options.faults.wrongStatus);
    } else if (arg == "--restart-never-returns") {
      options.faults.restartNeverReturns = true;
    } else if (arg == "--restart-onto") {
      value(options.faults.restartOnto);
      if (!IsDottedQuad(options.faults.restartOnto)) {
        std::cerr << "lmq-routersim: --restart-onto takes a dotted address\n";
        return 2;
      }
    } else if (arg == "--mixed-key-hidden") {
      initial.mixedKeyShown = false;
    } else if (arg == "--refuse-alert") {
      value(options.faults.refuseAlert);
    } else if (arg == "--fault-match") {
      value(options.faults.match);
    } else if (arg == "--log") {
      log = true;
    } else {
      std::cerr << "lmq-routersim: unknown option " << arg << " (see --help)\n";
      return 2;
    }
  }
  if (options.udpBindAddress.empty() && !IsLoopback(options.bindAddress)) {
    // A socket bound to a unicast address never sees a limited broadcast.
    options.udpBindAddress = "0.0.0.0";
  }
  if (options.replyAddress.empty()) {
    const std::string& udpAddress = options.udpBindAddress.empty() ? options.bindAddress : options.udpBindAddress;
    options.replyAddress = IsLoopback(udpAddress) ? "127.0.0.1" : "255.255.255.255";
  }

  RouterSim sim(options);
  sim.WithState([&](RouterSimState& s) {
    s = initial;
    s.RestartWanLink(SimNowMs());
  });
  if (log) {
    sim.SetLogSink([](const std::string& line) { std::cout << line << std::endl; });
  }
  std::string error;
  if (!sim.Start(&error)) {
    std::cerr << "lmq-routersim: " << error << "\n";
    return 1;
  }
  std::signal(SIGINT, OnStop);
  std::signal(SIGTERM, OnStop);
  std::signal(SIGUSR1, OnPing);
  std::cerr << "lmq-routersim: serving on " << sim.Address();
  if (options.udpEnabled) std::cerr << ", discovery on UDP " << sim.UdpPort();
  std::cerr << std::endl;
  while (!gStop) {
    if (gPinged) {
      gPinged = 0;
      sim.NotePublicHostPinged();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  sim.Stop();
  return 0;
}
