#include "language/ReportLabels.h"

namespace kelvane {

ReportLabels MakeReportLabels(const std::function<std::string(StringId)>& t) {
  ReportLabels l;
  l.title = t(kIdReportTitle);
  l.version = t(kIdReportVersion);
  l.language = t(kIdReportLanguage);
  l.pc = t(kIdPictureCaptionPc);
  l.adapter = t(kIdReportAdapter);
  l.address = t(kIdPcIpAddressLabel);
  l.mask = t(kIdPcSubnetMaskLabel);
  l.gateway = t(kIdPcGatewayLabel);
  l.dns1 = t(kIdPcPrimaryDnsLabel);
  l.dns2 = t(kIdPcSecondaryDnsLabel);
  l.dhcpOn = t(kIdObtainAddressAutomatically);
  l.dhcpOff = t(kIdUseThisAddress);
  l.router = t(kIdPictureCaptionRouter);
  l.wanType = t(kIdReportWanType);
  l.wanLink = t(kIdReportWanLink);
  l.wanAddress = t(kIdReportWanAddress);
  l.linkUp = t(kIdReportLinkUp);
  l.linkDown = t(kIdReportLinkDown);
  l.ssid = t(kIdWirelessSsidLabel);
  l.channel = t(kIdWirelessChannelLabel);
  l.security = t(kIdWirelessSecurityLabel);
  l.notRead = t(kIdReportNotRead);
  l.lastTest = t(kIdReportLastTest);
  l.noTest = t(kIdReportNoTest);
  l.time = t(kIdReportTime);
  l.passed = t(kIdVerdictOk);
  l.failed = t(kIdVerdictFailed);
  l.skipped = t(kIdReportSkipped);
  l.ignored = t(kIdReportIgnored);
  l.requestLog = t(kIdReportRequestLog);
  l.wanTypeNames = {"-",
                    t(kIdWanTypeDynamicIp),
                    t(kIdWanTypeStaticIp),
                    t(kIdWanTypePppoe),
                    t(kIdWanTypePptp),
                    t(kIdWanTypeL2tp),
                    "BigPond",
                    "Telia"};
  return l;
}

}  // namespace kelvane
