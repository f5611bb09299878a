#pragma once

#include <QString>
#include <QUrl>

// What a browser's address line makes of typed text: a bare host becomes an http address, an
// existing local path a file address, a path under "~/" one in the home folder. Empty text gives
// an invalid address (nothing to visit).
namespace UserAddress {
QUrl toUrl(const QString &text, const QString &workingDirectory);
}
