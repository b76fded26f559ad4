// What the wireless form tells a beginner about a key and a name: the rule
// for the chosen security mode in words, and, when a check refuses an entry,
// what exactly is wrong with it. Texts are catalogue IDs; 0 means nothing to
// say (no rule without security, no problem with a valid entry).
#pragma once

#include <cstdint>
#include <string_view>

#include "language/StringIds.h"

namespace kelvane {

StringId KeyRuleText(std::int32_t securityMode);
StringId KeyProblemText(std::int32_t securityMode, std::string_view key);
StringId SsidProblemText(std::string_view ssid);

}  // namespace kelvane
