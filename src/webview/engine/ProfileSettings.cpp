#include "webview/engine/ProfileSettings.h"

#include "webview/WebViewSettings.h"
#include "webview/engine/SpellDictionaries.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace ProfileSettings {

void apply(QWebEngineProfile *profile)
{
    QWebEngineSettings *settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, WebViewSettings::javaScript());
    // Scripts may ask for windows; the view decides which ones a page gets.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Documents shown in the page rather than saved: the PDF viewer is a plugin to the engine.
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    // Screen sharing is asked for like the camera, and denied unless the user says yes.
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, true);
    // Only the dictionaries the engine found at its start: it reads no others until the next.
    const QStringList languages = SpellDictionaries::languages();
    if (profile->spellCheckLanguages() != languages)
        profile->setSpellCheckLanguages(languages);
    profile->setSpellCheckEnabled(WebViewSettings::spellCheck() && !languages.isEmpty());
}

} // namespace ProfileSettings
