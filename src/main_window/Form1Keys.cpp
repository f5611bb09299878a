#include "main_window/Form1.h"

#include "main_window/ClosedWindows.h"

#include "webview/WebView.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <algorithm>

void Form1::createShortcuts()
{
    // None of these is a menu accelerator; each does what its button or menu item does, on this
    // window's own view.
    addShortcut(Qt::CTRL | Qt::Key_L, [this] { focusAddress(); });
    addShortcut(Qt::ALT | Qt::Key_D, [this] { focusAddress(); });
    addShortcut(Qt::ALT | Qt::Key_Left, [this] { mnuback_Click(); });
    addShortcut(Qt::ALT | Qt::Key_Right, [this] { mnuforward_Click(); });
    addShortcut(Qt::ALT | Qt::Key_Home, [this] { mnuhomepage_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_R, [this] { mnurefresh_Click(); });
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_R,
                [this] { WebBrowser1->Refresh2(WebView::REFRESH_COMPLETELY); });
    addShortcut(Qt::CTRL | Qt::Key_N, [this] { mnunew_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_W, [this] { mnuexit_Click(); });
    // The main window closed most recently in this run, with its history.
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_T, [] { ClosedWindows::reopen(); });
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_N, [] { open({{}, {}, true}); });
    // Ctrl and the plus key, with or without Shift on keyboards where plus shares the = key.
    addShortcut(Qt::CTRL | Qt::Key_Plus, [this] { stepTextSize(+1); });
    addShortcut(Qt::CTRL | Qt::Key_Equal, [this] { stepTextSize(+1); });
    addShortcut(Qt::CTRL | Qt::Key_Minus, [this] { stepTextSize(-1); });
    addShortcut(Qt::CTRL | Qt::Key_0, [this] { mnumedium_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_D, [this] { addToFavorites(); });
    addShortcut(Qt::CTRL | Qt::Key_F, [this] {
        WebBrowser1->ExecWB(WebView::OLECMDID_FIND, WebView::OLECMDEXECOPT_DODEFAULT);
    });
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_I, [this] { WebBrowser1->ShowDevTools(); });
    m_stopKey = addShortcut(Qt::Key_Escape, [this] {
        mnustop_Click();
        updateStopKey();
    });
    updateStopKey();
}

QShortcut *Form1::addShortcut(const QKeySequence &key, const std::function<void()> &command)
{
    auto *shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, command);
    return shortcut;
}

void Form1::focusAddress()
{
    Text1->setFocus(Qt::ShortcutFocusReason);
    Text1->lineEdit()->selectAll();
}

bool Form1::addressEscape(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
        return false;
    const bool restores = Text1->currentText() != m_pageAddress;
    if (event->type() == QEvent::ShortcutOverride) {
        // Typed text is put back before Esc stops a load; the page's own address lets it.
        if (restores)
            event->accept();
        return restores;
    }
    if (restores) {
        Text1->setEditText(m_pageAddress);
        Text1->lineEdit()->selectAll();
    } else {
        WebBrowser1->setFocus(Qt::ShortcutFocusReason);
    }
    return true;
}

void Form1::stepTextSize(int step)
{
    QVariant level(qint32(TextSize::Medium));
    WebBrowser1->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, {}, &level);
    const TextSize current = TextSizes::fromNumber(level.toInt()).value_or(TextSize::Medium);
    const TextSize next = TextSizes::stepped(current, step);
    if (next != current)
        setTextSize(next);
}

void Form1::updateStopKey()
{
    if (m_stopKey)
        m_stopKey->setEnabled(WebBrowser1->Busy());
}
