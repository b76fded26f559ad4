#include "tools/routersim/RouterSimDispatch.h"

namespace kelvane::routersim {
namespace {

RouterAnswer Answer(int code, const std::string& body, const std::string& extraHeaders = "") {
  return RouterAnswer{HttpResponse(code, body, extraHeaders), false};
}

RouterAnswer NotFound() { return Answer(404, "<HTML>404 Not Found</HTML>\n"); }

// A CGI command ("cgi-bin/" taken off). The caller has checked the login.
RouterAnswer AnswerCommand(const std::string& command, const SimHttpRequest& request, RouterSimState& s,
                           PageContext& context, std::uint64_t now, const std::string& refuseAlert) {
  if (!refuseAlert.empty()) return Answer(200, RenderAlert(refuseAlert, context));
  CommandOutcome out;
  if (command == "prim") out = s.ApplyPrim(request, now);
  else if (command == "want") out = s.ApplyWant(request, now);
  else if (command == "wlap") out = s.ApplyWlap(request);
  else if (command == "dhcp") out = s.ApplyDhcp(request);
  else if (command == "cmac") out = s.ApplyCmac(request, now);
  else if (command == "pass") out = s.ApplyPass(request);
  else if (command == "rset") out = s.ApplyReset();
  else if (command == "rebo") {
    out.restart = true;
    out.nextPage = "rebo";
  } else {
    return NotFound();
  }
  RouterAnswer answer;
  if (out.passwordRefused) answer = Answer(200, RenderPasswordRefused(context));
  else if (!out.accepted) answer = Answer(200, RenderAlert(out.alert, context));
  else answer = Answer(200, RenderAfterCommand(out.nextPage, context));
  answer.restart = out.restart;
  return answer;
}

}  // namespace

std::string HttpStatusLine(int code) {
  switch (code) {
    case 200: return "HTTP/1.0 200 OK";
    case 401: return "HTTP/1.0 401 Unauthorized";
    case 404: return "HTTP/1.0 404 Not Found";
    case 500: return "HTTP/1.0 500 Internal Server Error";
    default: return "HTTP/1.0 " + std::to_string(code) + " Error";
  }
}

// Every answer carries its length, so a client can end a response whose
// connection is left open. There is no blank after the colon: the wizard's
// status test searches for " 200" anywhere in the answer, and a length such as
// 2001 after a blank would make a 404 look like a success.
std::string HttpResponse(int code, const std::string& body, const std::string& extraHeaders) {
  return HttpStatusLine(code) + "\r\nServer: LMQ-5812\r\nContent-Type: text/html\r\nPragma: no-cache\r\n" +
         "Content-Length:" + std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

RouterAnswer AnswerRequest(const SimHttpRequest& request, RouterSimState& s, PageLayout layout,
                           std::uint64_t now, const std::string& refuseAlert) {
  PageContext context{s, layout, now, false};
  const std::string& path = request.path;

  if (path == "_sim/pinged") {
    s.publicHostPinged = true;
    return Answer(200, "pinged\n");
  }
  if (s.flavour == LoginFlavour::kBasic &&
      !(request.hasAuthorization && request.authUser == s.loginWord)) {
    return Answer(401, "<HTML><BODY>401 Unauthorized</BODY></HTML>\n",
                  "WWW-Authenticate: Basic realm=\"LMQ-5812\"\r\n");
  }
  if (path.empty() || path == "index.htm") {
    if (s.flavour == LoginFlavour::kOpen) return Answer(200, RenderFrontPage(context, true));
    if (s.flavour == LoginFlavour::kBasic) return Answer(200, RenderFrontPage(context, false));
    context.loginFalse = !s.formLoggedIn;
    return Answer(200, RenderLoginForm(context));
  }
  if (path == "cgi-bin/logi") {
    CommandOutcome out = s.ApplyLogin(request);
    if (s.flavour != LoginFlavour::kForm) return Answer(200, RenderFrontPage(context, false));
    context.loginFalse = !s.formLoggedIn;
    if (!out.accepted) return Answer(200, RenderAlert(out.alert, context));
    return Answer(200, RenderAfterCommand(out.nextPage, context));
  }
  // A form-login router serves its pages openly and takes commands only after
  // the login (which a restart forgets).
  if (s.flavour == LoginFlavour::kForm && !s.formLoggedIn && path.rfind("cgi-bin/", 0) == 0) {
    context.loginFalse = true;
    return Answer(200, RenderLoginForm(context));
  }

  if (path.rfind("cgi-bin/", 0) == 0) return AnswerCommand(path.substr(8), request, s, context, now, refuseAlert);

  std::string body;
  if (!RenderPage(path, request.FieldOr("rf", ""), context, body)) return NotFound();
  return Answer(200, body);
}

}  // namespace kelvane::routersim
