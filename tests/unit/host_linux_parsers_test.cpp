// The Linux backend's readers on recorded and hand-made input: resolver
// configuration, nmcli's terse output, dhclient lease files, rtnetlink
// answers, ICMP echo replies, and the phonebook folders.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/ip_icmp.h>

#include <cstring>
#include <map>

#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "net/host/linux/NmcliOutput.h"
#include "net/host/linux/PhonebookFiles.h"
#include "net/host/linux/RtNetlink.h"

namespace kelvane {
namespace {

// The source tree's test folder comes from the build (KELVANE_TESTS_DIR), not
// from __FILE__, which a compiler cache may make relative.
std::string Fixtures() { return std::string(KELVANE_TESTS_DIR) + "/fixtures/host"; }

std::string ReadFixture(const std::string& relative) {
  std::string text;
  EXPECT_TRUE(ReadTextFile(Fixtures() + "/" + relative, text)) << relative;
  return text;
}

// --- resolver configuration ---------------------------------------------------

TEST(HostResolvConf, KeepsIpv4NameserversInOrder) {
  EXPECT_EQ(ParseResolvConfNameservers(ReadFixture("resolv/plain.conf")),
            (std::vector<std::string>{"192.168.123.254", "198.51.100.53"}));
  EXPECT_EQ(ParseResolvConfNameservers(ReadFixture("resolv/one.conf")),
            (std::vector<std::string>{"192.168.123.254"}));
  EXPECT_TRUE(ParseResolvConfNameservers("# nothing\nsearch x\n").empty());
}

TEST(HostResolvConf, StubResolverIsLookedBehind) {
  struct Case {
    const char* resolv;
    const char* upstream;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"resolv/stub.conf", "resolv/upstream.conf", {"192.168.123.254", "198.51.100.1", "198.51.100.2"}},
      {"resolv/stub.conf", "resolv/missing.conf", {"127.0.0.53"}},  // no upstream list: keep the stub
      {"resolv/one.conf", "resolv/upstream.conf", {"192.168.123.254"}},  // no stub: upstream not read
      {"resolv/missing.conf", "resolv/upstream.conf", {}},  // no configuration: no servers, still success
  };
  for (const Case& c : cases) {
    LinuxHostOptions options;
    options.resolvConf = Fixtures() + "/" + c.resolv;
    options.resolvedResolvConf = Fixtures() + "/" + c.upstream;
    LinuxHostNetwork net(options);
    std::vector<std::string> servers{"stale"};
    EXPECT_TRUE(net.ReadDnsServers(servers)) << c.resolv;
    EXPECT_EQ(servers, c.expected) << c.resolv << " + " << c.upstream;
  }
}

// --- nmcli ----------------------------------------------------------------------

TEST(HostNmcli, TerseLinesUndoTheirEscapes) {
  EXPECT_EQ(SplitNmcliTerseLine("a:b\\:c:d\\\\e:"), (std::vector<std::string>{"a", "b:c", "d\\e", ""}));
  EXPECT_EQ(SplitNmcliTerseLine(""), (std::vector<std::string>{""}));
}

TEST(HostNmcli, OneDeviceAnswerForEveryDevice) {
  const std::vector<NmDevice> devices = ParseNmcliDeviceDetails(ReadFixture("nmcli/devices-show.txt"));
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_EQ(devices[0].device, "lan0");
  EXPECT_EQ(devices[0].state, "connected");
  EXPECT_EQ(devices[0].connection, "5f1e2a7c-3b0e-4c55-9d1e-0a8f4b2c6d11");
  EXPECT_EQ(devices[0].dhcpServer, "192.168.123.254");
  EXPECT_TRUE(devices[0].dhcpLease);
  EXPECT_FALSE(devices[1].dhcpLease);
  EXPECT_FALSE(devices[2].dhcpLease);
  EXPECT_EQ(devices[1].device, "wlp2s0");
  EXPECT_EQ(devices[1].connection, "");
  EXPECT_EQ(devices[1].dhcpServer, "");
  EXPECT_EQ(devices[2].state, "connected (externally)");
  EXPECT_EQ(devices[2].dhcpServer, "") << "the DHCP options of one device never spill into the next";
  EXPECT_EQ(devices[3].state, "unmanaged");
}

TEST(HostNmcli, MethodsOfSeveralProfilesInOneAnswer) {
  const auto methods = ParseNmcliMethods(
      "connection.uuid:aaaa\nipv4.method:auto\n\nconnection.uuid:bbbb\nipv4.method:manual\n\n"
      "ipv4.method:shared\n");
  EXPECT_EQ(methods, (std::map<std::string, std::string>{{"aaaa", "auto"}, {"bbbb", "manual"}}));
}

TEST(HostNmcli, FieldsDhcpServerAndVpnData) {
  const auto method = ParseNmcliFields(ReadFixture("nmcli/method-5f1e2a7c-3b0e-4c55-9d1e-0a8f4b2c6d11.txt"));
  EXPECT_EQ(method.at("ipv4.method"), "manual");
  EXPECT_EQ(NmcliDhcpServer("DHCP4.OPTION[3]:dhcp_server_identifier = 192.168.123.254\n"), "192.168.123.254");
  EXPECT_EQ(NmcliDhcpServer("DHCP4.OPTION[1]:routers = 1.2.3.4\n"), "");
  const auto data = ParseNmVpnData("gateway = 198.51.100.7, password-flags = 1, user = bob");
  EXPECT_EQ(data.at("gateway"), "198.51.100.7");
  EXPECT_EQ(data.at("user"), "bob");
  const auto fields = ParseNmcliFields("pppoe.service:Fast\\: Net\nbroken line\n:no name\n");
  EXPECT_EQ(fields.at("pppoe.service"), "Fast: Net");
  EXPECT_EQ(fields.size(), 1u);
}

// A NUL byte after a valid address once passed the check (the C string ended
// there) and the whole text was kept. Every host reader refuses it now.
TEST(HostReaders, AddressFollowedByNulIsRefused) {
  using namespace std::string_literals;
  EXPECT_TRUE(ParseResolvConfNameservers("nameserver 192.168.123.254\0junk\n"s).empty());
  EXPECT_EQ(ParseResolvConfNameservers("nameserver 1.2.3.4\0\nnameserver 5.6.7.8\n"s),
            (std::vector<std::string>{"5.6.7.8"}));
  EXPECT_EQ(ParseDhclientLeaseServer("lease {\n  option dhcp-server-identifier 192.168.123.254\0x;\n}\n"s), "");
  EXPECT_EQ(NmcliDhcpServer("DHCP4.OPTION[3]:dhcp_server_identifier = 192.168.123.254\0<script>\n"s), "");
  EXPECT_EQ(NmcliDhcpServer("DHCP4.OPTION[3]:dhcp_server_identifier = not-an-address\n"), "");
  DialEntry entry;
  ASSERT_TRUE(ParseNmKeyfile("[connection]\nid=x\ntype=vpn\n[vpn]\nservice-type=org.freedesktop.NetworkManager.pptp\n"
                             "gateway=198.51.100.7\n[ipv4]\naddress1=10.0.0.2\0/32\n"s,
                             entry));
  EXPECT_EQ(entry.clientAddress[0], 0) << "the client address with a NUL is not taken";

  struct Case {
    std::string text;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"192.168.123.254", true}, {"0.0.0.0", true},          {"192.168.123.254\0"s, false},
      {"1.2.3.4\0junk"s, false}, {"\0" "1.2.3.4"s, false},   {"1.2.3.4 ", false},
      {"10.1", false},           {"256.1.1.1", false},       {"", false},
  };
  for (const Case& c : cases) {
    std::uint32_t value = 0;
    EXPECT_EQ(ParseDottedIpv4(c.text, value), c.valid) << c.text.size() << " bytes";
  }
}

