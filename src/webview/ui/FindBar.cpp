#include "webview/ui/FindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEngineView>

namespace {

QToolButton *button(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    return button;
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

FindBar::FindBar(QWebEngineView *view, QWidget *parent)
    : QWidget(parent), m_view(view), m_text(new QLineEdit(this)),
      m_previous(button(this, "FindPrevious", QStringLiteral("\u25B2"), tr("Previous match"))),
      m_next(button(this, "FindNext", QStringLiteral("\u25BC"), tr("Next match"))),
      m_matchCase(new QCheckBox(tr("Match case"), this)),
      m_close(button(this, "FindClose", QStringLiteral("\u2715"), tr("Close the find bar")))
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setAccessibleName(tr("Find in page"));
    m_text->setPlaceholderText(tr("Find in page"));
    m_text->setClearButtonEnabled(true);
    m_matchCase->setObjectName(QStringLiteral("MatchCase"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_matchCase);
    layout->addStretch(2);
    layout->addWidget(m_close);

    connect(m_text, &QLineEdit::textEdited, this, [this] { find(false); });
    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::dismiss);
    connect(m_matchCase, &QCheckBox::toggled, this, [this] {
        // The engine goes on with a search of the same text as it began it, case and all;
        // ending it makes the next one new.
        m_view->findText(QString());
        find(false);
    });
    m_text->installEventFilter(this);
    parent->installEventFilter(this);
    hide();
}

void FindBar::addKeys(QWidget *parent, const std::function<FindBar *()> &bar)
{
    // F3 anywhere in the page and its bar: the next match, opening the bar when it is closed.
    auto *next = new QShortcut(QKeySequence(Qt::Key_F3), parent, nullptr, nullptr,
                               Qt::WidgetWithChildrenShortcut);
    QObject::connect(next, &QShortcut::activated, parent, [bar] {
        FindBar *found = bar();
        found->isVisible() ? found->findNext() : found->open();
    });
    auto *previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), parent, nullptr, nullptr,
                                   Qt::WidgetWithChildrenShortcut);
    QObject::connect(previous, &QShortcut::activated, parent, [bar] {
        FindBar *found = bar();
        found->isVisible() ? found->findPrevious() : found->open();
    });
}

void FindBar::open()
{
    const QString selection = m_view->selectedText();
    if (!selection.isEmpty() && !selection.contains(u'\n'))
        m_text->setText(selection);
    place();
    show();
    raise();
    // A bar over the page that keeps itself above what comes into the page (the offer to restore
    // windows) does so a moment later: the bar the person has just asked for stays on top.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            raise();
    });
    m_text->selectAll();
    m_text->setFocus(Qt::ShortcutFocusReason);
    find(false);
}

void FindBar::dismiss()
{
    ++m_search;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    // An empty search takes the highlight off the page.
    m_view->findText(QString());
    emit statusText(QString());
    if (hadFocus)
        m_view->setFocus(Qt::OtherFocusReason);
}

void FindBar::findNext()
{
    find(false);
}

void FindBar::findPrevious()
{
    find(true);
}

void FindBar::find(bool backward)
{
    const int search = ++m_search;
    const QString text = m_text->text();
    if (text.isEmpty()) {
        m_view->findText(QString());
        emit statusText(QString());
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    if (m_matchCase->isChecked())
        flags |= QWebEnginePage::FindCaseSensitively;
    // The engine wraps round at either end by itself. Its answer comes later: the bar may be
    // gone, or a newer search under way, by then.
    const QPointer<FindBar> bar(this);
    m_view->findText(text, flags, [bar, search](const QWebEngineFindTextResult &result) {
        if (!bar || search != bar->m_search)
            return;
        if (result.numberOfMatches() == 0)
            emit bar->statusText(tr("Phrase not found"));
        else if (result.numberOfMatches() == 1)
            emit bar->statusText(tr("1 of 1 match"));
        else
            emit bar->statusText(
                tr("%1 of %2 matches").arg(result.activeMatch()).arg(result.numberOfMatches()));
    });
}

void FindBar::place()
{
    // The page fills the parent.
    const QRect page = parentWidget()->rect();
    const int height = sizeHint().height();
    setGeometry(page.left(), page.bottom() + 1 - height, page.width(), height);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize)
            place();
        return false;
    }
    if (watched != m_text)
        return false;
    // The bar's own keys: the window's shortcuts (Esc stops a load) must not take them.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape || isEnter(key)) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
        if (isEnter(key)) {
            find(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return false;
}
