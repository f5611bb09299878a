#include "webview/engine/PageSaver.h"

#include <QFileDialog>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

struct Choice {
    const char *filter;
    const char *suffix;
    QWebEngineDownloadRequest::SavePageFormat format;
};

// Complete first: it is what the dialog offers unless the user picks another.
constexpr Choice Choices[] = {
    {"Web page, complete (*.htm *.html)", "htm", QWebEngineDownloadRequest::CompleteHtmlSaveFormat},
    {"Web page, HTML only (*.htm *.html)", "htm", QWebEngineDownloadRequest::SingleHtmlSaveFormat},
    {"Web archive, single file (*.mht *.mhtml)", "mht",
     QWebEngineDownloadRequest::MimeHtmlSaveFormat},
};

const Choice &choiceFor(const QString &filter)
{
    for (const Choice &choice : Choices) {
        if (filter == QLatin1String(choice.filter))
            return choice;
    }
    return Choices[0];
}

// The page's title as a file name: characters that file systems refuse become '_'.
QString suggestedName(const QWebEngineView *view)
{
    QString name = view->title().trimmed();
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(QStringLiteral("page"));
    return name.left(120) + QStringLiteral(".htm");
}

QString startFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return downloads.isEmpty() ? QDir::homePath() : downloads;
}

} // namespace

namespace PageSaver {

void saveAs(QWebEngineView *view)
{
    QStringList filters;
    for (const Choice &choice : Choices)
        filters.append(QLatin1String(choice.filter));

    // On the heap and watched: the window, and the dialog with it, may go while it is open.
    const QPointer<QWebEngineView> guard(view);
    const QPointer<QFileDialog> dialog =
        new QFileDialog(view->window(), QObject::tr("Save Web Page"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(filters);
    dialog->setDirectory(startFolder());
    dialog->selectFile(suggestedName(view));
    dialog->setDefaultSuffix(QLatin1String(Choices[0].suffix));
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString &f) {
        dialog->setDefaultSuffix(QLatin1String(choiceFor(f).suffix));
    });

    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return;
    const QStringList files = dialog->selectedFiles();
    const Choice &choice = choiceFor(dialog->selectedNameFilter());
    delete dialog;
    if (!accepted || files.isEmpty() || !guard)
        return;
    // An already accepted download: it passes the profile's download handling as it is.
    view->page()->save(files.constFirst(), choice.format);
}

} // namespace PageSaver
