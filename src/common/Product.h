#pragma once

#include <QString>

// Names and texts the whole program shares.
namespace Product {
inline const QString Name = QStringLiteral("Zarvo Velmora 1.0");
inline const QString ExecutableName = QStringLiteral("zarvo-velmora");
// The installed desktop entry's name (without ".desktop"), which the windows are shown under.
inline const QString DesktopId = QStringLiteral("com.zarvovelmora.ZarvoVelmora");
inline const QString FavoritesFile = QStringLiteral("Favorites.DAT");
inline const QString HistoryFile = QStringLiteral("History.DAT");
// The page source handed to the text editor, in the working directory.
inline const QString ViewSourceFile = QStringLiteral("VIEWSOURCE.TXT");
// The maker's web hosts: one for the news and update pages, one for support.
inline const QString MakerPageHost = QStringLiteral("www.zarvovelmora.com");
inline const QString MakerSupportHost = QStringLiteral("support.zarvovelmora.com");
} // namespace Product
