// kelvane-cli subcommands for the PC's own network: ping, host-info,
// dhcp-switch, renew, release, resolve and phonebook. They use the same
// HostNetwork operations as the wizard's pages, with the same attempts and
// waits, and print key=value lines.
#include <arpa/inet.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "net/host/HostNetwork.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "tools/cli/CommandTable.h"

namespace kelvane::cli {
namespace {

bool IsDotted(const std::string& text) {
  in_addr a{};
  return inet_pton(AF_INET, text.c_str(), &a) == 1;
}

bool ParseCount(const std::string& text, int& count) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > 1000) return false;
  count = static_cast<int>(value);
  return true;
}

int Ping(CliContext& c, CommandArgs& a) {
  std::string target, countText;
  int count = 4;
  if (a.Option("--count", countText) && !ParseCount(countText, count))
    return c.Usage("--count takes a number from 1 to 1000");
  if (!a.Positional(target)) return c.Usage("ping needs a host");
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  HostNetwork& net = ActiveHostNetwork();
  std::string address = target;
  if (!IsDotted(target) && !net.ResolveHostName(target, address))
    return c.Fail("cannot resolve " + target);
  PingError error = PingError::kNone;
  if (!net.PingHost(address, count, &error)) {
    c.out << "ping=" << Shown(address) << " answered=no\n";
    return c.Fail("no answer from " + address + ": " + PingErrorText(error));
  }
  c.out << "ping=" << Shown(address) << " answered=yes\n";
  return kExitOk;
}

void PrintAdapter(CliContext& c, const HostAdapterInfo& info) {
  c.out << "adapter=" << Shown(info.adapterName.view()) << "\n"
        << "description=" << Shown(info.description.view()) << "\n"
        << "dhcp=" << static_cast<int>(info.dhcpEnabled) << "\n"
        << "address=" << Shown(info.ipAddress.view()) << "\n"
        << "mask=" << Shown(info.subnetMask.view()) << "\n"
        << "gateway=" << Shown(info.gateway.view()) << "\n"
        << "dhcp-server=" << Shown(info.dhcpServer.view()) << "\n"
        << "dns1=" << Shown(info.dnsServer1.view()) << "\n"
        << "dns2=" << Shown(info.dnsServer2.view()) << "\n";
}

int HostInfo(CliContext& c, CommandArgs& a) {
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  HostNetwork& net = ActiveHostNetwork();
  HostAdapterInfo info;
  if (!net.GetHostNetworkInfo(info)) return c.Fail("cannot read the PC's network adapters");
  PrintAdapter(c, info);
  // One attempt of the wizard's own adapter search: is this a usable LAN address?
  bool dhcp = false;
  const bool usable = net.FindLocalAddress(1, dhcp, c.state);
  c.out << "usable=" << (usable ? "yes" : "no") << "\n";
  return kExitOk;
}

int DhcpSwitch(CliContext& c, CommandArgs& a) {
  std::string adapter;
  if (!a.Positional(adapter)) return c.Usage("dhcp-switch needs an adapter name");
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  HostNetwork& net = ActiveHostNetwork();
  if (!net.SwitchAdapterToDhcp(adapter))
    return c.Fail("cannot switch " + adapter + " to DHCP (root and a DHCP client or NetworkManager are needed)");
  PrintAdapter(c, net.AdapterRecord());
  return kExitOk;
}

int RenewOrRelease(CliContext& c, CommandArgs& a, bool renew) {
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  HostNetwork& net = ActiveHostNetwork();
  // Nothing to do is said, not reported as done.
  std::vector<std::string> interfaces;
  if (renew) net.ReleasedInterfaces(interfaces);
  if (interfaces.empty() && net.ListLeaseInterfaces(interfaces) && interfaces.empty())
    return c.Fail(std::string("nothing to ") + (renew ? "renew" : "release") +
                  ": no interface takes its address by DHCP");
  const bool ok = renew ? net.RenewAllAdapters() : net.ReleaseAllAdapters();
  c.out << (renew ? "renewed=" : "released=") << (ok ? "yes" : "no") << "\n";
  if (!ok) return c.Fail(std::string("not every interface could be ") + (renew ? "renewed" : "released"));
  return kExitOk;
}

int Resolve(CliContext& c, CommandArgs& a) {
  std::string name;
  if (!a.Positional(name)) return c.Usage("resolve needs a host name");
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  std::string address;
  if (!ActiveHostNetwork().ResolveHostName(name, address)) return c.Fail("cannot resolve " + name);
  c.out << "name=" << Shown(name) << "\naddress=" << Shown(address) << "\n";
  return kExitOk;
}

