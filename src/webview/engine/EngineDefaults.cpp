#include "webview/engine/EngineDefaults.h"

#include "webview/Prompter.h"
#include "webview/WebView.h"
#include "webview/WebViewFactory.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/ProfileSettings.h"
#include "webview/ui/DialogPrompter.h"
#include "webview/ui/OptionsWindow.h"

#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace EngineDefaults {

void install()
{
    WebViewFactory::setDefault([](QWidget *parent) { return new EngineWebView(parent); });
    Prompter::installDefault([]() -> Prompter & {
        static DialogPrompter dialogs;
        return dialogs;
    });
    WebView::setOptionsOpener([](const QString &currentPage, QWidget *over) {
        OptionsWindow::showShared(currentPage, over);
    });
    OptionsWindow::setProfileActions({
        [] { ProfileSettings::apply(BrowserProfile::shared()); },
        [] { BrowserProfile::shared()->cookieStore()->deleteAllCookies(); },
        [] { BrowserProfile::shared()->clearHttpCache(); },
    });
}

} // namespace EngineDefaults
