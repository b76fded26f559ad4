#include "router/WanSettingsReader.h"

#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/WanCommands.h"

namespace kelvane {
namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool IsAttributeGap(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '<'; }

// End of the tag that starts at `from` ('>' outside quotes), or npos.
std::size_t TagEnd(std::string_view page, std::size_t from) {
  char quote = 0;
  for (std::size_t i = from; i < page.size(); ++i) {
    const char c = page[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      // A quote opens a value only right after "=".
      if (i > 0 && page[i - 1] == '=') quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string_view::npos;
}

std::string DecodeCharacterReferences(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kReferences[] = {
      {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&#39;", '\''}, {"&#34;", '"'}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [name, c] : kReferences) {
        if (FindNoCase(text.substr(i, name.size()), name) == 0 && text.size() - i >= name.size()) {
          out.push_back(c);
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(text[i++]);
  }
  return out;
}

// The VALUE attribute within page[tagStart, tagEnd).
bool ValueInTag(std::string_view tag, std::string& value) {
  constexpr std::string_view kValue = "VALUE=";
  std::size_t from = 0;
  while (true) {
    const std::size_t found = FindNoCase(tag.substr(from), kValue);
    if (found == std::string_view::npos) return false;
    const std::size_t at = from + found;
    from = at + 1;
    if (at == 0 || !IsAttributeGap(tag[at - 1])) continue;  // "XVALUE=" is another attribute
    std::string_view rest = tag.substr(at + kValue.size());
    std::string_view raw;
    if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
      const std::size_t close = rest.find(rest.front(), 1);
      if (close == std::string_view::npos) return false;
      raw = rest.substr(1, close - 1);
    } else {
      raw = rest.substr(0, std::min(rest.find_first_of(" \t\r\n>"), rest.size()));
    }
    value = DecodeCharacterReferences(raw);
    return true;
  }
}

void ClearRecord(std::int32_t type, WizardState& state) {
  switch (type) {
    case kWanDynamicIp: state.DynamicIpSettings = {}; break;
    case kWanStaticIp: state.StaticIpSettings = {}; break;
    case kWanPppoe: state.PppoeSettings = {}; break;
    case kWanPptp: state.PptpSettings = {}; break;
    case kWanL2tp: state.L2tpSettings = {}; break;
    case kWanBigPond: state.BigPondSettings = {}; break;
    case kWanTelia: state.TeliaSettings = {}; break;
    default: break;
  }
}

// Reads one field into a record text; the result is the extraction's.
template <class Text>
bool Take(std::string_view page, std::string_view anchor, Text& field) {
  std::string value;
  if (!ReadFormFieldValue(page, anchor, value)) return false;
  field = value;
  return true;
}

// The PPTP/L2TP server: written by a script as unescape("...").
bool TakeServer(const std::string& page, FixedText<129>& field) {
  std::string escaped;
  if (!ExtractValueAfter(page, "NAME=DI0", "unescape(\"", "\"", escaped)) return false;
  field = UrlDecode(escaped);
  return true;
}

bool ReadVpnFields(const std::string& page, PptpSettings& r, WanSettingsReading& reading) {
  Take(page, "NAME=WI", r.ipAddress);
  Take(page, "NAME=WN", r.subnetMask);
  Take(page, "NAME=WG", r.gateway);
  TakeServer(page, r.server);
  const bool last = Take(page, "NAME=IU0", r.userName);
  reading.staticAddress = !(r.ipAddress == "0.0.0.0" && r.subnetMask == "0.0.0.0" && r.gateway == "0.0.0.0");
  return last;
}

// Fills the record of `type` from the form; the result is the last extraction's.
bool ReadFields(std::int32_t type, const std::string& page, WizardState& state, WanSettingsReading& reading) {
  switch (type) {
    case kWanDynamicIp:
      reading.macFound = Take(page, "NAME=En", state.DynamicIpSettings.macAddress);
      return reading.macFound;
    case kWanStaticIp: {
      StaticIpSettings& r = state.StaticIpSettings;
      Take(page, "NAME=WI", r.ipAddress);
      Take(page, "NAME=WN", r.subnetMask);
      Take(page, "NAME=WG", r.gateway);
      Take(page, "NAME=ID00", r.primaryDns);
      return Take(page, "NAME=ID01", r.secondaryDns);
    }
    case kWanPppoe:
      Take(page, "NAME=IU0", state.PppoeSettings.userName);
      return Take(page, "NAME=IT0", state.PppoeSettings.serviceName);
    case kWanPptp: return ReadVpnFields(page, state.PptpSettings, reading);
    case kWanL2tp: return ReadVpnFields(page, state.L2tpSettings, reading);
    case kWanBigPond:
      Take(page, "NAME=IU0", state.BigPondSettings.userName);
      return Take(page, "NAME=IT0", state.BigPondSettings.loginServer);
    case kWanTelia: return Take(page, "NAME=IU0", state.TeliaSettings.userName);
    default: return false;
  }
}

}  // namespace

bool ReadFormFieldValue(std::string_view page, std::string_view nameAnchor, std::string& value) {
  page = page.substr(0, std::min(page.size(), kScanHorizon));
  std::size_t from = 0;
  while (from < page.size()) {
    const std::size_t found = FindNoCase(page.substr(from), nameAnchor);
    if (found == std::string_view::npos) return false;
    const std::size_t at = from + found;
    from = at + 1;
    const std::size_t after = at + nameAnchor.size();
    if (after < page.size() && IsNameChar(page[after])) continue;  // "NAME=ID0" inside "NAME=ID00"
    const std::size_t tagStart = page.rfind('<', at);
    if (tagStart == std::string_view::npos) continue;
    const std::size_t tagEnd = TagEnd(page, tagStart + 1);
    if (tagEnd == std::string_view::npos || tagEnd < at) continue;
    if (ValueInTag(page.substr(tagStart, tagEnd - tagStart), value)) return true;
  }
  return false;
}

bool ReadWanSettings(WizardState& state, WanSettingsReading& reading) {
  reading = {};
  state.wanType = kWanNone;
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0008", page)) page.clear();
  std::string code;
  if (!ExtractPreceding(page, "<BR>", 4, code)) return false;
  reading.typeCode = code;
  std::int32_t type = kWanNone;
  if (code.find("0000") != std::string::npos) {
    type = kWanStaticIp;
  } else if (code.find("0200") != std::string::npos) {
    type = kWanPppoe;
  } else if (code.find("0300") != std::string::npos) {
    type = kWanPptp;
  } else if (code.find("0700") != std::string::npos) {
    type = kWanL2tp;
  } else if (code.find("0100") != std::string::npos) {
    type = kWanDynamicIp;
    // The provider logins show as dynamic IP; the form tells them apart, but
    // only when it is the form of one of them: a form left on another type
    // (an option read leaves it there) holds fields of that type, and a
    // PPPoE service name is no BigPond login server.
    std::string form;
    if (RouterReadPage(state, "/prim.htm", form)) {
      std::string shown;
      if (ReadFormFieldValue(form, "NAME=Wt", shown)) {
        if (shown == WanTypeCode(kWanBigPond)) type = kWanBigPond;
        else if (shown == WanTypeCode(kWanTelia)) type = kWanTelia;
      } else if (ContainsNoCase(form, "NAME=IT0")) {
        type = kWanBigPond;
      } else if (ContainsNoCase(form, "NAME=IU0")) {
        type = kWanTelia;
      }
    }
  } else {
    return true;  // a code the wizard does not know: type 0, nothing more to read
  }
  state.wanType = type;
  reading.type = type;
  ClearRecord(type, state);
  // The fields come from the form of the stored type, not from whichever
  // form the router shows now.
  std::string form;
  if (!ShowWanForm(type, state, form)) form.clear();
  const bool fields = ReadFields(type, form, state, reading);
  if (type != kWanStaticIp) reading.optionsRead = ReadWanOptions(type, state);
  return fields && (type == kWanStaticIp || reading.optionsRead);
}

const char* WanTypeCode(std::int32_t type) {
  switch (type) {
    case kWanDynamicIp: return "0100";
    case kWanStaticIp: return "0000";
    case kWanPppoe: return "0200";
    case kWanPptp: return "0300";
    case kWanL2tp: return "0700";
    case kWanBigPond: return "0101";
    case kWanTelia: return "0104";
    default: return "";
  }
}

bool ShowWanForm(std::int32_t type, WizardState& state, std::string& page) {
  page.clear();
  const std::string code = WanTypeCode(type);
  if (code.empty()) return false;
  return RouterReadPage(state, "/cgi-bin/want?rd=prim&Wt=" + code, page);
}

LanDomainRead ReadLanDomainName(WizardState& state, std::string& domain) {
  domain.clear();
  std::string page;
  if (!RouterReadPage(state, "/dhcp.htm", page)) {
    state.lanDomainName.Clear();
    return LanDomainRead::kFetchFailed;
  }
  std::string value;
  if (!ReadFormFieldValue(page, "NAME=HD", value)) return LanDomainRead::kFieldMissing;
  state.lanDomainName = value;
  domain = state.lanDomainName.str();
  return LanDomainRead::kRead;
}

}  // namespace kelvane
