#pragma once

#include <QString>

// The private place where downloads a page started without a click wait for the user's answer:
// one folder per run under the program's cache folder (0700, its owner checked), one folder per
// download in it. The run's folder goes when the run ends; the folders of runs that ended without
// cleaning up (a crash) are swept at a later start. A run holds an flock on its folder's lock for
// as long as it lives, so a sweep never takes the folder of a browser that still runs.
class DownloadHolding {
public:
    // Where a held file ended up in the download folder, or why it could not go there.
    struct Placed {
        QString path;
        QString error;
    };

    DownloadHolding() = default;
    ~DownloadHolding();
    DownloadHolding(const DownloadHolding &) = delete;
    DownloadHolding &operator=(const DownloadHolding &) = delete;

    // A private folder of its own for the download, made on first use; empty when no private
    // place can be had.
    QString folderFor(quint32 id);
    // The download's folder and whatever is in it, deleted.
    void discard(quint32 id);
    // This run's folder and whatever is in it, deleted.
    void clear();

    // The folder every run keeps its held downloads in.
    static QString base();
    // Deletes the folders of runs that no running browser holds. It reads folders: call it off
    // the user interface thread.
    static void sweep();
    // Moves the finished file to the path in its folder or, where another file took that path
    // meanwhile, to the next free name for the name ("name (1).ext"); a copy where the folders
    // lie on different file systems. The file gets the permissions of a file the user creates.
    // It may copy for long: call it off the user interface thread.
    static Placed moveInto(const QString &file, const QString &path, const QString &name);

private:
    bool open();

    QString m_run;
    int m_lock = -1;
};
