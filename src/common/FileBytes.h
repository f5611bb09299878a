#pragma once

#include <QByteArrayView>

// Writing to a file descriptor where a short write must not pass for a whole one: a full disk,
// a file size limit or a signal can each cut a write short.
namespace FileBytes {
// Writes every byte, going on after a write the system cut short or a signal interrupted; false
// with errno telling why on the first failure (ENOSPC where the system wrote nothing).
bool writeAll(int fd, QByteArrayView bytes);
} // namespace FileBytes
