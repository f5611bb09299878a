#pragma once

#include <QString>

// Folders for what must be this user's alone (list locks, the hand-over's socket): a folder
// another local user could create first, or link elsewhere, would let that user hold or drop our
// locks and answer in our browser's place.
namespace PrivateFolder {
// The session's runtime folder where it is one only this user can enter; otherwise the
// program's folder in the user's cache, ~/.cache/zarvo-velmora, made so. Never a path under the
// shared temporary folder. Empty where neither can be had.
QString base();
// Whether base() is the runtime folder the session provides.
bool isRuntime(const QString &base);
// The folder, made 0700 if missing; empty unless it is a real folder (not a link) of this user
// that only this user can enter.
QString made(const QString &folder);
} // namespace PrivateFolder
