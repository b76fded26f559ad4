#include "steps/easy/StoreStep.h"

#include "steps/easy/ConnectivityStep.h"
#include "steps/easy/WirelessLoadStep.h"
#include "steps/kit/RouterPing.h"
#include "steps/kit/RouterSearch.h"
#include "router/Fields.h"
#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WanTypeReadBack.h"
#include "router/WirelessLanCommands.h"

namespace kelvane {

namespace {

bool PingRouter(StoreContext& c) { return c.host.PingHost(RouterPingTarget(c.state), kRouterPingAttempts); }

// A router that does not answer at its address may have come back at
// another one (its LAN address changed, a reset): it is looked for by
// broadcast, and when it answers elsewhere the PC gives up its lease in the
// old network and takes one in the new. False when it is not found elsewhere
// or still cannot be reached there; the known address then stays.
bool FollowMovedRouter(StoreContext& c) {
  const std::string oldText(c.state.routerAddress.view());
  const std::uint32_t oldValue = c.state.routerAddressValue;
  if (!FindRouter(c.state) || c.state.routerAddressValue == oldValue) {
    c.state.routerAddress = oldText;
    c.state.routerAddressValue = oldValue;
    return false;
  }
  c.routerMoved = true;
  c.narrator.Say(kIdStoreRouterMoved);
  c.narrator.AppendText(" " + RouterPingTarget(c.state));
  c.narrator.Pause(kNarrationPauseMs);
  c.host.ReleaseAllAdapters();
  if (!c.host.RenewAllAdapters()) return false;
  bool dhcp = false;
  if (!c.host.FindLocalAddress(kPcAddressAttempts, dhcp, c.state)) return false;
  return PingRouter(c);
}

bool PingOrFollowRouter(StoreContext& c) { return PingRouter(c) || FollowMovedRouter(c); }

// Only a router with a wireless part ever receives the wireless command.
bool SendsWireless(const StoreContext& c) { return c.state.wirelessPresent && c.state.configureWireless != 0; }
// The user kept the WPA mode and pass phrase the router holds (`shown`, its
// status page read before the command). The command cannot name the cipher,
// and the mode sent again would put the router's default cipher in place of
// its own (WPA-PSK on AES, WPA2-PSK on TKIP).
struct ShownWireless {
  bool read = false;
  std::int32_t mode = -1;
  std::string key;
};
bool ChoosesWpa(const WirelessSettings& w) {
  return w.securityMode == kSecurityWpaPsk || w.securityMode == kSecurityWpa2Psk;
}
ShownWireless ReadShownWireless(StoreContext& c) {
  ShownWireless shown;
  std::string ssid, channel, text;
  ReadWirelessStatus(ssid, channel, text, shown.key, shown.mode, c.state);
  shown.read = !ssid.empty();
  return shown;
}
bool RouterHoldsChosenWpa(const WirelessSettings& w, const ShownWireless& shown) {
  return ChoosesWpa(w) && shown.read && shown.mode == w.securityMode && !shown.key.empty() &&
         SameWirelessKey(UrlDecode(shown.key), w.key.view());
}

bool SendWireless(StoreContext& c) {
  // Copies: the command may rewrite the channel in the same record.
  const std::string ssid(c.state.WirelessSettings.ssid.view());
  const std::string key(c.state.WirelessSettings.key.view());
  const bool keepsKey = KeepsRoutersKey(c.state.WirelessSettings);
  ShownWireless shown;
  if (keepsKey || ChoosesWpa(c.state.WirelessSettings)) shown = ReadShownWireless(c);
  // A pass phrase the router did not show and the user did not type is not
  // sent: the router keeps its own, and its mode with it. Nor is a security
  // the router holds already: it keeps its cipher with it.
  const bool withSecurity = !keepsKey && !RouterHoldsChosenWpa(c.state.WirelessSettings, shown);
  // The security it is to keep must be known, or a router that took the
  // missing part as "none" could not be told from one that kept it.
  if (!withSecurity && !shown.read) return false;
  // The answer alone is not enough (see SendWan): the router's status page
  // must show what was sent, and the security left out as it was.
  return SetWirelessSettings(ssid, key, c.state, withSecurity) &&
         WirelessSettingsTaken(ssid, key, c.state, withSecurity,
                               withSecurity ? std::nullopt : std::optional<std::int32_t>(shown.mode));
}

bool SendsWan(const StoreContext& c) { return c.state.applyWan != 0; }
// The router's answer to the command is not enough: one that threw the
// command away may still answer with a page. Its stored type must be the one
// sent before the settings count as saved (and before any restart).
bool SendWan(StoreContext& c) {
  return ApplyWanSettings(c.state.wanType, c.state) && WanTypeTaken(c.state.wanType, c.state) &&
         WanFieldsTaken(c.state.wanType, c.state);
}

bool Refresh(StoreContext& c) { return RefreshWanStatus(c.state); }

// A restart is only asked for when something was to be written.
bool Restarts(const StoreContext& c) { return c.state.configureWireless != 0 || c.state.applyWan != 0; }
bool Restart(StoreContext& c) { return RebootRouter(c.state); }
bool CountDown(StoreContext& c) {
  RunCountdown(c.narrator, kIdStoreRestarting, kRestartCountdownMs);
  return true;
}

enum Row { kRowPing, kRowWireless, kRowWan, kRowRefresh, kRowRestart, kRowCountdown, kRowPingAgain };

constexpr Hop<StoreContext> kRows[] = {
    {kIdStoreCheckingConnection, kIdStoreConnectionError, HopPolicy::kStopOnFailure, &PingOrFollowRouter},
    {kIdStoreSaving, kIdStoreSavingFailed, HopPolicy::kStopOnFailure, &SendWireless, &SendsWireless},
    {kIdStoreSaving, kIdStoreSavingFailed, HopPolicy::kStopOnFailure, &SendWan, &SendsWan},
    {0, 0, HopPolicy::kIgnoreOutcome, &Refresh},
    {kIdStoreRestarting, kIdStoreRestartFailed, HopPolicy::kStopOnFailure, &Restart, &Restarts},
    {0, 0, HopPolicy::kIgnoreOutcome, &CountDown, &Restarts},
    {kIdStoreCheckingConnection, kIdStoreConnectionError, HopPolicy::kStopOnFailure, &PingOrFollowRouter},
};

}  // namespace

std::span<const Hop<StoreContext>> StoreStep::Rows() { return kRows; }

StoreOutcome StoreStep::OutcomeOfRow(int row) {
  switch (row) {
    case kRowPing: return StoreOutcome::kNoRouterBefore;
    case kRowWireless: return StoreOutcome::kWirelessRefused;
    case kRowWan: return StoreOutcome::kWanRefused;
    case kRowRestart: return StoreOutcome::kRestartRefused;
    case kRowPingAgain: return StoreOutcome::kNoRouterAfter;
    default: return StoreOutcome::kStored;
  }
}

StoreOutcome StoreStep::Run(WizardState& state, HostNetwork& host, Narrator& narrator) {
  StoreContext context{state, host, narrator};
  const HopReport report = RunHops<StoreContext>(narrator, context, Rows());
  if (!report.passed) return OutcomeOfRow(report.stoppedAt);
  narrator.Say(kIdStoreDone);
  // The move stays in view: the user's bookmarks and other PCs need the new address.
  if (context.routerMoved) {
    narrator.AppendText("\n");
    narrator.Append(kIdStoreRouterMoved);
    narrator.AppendText(" " + RouterPingTarget(state));
  }
  narrator.Pause(kNarrationPauseMs);
  return StoreOutcome::kStored;
}

}  // namespace kelvane
