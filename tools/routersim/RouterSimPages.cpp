#include "tools/routersim/RouterSimPages.h"

namespace kelvane::routersim {
namespace {

bool Classic(const PageContext& c) { return c.layout == PageLayout::kClassic; }
bool Varied(const PageContext& c) { return c.layout == PageLayout::kVaried; }

// The varied layout ends the lines of its status pages in CR LF and those of
// its forms in LF.
constexpr const char* kCrLf = "\r\n";

// The script line that tells the form-login state. Pages of open and Basic
// routers carry none.
std::string LoginScript(const PageContext& c) {
  if (c.state.flavour != LoginFlavour::kForm) return "";
  std::string s = c.loginFalse ? "var ver=25;login=false;" : "var ver=25;login=true;";
  if (Varied(c)) return "<script type=\"text/javascript\">\r\n" + s + "\r\n</script>\r\n";
  return Classic(c) ? "<SCRIPT>" + s + "</SCRIPT>\n" : "<script>" + s + "</script>\n";
}

// The varied head: a document type, meta data and a style sheet whose
// comment is not an HTML comment (the WAN status page's first HTML comment
// must stay the detection comment).
std::string VariedHead(const std::string& title, const PageContext& c, const char* eol = kCrLf) {
  return std::string("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">") + eol +
         "<html>" + eol + "<head>" + eol +
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">" + eol +
         "<title>" + title + "</title>" + eol +
         "<style type=\"text/css\">/* LMQ-5812 */ body { font-family: Arial; margin: 0 }</style>" + eol +
         LoginScript(c) + "</head>" + eol + "<body bgcolor=\"#FFFFFF\">" + eol;
}

std::string Head(const std::string& title, const PageContext& c) {
  if (Varied(c)) return VariedHead(title, c);
  if (Classic(c)) {
    return "<HTML><HEAD><TITLE>" + title + "</TITLE>\n" + LoginScript(c) + "</HEAD>\n<BODY>\n";
  }
  return "<html><head><meta http-equiv=\"Pragma\" content=\"no-cache\"><title>" + title +
         "</title></head>\n<body class=lmq>\n" + LoginScript(c);
}

std::string Tail(const PageContext& c) {
  if (Varied(c)) return "</body>\r\n</html>\r\n";
  return Classic(c) ? "</BODY></HTML>\n" : "</body></html>\n";
}

std::string Br(const PageContext& c) {
  if (Varied(c)) return "<br>\r\n";
  return Classic(c) ? "<BR>\n" : "<br>";
}

// "Wt" as the status page reports it: the provider logins show as dynamic IP,
// their own form tells them apart.
std::string ReportedType(const std::string& wt) {
  if (wt == kWtBigPond || wt == kWtTelia) return kWtDynamic;
  return wt;
}

std::string SecurityText(const std::string& code) {
  if (code == "0") return "NONE";
  if (code == "1") return "WEP";
  if (code == "2" || code == "3") return "WPA-PSK";
  if (code == "4" || code == "8") return "WPA2-PSK";
  if (code == "5") return "WPA-PSK / WPA2-PSK";
  return "?";
}

std::string WanStatusPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  // The status record: a link that is down shows ",0000"; a link that is up
  // shows no ",0" at all, which also tells that detection has finished.
  std::string page;
  if (Varied(c)) {
    // Decoy codes in a title and in script and style comments before the
    // detection comment, and other HTML comments after it.
    page = VariedHead("WAN (1) Status", c);
    page += "<script type=\"text/javascript\">/* scan (2) (-1) */\r\nvar st = \"" +
            std::string(s.WanLink() ? "2,1F01" : "2,0000") + "\";\r\n</script>\r\n";
    page += "<!--" + s.DetectionCode() + " WAN detection-->\r\n";
    page += "<!-- (-1) (2) (1) -->\r\n";
    page += "<p>WAN link: " + std::string(s.WanLink() ? "up" : "down") + "</p>\r\n";
  } else if (Classic(c)) {
    page = "<!-- WAN " + s.DetectionCode() + " -->\n" + Head("WAN Status", c);
    page += std::string("WAN Status=") + (s.WanLink() ? "1,1001" : "0,0000") + Br(c);
    page += std::string("WAN Type=") + ReportedType(s.wanType) + Br(c);
  } else {
    page = Head("wan", c) + "<!--det" + s.DetectionCode() + " scan-->\n";
    page += "<script>var wst=\"" + std::string(s.WanLink() ? "2,1F01" : "2,0000") + "\";</script>\n";
    page += "<p>link: " + std::string(s.WanLink() ? "up" : "down") + "</p>\n";
  }
  return page + Tail(c);
}

std::string WirelessStatusPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  const std::string escapedPsk = ScriptEscape(s.psk);
  // The pass phrase line, left out in the mixed mode by a router that does
  // not show its phrase there.
  const bool keyShown = s.securityCode != "5" || s.mixedKeyShown;
  auto keyLine = [keyShown](const std::string& line) { return keyShown ? line : std::string(); };
  std::string page = Head(Varied(c) ? "Wireless Key Status" : Classic(c) ? "Wireless Status" : "wlan", c);
  if (Varied(c)) {
    // Every "key" before the "Key" line is a decoy: the title, a comment, the
    // SSID the tests give, and the pass phrase line.
    page += "<!-- hotkey=F5 refreshes; Key=see below -->\r\n";
    page += "SSID=" + s.ssid + Br(c);
    page += "<script type=\"text/javascript\">\r\nvar CSKM1='0';\r\nvar CSKM0='" + s.securityCode +
            "';\r\n</script>\r\n";
    page += "Channel=" + s.channel + Br(c);
    page += "Security=" + SecurityText(s.securityCode) + Br(c);
    page += keyLine("Prechare Key=" + escapedPsk + Br(c));
    page += "Key=" + s.wepKey + Br(c);
  } else if (Classic(c)) {
    page += "<SCRIPT>var CSKM0='" + s.securityCode + "';var CSKM1='0';</SCRIPT>\n";
    page += "SSID=" + s.ssid + Br(c);
    page += "Channel=" + s.channel + Br(c);
    page += "Security=" + SecurityText(s.securityCode) + Br(c);
    page += "Key=" + s.wepKey + Br(c);
    page += keyLine("Prechare Key=" + escapedPsk + Br(c));
  } else {
    page += "<table>\n<tr><td>channel=" + s.channel + "<br></td></tr>\n";
    page += "<tr><td>ssid=" + s.ssid + "<br></td></tr>\n";
    page += "<tr><td>key=" + s.wepKey + "<br></td></tr>\n";
    page += keyLine("<tr><td>prechare key=" + escapedPsk + "<br></td></tr>\n") + "</table>\n";
    page += "<script>var CSKM1='0', CSKM0='" + s.securityCode + "';</script>\n";
  }
  return page + Tail(c);
}

std::string WanAddressPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  const std::string gateway = s.WanGateway(c.nowMs);
  const std::string dns = s.WanDns(c.nowMs);
  const bool up = s.WanUp(c.nowMs);
  std::string page = Head(Classic(c) || Varied(c) ? "WAN Address" : "wan ip", c);
  if (Varied(c)) {
    // Blanks and line ends before the "<BR>".
    page += "<table>\r\n<tr><td>Domain Name Server=" + dns + " \r\n<br></td></tr>\r\n";
    page += "<tr><td>WAN IP=" + (up ? s.ispWanAddress : std::string("0.0.0.0")) + "<br></td></tr>\r\n";
    page += "<tr><td>Gateway=" + gateway + "\r\n<br></td></tr>\r\n</table>\r\n";
  } else if (Classic(c)) {
    page += std::string("WAN IP=") + (up ? s.ispWanAddress : std::string("0.0.0.0")) + Br(c);
    page += "Gateway=" + gateway + Br(c);
    page += "Domain Name Server=" + dns + Br(c);
  } else {
    page += "<table><tr><td>domain name server=" + dns + "<br></td></tr>\n";
    page += "<tr><td>gateway=" + gateway + "<br></td></tr></table>\n";
  }
  return page + Tail(c);
}