// --- released leases --------------------------------------------------------------

TEST(HostReleasedLeases, RecordSurvivesItsFileAndRefusesUnsafeLines) {
  const std::vector<ReleasedLease> leases = {
      {"lan0", "networkmanager", "5f1e2a7c-3b0e-4c55-9d1e-0a8f4b2c6d11", "", "", ""},
      {"eth1", "dhclient", "", "/sbin/dhclient", "/run/dhclient.eth1.pid", "/var/lib/dhcp/dhclient.eth1.leases"},
      {"eth2", "udhcpc", "", "udhcpc", "", ""},
  };
  const std::string text = FormatReleasedLeases(leases);
  const std::vector<ReleasedLease> back = ParseReleasedLeases(text);
  ASSERT_EQ(back.size(), 3u) << text;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].interfaceName, leases[i].interfaceName);
    EXPECT_EQ(back[i].owner, leases[i].owner);
    EXPECT_EQ(back[i].profile, leases[i].profile);
    EXPECT_EQ(back[i].program, leases[i].program);
    EXPECT_EQ(back[i].pidFile, leases[i].pidFile);
    EXPECT_EQ(back[i].leaseFile, leases[i].leaseFile);
  }
  // A field that would break the line format is not written at all.
  EXPECT_EQ(FormatReleasedLeases({{"eth3", "dhclient", "", "dhclient", "/tmp/a\nb", "x"}}), "");
  // Damaged or hostile lines are skipped: wrong field count, an interface
  // name that could reach a path or an option, no owner.
  EXPECT_TRUE(ParseReleasedLeases("lan0\tnetworkmanager\n"
                                  "../x\tdhclient\t\tdhclient\t\t\n"
                                  "-x\tdhclient\t\tdhclient\t\t\n"
                                  "lan0\t\t\t\t\t\n")
                  .empty());
}

