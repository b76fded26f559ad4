#include "app/StartupOptions.h"

#include <string_view>

#include "state/InternetTargets.h"

namespace kelvane {

namespace {

// Options of the toolkit itself that take a value; their value must not be
// mistaken for a stray argument.
bool IsToolkitOptionWithValue(std::string_view arg) {
  static constexpr std::string_view kWithValue[] = {
      "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qmljsdebugger",
      "-style",    "-stylesheet",         "-display",       "-geometry", "-qwindowgeometry",
      "-qwindowtitle", "-qwindowicon", "-title", "-session", "-name"};
  for (std::string_view known : kWithValue) {
    if (arg == known) return true;
  }
  return false;
}

}  // namespace

bool ParseStartupOptions(int argc, const char* const* argv, StartupOptions& options,
                         std::string& error) {
  options = StartupOptions{};
  error.clear();
  options.toolkitArgs.push_back(argc > 0 && argv[0] != nullptr ? argv[0] : "kelvane");

  struct ValueOption {
    std::string_view name;
    std::string* target;
    bool (*check)(std::string_view);
    const char* what;
  };
  const ValueOption valueOptions[] = {
      {"--public-host", &options.publicHost, IsDottedIpv4, "a dotted IPv4 address"},
      {"--public-dns", &options.publicDns, IsDottedIpv4, "a dotted IPv4 address"},
      {"--test-site", &options.testSite, IsHostNameOrAddress, "a host name or IPv4 address"},
  };

  bool ours = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
    if (!ours || arg.substr(0, 2) != "--") {
      options.toolkitArgs.emplace_back(arg);
      if (IsToolkitOptionWithValue(arg) && i + 1 < argc) options.toolkitArgs.emplace_back(argv[++i]);
      continue;
    }
    if (arg == "--") {
      ours = false;
      continue;
    }
    if (arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    if (arg == "--verbose") {
      options.verbose = true;
      continue;
    }
    if (arg == "--check-languages") {
      options.checkLanguages = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const ValueOption* match = nullptr;
    for (const ValueOption& option : valueOptions) {
      if (option.name == name) match = &option;
    }
    if (match == nullptr) {
      error = "unknown option " + std::string(name);
      return false;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < argc && argv[i + 1] != nullptr) {
      value = argv[++i];
    } else {
      error = "option " + std::string(name) + " needs a value";
      return false;
    }
    if (!match->check(value)) {
      error = "option " + std::string(name) + " wants " + match->what + ", not \"" +
              std::string(value) + "\"";
      return false;
    }
    *match->target = std::string(value);
  }
  return true;
}

std::string StartupUsage() {
  return std::string(
             "Usage: kelvane [options]\n"
             "The LMQ-5812 Easy Setup wizard.\n"
             "\n"
             "Options:\n"
             "  --help               show this text and exit\n"
             "  --version            show the version and exit\n"
             "  --verbose            log the network traffic to standard error\n"
             "  --check-languages    load each of the fourteen language modules the way the\n"
             "                       wizard does, list them and exit (1 when one fails)\n"
             "  --public-host ADDR   public IPv4 address pinged to make the WAN dial (default ") +
         kDefaultPublicHost +
         ")\n"
         "  --public-dns ADDR    public DNS server pinged to judge the Internet service (default " +
         kDefaultPublicDns +
         ")\n"
         "  --test-site NAME     web site resolved and pinged by the connection test (default " +
         kDefaultTestSite + ")\n";
}

void ApplyInternetTargets(const StartupOptions& options) {
  InternetTargets& targets = InternetTargets::Instance();
  if (!options.publicHost.empty()) targets.publicHost = options.publicHost;
  if (!options.publicDns.empty()) targets.publicDns = options.publicDns;
  if (!options.testSite.empty()) targets.testSite = options.testSite;
}

}  // namespace kelvane
