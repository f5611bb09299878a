#include "webview/UserAddress.h"

namespace UserAddress {

QUrl toUrl(const QString &text, const QString &workingDirectory)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    QUrl url = QUrl::fromUserInput(trimmed, workingDirectory);
    if (url.isValid())
        return url;
    // "host\page.htm": the backslash is a slash typed the other platform's way.
    url = QUrl::fromUserInput(QString(trimmed).replace(u'\\', u'/'), workingDirectory);
    return url.isValid() ? url : QUrl();
}

} // namespace UserAddress
