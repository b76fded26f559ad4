#include "tools/netprobe/Capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace kelvane::netprobe {
namespace {

bool Read(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return syscall(SYS_capget, &header, data) == 0;
}

bool Write(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return syscall(SYS_capset, &header, data) == 0;
}

// The bit of `capability` in the two 32-bit words.
void Bits(int capability, std::uint32_t (&bits)[2]) {
  bits[0] = bits[1] = 0;
  if (capability >= 0 && capability < 64) bits[capability / 32] = 1u << (capability % 32);
}

}  // namespace

bool KeepOnly(int capability) {
  __user_cap_data_struct data[2] = {};
  if (!Read(data)) return false;
  std::uint32_t keep[2];
  Bits(capability, keep);
  for (int i = 0; i < 2; ++i) {
    data[i].permitted &= keep[i];
    data[i].effective = 0;
    data[i].inheritable = 0;
  }
  prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
  return Write(data);
}

bool Raise(int capability) {
  __user_cap_data_struct data[2] = {};
  if (!Read(data)) return false;
  std::uint32_t bits[2];
  Bits(capability, bits);
  for (int i = 0; i < 2; ++i) data[i].effective = data[i].permitted & bits[i];
  return Write(data);
}

bool DropAll() {
  __user_cap_data_struct data[2] = {};
  return Write(data);
}

}  // namespace kelvane::netprobe