std::string WanTypePage(const PageContext& c) {
  std::string page = Head(Classic(c) ? "WAN Type" : "type", c);
  const std::string code = ReportedType(c.state.wanType);
  page += Classic(c) || Varied(c) ? "Wt=" + code + Br(c) : "type:" + code + Br(c);
  return page + Tail(c);
}

std::string GeneralStatusPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  std::string page = Head(Classic(c) ? "Status" : "status", c);
  page += "Model=LMQ-5812" + Br(c);
  page += "LAN IP=" + s.lanAddress + Br(c);
  page += "WAN MAC=" + s.wanMac + Br(c);
  page += std::string("WAN=") + (s.WanUp(c.nowMs) ? "connected" : "not connected") + Br(c);
  return page + Tail(c);
}

std::string SysInfoPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  std::string page = Head(Classic(c) ? "System Information" : "sysinfo", c);
  if (Varied(c)) {
    page += "<script type=\"text/javascript\">\r\n/* A-String */ var info = \"V=2.50;C=" + s.channelMask +
            ";D=" + s.region + ";\";\r\n</script>\r\n";
  } else if (Classic(c)) {
    page += "<!-- A-String D=" + s.region + ";C=" + s.channelMask + ";V=2.50; -->\n";
    page += "Model=LMQ-5812" + Br(c) + "Firmware=2.50" + Br(c);
  } else {
    page += "<p>fw 2.50</p><script>/* A-String */ var C=" + s.channelMask + ";D=" + s.region +
            ";</script>\n";
  }
  return page + Tail(c);
}

