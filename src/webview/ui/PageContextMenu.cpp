#include "webview/ui/PageContextMenu.h"

#include <QAccessible>
#include <QMenu>
#include <QPointer>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr int MostSuggestions = 5;

// A selection as a menu caption: on one line, long ones shortened.
QString caption(const QString &selection)
{
    constexpr int Longest = 32;
    const QString text = selection.simplified();
    return text.size() <= Longest ? text : text.left(Longest - 1) + QChar(0x2026);
}

} // namespace

PageContextMenu::PageContextMenu(QWebEngineView *view) : QObject(view), m_view(view)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &PageContextMenu::show);
}

void PageContextMenu::show(const QPoint &position)
{
    const QWebEngineContextMenuRequest *request = m_view->lastContextMenuRequest();
    QMenu *menu = request ? m_view->createStandardContextMenu() : nullptr;
    if (!menu)
        return;
    menu->setObjectName(QStringLiteral("PageContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // No tabs here; the source and the tools are the program's own commands below.
    QWebEnginePage *page = m_view->page();
    for (const QWebEnginePage::WebAction action :
         {QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewBackgroundTab,
          QWebEnginePage::ViewSource, QWebEnginePage::InspectElement})
        menu->removeAction(page->action(action));
    // The page's own entries (Undo ... Select All) outlive each menu, and screen readers would
    // be told of them as items of the first menu that showed them, long gone, and so hidden:
    // each menu has them told afresh as its own.
    for (QAction *action : menu->actions()) {
        if (QAccessibleInterface *item = QAccessible::queryAccessibleInterface(action))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
    }
    addSpelling(menu, *request);

    menu->addSeparator();
    const QUrl link = request->linkUrl();
    if (link.isValid() && !link.isEmpty()) {
        // Encoded, so the line holds only ASCII and leads back to the same place.
        const QString address = QString::fromLatin1(link.toEncoded());
        connect(menu->addAction(tr("Add Link to Favorites")), &QAction::triggered, this,
                [this, address] { emit addFavorite(address); });
        connect(menu->addAction(tr("Open link in private window")), &QAction::triggered, this,
                [this, address] { emit openInPrivateWindow(address); });
    }
    const QString selection = request->selectedText().simplified();
    if (!selection.isEmpty()) {
        connect(menu->addAction(tr("Search for '%1'").arg(caption(selection))), &QAction::triggered,
                this, [this, selection] { emit search(selection); });
    }
    menu->addSeparator();
    connect(menu->addAction(tr("View Source")), &QAction::triggered, this,
            &PageContextMenu::viewSource);
    connect(menu->addAction(tr("Inspect")), &QAction::triggered, this, &PageContextMenu::inspect);
    menu->popup(m_view->mapToGlobal(position));
}

void PageContextMenu::addSpelling(QMenu *menu, const QWebEngineContextMenuRequest &request)
{
    const QString word = request.misspelledWord();
    if (word.isEmpty() || !request.isContentEditable())
        return;
    const QStringList suggestions = request.spellCheckerSuggestions();
    // The engine's own few suggestions at the menu's end give way to ours at its start.
    for (QAction *action : menu->actions()) {
        if (suggestions.contains(action->text()))
            menu->removeAction(action);
    }
    QAction *first = menu->actions().value(0);
    const QPointer<QWebEnginePage> page = m_view->page();
    for (const QString &suggestion : suggestions.mid(0, MostSuggestions)) {
        auto *replace = new QAction(suggestion, menu);
        connect(replace, &QAction::triggered, this, [page, suggestion] {
            if (page)
                page->replaceMisspelledWord(suggestion);
        });
        menu->insertAction(first, replace);
    }
    // Qt 6.4 cannot add to the engine's dictionaries while it runs: the word goes to the
    // personal list, from which the next start makes a dictionary of its own.
    auto *add = new QAction(tr("Add to Dictionary"), menu);
    connect(add, &QAction::triggered, this, [this, word] { emit addWord(word); });
    menu->insertAction(first, add);
    if (first)
        menu->insertSeparator(first);
}
