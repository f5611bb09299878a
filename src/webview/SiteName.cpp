#include "webview/SiteName.h"

#include <QUrl>

namespace SiteName {

QString of(const QUrl &url)
{
    const QString host = url.host(QUrl::FullyDecoded);
    if (host.isEmpty())
        return url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment);
    return url.port() < 0 ? host : host + QLatin1Char(':') + QString::number(url.port());
}

} // namespace SiteName