// One text field of the form. `quoted` picks VALUE="x" or VALUE=x (followed by
// a blank); the compact layout writes names in lower case and sometimes puts
// VALUE before NAME (only where the wizard looks back for it).
std::string Field(const PageContext& c, const std::string& name, const std::string& value, bool quoted,
                  const std::string& extra = "SIZE=20") {
  const std::string v = quoted ? "\"" + HtmlEscape(value) + "\"" : HtmlEscape(value);
  if (Classic(c)) return "<INPUT NAME=" + name + " VALUE=" + v + " " + extra + ">\n";
  std::string lower;
  for (char ch : name) lower.push_back(static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch));
  std::string lowerExtra;
  for (char ch : extra) lowerExtra.push_back(static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch));
  return "<input " + lowerExtra + " name=" + lower + " value=" + v + " >\n";
}

std::string Boxes(const PageContext& c, const WanForm& f, bool pppoe) {
  auto mark = [&](bool on) { return std::string(on ? (Classic(c) ? "'CHECKED'" : "checked") : (Classic(c) ? "''" : "")); };
  if (Classic(c)) {
    std::string s = "<SCRIPT>var boxes=[ DF00=" + mark(f.df00) + ", DF01=" + mark(f.df01) + ",";
    if (pppoe) s += " DF08=" + mark(f.df08) + ", DF09=" + mark(f.df09) + " ,";
    return s + " 0 ];</SCRIPT>\n";
  }
  std::string s = "<!-- boxes: DF00=" + mark(f.df00) + ", DF01=" + mark(f.df01) + ",";
  if (pppoe) s += "DF08=" + mark(f.df08) + ", DF09=" + mark(f.df09) + " ,";
  return s + " end -->\n";
}

// The varied settings form: LF line ends, attributes in other orders (VALUE
// before NAME, a line break between attributes), unquoted values ended by ">"
// or a line break, the boxes in another order and extra markup.
// The form shows the LAN address the router stores: one taken waits there
// for the restart that moves the router to it.
const std::string& StoredLanAddress(const RouterSimState& s) {
  return s.pendingLanAddress.empty() ? s.lanAddress : s.pendingLanAddress;
}

