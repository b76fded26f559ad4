#include "tools/routersim/RouterSimState.h"

#include <cctype>

namespace kelvane::routersim {
namespace {

bool IsHex(const std::string& text) {
  for (unsigned char c : text) {
    if (!std::isxdigit(c)) return false;
  }
  return true;
}

// Control characters are refused; bytes above 0x7E pass (texts in the
// locale's 8-bit encoding).
bool IsPrintable(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// A check box as the router's form receives it: "o" or "on" checked, "x" not.
// When the field is missing, `keep` says whether the box keeps its state (a
// partial form) or is cleared (a full form submitted by a browser omits
// unchecked boxes).
void TakeBox(const SimHttpRequest& request, const char* name, bool keep, bool& box) {
  auto value = request.Field(name);
  if (!value) {
    if (!keep) box = false;
    return;
  }
  box = (*value == "o" || *value == "on");
}

}  // namespace

std::string WanForm::Value(const std::string& code) const {
  auto it = values.find(code);
  return it == values.end() ? std::string() : it->second;
}

bool IsDottedQuad(const std::string& text) {
  int parts = 0;
  std::size_t i = 0;
  while (true) {
    int digits = 0, value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      value = value * 10 + (text[i] - '0');
      if (++digits > 3) return false;
      ++i;
    }
    if (digits == 0 || value > 255) return false;
    ++parts;
    if (i == text.size()) return parts == 4;
    if (text[i] != '.' || parts == 4) return false;
    ++i;
  }
}

bool IsKnownWanType(const std::string& code) {
  return code == kWtStatic || code == kWtDynamic || code == kWtBigPond || code == kWtTelia ||
         code == kWtPppoe || code == kWtPptp || code == kWtL2tp;
}

bool ChannelAllowed(const std::string& mask, int channel) {
  if (channel == 0) return true;
  if (channel < 1 || channel > 14) return false;
  unsigned int value = 0;
  for (char c : mask) {
    int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (digit < 0) return false;
    value = (value << 4) | static_cast<unsigned int>(digit);
  }
  return (value >> (channel - 1)) & 1u;
}

void RouterSimState::ResetToFactory() {
  loginWord = "kwzpo";
  wanType = kWtDynamic;
  formType = kWtDynamic;
  forms.clear();
  for (const char* code : {kWtStatic, kWtDynamic, kWtBigPond, kWtTelia, kWtPppoe, kWtPptp, kWtL2tp}) {
    WanForm& form = forms[code];
    form.df00 = true;  // connect automatically is the factory choice
  }
  for (const char* code : {kWtStatic, kWtPptp, kWtL2tp}) {
    forms[code].values["WI"] = "0.0.0.0";
    forms[code].values["WN"] = "0.0.0.0";
    forms[code].values["WG"] = "0.0.0.0";
  }
  forms[kWtPppoe].values["IM0"] = "1492";
  forms[kWtPptp].values["IM0"] = "1460";
  forms[kWtL2tp].values["IM0"] = "1460";
  forms[kWtPppoe].df08 = true;
  wanMac = "00-50-18-58-12-01";
  ssid = "LMQ-5812";
  channel = "11";
  securityCode = "0";
  wepSizeCode = 0;
  wepKey.clear();
  psk.clear();
  pskHex = false;
  lanAddress = "192.168.123.254";
  pendingLanAddress.clear();
  domainName.clear();
  factoryResetPending = false;
  formLoggedIn = false;
}

std::map<std::string, std::string> RouterSimState::Settings() const {
  static const std::pair<const char*, const char*> kTypes[] = {
      {kWtStatic, "static"}, {kWtDynamic, "dynamic"}, {kWtBigPond, "bigpond"}, {kWtTelia, "telia"},
      {kWtPppoe, "pppoe"},   {kWtPptp, "pptp"},       {kWtL2tp, "l2tp"}};
  std::map<std::string, std::string> r;
  const auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
  r["login.word"] = loginWord;
  r["wan.type"] = wanType;
  // Every field of every form, present or not, so that a field first written
  // empty does not count as a change.
  for (const auto& [code, name] : kTypes) {
    const auto it = forms.find(code);
    const WanForm form = it == forms.end() ? WanForm{} : it->second;
    const std::string prefix = std::string("wan.") + name + ".";
    for (const char* field : {"WI", "WN", "WG", "ID00", "ID01", "IU0", "IW0", "IT0", "DI0", "IM0"}) {
      r[prefix + field] = form.Value(field);
    }
    if (std::string(code) == kWtStatic) continue;  // a fixed address has no connection boxes
    r[prefix + "DF00"] = flag(form.df00);
    r[prefix + "DF01"] = flag(form.df01);
    if (std::string(code) == kWtPppoe) {
      r[prefix + "DF08"] = flag(form.df08);
      r[prefix + "DF09"] = flag(form.df09);
    }
  }
  r["wan.mac"] = wanMac;
  r["wireless.ssid"] = ssid;
  r["wireless.channel"] = channel;
  // The code as stored: WPA-PSK is 2 (TKIP) or 3 (AES), WPA2-PSK 4 (AES) or
  // 8 (TKIP), so a store that moves the cipher alone shows as a change.
  r["wireless.security"] = securityCode;
  r["wireless.wepSize"] = std::to_string(wepSizeCode);
  r["wireless.wepKey"] = wepKey;
  r["wireless.psk"] = psk;
  r["wireless.pskHex"] = flag(pskHex);
  r["wireless.region"] = region;
  r["wireless.channelMask"] = channelMask;
  r["lan.address"] = lanAddress;
  r["lan.pendingAddress"] = pendingLanAddress;
  r["lan.domain"] = domainName;
  r["factoryResetPending"] = flag(factoryResetPending);
  return r;
}

const WanForm& RouterSimState::ActiveForm() const {
  static const WanForm kEmpty;
  auto it = forms.find(wanType);
  return it == forms.end() ? kEmpty : it->second;
}

bool RouterSimState::WanUp(std::uint64_t nowMs) const {
  if (!wanCable) return false;
  bool fits = false;
  if (wanType == kWtStatic) {
    const WanForm& f = ActiveForm();
    fits = f.Value("WG") != "0.0.0.0" && IsDottedQuad(f.Value("WG")) && IsDottedQuad(f.Value("ID00"));
  } else if (wanType == kWtPppoe) {
    fits = service == WanService::kPppoe && !ActiveForm().Value("IU0").empty();
  } else {
    fits = service == WanService::kDhcp;
  }
  if (!fits) return false;
  if (wanUpOnPing && !publicHostPinged) return false;
  return nowMs >= wanStartMs + static_cast<std::uint64_t>(wanUpDelayMs < 0 ? 0 : wanUpDelayMs);
}

std::string RouterSimState::WanGateway(std::uint64_t nowMs) const {
  if (!WanUp(nowMs)) return "0.0.0.0";
  if (wanType == kWtStatic) return ActiveForm().Value("WG");
  return ispGateway;
}

std::string RouterSimState::WanDns(std::uint64_t nowMs) const {
  if (!WanUp(nowMs)) return "0.0.0.0";
  std::string first = ispDns1, second = ispDns2;
  if (wanType == kWtStatic) {
    first = ActiveForm().Value("ID00");
    second = ActiveForm().Value("ID01");
  } else if (wanType == kWtPppoe && IsDottedQuad(ActiveForm().Value("ID00"))) {
    first = ActiveForm().Value("ID00");
    second = ActiveForm().Value("ID01");
  }
  return second.empty() ? first : first + ", " + second;
}

std::string RouterSimState::DetectionCode() const {
  switch (service) {
    case WanService::kDhcp: return "(1)";
    case WanService::kPppoe: return "(2)";
    case WanService::kNone: break;
  }
  return "(-1)";
}

void RouterSimState::RestartWanLink(std::uint64_t nowMs) {
  wanStartMs = nowMs;
  publicHostPinged = false;
}

void RouterSimState::CompleteRestart(std::uint64_t nowMs) {
  if (factoryResetPending) ResetToFactory();  // also drops a pending LAN address
  if (!pendingLanAddress.empty()) {
    lanAddress = pendingLanAddress;
    pendingLanAddress.clear();
  }
  formLoggedIn = false;
  RestartWanLink(nowMs);
}

CommandOutcome RouterSimState::ApplyPrim(const SimHttpRequest& request, std::uint64_t nowMs) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "zero");
  auto wt = request.Field("Wt");
  if (wt && !IsKnownWanType(*wt)) {
    out.accepted = false;
    out.alert = "Unknown WAN type";
    return out;
  }
  // Check every value before taking any, as the router's form does.
  for (const char* code : {"WI", "WN", "WG", "ID00", "ID01"}) {
    auto v = request.Field(code);
    if (v && !v->empty() && !IsDottedQuad(*v)) {
      out.accepted = false;
      out.alert = std::string("Invalid IP address: ") + code;
      return out;
    }
  }
  auto lan = request.Field("LI");
  if (lan && !IsDottedQuad(*lan)) {
    out.accepted = false;
    out.alert = "Invalid LAN IP address";
    return out;
  }
  auto mac = request.Field("En");
  if (mac && !mac->empty()) {
    bool ok = mac->size() == 17;
    for (std::size_t i = 0; ok && i < 17; ++i) {
      ok = (i % 3 == 2) ? (*mac)[i] == '-' : std::isxdigit(static_cast<unsigned char>((*mac)[i])) != 0;
    }
    if (!ok) {
      out.accepted = false;
      out.alert = "Invalid MAC address";
      return out;
    }
  }
  for (const auto& [name, value] : request.fields) {
    if (!IsPrintable(value)) {
      out.accepted = false;
      out.alert = "Invalid characters in " + name;
      return out;
    }
  }

  const std::string target = wt ? *wt : formType;
  WanForm& form = forms[target];
  const bool fullForm = wt.has_value();
  TakeBox(request, "DF00", !fullForm, form.df00);
  TakeBox(request, "DF01", !fullForm, form.df01);
  if (target == kWtPppoe) {
    TakeBox(request, "DF08", true, form.df08);
    TakeBox(request, "DF09", true, form.df09);
  }
  for (const char* code : {"WI", "WN", "WG", "ID00", "ID01", "IU0", "IW0", "IT0", "DI0", "IM0"}) {
    if (auto v = request.Field(code)) form.values[code] = *v;
  }
  if (lan) pendingLanAddress = *lan;
  if (mac && !mac->empty()) wanMac = *mac;
  if (wt) {
    wanType = *wt;
    formType = *wt;
    RestartWanLink(nowMs);
  }
  return out;
}

