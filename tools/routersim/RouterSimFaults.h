// The emulator's switches for misbehaviour: how the router fails to answer,
// answers late, in pieces or wrongly, or refuses commands.
#pragma once

#include <string>

namespace kelvane::routersim {

// Misbehaviour on demand. Each switch applies to the requests whose request
// line contains `match` (all requests when it is empty), or to only the nth
// of them.
struct RouterSimFaults {
  int answerDelayMs = 0;             // wait this long before answering
  bool silent = false;               // read the request and never answer
  bool keepOpen = false;             // answer, then leave the connection open
  int dripBytes = 0;                 // send the answer in pieces of this size...
  int dripPauseMs = 0;               // ...with this pause between them
  int wrongStatus = 0;               // answer with this status instead (e.g. 500)
  bool restartNeverReturns = false;  // a restart keeps the router off the air
  std::string refuseAlert;           // refuse CGI commands with this script alert, changing nothing
  // Answers in place of the router's own, each changing nothing (a command is
  // not taken): the connection closed at once without a word, or reset at
  // once (`resetAfterBytes` 0; after N bytes of the answer the command was
  // taken, as by a router that fails while it answers); a 200 answer without a
  // body; a 200 answer of `junkBytes` bytes that are no page (more than 64 KiB:
  // an oversized answer); the login form, as when the router lost the login;
  bool closeAtOnce = false;
  int resetAfterBytes = -1;
  bool emptyAnswer = false;
  int junkBytes = 0;
  bool loginPageInstead = false;
  // The router's ordinary page after a command, but the command is thrown
  // away (nothing changes).
  bool ignoreQuietly = false;
  // The command is taken, and the wireless security with it set to none, as
  // by a router that takes a command without a security part as "none".
  bool securityToNone = false;
  // After answering, the router restarts (off the air for its restart time),
  // as if the request had asked for it.
  bool restartAfter = false;
  // After answering, the router restarts and comes back at this LAN address
  // (as after a change of its address, or a reset into another network). The
  // web server goes with it from the address it listened on (not from
  // 0.0.0.0), unless a LAN interface or program moves it.
  std::string restartOnto;
  std::string match;
  // Only the nth request that matches, counted from SetFaults (1: the first);
  // 0: every one. One request of a page's work fails, the rest go through.
  int nth = 0;

  // Whether the switches apply to a request with this request line.
  bool AppliesTo(const std::string& requestLine) const {
    return match.empty() || requestLine.find(match) != std::string::npos;
  }
};

}  // namespace kelvane::routersim
