// An optional log of the network traffic, for support and debugging. Off by
// default. When on, it gets one line per request line sent, per status line
// received and per datagram sent or received. Credentials are never written.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

using TrafficLogSink = std::function<void(const std::string& line)>;

// Sends the log to `stream` (nullptr switches it off). Replaces any sink.
void SetTrafficLog(std::ostream* stream);
// Sends the log to `sink` (an empty function switches it off). Replaces any stream.
void SetTrafficLogSink(TrafficLogSink sink);
bool TrafficLogEnabled();

// Writes one line (without line end) after removing credentials; does nothing
// while the log is off. The line is made safe for a terminal: a C0 control or
// DEL shows as ".", a C1 control or a byte outside valid UTF-8 as \xNN, and
// a backslash as "\\".
void LogTraffic(std::string_view line);

// Keeps the last `maxLines` lines of the log in memory, whether or not a
// stream or sink is set, for the diagnostic report (0 stops keeping them).
void KeepSessionLog(std::size_t maxLines);
std::vector<std::string> SessionLogLines();

// The text with the value of any Authorization header and any "user:password@"
// of a URL replaced by "<redacted>".
std::string RedactCredentials(std::string_view text);

}  // namespace kelvane
