#include "steps/easy/WanDetectionStep.h"

#include <span>

#include "router/StatusReaders.h"
#include "router/WanCommands.h"

namespace kelvane {

WanDetectionOutcome WanDetectionStep::End(WanDetectionOutcome outcome) {
  narrator_.Say(MessageFor<WanDetectionOutcome>(kWanDetectionMessages, outcome));
  return outcome;
}

WanDetectionOutcome WanDetectionStep::Run() {
  state_.wanType = kWanPppoe;  // the fall-back proposal
  narrator_.SayAndPause(kIdCheckingRouterWan);

  std::uint8_t ready = 0;
  std::int32_t found = kWanNone;
  if (!ReadWanDetection(ready, found, state_)) return End(WanDetectionOutcome::kStatusUnreadable);

  if (ready) {
    state_.wanType = found;
    if (found == kWanDynamicIp) {
      // Dynamic IP goes straight to the store page, so no WAN page reads the
      // router's connection control: read it here, or the store would send
      // "on demand" to a router that is always on.
      if (!ReadDynamicWanOptions(state_)) {
        state_.wanType = kWanPppoe;
        return End(WanDetectionOutcome::kStatusUnreadable);
      }
      return End(WanDetectionOutcome::kDynamicIpOnWan);
    }
    if (found == kWanPppoe) {
      // Only to fill the PPPoE form; the router's finding stands either way.
      host_.FindPcPppoeAccount(state_);
      return End(WanDetectionOutcome::kPppoeOnWan);
    }
    if (host_.FindPcPptpAccount(state_)) {
      state_.wanType = kWanPptp;
      return End(WanDetectionOutcome::kPptpAccount);
    }
    if (host_.FindPcL2tpAccount(state_)) {
      state_.wanType = kWanL2tp;
      return End(WanDetectionOutcome::kL2tpAccount);
    }
    state_.wanType = kWanPppoe;
    return End(WanDetectionOutcome::kNothingFound);
  }

  if (host_.FindPcPppoeAccount(state_)) {
    state_.wanType = kWanPppoe;
    return End(WanDetectionOutcome::kPppoeAccount);
  }
  if (host_.FindPcPptpAccount(state_)) {
    state_.wanType = kWanPptp;
    return End(WanDetectionOutcome::kPptpAccount);
  }
  if (host_.FindPcL2tpAccount(state_)) {
    state_.wanType = kWanL2tp;
    return End(WanDetectionOutcome::kL2tpAccount);
  }
  return End(WanDetectionOutcome::kNotConnected);
}

}  // namespace kelvane
