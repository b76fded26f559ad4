// Against the in-process emulator on loopback: one read cycle (the five status
// readers) and one store (wireless + PPPoE WAN command), per request and per
// cycle, with the emulator closing after each answer and with it leaving the
// connection open (then the Content-Length ends each response).
#include <benchmark/benchmark.h>

#include <string>

#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "tools/routersim/RouterSim.h"
#include "state/WizardState.h"

namespace {

using kelvane::routersim::RouterSim;
using kelvane::routersim::RouterSimOptions;

struct Bench {
  explicit Bench(bool keepOpen) {
    RouterSimOptions options;
    options.faults.keepOpen = keepOpen;
    sim = std::make_unique<RouterSim>(options);
    started = sim->Start();
    kelvane::ResetRouterDefaults(state);
    state.routerAddress = sim->Address();
  }
  std::unique_ptr<RouterSim> sim;
  bool started = false;
  kelvane::WizardState state;
};

void BM_ReadCycle(benchmark::State& st) {
  Bench b(st.range(0) != 0);
  if (!b.started) {
    st.SkipWithError("emulator did not start");
    return;
  }
  std::string ssid, channel, security, key, gateway, dns;
  int region = 0;
  kelvane::ChannelFlags flags{};
  std::uint8_t link = 0, ready = 0, up = 0;
  std::int32_t type = 0;
  for (auto _ : st) {
    bool ok = kelvane::ReadWirelessStatus(ssid, channel, security, key, b.state.WirelessSettings.securityMode, b.state);
    ok &= kelvane::ReadSystemInfo(region, flags, b.state);
    ok &= kelvane::ReadWanLinkStatus(link, b.state);
    ok &= kelvane::ReadWanDetection(ready, type, b.state);
    ok &= kelvane::ReadWanAddresses(up, gateway, dns, b.state);
    if (!ok) st.SkipWithError("a reader failed");
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * 5);  // requests
}
BENCHMARK(BM_ReadCycle)->Arg(0)->Arg(1)->ArgName("keepOpen")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StoreWirelessAndPppoe(benchmark::State& st) {
  Bench b(st.range(0) != 0);
  if (!b.started) {
    st.SkipWithError("emulator did not start");
    return;
  }
  b.state.WirelessSettings.ssid = "home net";
  b.state.WirelessSettings.securityMode = kelvane::kSecurityWep;
  b.state.WirelessSettings.key = "abcde";
  b.state.PppoeSettings.userName = "user@isp.test";
  b.state.PppoeSettings.password = "p&ss w=rd";
  b.state.PppoeSettings.optionState = kelvane::kConnectAutomatically;
  for (auto _ : st) {
    // Wireless is one request, PPPoE two (form read, then the command).
    bool ok = kelvane::SetWirelessSettings(b.state.WirelessSettings.ssid.view(),
                                           b.state.WirelessSettings.key.view(), b.state);
    ok &= kelvane::ApplyWanSettings(kelvane::kWanPppoe, b.state);
    if (!ok) st.SkipWithError("a command failed");
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * 3);  // requests
}
BENCHMARK(BM_StoreWirelessAndPppoe)->Arg(0)->Arg(1)->ArgName("keepOpen")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
