#pragma once

#include "support/FakeWebView.h"
#include "support/WorkingFolder.h"

#include <functional>
#include <memory>

class Form1;
class WebView;

// What a window test holds for each case: a fresh working folder, fake web views unless the case
// wants the engine, and the windows it shows. start() in init(), stop() in cleanup().
class WindowFixture {
public:
    enum Views { Fakes, Engine };

    void start(Views views = Fakes);
    // A loaded main window, shown and active, its fake's calls forgotten; null if it never showed.
    Form1 *showLoaded();
    // The windows first (closing may still write into the folder), then the fakes, then the
    // folder, which restores the old working directory.
    void stop();

private:
    std::unique_ptr<WorkingFolder> m_folder;
    std::unique_ptr<FakeWebView::Install> m_fakes;
};

// Whether the view completes a document after the action, within the timeout.
bool completes(WebView *view, const std::function<void()> &action, int timeout = 20000);
