#include "steps/easy/StoreStep.h"

#include <functional>
#include <string>

#include "steps/easy/ConnectivityStep.h"
#include "steps/easy/WirelessLoadStep.h"
#include "steps/kit/RouterPing.h"
#include "steps/kit/RouterSearch.h"
#include "net/Wait.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
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
  if (!SetWirelessSettings(ssid, key, c.state, withSecurity) ||
      !WirelessSettingsTaken(ssid, key, c.state, withSecurity,
                             withSecurity ? std::nullopt : std::optional<std::int32_t>(shown.mode))) {
    return false;
  }
  const std::int32_t chosen = c.state.WirelessSettings.securityMode;
  const bool mixed = chosen == kSecurityWpaMixed || chosen == kSecurityWpaMixedAlt;
  c.storedSecurityMode = !withSecurity ? shown.mode : mixed ? kSecurityWpaMixed : chosen;
  return true;
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

// The router answers pings again; its web pages may take a moment longer.
// Asked again while nothing usable comes back, up to a bound.
bool WhileStarting(const std::function<bool()>& request) {
  const std::uint64_t until = SteadyMs() + kRouterBackWithinMs;
  for (;;) {
    if (request()) return true;
    if (!LastLoginUnanswered() || LastRouterFailure().kind == RouterFailureKind::kBadAddress ||
        LastRouterFailure().kind == RouterFailureKind::kNameNotResolved || SteadyMs() >= until) {
      return false;
    }
    WaitRealMs(kRouterBackRetryMs);
  }
}

// A factory reset the router held (asked for earlier, by this program or
// another) takes effect with the restart: the router comes back with its
// factory login word and settings, and nothing the store sent is in use.
// The login word the router took before must still open it.
bool LogInAgain(StoreContext& c) {
  const bool in = WhileStarting([&] { return LoginToRouter(c.state); });
  return in || !LastLoginRefused();  // an unanswered login is the read-back's to report
}

// What was stored must still be shown: the wireless name and security mode,
// and the WAN type (the values that a factory reset changes; the channel may
// be shown as the router chose it, and passwords are never shown).
bool StillHoldsTheSettings(StoreContext& c) {
  if (SendsWireless(c)) {
    std::string ssid, channel, text, key;
    std::int32_t mode = -1;
    WhileStarting([&] { return ReadWirelessStatus(ssid, channel, text, key, mode, c.state) || !ssid.empty(); });
    if (ssid.empty()) {
      c.readBackUnanswered = LastLoginUnanswered();
      return false;
    }
    if (ssid != c.state.WirelessSettings.ssid.view() || mode != c.storedSecurityMode) return false;
  }
  if (SendsWan(c) && !WanTypeTaken(c.state.wanType, c.state)) {
    c.readBackUnanswered = LastLoginUnanswered();
    return false;
  }
  return true;
}

enum Row {
  kRowPing,
  kRowWireless,
  kRowWan,
  kRowRefresh,
  kRowRestart,
  kRowCountdown,
  kRowPingAgain,
  kRowLogInAgain,
  kRowReadBack
};

constexpr Hop<StoreContext> kRows[] = {
    {kIdStoreCheckingConnection, kIdStoreConnectionError, HopPolicy::kStopOnFailure, &PingOrFollowRouter},
    {kIdStoreSaving, kIdStoreSavingFailed, HopPolicy::kStopOnFailure, &SendWireless, &SendsWireless},
    {kIdStoreSaving, kIdStoreSavingFailed, HopPolicy::kStopOnFailure, &SendWan, &SendsWan},
    {0, 0, HopPolicy::kIgnoreOutcome, &Refresh},
    {kIdStoreRestarting, kIdStoreRestartFailed, HopPolicy::kStopOnFailure, &Restart, &Restarts},
    {0, 0, HopPolicy::kIgnoreOutcome, &CountDown, &Restarts},
    {kIdStoreCheckingConnection, kIdStoreConnectionError, HopPolicy::kStopOnFailure, &PingOrFollowRouter},
    {0, kIdStoreSettingsLost, HopPolicy::kStopOnFailure, &LogInAgain, &Restarts},
    {0, kIdStoreSettingsNotKept, HopPolicy::kStopOnFailure, &StillHoldsTheSettings, &Restarts},
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
    case kRowLogInAgain: return StoreOutcome::kSettingsLost;
    case kRowReadBack: return StoreOutcome::kSettingsNotKept;
    default: return StoreOutcome::kStored;
  }
}

StoreOutcome StoreStep::Run(WizardState& state, HostNetwork& host, Narrator& narrator) {
  StoreContext context{state, host, narrator};
  const HopReport report = RunHops<StoreContext>(narrator, context, Rows());
  if (!report.passed) {
    if (report.stoppedAt == kRowReadBack && context.readBackUnanswered) {
      // Nothing to compare: the router stopped answering, not lost the settings.
      narrator.Say(kIdStoreConnectionError);
      return StoreOutcome::kNoRouterAfter;
    }
    return OutcomeOfRow(report.stoppedAt);
  }
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
