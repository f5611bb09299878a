#pragma once

// What must hold for any input: shared by the fuzz targets and by the regression test that
// replays every input the fuzzers ever found.

#include "lists/ListFile.h"
#include "lists/Windows1252.h"
#include "search/SearchAddress.h"

#include <QByteArray>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

namespace FuzzChecks {

inline void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A list file's bytes: every byte survives decoding and encoding; entries never hold CR; writing
// the entries back and reading them again gives the same entries.
inline void listFile(QByteArrayView bytes)
{
    const QString text = Windows1252::decode(bytes);
    require(text.size() == bytes.size(), "one character per byte");
    require(Windows1252::encode(text) == bytes, "bytes round-trip");

    const QStringList entries = ListFile::parse(bytes);
    for (const QString &entry : entries)
        require(!entry.contains(QLatin1Char('\r')), "no CR inside an entry");
    require(ListFile::parse(ListFile::format(entries)) == entries, "entries round-trip");
}

// A search: the first byte picks the category, the rest is the search text as UTF-8. The address
// is a valid http address on the row's host, and the search text is recovered from it.
inline void search(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const auto row = static_cast<unsigned char>(bytes[0]) % (SearchAddress::Categories.size() + 1);
    const QString category = row < SearchAddress::Categories.size()
                                 ? SearchAddress::Categories[row].name
                                 : QString::fromUtf8(bytes.sliced(1));
    const QString text = QString::fromUtf8(bytes.sliced(1));
    const std::optional<QString> address = SearchAddress::forSearch(category, text);
    if (row == SearchAddress::Categories.size()) {
        bool known = false;
        for (const auto &c : SearchAddress::Categories)
            known = known || c.name == category;
        require(address.has_value() == known, "only a category's exact name searches");
        return;
    }
    require(address.has_value(), "every category searches");
    const QUrl url(*address, QUrl::StrictMode);
    require(url.isValid(), "a valid address");
    require(url.host() == SearchAddress::Categories[row].host, "the row's host");
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    require(address->contains(encoded), "the text is in the address, encoded");
    require(QUrl::fromPercentEncoding(encoded.toLatin1()) == text, "the text is recovered");
    const auto isHex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); };
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        if (c == u'%') {
            require(i + 2 < encoded.size() + 1 && isHex(encoded[i + 1]) && isHex(encoded[i + 2]),
                    "an escape is % and two upper-case hex digits");
            i += 2;
            continue;
        }
        require((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
                    c == u'-' || c == u'.' || c == u'_' || c == u'~',
                "only unreserved characters stand unescaped");
    }
}

} // namespace FuzzChecks
