#include "netns/BedNetworkManager.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "netns/NetnsBed.h"

namespace kelvane::testbed {

std::string BedNetworkManager::ConfigDir() const { return bed_.TempDir() + "/nm/etc"; }
std::string BedNetworkManager::ConnectionsDir() const { return ConfigDir() + "/system-connections"; }
std::string BedNetworkManager::DbusAddress() const { return "unix:path=" + bed_.TempDir() + "/dbus/system_bus_socket"; }
std::string BedNetworkManager::LogPath() const { return bed_.TempDir() + "/nm.log"; }

ExecResult BedNetworkManager::Nmcli(const std::vector<std::string>& args, int timeoutMs) const {
  std::vector<std::string> argv = {"nmcli"};
  argv.insert(argv.end(), args.begin(), args.end());
  return bed_.Exec(Role::kPc, argv, timeoutMs);
}

bool BedNetworkManager::Start(bool fixed, std::string& error) {
  const std::string& tempDir = bed_.TempDir();
  const std::string dbusDir = tempDir + "/dbus";
  if (!MakeFolders({dbusDir, tempDir + "/nm", ConfigDir(), ConfigDir() + "/conf.d"}, error)) return false;
  if (mkdir(ConnectionsDir().c_str(), 0700) != 0) {
    error = "cannot make " + ConnectionsDir();
    return false;
  }
  // A bus of our own: anyone may own and call anything on it, since only
  // the bed's processes can reach its socket.
  const std::string busConfig =
      "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
      "<busconfig>\n  <type>system</type>\n  <listen>unix:path=" + dbusDir + "/system_bus_socket</listen>\n"
      "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n    <allow user=\"*\"/>\n"
      "    <allow own=\"*\"/>\n    <allow send_destination=\"*\"/>\n    <allow receive_sender=\"*\"/>\n"
      "  </policy>\n</busconfig>\n";
  const std::string nmConfig =
      "[main]\nplugins=keyfile\ndns=none\nrc-manager=unmanaged\nhostname-mode=none\n"
      "systemd-resolved=false\nauth-polkit=false\nno-auto-default=*\n\n"
      "[keyfile]\nunmanaged-devices=except:interface-name:lan0\n\n"
      "[connectivity]\nenabled=false\n\n[logging]\nlevel=INFO\nbackend=debug\n";
  if (!WriteFile(tempDir + "/dbus.conf", busConfig) || !WriteFile(ConfigDir() + "/NetworkManager.conf", nmConfig)) {
    error = "cannot write the bus or NetworkManager configuration";
    return false;
  }
  if (bed_.Spawn(Role::kPc, {"dbus-daemon", "--config-file=" + tempDir + "/dbus.conf", "--nofork", "--nopidfile"},
                 tempDir + "/dbus.log") < 0) {
    error = "cannot start dbus-daemon";
    return false;
  }
  if (!WaitFor([&] { return access((dbusDir + "/system_bus_socket").c_str(), F_OK) == 0; }, 10000)) {
    error = "the private bus did not come up: " + ReadTail(tempDir + "/dbus.log");
    return false;
  }
  pid_ = bed_.SpawnPrepared(Role::kPc,
                            {"NetworkManager", "--no-daemon", "--config=/etc/NetworkManager/NetworkManager.conf"},
                            LogPath(), [] { return PrivateFolders(); });
  if (pid_ < 0) {
    error = "cannot start NetworkManager";
    return false;
  }
  // Up once it runs and has taken lan0 over (neither unmanaged nor waiting).
  const bool ready = WaitFor([&] {
    const ExecResult r = Nmcli({"-t", "-f", "DEVICE,STATE", "device"}, 5000);
    return r.exitCode == 0 && (r.output.find("lan0:disconnected") != std::string::npos ||
                               r.output.find("lan0:connected") != std::string::npos);
  }, 30000);
  if (!ready) {
    error = "NetworkManager did not take lan0 over: " + Nmcli({"-t", "device"}, 5000).output + ReadTail(LogPath());
    return false;
  }
  std::vector<std::string> add = {"connection", "add", "type", "ethernet", "ifname", "lan0", "con-name",
                                  kNmProfile, "ipv6.method", "disabled"};
  if (fixed) {
    for (const char* a : {"ipv4.method", "manual", "ipv4.addresses"}) add.push_back(a);
    add.push_back(std::string(kFixedOutsideAddress) + "/" + std::to_string(kFixedOutsidePrefix));
    add.push_back("ipv4.gateway");
    add.push_back(kFixedOutsideGateway);
  } else {
    add.push_back("ipv4.method");
    add.push_back("auto");
  }
  ExecResult r = Nmcli(add);
  if (r.exitCode != 0) {
    error = "nmcli connection add failed: " + r.output;
    return false;
  }
  r = Nmcli({"--wait", "40", "connection", "up", kNmProfile}, 60000);
  if (r.exitCode != 0) {
    error = "the profile did not come up: " + r.output + ReadTail(LogPath());
    return false;
  }
  return true;
}

bool BedNetworkManager::EnterPc() const {
  if (mount(ConfigDir().c_str(), "/etc/NetworkManager", nullptr, MS_BIND, nullptr) != 0) return false;
  setenv("DBUS_SYSTEM_BUS_ADDRESS", DbusAddress().c_str(), 1);
  return true;
}

bool BedNetworkManager::PrivateFolders() {
  for (const char* folder : {"/run/NetworkManager", "/run/udev"}) {
    if (mkdir(folder, 0755) != 0 && errno != EEXIST) return false;
    if (mount("kvbed", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0) return false;
  }
  if (mount("kvbed", "/var/lib/NetworkManager", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0700") != 0) return false;
  if (mkdir("/run/udev/data", 0755) != 0) return false;
  std::string index;
  if (!ReadFile("/sys/class/net/lan0/ifindex", index)) return false;
  while (!index.empty() && (index.back() == '\n' || index.back() == ' ')) index.pop_back();
  // An entry that exists marks the device as initialised by udev.
  return WriteFile("/run/udev/data/n" + index, "I:1\nE:ID_NET_DRIVER=veth\nE:NM_UNMANAGED=0\n");
}

}  // namespace kelvane::testbed
