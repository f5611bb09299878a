#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

// A list file: one entry per line, each written as its text and CR LF, in Windows-1252.
// Every operation opens the file, does its work and closes it before it returns. Each one that
// writes holds the file's ListFileLock while it works, and fails, changing nothing, when the
// lock cannot be had.
namespace ListFile {

// What became of a write: done, or not done and why, in a few words for the status bar
// ("disk full").
struct Written {
    bool ok = true;
    QString reason;

    explicit operator bool() const { return ok; }
};
// What a write reports that could not have the file's lock in time.
Written notLocked();

struct Lines {
    QStringList entries; // every entry read, also those read before a failure
    bool ok = true;      // false when the file was missing or could not be read to its end
};

Lines ReadLines(const QString &fileName);

// The same reading, with each entry decoded only when it is asked for: a long list costs its read
// and one pass over its bytes.
struct Index {
    QByteArray bytes;
    QList<qsizetype> starts; // where each entry begins in bytes
    bool ok = true;          // as for ReadLines

    qsizetype size() const { return starts.size(); }
    QString entry(qsizetype i) const;
};
Index ReadIndex(const QString &fileName);
// Writes the text and CR LF after the file's last byte; creates a missing file. All or nothing:
// a line that cannot be written whole is taken back.
Written AppendLine(const QString &fileName, const QString &text);
// Leaves the file empty (0 bytes); creates a missing file.
Written EmptyFile(const QString &fileName);
// Replaces the file's content with the entries, each followed by CR LF. All or nothing: the old
// file stays byte for byte unless the new one was written, flushed and synced whole.
Written WriteLines(const QString &fileName, const QStringList &entries);
// Removes one entry holding the text: the one at the row when it still does, otherwise the equal
// entry nearest it; every other entry stays, also those written since the caller read the file.
// True when the file no longer holds that entry (a missing file is not created); false when it
// could not be read to its end or rewritten, and it is then left as it was.
Written RemoveEntry(const QString &fileName, qsizetype row, const QString &text);

// For a caller that must keep the file open around its own steps: open for appending
// (creating a missing file), write entries, then close it. The caller holds the lock.
Written openForAppend(QFile &file);
Written appendEntry(QFile &file, const QString &text);

// The byte format on its own, without a file.
QStringList parse(QByteArrayView bytes);
QByteArray format(const QStringList &entries);

} // namespace ListFile
