// Named IDs of every text the wizard takes from a language module. Each
// language module carries all of them (a test checks every module against
// kAllStringIds), so a page never asks for a text that is not there.
#pragma once

#include <array>
#include <cstdint>

namespace kelvane {

using StringId = std::uint32_t;

// Common buttons, title and the cancel prompt
inline constexpr StringId kIdBack = 30001;
inline constexpr StringId kIdNext = 30002;
inline constexpr StringId kIdCancel = 30003;
inline constexpr StringId kIdFinish = 30004;
inline constexpr StringId kIdHelp = 30005;
inline constexpr StringId kIdOk = 30006;
inline constexpr StringId kIdApply = 30007;
inline constexpr StringId kIdProductTitle = 30008;
inline constexpr StringId kIdCancelPromptCaption = 30009;
inline constexpr StringId kIdCancelPromptQuestion = 30010;
inline constexpr StringId kIdYesButton = 30011;
inline constexpr StringId kIdNoButton = 30012;
inline constexpr StringId kIdCancelButton = 30013;
inline constexpr StringId kIdHelpWindowOk = 30014;
inline constexpr StringId kIdRetryButton = 30015;
inline constexpr StringId kIdHelpWindowTitle = 30016;

// Welcome page
inline constexpr StringId kIdWelcomeHeading = 30031;
inline constexpr StringId kIdWelcomeIntro = 30032;
inline constexpr StringId kIdSelectLanguageLabel = 30033;
inline constexpr StringId kIdLanguageGerman = 30686;
inline constexpr StringId kIdLanguageFrench = 30687;
inline constexpr StringId kIdLanguageSpanish = 30688;
inline constexpr StringId kIdLanguageDutch = 30689;
inline constexpr StringId kIdLanguageDanish = 30690;
inline constexpr StringId kIdLanguageItalian = 30691;
inline constexpr StringId kIdLanguageGreek = 30692;
inline constexpr StringId kIdLanguagePortuguese = 30693;
inline constexpr StringId kIdLanguageSwedish = 30694;
inline constexpr StringId kIdLanguageSlovenian = 30695;
inline constexpr StringId kIdLanguageChineseTrad = 30696;
inline constexpr StringId kIdLanguageKorean = 30697;
inline constexpr StringId kIdLanguageRussian = 30698;

// The router did not answer / answered with an error (not a refused login)
inline constexpr StringId kIdRouterDidNotAnswer = 30700;
inline constexpr StringId kIdRouterReportedError = 30701;
// A Basic router's login word cannot hold a colon
inline constexpr StringId kIdLoginWordNoColon = 30702;

// Setup type page
inline constexpr StringId kIdSetupTypeTitle = 30041;
inline constexpr StringId kIdSetupTypeSubtitle = 30042;
inline constexpr StringId kIdEasyMode = 30043;
inline constexpr StringId kIdAdvancedMode = 30044;
inline constexpr StringId kIdEasyModeDescription = 30045;
inline constexpr StringId kIdAdvancedModeDescription = 30046;

// Connectivity check page
inline constexpr StringId kIdConnectivityTitle = 30056;
inline constexpr StringId kIdConnectivitySubtitle = 30057;
inline constexpr StringId kIdConnectivityChecklist = 30058;
inline constexpr StringId kIdCheckingPcNetwork = 30059;
inline constexpr StringId kIdConnectingToRouter = 30060;
inline constexpr StringId kIdCheckingRouterState = 30061;
inline constexpr StringId kIdCheckingRouterDhcp = 30062;
inline constexpr StringId kIdSwitchPcToDhcp = 30063;
inline constexpr StringId kIdRouterDefaultsChanged = 30064;
inline constexpr StringId kIdLoginPasswordLabel = 30065;
inline constexpr StringId kIdPcNetworkNotWorking = 30066;
inline constexpr StringId kIdNoRouterFound = 30067;
inline constexpr StringId kIdRouterLoginFailed = 30068;
inline constexpr StringId kIdConnectivityRouterControlFailed = 30069;
inline constexpr StringId kIdEnableDhcpFailed = 30070;

// Wireless LAN page
inline constexpr StringId kIdWirelessTitle = 30081;
inline constexpr StringId kIdWirelessSubtitle = 30082;
inline constexpr StringId kIdWirelessIntro = 30083;
inline constexpr StringId kIdWirelessInstructions = 30084;
inline constexpr StringId kIdSkipWirelessSetup = 30085;
inline constexpr StringId kIdWirelessSsidLabel = 30086;
inline constexpr StringId kIdWirelessChannelLabel = 30087;
inline constexpr StringId kIdWirelessSecurityLabel = 30088;
inline constexpr StringId kIdWirelessKeyLabel = 30089;
inline constexpr StringId kIdWirelessChannelAuto = 30090;
inline constexpr StringId kIdWirelessSecurityNone = 30091;
inline constexpr StringId kIdWirelessSecurityWep = 30092;
inline constexpr StringId kIdWirelessWep64 = 30093;
inline constexpr StringId kIdWirelessWep128 = 30094;
inline constexpr StringId kIdWirelessWpaPsk = 30095;
inline constexpr StringId kIdWirelessInputError = 30096;
// The router's wireless settings could not be read; try again, or the skip box.
inline constexpr StringId kIdWirelessUnreadable = 30740;
// The router did not show its pass phrase: type one to change it, or leave the box empty to keep it.
inline constexpr StringId kIdWirelessKeyNotShown = 30880;
inline constexpr StringId kIdWirelessSsidError = 30097;
inline constexpr StringId kIdWirelessKeyError = 30098;

// WAN detection page
inline constexpr StringId kIdWanDetectTitle = 30106;
inline constexpr StringId kIdWanDetectSubtitle = 30107;
inline constexpr StringId kIdWanDetectIntro = 30108;
inline constexpr StringId kIdCheckingRouterWan = 30109;
inline constexpr StringId kIdDetectedDynamicIp = 30110;
inline constexpr StringId kIdDetectedPppoe = 30111;
inline constexpr StringId kIdNothingDetectedUsePppoe = 30112;
inline constexpr StringId kIdPcHasPppoeAccount = 30113;
inline constexpr StringId kIdPcHasPptpAccount = 30114;
inline constexpr StringId kIdPcHasL2tpAccount = 30115;
inline constexpr StringId kIdChooseManually = 30116;
inline constexpr StringId kIdChooseWanMyself = 30117;
inline constexpr StringId kIdWanDetectRouterControlFailed = 30118;
inline constexpr StringId kIdWanNotConnected = 30119;

// WAN type selection page
inline constexpr StringId kIdWanSelectTitle = 30131;
inline constexpr StringId kIdWanSelectSubtitle = 30132;
inline constexpr StringId kIdWanSelectInstruction = 30133;
inline constexpr StringId kIdWanTypeDynamicIp = 30134;
inline constexpr StringId kIdWanTypeStaticIp = 30135;
inline constexpr StringId kIdWanTypePppoe = 30136;
inline constexpr StringId kIdWanTypePptp = 30137;
inline constexpr StringId kIdWanTypeL2tp = 30138;

// Static IP page
inline constexpr StringId kIdStaticWanTitle = 30146;
inline constexpr StringId kIdStaticWanSubtitle = 30147;
inline constexpr StringId kIdStaticWanMessage = 30148;
inline constexpr StringId kIdStaticWanInputError = 30149;
inline constexpr StringId kIdStaticIpAddressLabel = 30150;
inline constexpr StringId kIdStaticSubnetMaskLabel = 30151;
inline constexpr StringId kIdStaticGatewayLabel = 30152;
inline constexpr StringId kIdStaticPrimaryDnsLabel = 30153;
inline constexpr StringId kIdStaticSecondaryDnsLabel = 30154;
inline constexpr StringId kIdStaticOptional = 30155;

// PPPoE page
inline constexpr StringId kIdPppoeWanTitle = 30161;
inline constexpr StringId kIdPppoeWanSubtitle = 30162;
inline constexpr StringId kIdPppoeWanMessage = 30163;
inline constexpr StringId kIdPppoeWanInputError = 30164;
inline constexpr StringId kIdPppoeUserNameLabel = 30165;
inline constexpr StringId kIdPppoePasswordLabel = 30166;
inline constexpr StringId kIdPppoeServiceNameLabel = 30167;
inline constexpr StringId kIdPppoeOptional = 30168;

// PPTP page
inline constexpr StringId kIdPptpWanTitle = 30176;
inline constexpr StringId kIdPptpWanSubtitle = 30177;
inline constexpr StringId kIdPptpWanMessage = 30178;
inline constexpr StringId kIdPptpWanInputError = 30179;
inline constexpr StringId kIdPptpIpAddressLabel = 30180;
inline constexpr StringId kIdPptpSubnetMaskLabel = 30181;
inline constexpr StringId kIdPptpGatewayLabel = 30182;
inline constexpr StringId kIdPptpServerLabel = 30183;
inline constexpr StringId kIdPptpUserNameLabel = 30184;
inline constexpr StringId kIdPptpPasswordLabel = 30185;

// L2TP page
inline constexpr StringId kIdL2tpWanTitle = 30196;
inline constexpr StringId kIdL2tpWanSubtitle = 30197;
inline constexpr StringId kIdL2tpWanMessage = 30198;
inline constexpr StringId kIdL2tpWanInputError = 30199;
inline constexpr StringId kIdL2tpIpAddressLabel = 30200;
inline constexpr StringId kIdL2tpSubnetMaskLabel = 30201;
inline constexpr StringId kIdL2tpGatewayLabel = 30202;
inline constexpr StringId kIdL2tpServerLabel = 30203;
inline constexpr StringId kIdL2tpUserNameLabel = 30204;
inline constexpr StringId kIdL2tpPasswordLabel = 30205;

// BigPond, dynamic IP and Telia pages
inline constexpr StringId kIdBigPondLoginServerLabel = 30576;
inline constexpr StringId kIdBigPondWanSubtitle = 30577;
inline constexpr StringId kIdBigPondHelpTitle = 30578;
inline constexpr StringId kIdDynamicWanHelpTitle = 30579;
inline constexpr StringId kIdDynamicWanSubtitle = 30580;
inline constexpr StringId kIdIpModeLabel = 30596;
inline constexpr StringId kIdIpModeDynamic = 30597;
inline constexpr StringId kIdIpModeStatic = 30598;
inline constexpr StringId kIdDynamicWanHelpText = 30642;
inline constexpr StringId kIdTeliaWanTitle = 30656;
inline constexpr StringId kIdTeliaWanSubtitle = 30657;
inline constexpr StringId kIdTeliaWanInputError = 30658;
inline constexpr StringId kIdTeliaWanMessage = 30659;
inline constexpr StringId kIdTeliaPasswordLabel = 30660;
inline constexpr StringId kIdTeliaUserNameLabel = 30661;
inline constexpr StringId kIdTeliaHelpTitle = 30662;
inline constexpr StringId kIdTeliaHelpText = 30663;

// Store settings page
inline constexpr StringId kIdStoreTitle = 30216;
inline constexpr StringId kIdStoreIntro = 30217;
inline constexpr StringId kIdStoreCheckingConnection = 30218;
inline constexpr StringId kIdStoreSaving = 30219;
inline constexpr StringId kIdStoreRestarting = 30220;
inline constexpr StringId kIdStoreSetAgain = 30221;
inline constexpr StringId kIdSkipWanTest = 30222;
inline constexpr StringId kIdStoreConnectionError = 30223;
inline constexpr StringId kIdStoreSavingFailed = 30224;
inline constexpr StringId kIdStoreRestartFailed = 30225;
inline constexpr StringId kIdStoreDone = 30226;
// The router answers at another address now; the PC follows it (the address follows).
inline constexpr StringId kIdStoreRouterMoved = 30741;
// After the restart the router refuses the login word or shows other settings
// than those stored (a factory reset it held took effect): never "in use".
inline constexpr StringId kIdStoreSettingsLost = 31015;
inline constexpr StringId kIdStoreSettingsNotKept = 31016;
inline constexpr StringId kIdStoreSubtitle = 30637;

// WAN test page
inline constexpr StringId kIdWanTestTitle = 30236;
inline constexpr StringId kIdWanTestIntro = 30237;
inline constexpr StringId kIdWanTestCheckingPcRouter = 30238;
inline constexpr StringId kIdWanTestCheckingWanLink = 30239;
inline constexpr StringId kIdWanTestObtainingService = 30240;
inline constexpr StringId kIdWanTestCheckingServiceContent = 30241;
inline constexpr StringId kIdWanTestCheckingGateway = 30242;
inline constexpr StringId kIdWanTestCheckingDns = 30243;
inline constexpr StringId kIdWanTestCheckingProxy = 30244;
inline constexpr StringId kIdCancelWanTest = 30245;
inline constexpr StringId kIdWanTestPcRouterFailed = 30246;
inline constexpr StringId kIdWanTestWanLinkFailed = 30247;
inline constexpr StringId kIdWanTestServiceContentFailed = 30248;
inline constexpr StringId kIdWanTestGatewayFailed = 30249;
inline constexpr StringId kIdWanTestDnsFailed = 30250;
inline constexpr StringId kIdWanTestProxyFailed = 30251;
inline constexpr StringId kIdWanTestFailureAdvice = 30638;
inline constexpr StringId kIdWanTestSubtitle = 30639;

// Finish page
inline constexpr StringId kIdFinishTitle = 30261;
inline constexpr StringId kIdFinishVerified = 30262;
inline constexpr StringId kIdFinishNotVerified = 30263;
inline constexpr StringId kIdOpenBrowserOption = 30264;
inline constexpr StringId kIdFinishSubtitle = 30636;

// Advanced menu and network status
inline constexpr StringId kIdAdvancedMenuTitle = 30276;
inline constexpr StringId kIdAdvancedMenuSubtitle = 30277;
inline constexpr StringId kIdAdvancedMenuInstruction = 30278;
inline constexpr StringId kIdPcNetworkWorks = 30279;
inline constexpr StringId kIdPcAddressNotWorking = 30280;
inline constexpr StringId kIdPcAddressCannotReachRouter = 30281;
inline constexpr StringId kIdStateUnknown = 30282;
inline constexpr StringId kIdRouterWorks = 30283;
inline constexpr StringId kIdRouterNotFound = 30284;
inline constexpr StringId kIdRouterCannotLogIn = 30285;
inline constexpr StringId kIdRouterControlFailed = 30286;
inline constexpr StringId kIdNoInternetService = 30287;
inline constexpr StringId kIdInternetServiceWorks = 30288;
inline constexpr StringId kIdInternetServiceFailed = 30289;
inline constexpr StringId kIdInternetStateUnknown = 30290;
inline constexpr StringId kIdPictureCaptionPc = 30291;
inline constexpr StringId kIdPictureCaptionRouter = 30292;
inline constexpr StringId kIdPictureCaptionInternet = 30293;
inline constexpr StringId kIdRefreshState = 30294;
inline constexpr StringId kIdReadingRouterData = 30295;
inline constexpr StringId kIdSavingRouterData = 30296;
inline constexpr StringId kIdRestartingRouter = 30297;
inline constexpr StringId kIdDone = 30298;
inline constexpr StringId kIdError = 30299;
// The summary of the status check when the login prompt was cancelled.
inline constexpr StringId kIdLoginNotDone = 30300;

// PC network status dialog
inline constexpr StringId kIdPcStatusCaption = 30319;
inline constexpr StringId kIdIpInfoGroup = 30320;
inline constexpr StringId kIdObtainAddressAutomatically = 30321;
inline constexpr StringId kIdUseThisAddress = 30322;
inline constexpr StringId kIdPcIpAddressLabel = 30323;
inline constexpr StringId kIdPcSubnetMaskLabel = 30324;
inline constexpr StringId kIdPcGatewayLabel = 30325;
inline constexpr StringId kIdPcPrimaryDnsLabel = 30326;
inline constexpr StringId kIdPcSecondaryDnsLabel = 30327;
inline constexpr StringId kIdReadAgain = 30328;
inline constexpr StringId kIdUpdate = 30329;

// Internet status dialog
inline constexpr StringId kIdInternetStatusCaption = 30339;
inline constexpr StringId kIdConnectionTestGroup = 30340;
inline constexpr StringId kIdTestGatewayLabel = 30341;
inline constexpr StringId kIdTestDnsLabel = 30342;
inline constexpr StringId kIdTestPublicSiteLabel = 30343;
inline constexpr StringId kIdVerdictOk = 30344;
inline constexpr StringId kIdVerdictFailed = 30345;
inline constexpr StringId kIdTestRouterControlFailed = 30346;
inline constexpr StringId kIdTestWanNotCabled = 30347;
inline constexpr StringId kIdTestWanNoAddress = 30348;
inline constexpr StringId kIdTestAgain = 30349;

// Router login prompt
inline constexpr StringId kIdLoginPromptCaption = 30311;
inline constexpr StringId kIdLoginPasswordDiffers = 30312;
inline constexpr StringId kIdLoginPromptMessage = 30313;

// Advanced sheet
inline constexpr StringId kIdAdvancedOk = 30359;
inline constexpr StringId kIdAdvancedCancel = 30360;
inline constexpr StringId kIdAdvancedHelp = 30361;
inline constexpr StringId kIdRouterManagementTitle = 30362;
inline constexpr StringId kIdTabLan = 30363;
inline constexpr StringId kIdTabWireless = 30364;
inline constexpr StringId kIdTabWan = 30365;
inline constexpr StringId kIdTabSystem = 30366;

// Advanced LAN page
inline constexpr StringId kIdAdvLanIntro = 30374;
inline constexpr StringId kIdAdvLanIpAddressLabel = 30375;
inline constexpr StringId kIdAdvLanSubnetMaskLabel = 30376;
inline constexpr StringId kIdAdvLanNetworkNameLabel = 30377;
inline constexpr StringId kIdAdvLanRead = 30378;
inline constexpr StringId kIdAdvLanSave = 30379;
inline constexpr StringId kIdAdvLanRestart = 30380;
inline constexpr StringId kIdAdvLanSaving = 30381;
inline constexpr StringId kIdAdvLanSaved = 30382;
inline constexpr StringId kIdAdvLanSaveFailed = 30383;

// Advanced wireless page
inline constexpr StringId kIdAdvWirelessIntro = 30394;
inline constexpr StringId kIdAdvWirelessSsidLabel = 30395;
inline constexpr StringId kIdAdvWirelessChannelLabel = 30396;
inline constexpr StringId kIdAdvWirelessSecurityLabel = 30397;
inline constexpr StringId kIdAdvWirelessCipherLabel = 30398;
inline constexpr StringId kIdAdvWirelessKeyLabel = 30399;
inline constexpr StringId kIdAdvWirelessChannelAuto = 30400;
inline constexpr StringId kIdAdvWirelessSecurityNone = 30401;
inline constexpr StringId kIdAdvWirelessRead = 30402;
inline constexpr StringId kIdAdvWirelessSave = 30403;
inline constexpr StringId kIdAdvWirelessRestart = 30404;
inline constexpr StringId kIdAdvWirelessSaving = 30405;
inline constexpr StringId kIdAdvWirelessSaved = 30406;
inline constexpr StringId kIdAdvWirelessSaveFailed = 30407;
inline constexpr StringId kIdAdvWirelessWpa = 30626;
inline constexpr StringId kIdAdvWirelessWpa2 = 30627;
inline constexpr StringId kIdAdvWirelessWpa2Psk = 30628;
inline constexpr StringId kIdAdvWirelessWpaWpa2Psk = 30629;

// Advanced WAN page
inline constexpr StringId kIdAdvWanIntro = 30414;
inline constexpr StringId kIdAdvWanServiceLabel = 30415;
inline constexpr StringId kIdAdvWanCannotBeSet = 30416;
inline constexpr StringId kIdAdvWanDynamicIp = 30417;
inline constexpr StringId kIdAdvWanStaticIp = 30418;
inline constexpr StringId kIdAdvWanObtainAutomatically = 30419;
inline constexpr StringId kIdAdvWanSetManually = 30420;
inline constexpr StringId kIdAdvWanRead = 30421;
inline constexpr StringId kIdAdvWanSave = 30422;
inline constexpr StringId kIdAdvWanRestart = 30423;
inline constexpr StringId kIdAdvWanSaving = 30424;
inline constexpr StringId kIdAdvWanSaved = 30425;
inline constexpr StringId kIdAdvWanSaveFailed = 30426;
inline constexpr StringId kIdAdvWanMacLabel = 30427;
inline constexpr StringId kIdAdvWanCloneMac = 30428;
inline constexpr StringId kIdConnectionControlLabel = 30456;
inline constexpr StringId kIdConnectAutomatically = 30457;
inline constexpr StringId kIdConnectOnDemand = 30458;
inline constexpr StringId kIdConnectManually = 30459;

// Advanced system page
inline constexpr StringId kIdAdvSystemIntro = 30434;
inline constexpr StringId kIdAdvSystemRestart = 30435;
inline constexpr StringId kIdAdvSystemRestoreDefaults = 30436;
inline constexpr StringId kIdAdvSystemPasswordGroup = 30437;
inline constexpr StringId kIdAdvSystemCurrentPasswordLabel = 30438;
inline constexpr StringId kIdAdvSystemNewPasswordLabel = 30439;
inline constexpr StringId kIdAdvSystemConfirmPasswordLabel = 30440;
inline constexpr StringId kIdAdvSystemChangePassword = 30441;
inline constexpr StringId kIdAdvSystemOpenWebPage = 30442;
inline constexpr StringId kIdAdvSystemConfirmRestart = 30443;
inline constexpr StringId kIdAdvSystemConfirmRestore = 30444;
inline constexpr StringId kIdAdvSystemConfirmPassword = 30445;
inline constexpr StringId kIdAdvSystemWorking = 30446;
inline constexpr StringId kIdAdvSystemDone = 30447;
inline constexpr StringId kIdAdvSystemDoneAfterRestart = 30448;
inline constexpr StringId kIdAdvSystemFailed = 30449;
// The router moved to its new network and the PC got no address there.
inline constexpr StringId kIdAdvRenewFailedTryAgain = 30720;
// The router refused a password change: the current password was not its login word.
inline constexpr StringId kIdAdvSystemCurrentPasswordRefused = 30860;
inline constexpr StringId kIdAdvSystemInputError = 30450;

// Help titles
inline constexpr StringId kIdHelpTitleAdvancedMenu = 30526;
inline constexpr StringId kIdHelpTitleConnectivity = 30527;
inline constexpr StringId kIdHelpTitleWireless = 30528;
inline constexpr StringId kIdHelpTitleWanDetect = 30529;
inline constexpr StringId kIdHelpTitleWanSelect = 30530;
inline constexpr StringId kIdHelpTitleStaticWan = 30531;
inline constexpr StringId kIdHelpTitlePppoeWan = 30532;
inline constexpr StringId kIdHelpTitlePptpWan = 30533;
inline constexpr StringId kIdHelpTitleL2tpWan = 30534;
inline constexpr StringId kIdHelpTitleStore = 30535;
inline constexpr StringId kIdHelpTitleWanTest = 30536;
inline constexpr StringId kIdHelpTitleFinish = 30537;
inline constexpr StringId kIdHelpTitleAdvLan = 30538;
inline constexpr StringId kIdHelpTitleAdvWireless = 30539;
inline constexpr StringId kIdHelpTitleAdvWan = 30540;
inline constexpr StringId kIdHelpTitleAdvSystem = 30541;
inline constexpr StringId kIdHelpTitleSetupType = 30640;
inline constexpr StringId kIdHelpTitleWelcome = 30643;

// Help texts
inline constexpr StringId kIdHelpTextAdvancedMenu = 30486;
inline constexpr StringId kIdHelpTextConnectivity = 30487;
inline constexpr StringId kIdHelpTextWireless = 30488;
inline constexpr StringId kIdHelpTextWanDetect = 30489;
inline constexpr StringId kIdHelpTextWanSelect = 30490;
inline constexpr StringId kIdHelpTextStaticWan = 30491;
inline constexpr StringId kIdHelpTextPppoeWan = 30492;
inline constexpr StringId kIdHelpTextPptpWan = 30493;
inline constexpr StringId kIdHelpTextL2tpWan = 30494;
inline constexpr StringId kIdHelpTextStore = 30495;
inline constexpr StringId kIdHelpTextWanTest = 30496;
inline constexpr StringId kIdHelpTextFinish = 30497;
inline constexpr StringId kIdHelpTextAdvLan = 30498;
inline constexpr StringId kIdHelpTextAdvWireless = 30499;
inline constexpr StringId kIdHelpTextAdvWan = 30500;
inline constexpr StringId kIdHelpTextAdvSystem = 30501;
inline constexpr StringId kIdHelpTextSetupType = 30641;
inline constexpr StringId kIdHelpTextWelcome = 30644;
// The desktop entry's Comment and the AppStream summary; the desktop entry's
// GenericName (read at build time, not by the wizard).
inline constexpr StringId kIdDesktopSummary = 30790;
inline constexpr StringId kIdDesktopGenericName = 30791;

// Wireless code for phones, the diagnostic report, the provider's translation note
inline constexpr StringId kIdShowKey = 30800;
inline constexpr StringId kIdKeyRuleWep = 30801;
inline constexpr StringId kIdKeyRuleWpa = 30802;
inline constexpr StringId kIdConfirmNoSecurity = 30803;
inline constexpr StringId kIdSsidEmpty = 30804;
inline constexpr StringId kIdSsidTooLong = 30805;
inline constexpr StringId kIdSsidBadCharacter = 30806;
inline constexpr StringId kIdKeyTooShort = 30807;
inline constexpr StringId kIdKeyTooLong = 30808;
inline constexpr StringId kIdWepKeyWrongLength = 30809;
inline constexpr StringId kIdKeyBadCharacter = 30810;
inline constexpr StringId kIdWifiCodeHint = 30811;
inline constexpr StringId kIdSaveCard = 30812;
inline constexpr StringId kIdWifiCardTitle = 30813;
inline constexpr StringId kIdPngImage = 30814;
inline constexpr StringId kIdPdfDocument = 30815;
inline constexpr StringId kIdFileNotSaved = 30816;
inline constexpr StringId kIdWifiCodeButton = 30817;
inline constexpr StringId kIdWifiCodeCaption = 30818;
inline constexpr StringId kIdTranslatedWanNote = 30819;
inline constexpr StringId kIdSaveReport = 30820;
inline constexpr StringId kIdReportTitle = 30821;
inline constexpr StringId kIdReportVersion = 30822;
inline constexpr StringId kIdReportLanguage = 30823;
inline constexpr StringId kIdReportAdapter = 30824;
inline constexpr StringId kIdReportWanType = 30825;
inline constexpr StringId kIdReportWanLink = 30826;
inline constexpr StringId kIdReportWanAddress = 30827;
inline constexpr StringId kIdReportLinkUp = 30828;
inline constexpr StringId kIdReportLinkDown = 30829;
inline constexpr StringId kIdReportNotRead = 30830;
inline constexpr StringId kIdReportLastTest = 30831;
inline constexpr StringId kIdReportNoTest = 30832;
inline constexpr StringId kIdReportTime = 30833;
inline constexpr StringId kIdReportSkipped = 30834;
inline constexpr StringId kIdReportIgnored = 30835;
inline constexpr StringId kIdReportRequestLog = 30836;
inline constexpr StringId kIdHtmlFile = 30837;
inline constexpr StringId kIdStepCannotBeInterrupted = 30750;
inline constexpr StringId kIdStartSocketsFailed = 30751;
inline constexpr StringId kIdStartWarningCaption = 30752;
inline constexpr StringId kIdStartCompanionRunning = 30753;
inline constexpr StringId kIdStartModuleMissing = 30754;
inline constexpr StringId kIdStartErrorCaption = 30755;
// The texts of the wait strip beside a long wait's progress bar.
inline constexpr StringId kIdWaitRouterRestartKnown = 30930;
inline constexpr StringId kIdWaitRouterConnection = 30931;
inline constexpr StringId kIdWaitPcAddress = 30932;
inline constexpr StringId kIdWaitReadRouter = 30933;
inline constexpr StringId kIdWaitStoreRouter = 30934;
inline constexpr StringId kIdWaitInternetTest = 30935;
inline constexpr StringId kIdWaitRouterRestart = 30936;
// What the router sheet's LAN tab says about a field it refuses.
inline constexpr StringId kIdLanAddressUnusable = 30980;
inline constexpr StringId kIdLanDomainUnusable = 30981;
// What a router tab says when the router did not come back after a restart,
// refused the login, or answered a read with a page that could not be read.
inline constexpr StringId kIdRouterNotBackAfterRestart = 30990;
inline constexpr StringId kIdRouterRefusedLogin = 30991;
inline constexpr StringId kIdRouterPageNotUnderstood = 30992;
// The finish page when no browser would open the router's pages.
inline constexpr StringId kIdBrowserNotOpened = 30995;
// The WAN test's notes on provider hosts that work but ignore echo requests.
inline constexpr StringId kIdWanTestDnsIgnoresEcho = 31010;
inline constexpr StringId kIdWanTestGatewayIgnoresEcho = 31011;
inline constexpr StringId kIdWanTestBothIgnoreEcho = 31012;

// Every ID above, in the order of this file.
inline constexpr auto kAllStringIds = std::to_array<StringId>({
    kIdBack,
    kIdNext,
    kIdCancel,
    kIdFinish,
    kIdHelp,
    kIdOk,
    kIdApply,
    kIdProductTitle,
    kIdCancelPromptCaption,
    kIdCancelPromptQuestion,
    kIdYesButton,
    kIdNoButton,
    kIdCancelButton,
    kIdHelpWindowOk,
    kIdRetryButton,
    kIdHelpWindowTitle,
    kIdWelcomeHeading,
    kIdWelcomeIntro,
    kIdSelectLanguageLabel,
    kIdLanguageGerman,
    kIdLanguageFrench,
    kIdLanguageSpanish,
    kIdLanguageDutch,
    kIdLanguageDanish,
    kIdLanguageItalian,
    kIdLanguageGreek,
    kIdLanguagePortuguese,
    kIdLanguageSwedish,
    kIdLanguageSlovenian,
    kIdLanguageChineseTrad,
    kIdLanguageKorean,
    kIdLanguageRussian,
    kIdRouterDidNotAnswer,
    kIdRouterReportedError,
    kIdLoginWordNoColon,
    kIdSetupTypeTitle,
    kIdSetupTypeSubtitle,
    kIdEasyMode,
    kIdAdvancedMode,
    kIdEasyModeDescription,
    kIdAdvancedModeDescription,
    kIdConnectivityTitle,
    kIdConnectivitySubtitle,
    kIdConnectivityChecklist,
    kIdCheckingPcNetwork,
    kIdConnectingToRouter,
    kIdCheckingRouterState,
    kIdCheckingRouterDhcp,
    kIdSwitchPcToDhcp,
    kIdRouterDefaultsChanged,
    kIdLoginPasswordLabel,
    kIdPcNetworkNotWorking,
    kIdNoRouterFound,
    kIdRouterLoginFailed,
    kIdConnectivityRouterControlFailed,
    kIdEnableDhcpFailed,
    kIdWirelessTitle,
    kIdWirelessSubtitle,
    kIdWirelessIntro,
    kIdWirelessInstructions,
    kIdSkipWirelessSetup,
    kIdWirelessSsidLabel,
    kIdWirelessChannelLabel,
    kIdWirelessSecurityLabel,
    kIdWirelessKeyLabel,
    kIdWirelessChannelAuto,
    kIdWirelessSecurityNone,
    kIdWirelessSecurityWep,
    kIdWirelessWep64,
    kIdWirelessWep128,
    kIdWirelessWpaPsk,
    kIdWirelessInputError,
    kIdWirelessUnreadable,
    kIdWirelessKeyNotShown,
    kIdWirelessSsidError,
    kIdWirelessKeyError,
    kIdWanDetectTitle,
    kIdWanDetectSubtitle,
    kIdWanDetectIntro,
    kIdCheckingRouterWan,
    kIdDetectedDynamicIp,
    kIdDetectedPppoe,
    kIdNothingDetectedUsePppoe,
    kIdPcHasPppoeAccount,
    kIdPcHasPptpAccount,
    kIdPcHasL2tpAccount,
    kIdChooseManually,
    kIdChooseWanMyself,
    kIdWanDetectRouterControlFailed,
    kIdWanNotConnected,
    kIdWanSelectTitle,
    kIdWanSelectSubtitle,
    kIdWanSelectInstruction,
    kIdWanTypeDynamicIp,
    kIdWanTypeStaticIp,
    kIdWanTypePppoe,
    kIdWanTypePptp,
    kIdWanTypeL2tp,
    kIdStaticWanTitle,
    kIdStaticWanSubtitle,
    kIdStaticWanMessage,
    kIdStaticWanInputError,
    kIdStaticIpAddressLabel,
    kIdStaticSubnetMaskLabel,
    kIdStaticGatewayLabel,
    kIdStaticPrimaryDnsLabel,
    kIdStaticSecondaryDnsLabel,
    kIdStaticOptional,
    kIdPppoeWanTitle,
    kIdPppoeWanSubtitle,
    kIdPppoeWanMessage,
    kIdPppoeWanInputError,
    kIdPppoeUserNameLabel,
    kIdPppoePasswordLabel,
    kIdPppoeServiceNameLabel,
    kIdPppoeOptional,
    kIdPptpWanTitle,
    kIdPptpWanSubtitle,
    kIdPptpWanMessage,
    kIdPptpWanInputError,
    kIdPptpIpAddressLabel,
    kIdPptpSubnetMaskLabel,
    kIdPptpGatewayLabel,
    kIdPptpServerLabel,
    kIdPptpUserNameLabel,
    kIdPptpPasswordLabel,
    kIdL2tpWanTitle,
    kIdL2tpWanSubtitle,
    kIdL2tpWanMessage,
    kIdL2tpWanInputError,
    kIdL2tpIpAddressLabel,
    kIdL2tpSubnetMaskLabel,
    kIdL2tpGatewayLabel,
    kIdL2tpServerLabel,
    kIdL2tpUserNameLabel,
    kIdL2tpPasswordLabel,
    kIdBigPondLoginServerLabel,
    kIdBigPondWanSubtitle,
    kIdBigPondHelpTitle,
    kIdDynamicWanHelpTitle,
    kIdDynamicWanSubtitle,
    kIdIpModeLabel,
    kIdIpModeDynamic,
    kIdIpModeStatic,
    kIdDynamicWanHelpText,
    kIdTeliaWanTitle,
    kIdTeliaWanSubtitle,
    kIdTeliaWanInputError,
    kIdTeliaWanMessage,
    kIdTeliaPasswordLabel,
    kIdTeliaUserNameLabel,
    kIdTeliaHelpTitle,
    kIdTeliaHelpText,
    kIdStoreTitle,
    kIdStoreIntro,
    kIdStoreCheckingConnection,
    kIdStoreSaving,
    kIdStoreRestarting,
    kIdStoreSetAgain,
    kIdSkipWanTest,
    kIdStoreConnectionError,
    kIdStoreSavingFailed,
    kIdStoreRestartFailed,
    kIdStoreDone,
    kIdStoreRouterMoved,
    kIdStoreSettingsLost,
    kIdStoreSettingsNotKept,
    kIdStoreSubtitle,
    kIdWanTestTitle,
    kIdWanTestIntro,
    kIdWanTestCheckingPcRouter,
    kIdWanTestCheckingWanLink,
    kIdWanTestObtainingService,
    kIdWanTestCheckingServiceContent,
    kIdWanTestCheckingGateway,
    kIdWanTestCheckingDns,
    kIdWanTestCheckingProxy,
    kIdCancelWanTest,
    kIdWanTestPcRouterFailed,
    kIdWanTestWanLinkFailed,
    kIdWanTestServiceContentFailed,
    kIdWanTestGatewayFailed,
    kIdWanTestDnsFailed,
    kIdWanTestProxyFailed,
    kIdWanTestFailureAdvice,
    kIdWanTestSubtitle,
    kIdFinishTitle,
    kIdFinishVerified,
    kIdFinishNotVerified,
    kIdOpenBrowserOption,
    kIdFinishSubtitle,
    kIdAdvancedMenuTitle,
    kIdAdvancedMenuSubtitle,
    kIdAdvancedMenuInstruction,
    kIdPcNetworkWorks,
    kIdPcAddressNotWorking,
    kIdPcAddressCannotReachRouter,
    kIdStateUnknown,
    kIdRouterWorks,
    kIdRouterNotFound,
    kIdRouterCannotLogIn,
    kIdRouterControlFailed,
    kIdNoInternetService,
    kIdInternetServiceWorks,
    kIdInternetServiceFailed,
    kIdInternetStateUnknown,
    kIdPictureCaptionPc,
    kIdPictureCaptionRouter,
    kIdPictureCaptionInternet,
    kIdRefreshState,
    kIdReadingRouterData,
    kIdSavingRouterData,
    kIdRestartingRouter,
    kIdDone,
    kIdError,
    kIdLoginNotDone,
    kIdPcStatusCaption,
    kIdIpInfoGroup,
    kIdObtainAddressAutomatically,
    kIdUseThisAddress,
    kIdPcIpAddressLabel,
    kIdPcSubnetMaskLabel,
    kIdPcGatewayLabel,
    kIdPcPrimaryDnsLabel,
    kIdPcSecondaryDnsLabel,
    kIdReadAgain,
    kIdUpdate,
    kIdInternetStatusCaption,
    kIdConnectionTestGroup,
    kIdTestGatewayLabel,
    kIdTestDnsLabel,
    kIdTestPublicSiteLabel,
    kIdVerdictOk,
    kIdVerdictFailed,
    kIdTestRouterControlFailed,
    kIdTestWanNotCabled,
    kIdTestWanNoAddress,
    kIdTestAgain,
    kIdLoginPromptCaption,
    kIdLoginPasswordDiffers,
    kIdLoginPromptMessage,
    kIdAdvancedOk,
    kIdAdvancedCancel,
    kIdAdvancedHelp,
    kIdRouterManagementTitle,
    kIdTabLan,
    kIdTabWireless,
    kIdTabWan,
    kIdTabSystem,
    kIdAdvLanIntro,
    kIdAdvLanIpAddressLabel,
    kIdAdvLanSubnetMaskLabel,
    kIdAdvLanNetworkNameLabel,
    kIdAdvLanRead,
    kIdAdvLanSave,
    kIdAdvLanRestart,
    kIdAdvLanSaving,
    kIdAdvLanSaved,
    kIdAdvLanSaveFailed,
    kIdAdvWirelessIntro,
    kIdAdvWirelessSsidLabel,
    kIdAdvWirelessChannelLabel,
    kIdAdvWirelessSecurityLabel,
    kIdAdvWirelessCipherLabel,
    kIdAdvWirelessKeyLabel,
    kIdAdvWirelessChannelAuto,
    kIdAdvWirelessSecurityNone,
    kIdAdvWirelessRead,
    kIdAdvWirelessSave,
    kIdAdvWirelessRestart,
    kIdAdvWirelessSaving,
    kIdAdvWirelessSaved,
    kIdAdvWirelessSaveFailed,
    kIdAdvWirelessWpa,
    kIdAdvWirelessWpa2,
    kIdAdvWirelessWpa2Psk,
    kIdAdvWirelessWpaWpa2Psk,
    kIdAdvWanIntro,
    kIdAdvWanServiceLabel,
    kIdAdvWanCannotBeSet,
    kIdAdvWanDynamicIp,
    kIdAdvWanStaticIp,
    kIdAdvWanObtainAutomatically,
    kIdAdvWanSetManually,
    kIdAdvWanRead,
    kIdAdvWanSave,
    kIdAdvWanRestart,
    kIdAdvWanSaving,
    kIdAdvWanSaved,
    kIdAdvWanSaveFailed,
    kIdAdvWanMacLabel,
    kIdAdvWanCloneMac,
    kIdConnectionControlLabel,
    kIdConnectAutomatically,
    kIdConnectOnDemand,
    kIdConnectManually,
    kIdAdvSystemIntro,
    kIdAdvSystemRestart,
    kIdAdvSystemRestoreDefaults,
    kIdAdvSystemPasswordGroup,
    kIdAdvSystemCurrentPasswordLabel,
    kIdAdvSystemNewPasswordLabel,
    kIdAdvSystemConfirmPasswordLabel,
    kIdAdvSystemChangePassword,
    kIdAdvSystemOpenWebPage,
    kIdAdvSystemConfirmRestart,
    kIdAdvSystemConfirmRestore,
    kIdAdvSystemConfirmPassword,
    kIdAdvSystemWorking,
    kIdAdvSystemDone,
    kIdAdvSystemDoneAfterRestart,
    kIdAdvSystemFailed,
    kIdAdvRenewFailedTryAgain,
    kIdAdvSystemCurrentPasswordRefused,
    kIdAdvSystemInputError,
    kIdHelpTitleAdvancedMenu,
    kIdHelpTitleConnectivity,
    kIdHelpTitleWireless,
    kIdHelpTitleWanDetect,
    kIdHelpTitleWanSelect,
    kIdHelpTitleStaticWan,
    kIdHelpTitlePppoeWan,
    kIdHelpTitlePptpWan,
    kIdHelpTitleL2tpWan,
    kIdHelpTitleStore,
    kIdHelpTitleWanTest,
    kIdHelpTitleFinish,
    kIdHelpTitleAdvLan,
    kIdHelpTitleAdvWireless,
    kIdHelpTitleAdvWan,
    kIdHelpTitleAdvSystem,
    kIdHelpTitleSetupType,
    kIdHelpTitleWelcome,
    kIdHelpTextAdvancedMenu,
    kIdHelpTextConnectivity,
    kIdHelpTextWireless,
    kIdHelpTextWanDetect,
    kIdHelpTextWanSelect,
    kIdHelpTextStaticWan,
    kIdHelpTextPppoeWan,
    kIdHelpTextPptpWan,
    kIdHelpTextL2tpWan,
    kIdHelpTextStore,
    kIdHelpTextWanTest,
    kIdHelpTextFinish,
    kIdHelpTextAdvLan,
    kIdHelpTextAdvWireless,
    kIdHelpTextAdvWan,
    kIdHelpTextAdvSystem,
    kIdHelpTextSetupType,
    kIdHelpTextWelcome,
    kIdDesktopSummary,
    kIdDesktopGenericName,
    kIdShowKey,
    kIdKeyRuleWep,
    kIdKeyRuleWpa,
    kIdConfirmNoSecurity,
    kIdSsidEmpty,
    kIdSsidTooLong,
    kIdSsidBadCharacter,
    kIdKeyTooShort,
    kIdKeyTooLong,
    kIdWepKeyWrongLength,
    kIdKeyBadCharacter,
    kIdWifiCodeHint,
    kIdSaveCard,
    kIdWifiCardTitle,
    kIdPngImage,
    kIdPdfDocument,
    kIdFileNotSaved,
    kIdWifiCodeButton,
    kIdWifiCodeCaption,
    kIdTranslatedWanNote,
    kIdSaveReport,
    kIdReportTitle,
    kIdReportVersion,
    kIdReportLanguage,
    kIdReportAdapter,
    kIdReportWanType,
    kIdReportWanLink,
    kIdReportWanAddress,
    kIdReportLinkUp,
    kIdReportLinkDown,
    kIdReportNotRead,
    kIdReportLastTest,
    kIdReportNoTest,
    kIdReportTime,
    kIdReportSkipped,
    kIdReportIgnored,
    kIdReportRequestLog,
    kIdHtmlFile,
    kIdStepCannotBeInterrupted,
    kIdStartSocketsFailed,
    kIdStartWarningCaption,
    kIdStartCompanionRunning,
    kIdStartModuleMissing,
    kIdStartErrorCaption,
    kIdWaitRouterRestartKnown,
    kIdWaitRouterConnection,
    kIdWaitPcAddress,
    kIdWaitReadRouter,
    kIdWaitStoreRouter,
    kIdWaitInternetTest,
    kIdWaitRouterRestart,
    kIdLanAddressUnusable,
    kIdLanDomainUnusable,
    kIdRouterNotBackAfterRestart,
    kIdRouterRefusedLogin,
    kIdRouterPageNotUnderstood,
    kIdBrowserNotOpened,
    kIdWanTestDnsIgnoresEcho,
    kIdWanTestGatewayIgnoresEcho,
    kIdWanTestBothIgnoreEcho,
});

}  // namespace kelvane
