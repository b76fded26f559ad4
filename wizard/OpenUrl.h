// Opening a web address in the user's default browser (the router's own pages
// from the finish page and the router system page). Tests put a hook in front
// of it, so no browser ever starts from a test.
#pragma once

#include <QString>

#include <functional>

namespace kelvane {

// Opens `url` with the desktop's default handler (or hands it to the hook);
// false when no program took it: xdg-open finding none, or, without
// xdg-open, Qt finding no browser. Waits at most a few seconds for xdg-open's
// answer, serving events meanwhile.
bool OpenUrl(const QString& url);

// Replaces the desktop call (null: back to the desktop); answers the previous hook.
using OpenUrlHook = std::function<bool(const QString&)>;
OpenUrlHook SetOpenUrlHook(OpenUrlHook hook);

}  // namespace kelvane
