#include "net/host/linux/BoundedResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <memory>
#include <thread>

#include "net/Wait.h"

namespace kelvane {
namespace {

// Shared between the caller and the worker, so an abandoned worker writes
// into memory that is still alive.
struct Lookup {
  std::string name;
  std::atomic<bool> done{false};
  bool found = false;
  std::uint32_t address = 0;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (getaddrinfo(lookup->name.c_str(), nullptr, &hints, &result) == 0) {
    for (addrinfo* a = result; a != nullptr; a = a->ai_next) {
      if (a->ai_family == AF_INET && a->ai_addr != nullptr) {
        lookup->address = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        lookup->found = true;
        break;
      }
    }
    freeaddrinfo(result);
  }
  lookup->done.store(true, std::memory_order_release);
}

}  // namespace

bool ResolveIpv4Bounded(const std::string& name, std::uint32_t& address, int boundMs) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  auto lookup = std::make_shared<Lookup>();
  lookup->name = name;
  try {
    std::thread([lookup] { RunLookup(lookup); }).detach();
  } catch (...) {
    // No thread to be had: resolve in place rather than not at all.
    RunLookup(lookup);
  }
  if (!WaitUntil(boundMs, [&] { return lookup->done.load(std::memory_order_acquire); })) return false;
  if (!lookup->found) return false;
  address = lookup->address;
  return true;
}

}  // namespace kelvane
