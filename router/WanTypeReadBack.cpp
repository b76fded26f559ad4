#include "router/WanTypeReadBack.h"

#include <string>

#include "net/TextScan.h"
#include "router/RouterRequest.h"

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

}  // namespace kelvane
