// The router subcommands' command table, and the helpers they share.
#include "tools/cli/RouterCommands.h"

#include <utility>

#include "router/Fields.h"

namespace kelvane::cli {
namespace router_commands {

bool ArgsDone(CliContext& c, CommandArgs& args, int& status) {
  const std::string why = args.Leftover();
  if (why.empty()) return true;
  status = c.Usage(why);
  return false;
}

const char* OptionName(std::int32_t state) {
  switch (state) {
    case kConnectAutomatically: return "auto";
    case kConnectManually: return "manual";
    default: return "demand";
  }
}

bool ParseWanType(const std::string& text, std::int32_t& type) {
  static const std::pair<const char*, std::int32_t> kTypes[] = {
      {"dynamic", kWanDynamicIp}, {"static", kWanStaticIp}, {"pppoe", kWanPppoe}, {"pptp", kWanPptp},
      {"l2tp", kWanL2tp},         {"bigpond", kWanBigPond}, {"telia", kWanTelia}};
  for (const auto& [name, code] : kTypes) {
    if (text == name) {
      type = code;
      return true;
    }
  }
  return false;
}

const char* WanTypeName(std::int32_t type) {
  switch (type) {
    case kWanDynamicIp: return "dynamic";
    case kWanStaticIp: return "static";
    case kWanPppoe: return "pppoe";
    case kWanPptp: return "pptp";
    case kWanL2tp: return "l2tp";
    case kWanBigPond: return "bigpond";
    case kWanTelia: return "telia";
    default: return "none";
  }
}

std::int32_t* OptionStateOf(WizardState& s, std::int32_t type) {
  switch (type) {
    case kWanDynamicIp: return &s.DynamicIpSettings.optionState;
    case kWanPppoe: return &s.PppoeSettings.optionState;
    case kWanPptp: return &s.PptpSettings.optionState;
    case kWanL2tp: return &s.L2tpSettings.optionState;
    case kWanBigPond: return &s.BigPondSettings.optionState;
    case kWanTelia: return &s.TeliaSettings.optionState;
    default: return nullptr;
  }
}

}  // namespace router_commands

using namespace router_commands;

void RegisterRouterCommands(CommandTable& table) {
  table.Add({"discover", "find the router by broadcast and print its address",
             "usage: kelvane-cli discover\n"
             "Broadcasts the discovery datagram from UDP port 68 and prints the address of the\n"
             "first reply that is not a DHCP server's message. Binding port 68 needs root or\n"
             "cap_net_bind_service.\n",
             Discover});
  table.Add({"dhcp-probe", "tell whether a DHCP server answers on the LAN",
             "usage: kelvane-cli dhcp-probe\nBroadcasts a DHCP discover and prints dhcp=answered or dhcp=no-answer.\n",
             DhcpProbe});
  table.Add({"probe-login", "tell whether the router can be used with these credentials",
             "usage: kelvane-cli probe-login\n"
             "Asks the router's front page with --user/--password the way the wizard first does,\n"
             "without logging in by form. Prints two lines on standard output:\n"
             "  usable=yes|no  yes: the router can be used with these credentials now\n"
             "  basic=0|1      1: the router asks for Basic credentials (take the login word as\n"
             "                 --user and an empty --password)\n"
             "Exit status: 0 when usable=yes; 1 when usable=no, with one line on the error stream\n"
             "saying why (login needed or refused, nothing answers, no answer within N s, ...);\n"
             "2 for a wrong command line.\n",
             ProbeLogin});
  table.Add({"login", "log in the way the router asks (open, Basic or form)",
             "usage: kelvane-cli login\n"
             "Logs in with --user/--password the way the router asks: nothing for an open router,\n"
             "Basic credentials, or the login form (which takes only the password). Prints\n"
             "\"logged in to ADDRESS\". Exit status 1 with the reason when the router refuses.\n",
             Login});
  table.Add({"read",
             "read from the router: wireless, sysinfo, wan-link, wan-detect, wan-addr, wan-settings, domain, "
             "wan-options TYPE",
             "usage: kelvane-cli read [--json] wireless|sysinfo|wan-link|wan-detect|wan-addr|wan-settings|domain\n"
             "       kelvane-cli read [--json] wan-options dynamic|pppoe|pptp|l2tp|bigpond|telia\n"
             "Prints key=value lines; with --json one JSON object on one line, with the same keys\n"
             "(strings, but mode and region-usa are numbers and channels a list of numbers).\n"
             "  wireless      ssid, channel (auto or 1-14), security, mode, key as it is typed\n"
             "  wan-settings  the WAN type the router holds (wan=dynamic|static|pppoe|pptp|l2tp|\n"
             "                bigpond|telia|none) and that type's fields, named as set-wan takes\n"
             "                them (mac; ip, mask, gateway, dns1, dns2; wan-user, service;\n"
             "                address-mode=static|dynamic, server; login-server) and connect=;\n"
             "                passwords are never read back\n"
             "  domain        the LAN domain name (domain=NAME)\n",
             Read});
  table.Add({"set-wan", "write the WAN settings of a type",
             "usage: kelvane-cli set-wan TYPE [fields] [--connect auto|manual|demand]\n"
             "  dynamic\n"
             "  static  --ip A --mask A --gateway A --dns1 A [--dns2 A]\n"
             "  pppoe   --wan-user U --wan-password P [--service S] [--dns1 A] [--dns2 A]\n"
             "  pptp, l2tp  --server HOST --wan-user U --wan-password P [--ip A --mask A --gateway A]\n"
             "              (a fixed address needs all three of --ip, --mask and --gateway)\n"
             "  bigpond --wan-user U [--wan-password P] [--login-server S]\n"
             "  telia   --wan-user U [--wan-password P]\n"
             "Without --connect the router's current connection control is kept.\n"
             "Instead of --wan-password P (which other users can see in the process list):\n"
             "--wan-password-stdin reads it from the first line of standard input,\n"
             "--wan-password-file FILE from the first line of FILE; on a terminal it is asked for.\n",
             SetWan});
  table.Add({"set-wireless", "write SSID, channel, security and key",
             "usage: kelvane-cli set-wireless [--ssid S] [--channel auto|1..14]\n"
             "                                [--security none|wep|wpa|wpa2|mixed] [--key K]\n"
             "What is not given stays as the router has it. WEP keys: 5 or 13 characters or\n"
             "10 or 26 hexadecimal digits; WPA keys: 8 to 63 characters or 64 hexadecimal digits.\n"
             "--security wep needs --key.\n",
             SetWireless});
  table.Add({"set-lan", "set the router's LAN address (after a restart)",
             "usage: kelvane-cli set-lan ADDRESS\n"
             "Writes the router's own LAN address (a dotted IPv4 address such as 192.168.1.1).\n"
             "The router keeps answering at the old address until it restarts (kelvane-cli\n"
             "reboot); afterwards give the new address with --router, and renew this PC's lease.\n",
             SetLan});
  table.Add({"set-domain", "set the LAN domain name",
             "usage: kelvane-cli set-domain [NAME]\n"
             "Leading and trailing white space is removed; at most 31 printable characters remain.\n"
             "Without a name the domain name is cleared.\n",
             SetDomain});
  table.Add({"clone-mac", "copy the PC's MAC address to the router's WAN side",
             "usage: kelvane-cli clone-mac\nPrints the WAN MAC address the router then holds.\n", CloneMac});
  table.Add({"set-mac", "set the router's WAN MAC address",
             "usage: kelvane-cli set-mac 00-11-22-33-44-55\n"
             "Sets the MAC address the router shows on its WAN side, for a provider that knows\n"
             "only one address. Six pairs of hexadecimal digits joined by '-'.\n",
             SetMac});
  table.Add({"refresh-wan", "ask the router to refresh its WAN status",
             "usage: kelvane-cli refresh-wan\n"
             "Asks the router to connect its WAN side again and update its status (as the\n"
             "wizard does before it tests the Internet). Prints \"refreshed\".\n",
             RefreshWan});
  table.Add({"reboot", "restart the router",
             "usage: kelvane-cli reboot\n"
             "Restarts the router; settings written before take effect. The router does not\n"
             "answer for about 20 seconds. Prints \"restarting\" when the router took the command.\n",
             Reboot});
  table.Add({"reset", "restore the router's factory settings",
             "usage: kelvane-cli reset [--yes]\n"
             "Asks the router to return to its factory settings. It keeps its settings, address\n"
             "and login word until it restarts (kelvane-cli reboot); then it forgets every\n"
             "setting and answers at its factory address with its factory login word, as the\n"
             "command prints. On a terminal the command asks first; elsewhere it needs --yes.\n",
             Reset});
  table.Add({"password", "change the router's login word",
             "usage: kelvane-cli password CURRENT NEW\n"
             "Changes the router's login word from CURRENT to NEW (1 to 32 printable\n"
             "characters). Later commands then need the new word: --password NEW, or --user NEW\n"
             "--password '' for a router that asks for Basic credentials.\n",
             Password});
  table.Add({"report", "write the diagnostic report (HTML, no secrets) to FILE",
             "usage: kelvane-cli report FILE\n"
             "Writes one self-contained HTML page for whoever helps: the program's version and\n"
             "language, this PC's adapter, address, gateway, DNS and DHCP flag, what the router\n"
             "reports (WAN type, link, address, gateway, DNS; wireless name, channel, security)\n"
             "and this run's request log. Passwords, keys and credentials are redacted and MAC\n"
             "addresses cut to their first three bytes. A router that cannot be reached is\n"
             "reported as not read.\n",
             Report});
}

}  // namespace kelvane::cli
