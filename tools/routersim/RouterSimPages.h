// The pages of the emulated router's web interface. Three layouts exist: the
// classic one (upper-case tags, quoted form values, script statements), a
// compact one (lower-case tags and names, other orders, unquoted values where
// the wizard accepts either, values in comments), and a varied one that does
// not share the client's assumptions where the router is free: other line
// orders (the "Key" line after the "Prechare Key" line), decoy comments and
// markers before the ones that count, attribute orders, unquoted values ended
// by ">" or a line break, CR LF and LF line ends, extra markup. All hold the
// same markers, keys and values; tests run the readers against all three to
// prove that the readers depend on the markers only.
#pragma once

#include <cstdint>
#include <string>

#include "tools/routersim/RouterSimState.h"

namespace kelvane::routersim {

enum class PageLayout { kClassic, kCompact, kVaried };

// "classic", "compact", "varied".
const char* PageLayoutName(PageLayout layout);
bool ParsePageLayout(const std::string& name, PageLayout& layout);

struct PageContext {
  const RouterSimState& state;
  PageLayout layout = PageLayout::kClassic;
  std::uint64_t nowMs = 0;
  bool loginFalse = false;  // form login required and not yet given
};

// The body of a known page ("" for the front page, "zero.htm" with its "rf"
// selector, "sysinfo.htm", "prim.htm", "dhcp.htm"); false for unknown names.
bool RenderPage(const std::string& name, const std::string& rf, const PageContext& context,
                std::string& body);
// The front page of an open router (carries "--CAS:8003"), or the menu of a
// router that needs credentials.
std::string RenderFrontPage(const PageContext& context, bool openMarker);
// The form-login page.
std::string RenderLoginForm(const PageContext& context);
// The page shown after a command: the page the command named ("rd"), or a
// plain confirmation.
std::string RenderAfterCommand(const std::string& next, const PageContext& context);
// A refusal in a script alert.
std::string RenderAlert(const std::string& message, const PageContext& context);
// The refused password change: sends the browser back.
std::string RenderPasswordRefused(const PageContext& context);

// HTML-escapes "&" and the characters that would end a quoted attribute or a tag.
std::string HtmlEscape(const std::string& text);

}  // namespace kelvane::routersim
