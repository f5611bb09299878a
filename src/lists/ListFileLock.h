#pragma once

#include "common/FileLock.h"

#include <QString>

// An advisory lock that every writer of one list file shares, across processes: an append or a
// read-change-replace holds it from its first read to its last write, so no writer's entry is
// lost to another's replacement. The lock lives in a file of its own in a folder only this user
// can make (see PrivateFolder), named after the list file's absolute path, so nothing new appears
// beside the lists.
// Held until the object goes; within one process it is taken once at a time.
class ListFileLock {
public:
    // Waits up to the limit for the lock; isLocked() tells whether the step may go on.
    explicit ListFileLock(const QString &fileName, int limitMs = DefaultLimitMs);
    // False also where no lock can be kept at all (no private folder for it): writing unlocked
    // would lose another writer's entries unseen.
    bool isLocked() const;
    void release();

    // Where the lock of that list file lives; empty where no private folder can be had.
    static QString lockPath(const QString &fileName);

    static constexpr int DefaultLimitMs = 2000;

private:
    FileLock m_lock;
};
