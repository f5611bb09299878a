#pragma once

#include <QString>

// An advisory lock (flock) on a file of its own, shared by every process that names the same
// file. Waits up to a limit: a blocking flock cannot be given one, so it is tried again and again.
// Held until the object goes or release().
class FileLock {
public:
    enum class State {
        Held,
        NoFile, // the lock file cannot be opened or made: nothing to share a lock through
        Busy,   // another holds it beyond the limit
    };

    FileLock(const QString &path, int limitMs, int retryMs);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    State state() const { return m_state; }
    void release();

private:
    int m_fd = -1;
    State m_state = State::NoFile;
};