TEST(HostNmcli, ProfilesMapOntoDialEntries) {
  DialEntry entry;
  ASSERT_TRUE(ParseNmcliProfile(ReadFixture("nmcli/profile-9a8b7c6d-1111-4222-8333-444455556666.txt"), entry));
  EXPECT_EQ(entry.deviceType, "VPN");
  EXPECT_EQ(entry.vpnStrategy, kVpnPptpOnly);
  EXPECT_EQ(entry.localPhoneNumber, "198.51.100.7");
  EXPECT_EQ(entry.userName, "bob");

  ASSERT_TRUE(ParseNmcliProfile(ReadFixture("nmcli/profile-3e4f5a6b-7777-4888-9999-000011112222.txt"), entry));
  EXPECT_EQ(entry.vpnStrategy, kVpnL2tpOnly);
  EXPECT_EQ(entry.clientAddress[0], 10);
  EXPECT_EQ(entry.clientAddress[3], 2);

  ASSERT_TRUE(ParseNmcliProfile(ReadFixture("nmcli/profile-0c1d2e3f-aaaa-4bbb-8ccc-dddd00001111.txt"), entry));
  EXPECT_EQ(entry.deviceType, "PPPoE");
  EXPECT_EQ(entry.localPhoneNumber, "Fast: Net");
  EXPECT_EQ(entry.userName, "carol@isp.kelvane.test");

  EXPECT_FALSE(ParseNmcliProfile("connection.id:Wired\nconnection.type:802-3-ethernet\n", entry));
}

// --- lease files ---------------------------------------------------------------------

TEST(HostLeaseFile, LastLeaseNamesTheServer) {
  EXPECT_EQ(ParseDhclientLeaseServer(ReadFixture("leases/dhclient.lan0.leases")), "192.168.123.254");
  EXPECT_EQ(ParseDhclientLeaseServer("lease {\n  option dhcp-server-identifier bogus;\n}\n"), "");
  EXPECT_EQ(ParseDhclientLeaseServer(""), "");
}

// --- rtnetlink ----------------------------------------------------------------------