CommandOutcome RouterSimState::ApplyWant(const SimHttpRequest& request, std::uint64_t nowMs) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "status");
  if (auto wt = request.Field("Wt")) {
    if (!IsKnownWanType(*wt)) {
      out.accepted = false;
      out.alert = "Unknown WAN type";
      return out;
    }
    formType = *wt;  // only the form changes; the active type stays
  }
  if (request.Has("UB")) RestartWanLink(nowMs);
  return out;
}

CommandOutcome RouterSimState::ApplyWlap(const SimHttpRequest& request) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "wpa");
  std::string newSsid = request.FieldOr("ZN", ssid);
  std::string newChannel = request.FieldOr("ZC", channel);
  if (newSsid.empty() || newSsid.size() > 32 || !IsPrintable(newSsid)) {
    out.accepted = false;
    out.alert = "Invalid SSID";
    return out;
  }
  int ch = -1;
  if (!newChannel.empty() && newChannel.size() <= 2 &&
      std::isdigit(static_cast<unsigned char>(newChannel[0])) &&
      (newChannel.size() == 1 || std::isdigit(static_cast<unsigned char>(newChannel[1])))) {
    ch = std::stoi(newChannel);
  }
  if (ch < 0 || !ChannelAllowed(channelMask, ch)) {
    out.accepted = false;
    out.alert = "Invalid channel";
    return out;
  }
  const std::string cs = request.FieldOr("CS", "");
  std::string newCode = securityCode;
  if (cs == "0") {
    newCode = "0";
  } else if (cs == "1") {
    const std::string zs = request.FieldOr("ZS", "");
    const std::string key = request.FieldOr("ZO0", "");
    bool ok = false;
    if (zs == "1") ok = key.size() == 10 && IsHex(key);
    else if (zs == "2") ok = key.size() == 26 && IsHex(key);
    else if (zs == "129") ok = key.size() == 5 && IsPrintable(key);
    else if (zs == "130") ok = key.size() == 13 && IsPrintable(key);
    if (!ok) {
      out.accepted = false;
      out.alert = "Invalid WEP key";
      return out;
    }
    newCode = "1";
    wepSizeCode = std::stoi(zs);
    wepKey = key;
  } else if (cs == "3" || cs == "4" || cs == "5") {
    const std::string key = request.FieldOr("PK", "");
    const bool hex = request.FieldOr("KM5", "x") == "o";
    const bool ok = hex ? (key.size() == 64 && IsHex(key))
                        : (key.size() >= 8 && key.size() <= 63 && IsPrintable(key));
    if (!ok) {
      out.accepted = false;
      out.alert = "Invalid pre-shared key";
      return out;
    }
    // The router picks TKIP for WPA and AES for WPA2 when the form names no cipher.
    newCode = cs == "3" ? "2" : cs == "4" ? "4" : "5";
    psk = key;
    pskHex = hex;
  } else if (!cs.empty()) {
    out.accepted = false;
    out.alert = "Invalid security mode";
    return out;
  }
  ssid = newSsid;
  channel = std::to_string(ch);
  securityCode = newCode;
  return out;
}