std::string VariedPrimPage(const PageContext& c, const WanForm& f) {
  const RouterSimState& s = c.state;
  const std::string& t = s.formType;
  auto quoted = [](const std::string& v) { return "\"" + HtmlEscape(v) + "\""; };
  auto box = [](bool on) { return std::string(on ? "'checked'" : "''"); };
  std::string page = VariedHead("Primary Setup", c, "\n");
  page += "<!-- NOTE: fields below are filled in by the router -->\n";
  page += "<form method=get name=prim action=\"/cgi-bin/prim\">\n";
  page += "<input type=hidden value=" + t + " name=Wt>\n";
  page += "<table border=0 cellpadding=2>\n<tr><td class=l>LAN IP</td><td><input size=15\n name=LI value=" +
          quoted(StoredLanAddress(s)) + "></td></tr>\n";
  if (t != kWtStatic) {
    page += "<script type=\"text/javascript\">\nvar f = document.prim;\n DF01=" + box(f.df01) + " , DF00=" +
            box(f.df00) + " ,\n";
    if (t == kWtPppoe) page += " DF09=" + box(f.df09) + ",\n DF08=" + box(f.df08) + " ,\n";
    page += "</script>\n";
  }
  page += "<tr><td>MAC</td><td><input value=" + quoted(s.wanMac) + " name=En maxlength=17>" +
          "<input type=button value=\"Clone\"></td></tr>\n";
  auto row = [&](const std::string& label, const std::string& input) {
    page += "<tr><td class=l>" + label + "</td><td>" + input + "</td></tr>\n";
  };
  if (t == kWtStatic) {
    row("IP address", "<input size=15 name=WI value=" + HtmlEscape(f.Value("WI")) + ">");
    row("Subnet mask", "<input name=WN value=" + HtmlEscape(f.Value("WN")) + "\n size=15>");
    row("Gateway", "<input value=" + HtmlEscape(f.Value("WG")) + " name=WG size=15>");
    row("DNS 1", "<input name=ID00 value=" + quoted(f.Value("ID00")) + ">");
    row("DNS 2", "<input maxlength=15 value=" + quoted(f.Value("ID01")) + " name=ID01>");
  } else if (t == kWtPppoe) {
    row("User name", "<input value=" + quoted(f.Value("IU0")) + " name=IU0 size=32>");
    row("Password", "<input type=password name=IW0 value=\"\">");
    row("Service name", "<input name=IT0\n value=" + quoted(f.Value("IT0")) + ">");
    row("DNS", "<input name=ID00 value=" + quoted(f.Value("ID00")) + "><input value=" +
                   quoted(f.Value("ID01")) + " name=ID01>");
    page += "<input type=text name=IM0 value=" + HtmlEscape(f.Value("IM0")) + ">\n";
  } else if (t == kWtPptp || t == kWtL2tp) {
    row("IP address", "<input name=WI value=" + HtmlEscape(f.Value("WI")) + ">");
    row("Subnet mask", "<input value=" + HtmlEscape(f.Value("WN")) + " name=WN>");
    row("Gateway", "<input name=WG size=15 value=" + quoted(f.Value("WG")) + ">");
    row("Server", "<input name=DI0 size=32>");
    page += "<script type=\"text/javascript\">\nf.DI0.value = unescape(\"" + ScriptEscape(f.Value("DI0")) +
            "\");\n</script>\n";
    row("User name", "<input value=" + quoted(f.Value("IU0")) + "\n name=IU0>");
    row("Password", "<input name=IW0 type=password>");
    page += "<input type=text name=IM0 value=" + HtmlEscape(f.Value("IM0")) + "\nmaxlength=4>\n";
  } else if (t == kWtBigPond) {
    row("User name", "<input name=IU0 value=" + quoted(f.Value("IU0")) + ">");
    row("Password", "<input type=password value=\"\" name=IW0>");
    row("Login server", "<input value=" + quoted(f.Value("IT0")) + " name=IT0>");
  } else if (t == kWtTelia) {
    row("User name", "<input value=" + quoted(f.Value("IU0")) + " name=IU0>");
    row("Password", "<input type=password name=IW0>");
  }
  page += "</table>\n</form>\n";
  return page + "</body>\n</html>\n";
}

