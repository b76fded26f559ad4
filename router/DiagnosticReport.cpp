#include "router/DiagnosticReport.h"

#include <algorithm>
#include <regex>

#include "net/HttpClient.h"
#include "net/TrafficLog.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"
#include "router/WanSettingsReader.h"

namespace kelvane {

namespace {

constexpr char kRedacted[] = "<redacted>";

std::string Html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  if (what.empty()) return;
  std::size_t at = 0;
  while ((at = text.find(what, at)) != std::string::npos) {
    text.replace(at, what.size(), with);
    at += with.size();
  }
}

void AddSecret(std::vector<std::string>& out, std::string_view secret) {
  if (secret.size() < 3) return;
  out.emplace_back(secret);
  const std::string encoded = UrlEncode(secret);
  if (encoded != secret) out.push_back(encoded);
}

class Writer {
 public:
  explicit Writer(std::vector<std::string> secrets) : secrets_(std::move(secrets)) {}

  // A value as the page shows it: scrubbed, then escaped.
  std::string V(const std::string& value) const { return Html(ScrubForReport(value, secrets_)); }
  void Heading(const std::string& text) { html_ += "<h2>" + V(text) + "</h2>\n<table>\n"; }
  void Row(const std::string& name, const std::string& value) {
    html_ += "<tr><th>" + V(name) + "</th><td>" + V(value) + "</td></tr>\n";
  }
  void EndTable() { html_ += "</table>\n"; }
  void Raw(const std::string& text) { html_ += text; }
  const std::string& Text() const { return html_; }

 private:
  std::vector<std::string> secrets_;
  std::string html_;
};

std::string VerdictWord(const ReportLabels& l, int verdict) {
  switch (verdict) {
    case 1: return l.passed;
    case 0: return l.failed;
    case 2: return l.ignored;
    default: return l.skipped;
  }
}

}  // namespace

RouterReads ReadRouterForReport(const WizardState& state) {
  RouterReads r;
  WizardState copy = state;
  // Each read may wait a request's whole time-out: once one goes
  // unanswered, the rest would too, and are left "could not be read".
  const auto answered = [] {
    switch (LastRouterFailure().kind) {
      case RouterFailureKind::kBadAddress:
      case RouterFailureKind::kNameNotResolved:
      case RouterFailureKind::kNothingAnswers:
      case RouterFailureKind::kConnectionRefused:
      case RouterFailureKind::kConnectFailed:
      case RouterFailureKind::kNoAnswer:
        return false;
      default:
        return true;
    }
  };
  std::uint8_t link = 0;
  r.linkRead = ReadWanLinkStatus(link, copy);
  r.linkUp = link != 0;
  if (!answered()) return r;
  std::uint8_t up = 0;
  r.addressesRead = ReadWanAddresses(up, r.gateway, r.dns, copy, &r.wanAddress);
  if (!answered()) return r;
  std::string key;  // read with the rest, never shown
  std::int32_t mode = kSecurityNone;
  r.wirelessRead = ReadWirelessStatus(r.ssid, r.channel, r.security, key, mode, copy);
  if (!answered()) return r;
  WanSettingsReading reading;
  ReadWanSettings(copy, reading);
  r.wanTypeRead = !reading.typeCode.empty();
  r.wanType = reading.type;
  return r;
}

std::vector<std::string> SecretForms(const WizardState& state) {
  std::vector<std::string> out;
  AddSecret(out, state.loginPassword.view());
  AddSecret(out, state.loginUser.view());  // with a Basic login the word is the user name
  const std::string basic = std::string(state.loginUser.view()) + ":" + std::string(state.loginPassword.view());
  out.push_back(Base64Encode(basic));
  for (const auto* text : {&state.PppoeSettings.password, &state.PptpSettings.password, &state.L2tpSettings.password,
                           &state.BigPondSettings.password, &state.TeliaSettings.password}) {
    AddSecret(out, text->view());
  }
  AddSecret(out, state.WirelessSettings.key.view());
  // Longest first, so a secret that holds another is replaced whole.
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return out;
}

std::string ScrubForReport(const std::string& text, const std::vector<std::string>& secrets) {
  std::string out = RedactCredentials(text);
  for (const std::string& secret : secrets) ReplaceAll(out, secret, kRedacted);
  // A MAC address keeps its maker's part only.
  static const std::regex kMac("([0-9A-Fa-f]{2}[:-][0-9A-Fa-f]{2}[:-][0-9A-Fa-f]{2})[:-][0-9A-Fa-f]{2}[:-][0-9A-Fa-f]{2}[:-][0-9A-Fa-f]{2}");
  static const std::regex kBareMac("\\b([0-9A-Fa-f]{6})[0-9A-Fa-f]{6}\\b");
  out = std::regex_replace(out, kMac, "$1:..");
  return std::regex_replace(out, kBareMac, "$1......");
}

