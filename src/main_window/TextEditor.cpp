#include "main_window/TextEditor.h"

#include <QProcess>

namespace TextEditor {

bool open(const QString &fullPath)
{
    // The path is one argument of its own, never part of a command line: blanks, quotes or
    // shell characters in a folder's name reach the editor unchanged.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {fullPath});
}

} // namespace TextEditor
