#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class LoopbackServer;
class WindowWatch;
class QEventLoop;
class QSocketNotifier;

// One run of a browser program under measurement, timed from outside from the moment it is
// started. How its home page's completion is seen depends on the program:
// - HistoryFile: the browser as it ships, unchanged. On each completed page it appends the page's
//   address to History.DAT in its working folder, so the folder is watched (inotify) for the line;
//   the caption changes in the same handler.
// - Stdout: a bench program that prints "loaded 1" (and "loaded 2 MS" for a second window, see
//   bare.cpp) and takes commands on its standard input.
// - HandOver: a second start of the browser in a folder where one already runs. It ends by
//   itself with status 0 once the running browser has taken the request; the page it asked for
//   is seen as with HistoryFile, written by the running browser.
class ProgramRun : public QObject {
    Q_OBJECT

public:
    enum class Completion { HistoryFile, Stdout, HandOver };

    ProgramRun(const QString &program, const QStringList &arguments, Completion completion,
               const QUrl &home, const QProcessEnvironment &environment,
               const QString &workingFolder, LoopbackServer &server, WindowWatch *window = nullptr);
    ~ProgramRun() override;

    // Starts the program and waits for its home page; false (with error()) on a timeout or exit.
    bool startAndWaitLoaded(int timeoutMs);
    double loadedMs() const { return m_loadedMs; }
    // When the program ended by itself, from the start (HandOver); negative while it runs.
    double endedMs() const { return m_endedMs; }
    // When its main window was first mapped, and first drawn into; negative when not seen (no X
    // display).
    double shownMs() const;
    double paintedMs() const;
    // CPU time of the whole process tree when the page had completed, in ms.
    double loadedCpuMs() const { return m_loadedCpuMs; }
    // When the server got the home page's request, from the start; negative when it never did.
    double firstRequestMs() const { return m_firstRequestMs; }
    // Lets the page and the engine settle with the event loop running (the server keeps answering).
    void settle(int ms);
    // PSS of the whole process tree, in MiB.
    double pssMiB() const;
    // Asks for a second window and waits for its page; the time the program reports, in ms.
    std::optional<double> secondWindowMs(int timeoutMs);
    // Ends the program and everything it started, and waits until all of it is gone.
    void finish();
    QString error() const { return m_error; }

private:
    bool waitUntil(const std::function<bool()> &done, int timeoutMs);
    void wake();
    void readStdout();
    void readFolderEvents();
    void loaded(double ms);
    double sinceStart() const { return double(m_sinceStart.nsecsElapsed()) / 1e6; }

    Completion m_completion;
    QUrl m_home;
    QString m_workingFolder;
    QProcess m_process;
    QElapsedTimer m_sinceStart;
    QByteArray m_stdout;
    int m_inotify = -1;
    QSocketNotifier *m_folderEvents = nullptr;
    WindowWatch *m_window = nullptr;
    QEventLoop *m_waiting = nullptr;
    double m_loadedMs = -1;
    double m_loadedCpuMs = -1;
    double m_endedMs = -1;
    double m_firstRequestMs = -1;
    std::optional<double> m_secondMs;
    QString m_error;
};