CommandOutcome RouterSimState::ApplyDhcp(const SimHttpRequest& request) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "zero");
  if (auto hd = request.Field("HD")) {
    if (hd->size() > 31 || !IsPrintable(*hd)) {
      out.accepted = false;
      out.alert = "Invalid domain name";
      return out;
    }
    domainName = *hd;
  }
  return out;
}

CommandOutcome RouterSimState::ApplyCmac(const SimHttpRequest& request, std::uint64_t /*nowMs*/) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "prim");
  wanMac = pcMac;
  return out;
}

CommandOutcome RouterSimState::ApplyPass(const SimHttpRequest& request) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "atbox");
  const std::string current = request.FieldOr("PA", "");
  const std::string fresh = request.FieldOr("Pa", "");
  const std::string confirm = request.FieldOr("P1", "");
  if (current != loginWord || fresh != confirm || fresh.empty() || fresh.size() > 32 ||
      !IsPrintable(fresh)) {
    out.accepted = false;
    out.passwordRefused = true;
    return out;
  }
  loginWord = fresh;
  return out;
}

CommandOutcome RouterSimState::ApplyLogin(const SimHttpRequest& request) {
  CommandOutcome out;
  out.nextPage = request.FieldOr("rd", "menu");
  if (request.FieldOr("PS", "") != loginWord) {
    out.accepted = false;
    out.alert = "Password incorrect";
    return out;
  }
  formLoggedIn = true;
  return out;
}

CommandOutcome RouterSimState::ApplyReset() {
  // Like the LAN address, the factory settings take effect when the router
  // restarts: until then it keeps its address and its login word, so that the
  // restart can still be asked for.
  CommandOutcome out;
  out.nextPage = "_toolbox";
  factoryResetPending = true;
  return out;
}

}  // namespace kelvane::routersim
