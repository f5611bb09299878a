#include "lists/ListFile.h"

#include "common/FileBytes.h"
#include "lists/ListFileLock.h"
#include "lists/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr qint64 ReadChunk = 1 << 20;
constexpr qint64 MaxReserve = qint64(1) << 30;

using ListFile::Written;

// Replaces the file's content with the parts, one after another, all or nothing.
Written replace(const QString &fileName, std::initializer_list<QByteArrayView> parts);

// A failed step, with the system's reason in the words the status bar shows.
Written failed(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return {false, QStringLiteral("disk full")};
    case EACCES:
    case EPERM:
    case EROFS:
        return {false, QStringLiteral("it is read-only")};
    case EISDIR:
        return {false, QStringLiteral("it is not a file")};
    default:
        return {false, error ? QString::fromLocal8Bit(std::strerror(error)).toLower()
                             : QStringLiteral("unknown error")};
    }
}

// Where one entry stands in the bytes: its text, and the end of its terminator.
struct Span {
    qsizetype start;
    qsizetype end;
    qsizetype next;
};

// Calls line(span) for each entry: lines end at CR or CR LF; a lone LF stays inside its entry,
// and text after the last terminator is one more entry (its next == end == the size).
template <typename Line> void forEachLine(QByteArrayView bytes, Line line)
{
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const void *cr = std::memchr(data + start, CR, static_cast<size_t>(size - start));
        if (!cr) {
            line(Span{start, size, size});
            break;
        }
        const qsizetype end = static_cast<const char *>(cr) - data;
        qsizetype next = end + 1;
        if (next < size && data[next] == LF)
            ++next;
        line(Span{start, end, next});
        start = next;
    }
}

// The entries, decoded. Text after the last terminator is an entry unless it is cut short by a
// read failure (complete == false).
QStringList split(QByteArrayView bytes, bool complete)
{
    QStringList entries;
    forEachLine(bytes, [&](const Span &line) {
        if (complete || line.next != line.end)
            entries.append(Windows1252::decode(bytes.sliced(line.start, line.end - line.start)));
    });
    return entries;
}

// Where each entry starts, the last one left out when it is cut short (complete == false).
QList<qsizetype> entryStarts(QByteArrayView bytes, bool complete)
{
    QList<qsizetype> starts;
    forEachLine(bytes, [&](const Span &line) {
        if (complete || line.next != line.end)
            starts.append(line.start);
    });
    return starts;
}

// The entry from start to its CR, or to the end of the bytes.
QByteArrayView entryAt(QByteArrayView bytes, qsizetype start)
{
    const void *cr =
        std::memchr(bytes.data() + start, CR, static_cast<size_t>(bytes.size() - start));
    const qsizetype end = cr ? static_cast<const char *>(cr) - bytes.data() : bytes.size();
    return bytes.sliced(start, end - start);
}

// The whole file; complete is false when it could not be read to its end.
std::optional<QByteArray> readAll(const QString &fileName, bool &complete)
{
    complete = true;
    // Only a regular file: a device in its place (a link to /dev/zero, a pipe) never ends.
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Straight into one buffer, as large as the file says it is: a long list is copied once.
    QByteArray bytes;
    if (file.size() < MaxReserve)
        bytes.reserve(file.size() + 1);
    for (;;) {
        const qsizetype used = bytes.size();
        bytes.resize(used + ReadChunk);
        const qint64 read = file.read(bytes.data() + used, ReadChunk);
        bytes.resize(used + qMax<qint64>(read, 0));
        if (read < 0 || file.error() != QFileDevice::NoError) {
            complete = false;
            break;
        }
        if (read == 0)
            break;
    }
    return bytes;
}

QList<Span> spans(QByteArrayView bytes)
{
    QList<Span> lines;
    forEachLine(bytes, [&](const Span &line) { lines.append(line); });
    return lines;
}

// The entry to remove: the one at the row when it still holds the text, otherwise the equal
// entry nearest the row (the earlier one on a tie); -1 when none is equal. Compared as bytes:
// each byte decodes to its own character, so equal bytes are equal texts.
qsizetype entryToRemove(QByteArrayView bytes, const QList<Span> &lines, qsizetype row,
                        const QString &text)
{
    const QByteArray wanted = Windows1252::encode(text);
    if (Windows1252::decode(wanted) != text)
        return -1; // no entry can hold a character the file cannot
    const auto holds = [&](qsizetype i) {
        return bytes.sliced(lines[i].start, lines[i].end - lines[i].start) == wanted;
    };
    if (row >= 0 && row < lines.size() && holds(row))
        return row;
    qsizetype nearest = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (holds(i) && (nearest < 0 || qAbs(i - row) < qAbs(nearest - row)))
            nearest = i;
    }
    return nearest;
}

