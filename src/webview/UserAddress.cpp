#include "webview/UserAddress.h"

#include <QDir>

namespace UserAddress {

QUrl toUrl(const QString &text, const QString &workingDirectory)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    // "~/" is the user's home folder, as in a shell.
    if (trimmed.startsWith(QLatin1String("~/")))
        trimmed.replace(0, 1, QDir::homePath());
    QUrl url = QUrl::fromUserInput(trimmed, workingDirectory);
    if (url.isValid())
        return url;
    // "host\page.htm": the backslash is a slash typed the other platform's way.
    url = QUrl::fromUserInput(QString(trimmed).replace(u'\\', u'/'), workingDirectory);
    return url.isValid() ? url : QUrl();
}

} // namespace UserAddress
