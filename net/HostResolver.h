// Host name look-up for the HTTP client, bounded so that a silent DNS server
// cannot freeze the window. The look-up itself is a replaceable function: the
// default asks the system resolver (getaddrinfo); programs or tests may install
// another. Whatever is installed runs on a worker thread while the caller
// waits in slices that call the wait hook, and is abandoned when the bound
// passes (it finishes on its own; its answer is dropped).
#pragma once

#include <functional>
#include <string>

namespace kelvane {

// A blocking look-up of the first IPv4 address of `name`, written as dotted
// text into `dotted`. Called on a worker thread, possibly after its caller
// gave up, so it must own everything it uses (capture by value).
using HostLookup = std::function<bool(const std::string& name, std::string& dotted)>;

// Installs `lookup` (an empty function restores the system resolver) and
// answers the previous one (empty when the system resolver was in use).
HostLookup SetHostResolver(HostLookup lookup);

// Whether `name` may be handed to a resolver at all: 1 to 253 characters of
// letters, digits, "-", "_" and ".". Anything else (blanks, "@", ":", control
// characters) is no host name and never leaves the PC as a query.
bool IsResolvableHostName(const std::string& name);

// Resolves `name` through the installed look-up, waiting at most `boundMs`
// real milliseconds (a non-positive bound means 10 s) with the wait hook
// called between slices. False when the name is not resolvable, does not
// resolve, or the bound passed.
bool ResolveHostName(const std::string& name, int boundMs, std::string& dotted);

}  // namespace kelvane
