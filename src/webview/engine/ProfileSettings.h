#pragma once

class QWebEngineProfile;

// Puts the web view's settings into effect on the engine profile, and with it on every page of
// every window at once; the engine features a browser is expected to have are turned on here.
namespace ProfileSettings {
void apply(QWebEngineProfile *profile);
}
