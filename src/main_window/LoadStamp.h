#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The History.DAT line a main window writes when it loads: the short date, with a four-digit
// year, directly followed by the long time without a time zone ("3/9/20104:05:06 PM" in en_US).
namespace LoadStamp {
QString text(const QDateTime &now, const QLocale &locale);
}
