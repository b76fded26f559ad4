// Text from a router or a user made safe for a terminal or a log line, with
// every byte still told back: a backslash is doubled, a C1 control (U+0080 to
// U+009F, CSI among them) and a byte that is not part of valid UTF-8 become
// \xNN, and a C0 control or DEL becomes "." or \xNN. Valid UTF-8 text stays as
// it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane {

// Length of the UTF-8 sequence that starts at `text[i]`, or 0 when the bytes
// there are no valid sequence (overlong forms, surrogates, code points above
// U+10FFFF and cut sequences included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// How a C0 control character or DEL is shown.
enum class ControlCharacterShown {
  kDot,      // "." (the traffic log: one readable line)
  kEscaped,  // \xNN, so the byte can be told back
};

std::string EscapeForTerminal(std::string_view text, ControlCharacterShown controls);

}  // namespace kelvane
