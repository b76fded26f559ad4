#include "net/HostResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "net/Wait.h"

namespace kelvane {
namespace {

constexpr int kDefaultBoundMs = 10000;
constexpr std::size_t kMaxHostNameLength = 253;

bool SystemLookup(const std::string& name, std::string& dotted) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) return false;
  bool found = false;
  for (const addrinfo* entry = result; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    const auto* b = reinterpret_cast<const unsigned char*>(&address->sin_addr.s_addr);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    dotted = text;
    found = true;
    break;
  }
  ::freeaddrinfo(result);
  return found;
}

struct Installed {
  std::mutex mutex;
  HostLookup lookup;
};

Installed& Resolver() {
  static Installed installed;
  return installed;
}

// Shared between the caller and the worker, so an abandoned worker writes
// into memory that is still alive.
struct Lookup {
  HostLookup function;
  std::string name;
  std::string dotted;
  bool found = false;
  std::atomic<bool> done{false};
};

void Run(const std::shared_ptr<Lookup>& lookup) {
  std::string dotted;
  bool found = false;
  try {
    found = lookup->function ? lookup->function(lookup->name, dotted) : SystemLookup(lookup->name, dotted);
  } catch (...) {
    found = false;  // an installed look-up must not take the worker down
  }
  lookup->dotted = std::move(dotted);
  lookup->found = found;
  lookup->done.store(true, std::memory_order_release);
}

}  // namespace

HostLookup SetHostResolver(HostLookup lookup) {
  Installed& installed = Resolver();
  std::lock_guard<std::mutex> lock(installed.mutex);
  HostLookup previous = std::move(installed.lookup);
  installed.lookup = std::move(lookup);
  return previous;
}

bool IsResolvableHostName(const std::string& name) {
  if (name.empty() || name.size() > kMaxHostNameLength) return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

bool ResolveHostName(const std::string& name, int boundMs, std::string& dotted) {
  if (!IsResolvableHostName(name)) return false;
  auto lookup = std::make_shared<Lookup>();
  lookup->name = name;
  {
    Installed& installed = Resolver();
    std::lock_guard<std::mutex> lock(installed.mutex);
    lookup->function = installed.lookup;
  }
  try {
    std::thread([lookup] { Run(lookup); }).detach();
  } catch (...) {
    // No thread to be had: resolve in place rather than not at all.
    Run(lookup);
  }
  if (!WaitUntil(boundMs > 0 ? boundMs : kDefaultBoundMs,
                 [&] { return lookup->done.load(std::memory_order_acquire); }))
    return false;
  if (!lookup->found) return false;
  dotted = lookup->dotted;
  return true;
}

}  // namespace kelvane
