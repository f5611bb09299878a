#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty working directory for one test; the old one is restored afterwards.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    static void write(const QString &name, const QByteArray &bytes);
    // The file's bytes, or a null array when it cannot be read.
    static QByteArray read(const QString &name);
    static bool exists(const QString &name);

private:
    QString m_previous;
    QTemporaryDir m_dir;
};
