// Whether this process runs in the test bed's PC: a network namespace other
// than that of process 1 (when that can be seen) whose only interfaces are
// loopback and the bed's lan0. The machine's own namespace always has others.
// The walks of the real program refuse to run anywhere else, so an ordinary
// test run never lets the wizard touch a real network. Header only.
#pragma once

#include <net/if.h>
#include <sys/stat.h>

#include <string>

namespace kelvane::test {

inline bool InsideTheBedsPc(std::string& why) {
  struct stat mine {};
  struct stat init {};
  if (stat("/proc/self/ns/net", &mine) == 0 && stat("/proc/1/ns/net", &init) == 0 && mine.st_ino == init.st_ino &&
      mine.st_dev == init.st_dev) {
    why = "this is the network namespace of process 1";
    return false;
  }
  struct if_nameindex* names = if_nameindex();
  if (names == nullptr) {
    why = "cannot list the network interfaces";
    return false;
  }
  bool lan = false;
  bool other = false;
  for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
    const std::string name = n->if_name;
    if (name == "lan0") lan = true;
    else if (name != "lo") other = true, why = "interface " + name + " is not the test bed's";
  }
  if_freenameindex(names);
  if (!lan && !other) why = "no lan0: this is not the test bed's PC";
  return lan && !other;
}

}  // namespace kelvane::test