// A file edited by hand may end inside an entry; a new entry must not merge into it.
// Only a last byte CR, or CR LF, ends the last entry.
bool endsInsideEntry(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const qint64 tail = qMin<qint64>(file.size(), 2);
    if (!file.seek(file.size() - tail))
        return false;
    const QByteArray last = file.read(tail);
    if (last.size() != tail)
        return false;
    return !(last.endsWith(CR) || last.endsWith("\r\n"));
}

// List files are regular files; a device or a directory in their place is never written to.
Written mayWrite(const QString &fileName)
{
    const QFileInfo target(fileName);
    if (!target.exists() || target.isFile())
        return {};
    return failed(EISDIR);
}

} // namespace

namespace ListFile {

Written notLocked()
{
    return {false, QStringLiteral("it is in use by another program")};
}

QStringList parse(QByteArrayView bytes)
{
    return split(bytes, true);
}

QByteArray format(const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += Windows1252::encode(entry);
        bytes += "\r\n";
    }
    return bytes;
}

Lines ReadLines(const QString &fileName)
{
    bool complete = true;
    const std::optional<QByteArray> bytes = readAll(fileName, complete);
    if (!bytes)
        return {{}, false};
    return {split(*bytes, complete), complete};
}

Index ReadIndex(const QString &fileName)
{
    bool complete = true;
    std::optional<QByteArray> bytes = readAll(fileName, complete);
    if (!bytes)
        return {{}, {}, false};
    Index index{std::move(*bytes), {}, complete};
    index.starts = entryStarts(index.bytes, complete);
    return index;
}

QString Index::entry(qsizetype i) const
{
    return Windows1252::decode(entryAt(bytes, starts.at(i)));
}

Written openForAppend(QFile &file)
{
    if (const Written allowed = mayWrite(file.fileName()); !allowed)
        return allowed;
    // Unbuffered: appendEntry writes to the descriptor itself, so it knows of every byte.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failed(errno);
    return {};
}

Written appendEntry(QFile &file, const QString &text)
{
    QByteArray bytes;
    if (endsInsideEntry(file.fileName()))
        bytes += "\r\n";
    bytes += format({text});
    const int fd = file.handle();
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return failed(errno);
    if (FileBytes::writeAll(fd, bytes))
        return {};
    // A line cut short (a disk with a few bytes left) would become an entry of its own with the
    // next append: the file goes back to what it was.
    const int error = errno;
    while (::ftruncate(fd, before.st_size) != 0 && errno == EINTR) {
    }
    return failed(error);
}

Written AppendLine(const QString &fileName, const QString &text)
{
    const ListFileLock lock(fileName);
    if (!lock.isLocked())
        return notLocked();
    QFile file(fileName);
    if (const Written opened = openForAppend(file); !opened)
        return opened;
    return appendEntry(file, text);
}

Written WriteLines(const QString &fileName, const QStringList &entries)
{
    const ListFileLock lock(fileName);
    if (!lock.isLocked())
        return notLocked();
    return replace(fileName, {format(entries)});
}

Written RemoveEntry(const QString &fileName, qsizetype row, const QString &text)
{
    // One step under the lock, from the read to the replacement: an entry another process
    // appends meanwhile waits, and then goes to the new file.
    const ListFileLock lock(fileName);
    if (!lock.isLocked())
        return notLocked();
    if (!QFileInfo::exists(fileName))
        return {}; // nothing left to remove, and nothing to create
    bool complete = true;
    const std::optional<QByteArray> read = readAll(fileName, complete);
    if (!read || !complete)
        return {false, QStringLiteral("it cannot be read")};
    const QByteArray &bytes = *read;
    // Bytes in, bytes out: the other entries are not decoded and encoded again, so a long
    // list is rewritten in the time its bytes take to copy.
    const QList<Span> lines = spans(bytes);
    const qsizetype at = entryToRemove(bytes, lines, row, text);
    if (at < 0)
        return {};
    const QByteArrayView all(bytes);
    return replace(fileName, {all.first(lines[at].start), all.sliced(lines[at].next)});
}

Written EmptyFile(const QString &fileName)
{
    return WriteLines(fileName, {});
}

} // namespace ListFile

namespace {

Written replace(const QString &fileName, std::initializer_list<QByteArrayView> parts)
{
    // Atomic: the new content goes to a temporary file beside the old one, which is replaced only
    // once every byte is written and on the disk, so a crash or a full disk never leaves a
    // half-written list. Written to the descriptor itself: the save file's own buffer would
    // report a failed write only at the commit, which renames all the same.
    if (const Written allowed = mayWrite(fileName); !allowed)
        return allowed;
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(errno);
    const int fd = file.handle();
    for (const QByteArrayView part : parts) {
        if (!FileBytes::writeAll(fd, part)) {
            const int error = errno;
            file.cancelWriting();
            return failed(error);
        }
    }
    // A disk that takes the bytes into its cache may still find no room for them: only what
    // reached the disk replaces the old file.
    if (::fsync(fd) != 0) {
        const int error = errno;
        file.cancelWriting();
        return failed(error);
    }
    errno = 0;
    if (!file.commit())
        return failed(errno);
    return {};
}

} // namespace
