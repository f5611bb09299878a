#include "search/SearchAddress.h"

#include <QUrl>

namespace SearchAddress {

std::optional<QString> forSearch(const QString &category, const QString &searchText)
{
    for (const Category &row : Categories) {
        if (row.name != category)
            continue;
        // toPercentEncoding leaves exactly the unreserved characters and writes upper-case hex.
        const QString query = QString::fromLatin1(QUrl::toPercentEncoding(searchText));
        return QStringLiteral("http://") + row.host + row.before + query + row.after;
    }
    return std::nullopt;
}

} // namespace SearchAddress