std::string PrimPage(const PageContext& c) {
  const RouterSimState& s = c.state;
  auto it = s.forms.find(s.formType);
  const WanForm empty;
  const WanForm& f = it == s.forms.end() ? empty : it->second;
  const std::string& t = s.formType;
  if (Varied(c)) return VariedPrimPage(c, f);
  std::string page = Head(Classic(c) ? "Primary Setup" : "prim", c);
  page += Classic(c) ? "<FORM NAME=prim ACTION=/cgi-bin/prim>\n" : "<form action=/cgi-bin/prim name=prim>\n";
  page += Classic(c) ? "<INPUT TYPE=HIDDEN NAME=Wt VALUE=" + t + ">\n" : "<input type=hidden name=wt value=" + t + ">\n";
  page += Field(c, "LI", StoredLanAddress(s), true, "SIZE=15");
  if (t != kWtStatic) page += Boxes(c, f, t == kWtPppoe);
  // The WAN MAC belongs to every WAN type's form.
  if (Classic(c)) {
    page += "<INPUT NAME=En VALUE=\"" + s.wanMac + "\" SIZE=17><INPUT TYPE=BUTTON VALUE=Clone>\n";
  } else {
    page += "<input value=\"" + s.wanMac + "\" name=en maxlength=17><input type=button value=clone>\n";
  }
  if (t == kWtDynamic) {
    // Nothing more: dynamic IP has no fields of its own.
  } else if (t == kWtStatic) {
    page += Field(c, "WI", f.Value("WI"), false, "SIZE=15");
    page += Field(c, "WN", f.Value("WN"), false, "SIZE=15");
    page += Field(c, "WG", f.Value("WG"), false, "SIZE=15");
    page += Field(c, "ID00", f.Value("ID00"), true, "SIZE=15");
    page += Field(c, "ID01", f.Value("ID01"), true, "SIZE=15");
  } else if (t == kWtPppoe) {
    page += Field(c, "IU0", f.Value("IU0"), true, "SIZE=32");
    page += Field(c, "IW0", "", true, "TYPE=PASSWORD SIZE=32");
    page += Field(c, "IT0", f.Value("IT0"), true, "SIZE=32");
    page += Field(c, "ID00", f.Value("ID00"), true, "SIZE=15");
    page += Field(c, "ID01", f.Value("ID01"), true, "SIZE=15");
    page += Classic(c) ? "<INPUT NAME=IM0 VALUE=\"" + f.Value("IM0") + "\" SIZE=4>\n"
                       : "<input name=im0 value=" + f.Value("IM0") + " maxlength=4>\n";
  } else if (t == kWtPptp || t == kWtL2tp) {
    page += Field(c, "WI", f.Value("WI"), false, "SIZE=15");
    page += Field(c, "WN", f.Value("WN"), false, "SIZE=15");
    page += Field(c, "WG", f.Value("WG"), true, "SIZE=15");
    const std::string server = ScriptEscape(f.Value("DI0"));
    if (Classic(c)) {
      page += "<INPUT NAME=DI0 SIZE=32>\n<SCRIPT>document.prim.DI0.value=unescape(\"" + server + "\");</SCRIPT>\n";
    } else {
      page += "<input name=di0 maxlength=64><script>f.di0.value = unescape(\"" + server + "\");</script>\n";
    }
    page += Field(c, "IU0", f.Value("IU0"), true, "SIZE=32");
    page += Field(c, "IW0", "", true, "TYPE=PASSWORD SIZE=32");
    page += Classic(c) ? "<INPUT NAME=IM0 VALUE=\"" + f.Value("IM0") + "\" SIZE=4>\n"
                       : "<input name=im0 value=" + f.Value("IM0") + " maxlength=4>\n";
  } else if (t == kWtBigPond) {
    page += Field(c, "IU0", f.Value("IU0"), true, "SIZE=32");
    page += Field(c, "IW0", "", true, "TYPE=PASSWORD SIZE=32");
    page += Field(c, "IT0", f.Value("IT0"), true, "SIZE=17");
  } else if (t == kWtTelia) {
    page += Field(c, "IU0", f.Value("IU0"), true, "SIZE=32");
    page += Field(c, "IW0", "", true, "TYPE=PASSWORD SIZE=32");
  }
  page += Classic(c) ? "</FORM>\n" : "</form>\n";
  return page + Tail(c);
}

std::string DhcpPage(const PageContext& c) {
  std::string page = Head(Classic(c) ? "DHCP Server" : "dhcp", c);
  if (Varied(c)) {
    page += "<form action=\"/cgi-bin/dhcp\">\n<input type=hidden name=rc value=@>\n<input maxlength=31\n name=HD value=\"" +
            HtmlEscape(c.state.domainName) + "\">\n</form>\n";
  } else if (Classic(c)) {
    page += "<FORM ACTION=/cgi-bin/dhcp>\n<INPUT NAME=HD VALUE=\"" + HtmlEscape(c.state.domainName) +
            "\" SIZE=31>\n</FORM>\n";
  } else {
    page += "<form action=/cgi-bin/dhcp><input name=hd maxlength=31 value=\"" +
            HtmlEscape(c.state.domainName) + "\"></form>\n";
  }
  return page + Tail(c);
}

}  // namespace

