#include "webview/TypedText.h"

#include "search/SearchAddress.h"

#include <QRegularExpression>
#include <QUrl>

namespace TypedText {

namespace {

bool hasScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(text).hasMatch();
}

bool isPath(const QString &text)
{
    return text.startsWith(u'/') || text.startsWith(QLatin1String("~/")) ||
           text.startsWith(QLatin1String("./"));
}

bool isLocalhost(const QString &text)
{
    static const QRegularExpression localhost(QStringLiteral("^localhost(:[0-9]+)?(/.*)?$"),
                                              QRegularExpression::CaseInsensitiveOption);
    return localhost.match(text).hasMatch();
}

bool isHost(const QString &text)
{
    if (text.contains(QRegularExpression(QStringLiteral("\\s"))))
        return false;
    if (!text.contains(u'.') && !text.contains(u':'))
        return false;
    // "host\page.htm" is read as the address line reads it, the backslash as a slash.
    const QUrl url = QUrl::fromUserInput(QString(text).replace(u'\\', u'/'));
    return url.isValid() && !url.host().isEmpty();
}

} // namespace

bool isAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    return hasScheme(trimmed) || isPath(trimmed) || isLocalhost(trimmed) || isHost(trimmed);
}

std::optional<QString> words(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || isAddress(trimmed))
        return std::nullopt;
    return trimmed;
}

QString searchAddress(const QString &words)
{
    return *SearchAddress::forSearch(SearchAddress::Categories.front().name, words);
}

} // namespace TypedText