int Phonebook(CliContext& c, CommandArgs& a) {
  LinuxHostOptions options;
  std::string dir;
  bool folderGiven = false;
  if (a.Option("--nm-dir", dir)) {
    options.nmConnectionsDir = dir;
    options.nmcli.clear();  // a given folder is read as it is, without asking NetworkManager
    folderGiven = true;
  }
  if (a.Option("--peers-dir", dir)) {
    options.pppPeersDir = dir;
    folderGiven = true;
  }
  if (const std::string left = a.Leftover(); !left.empty()) return c.Usage(left);
  LinuxHostNetwork folders(options);
  HostNetwork& net = folderGiven ? folders : ActiveHostNetwork();

  std::vector<DialEntry> entries;
  if (!net.ReadPhonebook(entries)) return c.Fail("cannot read the phonebook");
  c.out << "entries=" << entries.size() << "\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DialEntry& e = entries[i];
    c.out << "entry" << i + 1 << "=" << Shown(e.name) << " type=" << e.deviceType << " strategy=" << e.vpnStrategy
          << " server=" << Shown(e.localPhoneNumber) << " user=" << Shown(e.userName)
          << (i < static_cast<std::size_t>(kPhonebookEntries) ? "" : " (not looked at)") << "\n";
  }
  WizardState& s = c.state;
  if (net.FindPcPppoeAccount(s))
    c.out << "pppoe=found user=" << Shown(s.PppoeSettings.userName.view()) << " service=" << Shown(s.PppoeSettings.serviceName.view())
          << "\n";
  else
    c.out << "pppoe=none\n";
  if (net.FindPcPptpAccount(s))
    c.out << "pptp=found user=" << Shown(s.PptpSettings.userName.view()) << " server=" << Shown(s.PptpSettings.server.view())
          << " ip=" << Shown(s.PptpSettings.ipAddress.view()) << "\n";
  else
    c.out << "pptp=none\n";
  if (net.FindPcL2tpAccount(s))
    c.out << "l2tp=found user=" << Shown(s.L2tpSettings.userName.view()) << " server=" << Shown(s.L2tpSettings.server.view())
          << " ip=" << Shown(s.L2tpSettings.ipAddress.view()) << "\n";
  else
    c.out << "l2tp=none\n";
  return kExitOk;
}

}  // namespace

void RegisterHostCommands(CommandTable& table) {
  table.Add({"ping", "send ICMP echoes the way the wizard does",
             "usage: kelvane-cli ping HOST [--count N]\n"
             "Up to N echoes (default 4) of the wizard's 18-byte payload, 1 s each, 300 ms apart.\n"
             "Sending needs cap_net_raw or a group in net.ipv4.ping_group_range.\n",
             Ping});
  table.Add({"host-info", "show the PC's LAN adapter, address, gateway and DNS servers",
             "usage: kelvane-cli host-info\nPrints key=value lines and usable=yes|no.\n", HostInfo});
  table.Add({"dhcp-switch", "switch a PC adapter to DHCP and wait for its address",
             "usage: kelvane-cli dhcp-switch ADAPTER\n"
             "Through NetworkManager where it manages the adapter, else the installed DHCP client.\n"
             "Needs root.\n",
             DhcpSwitch});
  table.Add({"renew", "renew the DHCP lease of every PC interface",
             "usage: kelvane-cli renew\n"
             "Renews the lease of the interfaces released before (kelvane-cli release), else of\n"
             "every interface that takes its address by DHCP, through NetworkManager or the DHCP\n"
             "client that holds it. Prints renewed=yes|no. Fails when no interface has a lease to\n"
             "renew. Needs root.\n",
             [](CliContext& c, CommandArgs& a) { return RenewOrRelease(c, a, true); }});
  table.Add({"release", "release the DHCP lease of every PC interface",
             "usage: kelvane-cli release\n"
             "Gives back the DHCP lease of every interface that takes its address by DHCP; the\n"
             "next renew asks for one again. Prints released=yes|no. Fails when no interface has\n"
             "a lease. Needs root.\n",
             [](CliContext& c, CommandArgs& a) { return RenewOrRelease(c, a, false); }});
  table.Add({"resolve", "resolve a host name to an IPv4 address",
             "usage: kelvane-cli resolve NAME\n"
             "Looks NAME up with the PC's resolver, as the wizard's Internet test does, and\n"
             "prints name= and address= (the first IPv4 address). Exit status 1 when the name\n"
             "does not resolve.\n",
             Resolve});
  table.Add({"phonebook", "list the PC's dial-up entries and the accounts the wizard would take",
             "usage: kelvane-cli phonebook [--nm-dir DIR] [--peers-dir DIR]\n"
             "Reads NetworkManager profiles and pppd peers (never their passwords).\n",
             Phonebook});
}

}  // namespace kelvane::cli
