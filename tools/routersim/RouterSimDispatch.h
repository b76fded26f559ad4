// What the emulated router answers to one request: the HTTP response around a
// page, and the dispatch of a request to the login, the CGI commands and the
// pages over the router state.
#pragma once

#include <cstdint>
#include <string>

#include "tools/routersim/RouterSimPages.h"
#include "tools/routersim/RouterSimState.h"
#include "tools/routersim/SimHttpRequest.h"

namespace kelvane::routersim {

// "HTTP/1.0 200 OK" and the like; an unknown code reads "HTTP/1.0 N Error".
std::string HttpStatusLine(int code);
// A whole response: status line, the router's headers (with the length of the
// body), `extraHeaders` (each ending in CR LF), a blank line and the body.
std::string HttpResponse(int code, const std::string& body, const std::string& extraHeaders = "");

struct RouterAnswer {
  std::string response;  // the whole HTTP response
  bool restart = false;  // the command restarts the router
};

// Answers a parsed GET request: the login, the CGI commands (which change
// `state`; with a `refuseAlert` each is refused with that alert, changing
// nothing) and the pages, as the router at `nowMs` shows them in `layout`.
RouterAnswer AnswerRequest(const SimHttpRequest& request, RouterSimState& state, PageLayout layout,
                           std::uint64_t nowMs, const std::string& refuseAlert);

}  // namespace kelvane::routersim
