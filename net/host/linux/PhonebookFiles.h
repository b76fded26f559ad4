// The Linux dial-up phonebook: NetworkManager connection profiles (keyfiles,
// or nmcli when the keyfiles cannot be read) and pppd peer files. Each entry
// is mapped onto a DialEntry:
//   NetworkManager pppoe profile      -> "PPPoE", service name, user name
//   vpn profile of the pptp service   -> "VPN", PPTP only, gateway, user
//   vpn profile of the l2tp service   -> "VPN", L2TP only, gateway, user
//   other vpn / mobile / modem types  -> their own device type (never chosen)
//   pppd peer with a PPPoE plugin     -> "PPPoE", rp_pppoe_service, user
//   pppd peer with "pty pptp SERVER"  -> "VPN", PPTP only, SERVER, user
//   pppd peer with the pppol2tp plugin-> "VPN", L2TP only
// Wired and wireless LAN profiles are not dial-up entries and are left out.
// Passwords and other secrets are skipped by the parsers and never kept.
#pragma once

#include <string>
#include <vector>

#include "net/host/DialEntry.h"

namespace kelvane {

// Parses one keyfile; answers true when it describes a dial-up entry.
bool ParseNmKeyfile(const std::string& text, DialEntry& entry);

// Parses one pppd peer file named `name`; answers true when it describes a
// dial-up entry (a PPPoE plugin, a pptp pty or the L2TP plugin).
bool ParsePppPeerFile(const std::string& name, const std::string& text, DialEntry& entry);

// NetworkManager's answer for one profile, from
// `nmcli -t -f connection.id,connection.type,pppoe.service,pppoe.username,vpn.service-type,vpn.data,ipv4.addresses connection show UUID`.
bool ParseNmcliProfile(const std::string& output, DialEntry& entry);

// Reads the keyfiles of `nmDir` (sorted by file name) and then the peer files
// of `peersDir` (sorted by file name). Unreadable peer files are skipped;
// `nmDirRead` tells whether the keyfile folder could be listed and every
// keyfile in it read (when not, no keyfile entry is added).
void ReadPhonebookFolders(const std::string& nmDir, const std::string& peersDir,
                          std::vector<DialEntry>& entries, bool& nmDirRead);

}  // namespace kelvane
