#pragma once

#include <QString>

// The web view's own settings, kept apart from the program in
// $XDG_CONFIG_HOME/zarvo-velmora/webview.ini and read afresh on each use, so a change made in
// any window (or by hand) applies everywhere at once. A missing or damaged value reads as its
// default, key by key.
namespace WebViewSettings {
inline const QString DefaultHomePage = QStringLiteral("qrc:/start.html");
inline const QString DefaultSearchPage = QStringLiteral("https://search.yahoo.com/");
inline constexpr bool DefaultJavaScript = true;
inline constexpr bool DefaultPopupsWithoutClick = false;
inline constexpr bool DefaultAskWhereToSave = true;
inline constexpr bool DefaultSpellCheck = true;
// Seconds a minimised window's page runs on before it is paused, and before its memory is freed;
// 0 turns each off.
inline constexpr int DefaultFreezeAfter = 300;
inline constexpr int DefaultDiscardAfter = 1800;
QString defaultDownloadFolder();

// Everything the options window edits.
struct Values {
    QString homePage = DefaultHomePage;
    QString searchPage = DefaultSearchPage;
    bool javaScript = DefaultJavaScript;
    // Whether a script may open a window the user did not click for.
    bool popupsWithoutClick = DefaultPopupsWithoutClick;
    QString downloadFolder = defaultDownloadFolder();
    bool askWhereToSave = DefaultAskWhereToSave;
    // Whether typed text is checked for spelling, where a dictionary of the user's language is.
    bool spellCheck = DefaultSpellCheck;
    int freezeAfter = DefaultFreezeAfter;
    int discardAfter = DefaultDiscardAfter;

    bool operator==(const Values &) const = default;
};

QString filePath();
// Whether the text is what the file takes for a page: a full address, with its scheme.
bool isAddress(const QString &text);

Values load();
// Writes every value; false when the file could not be written (nothing is half written).
bool save(const Values &values);

QString homePage();
QString searchPage();
bool javaScript();
bool popupsWithoutClick();
QString downloadFolder();
bool askWhereToSave();
bool spellCheck();
int freezeAfter();
int discardAfter();
// How the web view's layer is drawn: "auto" (the default), "software" or "opengl", as written;
// read before the application object exists. Not edited in the options window.
QString rendering();
// Whether pages see the dark preference: "auto" (the desktop's, the default), "light" or "dark",
// as written; read once before the engine starts. Not edited in the options window.
QString colorScheme();
} // namespace WebViewSettings
