// The diagnostic report: one self-contained HTML page that a person can send
// to whoever helps them. It tells the program's version and language, the
// PC's adapter, the router's reads (WAN type, link, address, gateway, DNS;
// wireless name, channel and security), each hop of the last Internet test
// and the session's request log.
//
// No secret reaches it. Every text goes through the traffic log's redaction
// table (RedactCredentials), then every secret the state holds (login word,
// WAN passwords, wireless key; plain, percent-encoded, Base64 of the Basic
// header) is replaced, MAC addresses are cut to their first three bytes, and
// only then is the text escaped for HTML. The wireless key is never read
// into the report.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/host/HostAdapterInfo.h"
#include "state/SessionRecord.h"
#include "state/WizardState.h"

namespace kelvane {

// The report's headings and words, in the user's language (the caller fills
// them from the catalogue).
struct ReportLabels {
  std::string title, version, language, pc, adapter, address, mask, gateway, dns1, dns2, dhcpOn, dhcpOff;
  std::string router, wanType, wanLink, wanAddress, linkUp, linkDown, ssid, channel, security, notRead;
  std::string lastTest, noTest, time, passed, failed, skipped, ignored, requestLog;
  std::array<std::string, 8> wanTypeNames;  // by type code 0..7
};

struct RouterReads {
  bool wanTypeRead = false;
  std::int32_t wanType = kWanNone;
  bool linkRead = false;
  bool linkUp = false;
  bool addressesRead = false;
  std::string wanAddress, gateway, dns;
  bool wirelessRead = false;
  std::string ssid, channel, security;
};

struct DiagnosticReportInput {
  std::string version;
  std::string language;
  bool pcRead = false;
  HostAdapterInfo pc;
  RouterReads router;
  SessionRecord session;
  std::vector<std::string> requestLog;
  // Text of a catalogue string (the hops' texts and the test's title), UTF-8.
  std::function<std::string(std::uint32_t)> text;
};

// Reads what the report shows of the router. Works on a copy of the state:
// the readers clear records that the user's settings live in. Once a read
// gets no answer (nothing connects, or nothing comes back within the
// time-out) the rest are not tried and stay "not read", so a silent router
// costs one request's time-out, not one per read. The report shows the WAN
// address the session read earlier (SessionRecord) when the router gives none.
RouterReads ReadRouterForReport(const WizardState& state);

// Every secret of `state` in every form the program sends it in: plain,
// percent-encoded, and Base64 of "user:password" for a Basic login. Secrets
// shorter than 3 bytes are left out (they would blank ordinary words).
std::vector<std::string> SecretForms(const WizardState& state);

// `text` with every secret form replaced by "<redacted>", the traffic log's
// table applied, and MAC addresses cut to their first three bytes.
std::string ScrubForReport(const std::string& text, const std::vector<std::string>& secrets);

std::string BuildDiagnosticReport(const DiagnosticReportInput& input, const ReportLabels& labels,
                                  const WizardState& state);

}  // namespace kelvane
