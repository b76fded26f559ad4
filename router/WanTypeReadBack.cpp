#include "router/WanTypeReadBack.h"

#include <string>
#include <vector>

#include "net/TextScan.h"
#include "router/RouterRequest.h"
#include "router/WanSettingsReader.h"

namespace kelvane {

const char* ReportedWanTypeCode(std::int32_t wanType) {
  switch (wanType) {
    case kWanStaticIp: return "0000";
    case kWanPppoe: return "0200";
    case kWanPptp: return "0300";
    case kWanL2tp: return "0700";
    default: return "0100";
  }
}

bool WanTypeTaken(std::int32_t wanType, const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0008", page)) return false;
  std::string code;
  if (!ExtractPreceding(page, "<BR>", 4, code)) return true;
  if (code == ReportedWanTypeCode(wanType)) return true;
  RouterFailure failure;
  failure.kind = RouterFailureKind::kNone;
  failure.detail = "the router still reports WAN type " + code;
  NoteRouterFailure(failure);
  return false;
}

namespace {

struct ShownField {
  const char* anchor;
  std::string sent;
};

std::vector<ShownField> ShownFields(std::int32_t wanType, const WizardState& state) {
  const auto addresses = [](const auto& r) {
    return std::vector<ShownField>{
        {"NAME=WI", r.ipAddress.str()}, {"NAME=WN", r.subnetMask.str()}, {"NAME=WG", r.gateway.str()}};
  };
  const auto tunnel = [&](const PptpSettings& r) {
    std::vector<ShownField> f = addresses(r);
    f.push_back({"NAME=DI0", r.server.str()});
    f.push_back({"NAME=IU0", r.userName.str()});
    return f;
  };
  switch (wanType) {
    case kWanStaticIp: {
      std::vector<ShownField> f = addresses(state.StaticIpSettings);
      f.push_back({"NAME=ID00", state.StaticIpSettings.primaryDns.str()});
      f.push_back({"NAME=ID01", state.StaticIpSettings.secondaryDns.str()});
      return f;
    }
    case kWanPppoe:
      return {{"NAME=IU0", state.PppoeSettings.userName.str()}, {"NAME=IT0", state.PppoeSettings.serviceName.str()}};
    case kWanPptp: return tunnel(state.PptpSettings);
    case kWanL2tp: return tunnel(state.L2tpSettings);
    case kWanBigPond:
      return {{"NAME=IU0", state.BigPondSettings.userName.str()},
              {"NAME=IT0", state.BigPondSettings.loginServer.str()}};
    case kWanTelia: return {{"NAME=IU0", state.TeliaSettings.userName.str()}};
    default: return {};
  }
}

}  // namespace

bool WanFieldsTaken(std::int32_t wanType, const WizardState& state) {
  const std::vector<ShownField> fields = ShownFields(wanType, state);
  if (fields.empty()) return true;
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  for (const ShownField& field : fields) {
    std::string shown;
    if (!ReadFormFieldValue(page, field.anchor, shown) || shown == field.sent) continue;
    RouterFailure failure;
    failure.detail = std::string("the router still shows ") + (field.anchor + 5) + " " + shown;
    NoteRouterFailure(failure);
    return false;
  }
  return true;
}

}  // namespace kelvane
