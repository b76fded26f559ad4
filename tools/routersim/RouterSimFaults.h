// The emulator's switches for misbehaviour: how the router fails to answer,
// answers late, in pieces or wrongly, or refuses commands.
#pragma once

#include <string>

namespace kelvane::routersim {

// Misbehaviour on demand. Each switch applies to the requests whose request
// line contains `match` (all requests when it is empty).
struct RouterSimFaults {
  int answerDelayMs = 0;             // wait this long before answering
  bool silent = false;               // read the request and never answer
  bool keepOpen = false;             // answer, then leave the connection open
  int dripBytes = 0;                 // send the answer in pieces of this size...
  int dripPauseMs = 0;               // ...with this pause between them
  int wrongStatus = 0;               // answer with this status instead (e.g. 500)
  bool restartNeverReturns = false;  // a restart keeps the router off the air
  std::string refuseAlert;           // refuse CGI commands with this script alert, changing nothing
  std::string match;

  // Whether the switches apply to a request with this request line.
  bool AppliesTo(const std::string& requestLine) const {
    return match.empty() || requestLine.find(match) != std::string::npos;
  }
};

}  // namespace kelvane::routersim
