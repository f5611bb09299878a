#pragma once

#include <QString>

// The system's text editor: the desktop's default program for the file, through xdg-open.
namespace TextEditor {
// Starts the editor on the file and returns at once; false when it cannot be started.
bool open(const QString &fullPath);
} // namespace TextEditor
