#pragma once

#include <QString>

class QWebEngineProfile;

// The one persistent engine profile all main windows share: cookies, cache and storage survive a
// restart, and a window opened for a page can adopt its opener's page (both need one profile).
namespace BrowserProfile {
QWebEngineProfile *shared();
// Deletes the profile so it flushes to disk; every page must be gone by then.
void release();
// Where the profile keeps cookies and site data; one process at a time can use it.
QString dataFolder();
// From now on the shared profile keeps nothing on disk: another process is using the data
// folder. Called before the profile is first made.
void keepNothing();
// The off-the-record profile the run's private windows share: made when the first of them needs
// it, and gone (cookies, site data and all) once the last one has let it go.
QWebEngineProfile *privateProfile();
void holdPrivate();
void letGoPrivate();
} // namespace BrowserProfile
