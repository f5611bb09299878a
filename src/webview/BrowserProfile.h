#pragma once

class QWebEngineProfile;

// The one persistent engine profile all main windows share: cookies, cache and storage survive a
// restart, and a window opened for a page can adopt its opener's page (both need one profile).
namespace BrowserProfile {
QWebEngineProfile *shared();
// Deletes the profile so it flushes to disk; every page must be gone by then.
void release();
} // namespace BrowserProfile
