#pragma once

#include "common/WindowPlacement.h"

#include <QPointer>
#include <QWidget>

// The one instance of a secondary window the whole program shares (About, Favorites, History,
// options, downloads). A window deleted on close stops being the shared one as soon as its close
// is accepted, not when the deferred delete comes: the next showing makes and loads a fresh one
// instead of showing one that is about to go. A window that survives its close (it only hides)
// stays the shared one, with what it holds.
template <typename Window> class SharedWindow {
public:
    // The shared window, or null when there is none or its close was accepted.
    Window *current() const
    {
        if (m_window && m_deletesOnClose && m_shown && m_window->isHidden())
            return nullptr;
        return m_window;
    }

    // The shared window, made (and loaded, where the window has a Form_Load) when there is none;
    // not shown.
    Window *instance()
    {
        if (!current()) {
            m_window = new Window;
            m_shown = false;
            // Read now: an accepted close clears the attribute as it schedules the delete.
            m_deletesOnClose = m_window->testAttribute(Qt::WA_DeleteOnClose);
            if constexpr (requires(Window & window) { window.Form_Load(); })
                m_window->Form_Load();
        }
        return m_window;
    }

    // Shows the shared window, modeless and without an owner. One not on screen opens centred on
    // the main window that asked for it; one on screen is brought to the front where the user
    // left it, restored if minimised, and takes the focus.
    Window *show(const QWidget *opener)
    {
        Window *window = instance();
        if (!window->isVisible())
            WindowPlacement::centreOn(window, opener);
        // A window that shows without activating stays as the user left it, minimised too.
        const bool activate = !window->testAttribute(Qt::WA_ShowWithoutActivating);
        if (activate)
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        m_shown = true;
        window->raise();
        if (activate)
            window->activateWindow();
        return window;
    }

private:
    QPointer<Window> m_window;
    // Hidden before its first showing is not closed.
    bool m_shown = false;
    bool m_deletesOnClose = false;
};