class NetlinkBuilder {
 public:
  void Message(std::uint16_t type, const void* body, std::size_t size) {
    Align();
    start_ = data_.size();
    nlmsghdr h{};
    h.nlmsg_type = type;
    Append(&h, sizeof h);
    Append(body, size);
    Align();
    Finish();
  }
  void Attribute(std::uint16_t type, const void* value, std::size_t size) {
    rtattr a{};
    a.rta_type = type;
    a.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
    Append(&a, sizeof a);
    Append(value, size);
    Align();
    Finish();
  }
  void Done() {
    nlmsghdr h{};
    h.nlmsg_type = NLMSG_DONE;
    h.nlmsg_len = NLMSG_LENGTH(4);
    Align();
    Append(&h, sizeof h);
    const std::uint32_t zero = 0;
    Append(&zero, 4);
  }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  void Append(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    data_.insert(data_.end(), b, b + n);
  }
  void Align() {
    while (data_.size() % 4 != 0) data_.push_back(0);
  }
  void Finish() {
    const std::uint32_t length = static_cast<std::uint32_t>(data_.size() - start_);
    std::memcpy(data_.data() + start_, &length, 4);
  }
  std::vector<std::uint8_t> data_;
  std::size_t start_ = 0;
};

std::uint32_t Ip(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

void AddAddress(NetlinkBuilder& b, int index, const char* address, int prefix, std::uint32_t valid) {
  ifaddrmsg body{};
  body.ifa_family = AF_INET;
  body.ifa_prefixlen = static_cast<unsigned char>(prefix);
  body.ifa_index = static_cast<unsigned>(index);
  b.Message(RTM_NEWADDR, &body, sizeof body);
  const std::uint32_t value = Ip(address);
  b.Attribute(IFA_ADDRESS, &value, 4);
  b.Attribute(IFA_LOCAL, &value, 4);
  ifa_cacheinfo cache{};
  cache.ifa_valid = valid;
  cache.ifa_prefered = valid;
  b.Attribute(IFA_CACHEINFO, &cache, sizeof cache);
}

TEST(HostNetlink, AddressesKeepKernelOrderAndLifetimes) {
  NetlinkBuilder b;
  AddAddress(b, 2, "192.168.123.143", 24, 3600);
  AddAddress(b, 2, "10.1.1.1", 8, kInfiniteLifetime);
  AddAddress(b, 3, "169.254.1.2", 16, kInfiniteLifetime);
  ifaddrmsg v6{};
  v6.ifa_family = AF_INET6;
  b.Message(RTM_NEWADDR, &v6, sizeof v6);  // skipped
  b.Done();
  std::vector<NetAddress> addresses;
  ASSERT_TRUE(ParseAddressMessages(b.Data(), addresses));
  ASSERT_EQ(addresses.size(), 3u);
  EXPECT_EQ(addresses[0].address, Ip("192.168.123.143"));
  EXPECT_EQ(addresses[0].prefixLength, 24);
  EXPECT_EQ(addresses[0].validLifetime, 3600u);
  EXPECT_EQ(addresses[1].validLifetime, kInfiniteLifetime);
  EXPECT_EQ(addresses[2].index, 3);
}

TEST(HostNetlink, LinksAndRoutes) {
  NetlinkBuilder b;
  ifinfomsg link{};
  link.ifi_index = 2;
  link.ifi_flags = IFF_UP;
  b.Message(RTM_NEWLINK, &link, sizeof link);
  b.Attribute(IFLA_IFNAME, "lan0", 5);
  rtmsg route{};
  route.rtm_family = AF_INET;
  route.rtm_table = RT_TABLE_MAIN;
  route.rtm_dst_len = 0;
  b.Message(RTM_NEWROUTE, &route, sizeof route);
  const std::uint32_t gateway = Ip("192.168.123.254");
  const std::uint32_t oif = 2;
  b.Attribute(RTA_GATEWAY, &gateway, 4);
  b.Attribute(RTA_OIF, &oif, 4);
  b.Done();
  std::vector<NetLink> links;
  std::vector<NetRoute> routes;
  ASSERT_TRUE(ParseLinkMessages(b.Data(), links));
  ASSERT_TRUE(ParseRouteMessages(b.Data(), routes));
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].name, "lan0");
  ASSERT_EQ(routes.size(), 1u);
  EXPECT_EQ(routes[0].gateway, gateway);
  EXPECT_EQ(routes[0].outputIndex, 2);
}

