#include "main_window/ClosedWindows.h"

#include "main_window/Form1.h"
#include "webview/WebView.h"

#include <QList>

namespace {

struct Closed {
    QByteArray history;
    QString address;
};

QList<Closed> &closed()
{
    static QList<Closed> list;
    return list;
}

} // namespace

namespace ClosedWindows {

void remember(Form1 *window)
{
    if (window->isPrivate())
        return;
    Closed entry{window->WebBrowser1->SavedHistory(), window->WebBrowser1->LocationURL()};
    // A window that never showed a page has nothing to come back to.
    if (entry.history.isEmpty() && entry.address.isEmpty())
        return;
    closed().prepend(entry);
    while (closed().size() > Kept)
        closed().removeLast();
}

Form1 *reopen()
{
    if (closed().isEmpty())
        return nullptr;
    const Closed entry = closed().takeFirst();
    return Form1::open({entry.address, entry.history});
}

int count()
{
    return int(closed().size());
}

void forget()
{
    closed().clear();
}

} // namespace ClosedWindows