const char* PageLayoutName(PageLayout layout) {
  switch (layout) {
    case PageLayout::kClassic: return "classic";
    case PageLayout::kCompact: return "compact";
    case PageLayout::kVaried: return "varied";
  }
  return "classic";
}

bool ParsePageLayout(const std::string& name, PageLayout& layout) {
  for (PageLayout l : {PageLayout::kClassic, PageLayout::kCompact, PageLayout::kVaried}) {
    if (name == PageLayoutName(l)) {
      layout = l;
      return true;
    }
  }
  return false;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '&') out += "&amp;";
    else if (ch == '"') out += "&quot;";
    else if (ch == '<') out += "&lt;";
    else if (ch == '>') out += "&gt;";
    else out.push_back(ch);
  }
  return out;
}

bool RenderPage(const std::string& name, const std::string& rf, const PageContext& context,
                std::string& body) {
  if (name == "zero.htm") {
    if (rf == "0004") body = WanStatusPage(context);
    else if (rf == "0010") body = WirelessStatusPage(context);
    else if (rf == "0020") body = WanAddressPage(context);
    else if (rf == "0008") body = WanTypePage(context);
    else body = GeneralStatusPage(context);
    return true;
  }
  if (name == "sysinfo.htm") {
    body = SysInfoPage(context);
    return true;
  }
  if (name == "prim.htm") {
    body = PrimPage(context);
    return true;
  }
  if (name == "dhcp.htm") {
    body = DhcpPage(context);
    return true;
  }
  return false;
}

std::string RenderFrontPage(const PageContext& context, bool openMarker) {
  std::string page = Head("LMQ-5812", context);
  if (Varied(context)) page += "<!-- CAS:8002 menu --><!-- --CAS:8000 -->\r\n";
  if (openMarker) page += Classic(context) ? "<!--CAS:8003 -->\n" : "<!--CAS:8003 open-->\n";
  page += Classic(context) ? "<A HREF=zero.htm>Status</A> <A HREF=prim.htm>Setup</A>\n"
                           : "<a href=zero.htm>status</a> | <a href=prim.htm>setup</a>\n";
  return page + Tail(context);
}

std::string RenderLoginForm(const PageContext& context) {
  std::string page = Head("LMQ-5812 Login", context);
  page += Classic(context)
              ? "<FORM ACTION=/cgi-bin/logi><INPUT TYPE=HIDDEN NAME=rc VALUE=@>"
                "<INPUT TYPE=PASSWORD NAME=PS SIZE=32><INPUT TYPE=HIDDEN NAME=rd VALUE=menu>"
                "<INPUT TYPE=SUBMIT VALUE=Login></FORM>\n"
              : "<form action=/cgi-bin/logi><input type=hidden name=rc value=@>"
                "<input type=password name=PS><input type=hidden name=rd value=menu></form>\n";
  return page + Tail(context);
}

std::string RenderAfterCommand(const std::string& next, const PageContext& context) {
  std::string body;
  if (next == "prim" && RenderPage("prim.htm", "", context, body)) return body;
  if ((next == "zero" || next == "status") && RenderPage("zero.htm", "", context, body)) return body;
  if (next == "menu") return RenderFrontPage(context, false);
  std::string page = Head("LMQ-5812", context);
  page += "Settings saved." + Br(context);
  return page + Tail(context);
}

std::string RenderAlert(const std::string& message, const PageContext& context) {
  std::string page = Head("LMQ-5812", context);
  if (Varied(context)) {
    page += "<script language=\"JavaScript\">\r\nalert(\"" + message + "\");\r\nlocation.replace(\"/prim.htm\");\r\n</script>\r\n";
    return page + Tail(context);
  }
  page += Classic(context) ? "<SCRIPT>alert(\"" + message + "\");</SCRIPT>\n"
                           : "<script>alert('" + message + "');</script>\n";
  return page + Tail(context);
}

std::string RenderPasswordRefused(const PageContext& context) {
  std::string page = Head("LMQ-5812", context);
  if (Varied(context)) {
    page += "<script>\r\nalert('Password mismatch');\r\nhistory.go(-1);\r\n</script>\r\n";
    return page + Tail(context);
  }
  page += Classic(context) ? "<SCRIPT>alert(\"Password change failed\");history.go(-1);</SCRIPT>\n"
                           : "<script>History.Go(-1);</script>\n";
  return page + Tail(context);
}

}  // namespace kelvane::routersim