TEST(HostNetlink, MalformedAnswersAreRejectedNotOverread) {
  NetlinkBuilder b;
  AddAddress(b, 2, "192.168.123.143", 24, 3600);
  std::vector<std::uint8_t> data = b.Data();
  // A length that runs past the end.
  std::vector<std::uint8_t> overlong = data;
  const std::uint32_t huge = static_cast<std::uint32_t>(data.size() + 100);
  std::memcpy(overlong.data(), &huge, 4);
  std::vector<NetAddress> addresses;
  EXPECT_FALSE(ParseAddressMessages(overlong, addresses));
  // An attribute whose length runs past its message.
  std::vector<std::uint8_t> badAttribute = data;
  const std::size_t firstAttribute = NLMSG_LENGTH(sizeof(ifaddrmsg));
  const unsigned short bad = 200;
  std::memcpy(badAttribute.data() + firstAttribute, &bad, 2);
  addresses.clear();
  EXPECT_FALSE(ParseAddressMessages(badAttribute, addresses));
  // Every truncation is handled without reading past the buffer.
  for (std::size_t n = 0; n < data.size(); ++n) {
    std::vector<std::uint8_t> cut(data.begin(), data.begin() + static_cast<long>(n));
    addresses.clear();
    ParseAddressMessages(cut, addresses);
    EXPECT_TRUE(addresses.empty()) << n;
  }
  // An error answer.
  NetlinkBuilder e;
  nlmsgerr err{};
  err.error = -EPERM;
  e.Message(NLMSG_ERROR, &err, sizeof err);
  addresses.clear();
  EXPECT_FALSE(ParseAddressMessages(e.Data(), addresses));
}

// --- ICMP echo replies ----------------------------------------------------------------

std::vector<std::uint8_t> EchoReply(std::uint16_t id, std::uint16_t sequence, std::size_t dataBytes,
                                    std::uint8_t type = ICMP_ECHOREPLY) {
  std::vector<std::uint8_t> packet(8 + dataBytes, 'x');
  packet[0] = type;
  packet[1] = 0;
  packet[2] = packet[3] = 0;
  packet[4] = static_cast<std::uint8_t>(id >> 8);
  packet[5] = static_cast<std::uint8_t>(id);
  packet[6] = static_cast<std::uint8_t>(sequence >> 8);
  packet[7] = static_cast<std::uint8_t>(sequence);
  return packet;
}

std::vector<std::uint8_t> WithIpHeader(const std::vector<std::uint8_t>& icmp) {
  std::vector<std::uint8_t> packet(20, 0);
  packet[0] = 0x45;
  packet.insert(packet.end(), icmp.begin(), icmp.end());
  return packet;
}

