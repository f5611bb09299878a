#pragma once

#include <QString>

// The web view's own settings, kept apart from the program in
// $XDG_CONFIG_HOME/zarvo-velmora/webview.ini and read afresh on each use, so a change made in
// any window (or by hand) applies everywhere at once. A missing or damaged value reads as its
// default.
namespace WebViewSettings {
inline const QString DefaultHomePage = QStringLiteral("qrc:/start.html");
inline const QString DefaultSearchPage = QStringLiteral("https://search.yahoo.com/");

QString filePath();
QString homePage();
QString searchPage();
} // namespace WebViewSettings
