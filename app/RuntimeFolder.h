// The private folder that holds the wizard's lock files and the socket through
// which a second start reaches the running wizard: $XDG_RUNTIME_DIR, or
// /tmp/kelvane-<uid> when that is not set.
#pragma once

#include <string>

namespace kelvane {

// Finds (and for the fall-back, creates) the folder. The fall-back must be a
// real directory owned by this user and closed to others; anything else (a
// symbolic link, someone else's directory) is refused, because a folder that
// another user controls would let them hold or fake our locks. Answers false
// and leaves `folder` empty when no usable folder exists.
bool FindRuntimeFolder(std::string& folder);

// The same check for a given fall-back path (tests use their own).
bool PrepareOwnFolder(const std::string& path);

}  // namespace kelvane