// An adapter without carrier shows no address, so a bridge with a fixed
// address and nothing attached, or an unplugged adapter, never wins over the
// cabled one that comes later in the kernel's order.
TEST(HostAdapters, NoCarrierNoAddress) {
  constexpr unsigned kLowerUp = 0x10000;
  const std::vector<NetLink> links = {
      {1, "lo", IFF_UP | IFF_LOOPBACK | kLowerUp, 772, "", ""},
      {2, "docker0", IFF_UP | IFF_BROADCAST, 1, "bridge", ""},  // up, no carrier
      {3, "enp0s31f6", IFF_UP | IFF_BROADCAST, 1, "", ""},      // cable pulled
      {4, "eth1", IFF_BROADCAST | kLowerUp, 1, "", ""},         // down
      {5, "eth0", IFF_UP | IFF_BROADCAST | kLowerUp, 1, "", ""},
  };
  const std::vector<NetAddress> addresses = {
      {1, Ip("127.0.0.1"), 8, kInfiniteLifetime, 0},        {2, Ip("172.17.0.1"), 16, kInfiniteLifetime, 0},
      {3, Ip("192.168.1.20"), 24, kInfiniteLifetime, 0},    {4, Ip("10.0.0.4"), 8, kInfiniteLifetime, 0},
      {5, Ip("192.168.123.140"), 24, 3600, 0},
  };
  const std::vector<NetRoute> routes = {
      {254, 0, 0, Ip("192.168.1.1"), 3, 100},
      {254, 0, 0, Ip("192.168.123.254"), 5, 100},
  };
  const std::vector<KernelAdapter> adapters = AdaptersFromKernel(links, addresses, routes);
  ASSERT_EQ(adapters.size(), 3u) << "loopback and the down link are no adapters";
  struct Row {
    const char* name;
    bool carrier;
    const char* address;
    const char* mask;
    const char* gateway;
  };
  const Row rows[] = {
      {"docker0", false, "0.0.0.0", "0.0.0.0", "0.0.0.0"},
      {"enp0s31f6", false, "0.0.0.0", "0.0.0.0", "0.0.0.0"},
      {"eth0", true, "192.168.123.140", "255.255.255.0", "192.168.123.254"},
  };
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(adapters[i].info.adapterName.view(), rows[i].name);
    EXPECT_EQ(adapters[i].carrier, rows[i].carrier) << rows[i].name;
    EXPECT_EQ(adapters[i].info.ipAddress.view(), rows[i].address) << rows[i].name;
    EXPECT_EQ(adapters[i].info.subnetMask.view(), rows[i].mask) << rows[i].name;
    EXPECT_EQ(adapters[i].info.gateway.view(), rows[i].gateway) << rows[i].name;
  }
  std::vector<HostAdapterInfo> records;
  for (const KernelAdapter& a : adapters) records.push_back(a.info);
  HostAdapterInfo chosen;
  EXPECT_TRUE(ChooseLanAdapter(records, chosen));
  EXPECT_EQ(chosen.adapterName.view(), "eth0");
}

TEST(HostEchoReply, OnlyOurWholeReplyCounts) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> packet;
    bool withIp;
    EchoReplyKind expected;
    std::size_t dataBytes;
  };
  std::vector<std::uint8_t> error(8, 0);
  error[0] = ICMP_DEST_UNREACH;
  const std::vector<std::uint8_t> quotedIp = WithIpHeader(EchoReply(0x1234, 7, 0, ICMP_ECHO));
  error.insert(error.end(), quotedIp.begin(), quotedIp.end());
  std::vector<std::uint8_t> foreignError(8, 0);
  foreignError[0] = ICMP_DEST_UNREACH;
  const std::vector<std::uint8_t> otherQuoted = WithIpHeader(EchoReply(0x9999, 7, 0, ICMP_ECHO));
  foreignError.insert(foreignError.end(), otherQuoted.begin(), otherQuoted.end());

  const std::vector<Case> cases = {
      {"whole reply", EchoReply(0x1234, 7, 18), false, EchoReplyKind::kReply, 18},
      {"short reply", EchoReply(0x1234, 7, 10), false, EchoReplyKind::kReply, 10},
      {"raw whole reply", WithIpHeader(EchoReply(0x1234, 7, 18)), true, EchoReplyKind::kReply, 18},
      {"raw reply of another process", WithIpHeader(EchoReply(0x4321, 7, 18)), true, EchoReplyKind::kNotOurs, 0},
      {"old sequence", EchoReply(0x1234, 6, 18), false, EchoReplyKind::kNotOurs, 0},
      {"our own echo seen on a raw socket", WithIpHeader(EchoReply(0x1234, 7, 18, ICMP_ECHO)), true,
       EchoReplyKind::kNotOurs, 0},
      {"unreachable quoting our echo", WithIpHeader(error), true, EchoReplyKind::kError, 0},
      {"unreachable quoting another echo", WithIpHeader(foreignError), true, EchoReplyKind::kNotOurs, 0},
      {"truncated header", std::vector<std::uint8_t>(5, 0), false, EchoReplyKind::kNotOurs, 0},
      {"bad IP header length", std::vector<std::uint8_t>{0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       true, EchoReplyKind::kNotOurs, 0},
  };
  for (const Case& c : cases) {
    std::size_t dataBytes = 99;
    EXPECT_EQ(ClassifyEchoPacket(c.packet.data(), c.packet.size(), c.withIp, true, 0x1234, 7, dataBytes),
              c.expected)
        << c.name;
    if (c.expected == EchoReplyKind::kReply) {
      EXPECT_EQ(dataBytes, c.dataBytes) << c.name;
    }
  }
}

