#pragma once

#include <QByteArray>
#include <QString>

// The single-byte code page of the list files, the same on every system.
// Every byte decodes to one character and encodes back to the same byte; a character
// the code page cannot hold is written as '?'.
namespace Windows1252 {
QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);
} // namespace Windows1252