std::string BuildDiagnosticReport(const DiagnosticReportInput& in, const ReportLabels& l, const WizardState& state) {
  Writer w(SecretForms(state));
  w.Raw("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + w.V(l.title) +
        "</title>\n<style>body{font-family:sans-serif;margin:1em}table{border-collapse:collapse;margin-bottom:1em}"
        "th,td{border:1px solid #999;padding:2px 6px;text-align:left}.bad{color:#c00}.good{color:#080}"
        "pre{white-space:pre-wrap;font-size:90%}</style>\n</head>\n<body>\n<h1>" + w.V(l.title) + "</h1>\n<table>\n");
  w.Row(l.version, in.version);
  w.Row(l.language, in.language);
  w.EndTable();

  w.Heading(l.pc);
  if (in.pcRead) {
    const HostAdapterInfo& pc = in.pc;
    w.Row(l.adapter, std::string(pc.adapterName.view()) +
                         (pc.description.empty() ? "" : " (" + std::string(pc.description.view()) + ")"));
    w.Row(l.address, std::string(pc.ipAddress.view()));
    w.Row(l.mask, std::string(pc.subnetMask.view()));
    w.Row(l.gateway, std::string(pc.gateway.view()));
    w.Row(l.dns1, std::string(pc.dnsServer1.view()));
    w.Row(l.dns2, std::string(pc.dnsServer2.view()));
    w.Row("DHCP", pc.dhcpEnabled ? l.dhcpOn : l.dhcpOff);
  } else {
    w.Row(l.adapter, l.notRead);
  }
  w.EndTable();

  const RouterReads& r = in.router;
  const auto orNotRead = [&](bool read, const std::string& value) { return read ? value : l.notRead; };
  w.Heading(l.router);
  const std::size_t type = r.wanType >= 0 && r.wanType < 8 ? static_cast<std::size_t>(r.wanType) : 0;
  w.Row(l.wanType, orNotRead(r.wanTypeRead, l.wanTypeNames[type]));
  w.Row(l.wanLink, orNotRead(r.linkRead, r.linkUp ? l.linkUp : l.linkDown));
  // A router that does not answer now may have told this session its address before.
  const bool earlierAddress = !r.addressesRead && !in.session.wanAddress.empty();
  w.Row(l.wanAddress, earlierAddress ? in.session.wanAddress : orNotRead(r.addressesRead, r.wanAddress));
  w.Row(l.gateway, orNotRead(r.addressesRead, r.gateway));
  w.Row(l.dns1, orNotRead(r.addressesRead, r.dns));
  w.Row(l.ssid, orNotRead(r.wirelessRead, r.ssid));
  w.Row(l.channel, orNotRead(r.wirelessRead, r.channel == "0" ? "Auto" : r.channel));
  w.Row(l.security, orNotRead(r.wirelessRead, r.security));
  w.EndTable();

  const SessionRecord& s = in.session;
  if (s.lastTestTitleId == 0) {
    w.Raw("<h2>" + w.V(l.lastTest) + "</h2>\n<p>" + w.V(l.noTest) + "</p>\n");
  } else {
    w.Raw("<h2>" + w.V(l.lastTest) + ": " + w.V(in.text(s.lastTestTitleId)) + "</h2>\n<table>\n");
    for (const HopRecord& hop : s.lastTest) {
      const char* cls = hop.verdict == 1 ? "good" : hop.verdict == 0 ? "bad" : "";
      w.Raw("<tr><th>" + w.V(in.text(hop.labelId)) + "</th><td class=\"" + cls + "\">" +
            w.V(VerdictWord(l, hop.verdict)) + "</td><td>" + w.V(l.time) + ": " + std::to_string(hop.ms) +
            " ms</td></tr>\n");
    }
    w.EndTable();
    if (s.lastTestResultId != 0) w.Raw("<p class=\"bad\">" + w.V(in.text(s.lastTestResultId)) + "</p>\n");
  }

  w.Raw("<h2>" + w.V(l.requestLog) + "</h2>\n<pre>");
  for (const std::string& line : in.requestLog) w.Raw(w.V(line) + "\n");
  w.Raw("</pre>\n</body>\n</html>\n");
  return w.Text();
}

}  // namespace kelvane