TEST(HostEchoReply, ChecksumMatchesTheStandardExample) {
  // The example of RFC 1071: 00 01 f2 03 f4 f5 f6 f7 sums to ddf2, checksum 220d.
  const std::uint8_t data[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
  EXPECT_EQ(InternetChecksum(data, sizeof data), 0x220d);
  const std::uint8_t odd[] = {0x01};
  EXPECT_EQ(InternetChecksum(odd, 1), static_cast<std::uint16_t>(~0x0100));
}

// --- phonebook folders ------------------------------------------------------------------

LinuxHostNetwork PhonebookNet(const std::string& set) {
  LinuxHostOptions options;
  options.nmConnectionsDir = Fixtures() + "/" + set + "/nm";
  options.pppPeersDir = Fixtures() + "/" + set + "/peers";
  options.nmcli.clear();
  return LinuxHostNetwork(options);
}

TEST(HostPhonebook, FoldersAreReadInAStableOrderWithoutLanProfiles) {
  std::vector<DialEntry> entries;
  ASSERT_TRUE(PhonebookNet("phonebook-12").ReadPhonebook(entries));
  ASSERT_EQ(entries.size(), 12u) << "the wired profile is not a dial-up entry";
  EXPECT_EQ(entries[0].name, "Mobile 01");
  EXPECT_EQ(entries[10].name, "DSL eleven");
  EXPECT_EQ(entries[11].name, "pptp-twelve");
  for (const DialEntry& e : entries) {
    EXPECT_EQ(e.userName.find("secret"), std::string::npos);
    EXPECT_EQ(e.localPhoneNumber.find("secret"), std::string::npos);
  }
}

TEST(HostPhonebook, TwelveEntriesOnlyTenLookedAt) {
  LinuxHostNetwork net = PhonebookNet("phonebook-12");
  WizardState state;
  EXPECT_FALSE(net.FindPcPppoeAccount(state)) << "the PPPoE entry is the eleventh";
  EXPECT_TRUE(state.PppoeSettings.userName.empty());
  EXPECT_FALSE(net.FindPcPptpAccount(state)) << "the PPTP entry is the twelfth";
}

TEST(HostPhonebook, KeyfilesAndPeersFillTheRecords) {
  LinuxHostNetwork net = PhonebookNet("vpn-order");
  WizardState state;
  ASSERT_TRUE(net.FindPcPptpAccount(state));
  EXPECT_EQ(state.PptpSettings.server.view(), "198.51.100.7");
  EXPECT_EQ(state.PptpSettings.userName.view(), "bob");
  EXPECT_EQ(state.PptpSettings.ipAddress.view(), "0.0.0.0");
  EXPECT_TRUE(state.PptpSettings.password.empty()) << "passwords are never read";
  ASSERT_TRUE(net.FindPcL2tpAccount(state));
  EXPECT_EQ(state.L2tpSettings.server.view(), "vpn1.kelvane.test");
  EXPECT_EQ(state.L2tpSettings.userName.view(), "alice");
  EXPECT_EQ(state.L2tpSettings.ipAddress.view(), "10.8.0.2");
  EXPECT_TRUE(state.L2tpSettings.password.empty());
  ASSERT_TRUE(net.FindPcPppoeAccount(state)) << "the pppd peer after the profiles";
  EXPECT_EQ(state.PppoeSettings.serviceName.view(), "Fast Net");
  EXPECT_EQ(state.PppoeSettings.userName.view(), "carol@isp.kelvane.test");
  EXPECT_TRUE(state.PppoeSettings.password.empty());
}

TEST(HostPhonebook, NoPppoeEntryLeavesTheRecordEmpty) {
  LinuxHostNetwork net = PhonebookNet("no-pppoe");
  WizardState state;
  state.PppoeSettings.userName = "typed";
  state.PppoeSettings.serviceName = "typed";
  EXPECT_FALSE(net.FindPcPppoeAccount(state));
  EXPECT_TRUE(state.PppoeSettings.userName.empty());
  EXPECT_TRUE(state.PppoeSettings.serviceName.empty());
  ASSERT_TRUE(net.FindPcPptpAccount(state));
  EXPECT_EQ(state.PptpSettings.server.view(), "vpn.work.kelvane.test");
  EXPECT_EQ(state.PptpSettings.userName.view(), "dave");
  EXPECT_EQ(state.PptpSettings.ipAddress.view(), "10.9.0.5");
}

TEST(HostPhonebook, PeerFileVariants) {
  struct Case {
    const char* text;
    bool dialUp;
    const char* deviceType;
    int strategy;
    const char* server;
    const char* user;
  };
  const std::vector<Case> cases = {
      {"plugin /usr/lib/pppd/2.4.9/pppoe.so\npppoe-service Quick\nuser \"a b\"\n", true, "PPPoE", 0, "Quick", "a b"},
      {"plugin rp-pppoe.so eth0\nuser x # comment\n", true, "PPPoE", 0, "", "x"},
      {"pty \"/usr/sbin/pptp 203.0.113.9 --nolaunchpppd\"\nuser y\n", true, "VPN", kVpnPptpOnly, "203.0.113.9", "y"},
      {"plugin pppol2tp.so\nuser z\n", true, "VPN", kVpnL2tpOnly, "", "z"},
      {"/dev/ttyS0\n115200\nconnect \"chat -f /etc/chatscripts/provider\"\nuser w\n", false, "", 0, "", ""},
      {"", false, "", 0, "", ""},
  };
  for (const Case& c : cases) {
    DialEntry entry;
    ASSERT_EQ(ParsePppPeerFile("peer", c.text, entry), c.dialUp) << c.text;
    if (!c.dialUp) continue;
    EXPECT_EQ(entry.deviceType, c.deviceType) << c.text;
    EXPECT_EQ(entry.vpnStrategy, c.strategy) << c.text;
    EXPECT_EQ(entry.localPhoneNumber, c.server) << c.text;
    EXPECT_EQ(entry.userName, c.user) << c.text;
  }
}

TEST(HostPhonebook, KeyfileSecretsAreNeverKept) {
  DialEntry entry;
  ASSERT_TRUE(ParseNmKeyfile(ReadFixture("vpn-order/nm/b-pptp.nmconnection"), entry));
  EXPECT_EQ(entry.userName, "bob");
  EXPECT_EQ(entry.localPhoneNumber, "198.51.100.7");
  for (const std::string& text : {entry.name, entry.deviceType, entry.localPhoneNumber, entry.userName})
    EXPECT_EQ(text.find("bobpass"), std::string::npos);
  EXPECT_FALSE(ParseNmKeyfile(ReadFixture("no-pppoe/nm/home-wifi.nmconnection"), entry));
  EXPECT_FALSE(ParseNmKeyfile("garbage without sections\n=\n[", entry));
}

}  // namespace
}  // namespace kelvane
