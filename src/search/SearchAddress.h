#pragma once

#include <QString>
#include <array>
#include <optional>

// The search provider's result-page addresses: one row per category, in the order the Search
// button tries them.
namespace SearchAddress {

inline const QString WebSearchHost = QStringLiteral("search.yahoo.com");
inline const QString ImageSearchHost = QStringLiteral("images.search.yahoo.com");
inline const QString VideoSearchHost = QStringLiteral("video.search.yahoo.com");
inline const QString AudioSearchHost = QStringLiteral("audio.search.yahoo.com");
inline const QString LocalSearchHost = QStringLiteral("local.yahoo.com");
inline const QString NewsSearchHost = QStringLiteral("news.search.yahoo.com");
inline const QString ShoppingHost = QStringLiteral("shopping.yahoo.com");

// http:// + host + before + the search text + after.
struct Category {
    QString name;
    QString host;
    QString before;
    QString after;
};

// The provider's own query strings, kept byte for byte (the literal TEXT in Local, the repeated
// toggle, the shared tail of Video and Audio).
inline const std::array<Category, 8> Categories{{
    {QStringLiteral("Web"), WebSearchHost, QStringLiteral("/search?p="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&cop=&ei=UTF-8")},
    {QStringLiteral("Images"), ImageSearchHost, QStringLiteral("/search/images?p="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-web")},
    {QStringLiteral("Video"), VideoSearchHost, QStringLiteral("/search/video?p="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-img")},
    {QStringLiteral("Audio"), AudioSearchHost, QStringLiteral("/search/audio?p="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-img")},
    {QStringLiteral("Directory"), WebSearchHost, QStringLiteral("/search/dir?p="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-aud")},
    {QStringLiteral("Local"), LocalSearchHost, QStringLiteral("/results?stx=TEXT&toggle=1&qry="),
     QStringLiteral("&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-dir")},
    {QStringLiteral("News"), NewsSearchHost, QStringLiteral("/search/news?p="),
     QStringLiteral("&fr=FP-tab-web-t400&fr2=tab-lcl")},
    {QStringLiteral("Shopping"), ShoppingHost, QStringLiteral("/search?ei=UTF-8&p="),
     QStringLiteral("&fr=FP-tab-web-t400&cop=mss&fr2=tab-news")},
}};

// The result page for the first row whose name equals the category exactly (whole text,
// case-sensitive); nothing when no row does. The search text goes in as UTF-8 with every byte
// but A-Z a-z 0-9 - . _ ~ percent-encoded, so "&", "#" or "%" stay part of the query.
std::optional<QString> forSearch(const QString &category, const QString &searchText);

} // namespace SearchAddress
