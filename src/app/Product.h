#pragma once

#include <QString>

// Names and texts the whole program shares.
namespace Product {
inline const QString Name = QStringLiteral("Zarvo Velmora 1.0");
inline const QString ExecutableName = QStringLiteral("zarvo-velmora");
inline const QString FavoritesFile = QStringLiteral("Favorites.DAT");
inline const QString HistoryFile = QStringLiteral("History.DAT");
} // namespace Product
