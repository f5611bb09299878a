#include "webview/engine/SpellDictionaries.h"

#include "webview/WebViewSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEnginePage>
#include <algorithm>
#include <memory>

namespace {

constexpr const char *DictionariesVariable = "QTWEBENGINE_DICTIONARIES_PATH";
const QString HunspellFolder = QStringLiteral("/usr/share/hunspell");
// Where another package may already have put the engine's format.
const QString SystemBdicFolder = QStringLiteral("/usr/share/hunspell-bdic");
constexpr int ConvertTimeoutMs = 120000;

QStringList found;
bool started = false;

QString bdic(const QString &folder, const QString &name)
{
    return folder + u'/' + name + QStringLiteral(".bdic");
}

// "en_US.UTF-8@euro" is "en-US"; "C" and "POSIX" name no language.
QString engineName(QString locale)
{
    locale = locale.section(u'.', 0, 0).section(u'@', 0, 0).trimmed();
    if (locale.isEmpty() || locale == u"C" || locale == u"POSIX")
        return {};
    return locale.replace(u'_', u'-');
}

// A folder of ours: made private to the user where it is new.
bool makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Runs the converter on a .dic beside its .aff, into the target through a draft, so the engine
// never finds half a dictionary.
bool convert(const QString &dic, const QString &target)
{
    const QString draft = target + QStringLiteral(".part");
    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    converter.start(SpellDictionaries::converterPath(), {dic, draft});
    const bool converted = converter.waitForFinished(ConvertTimeoutMs) &&
                           converter.exitStatus() == QProcess::NormalExit &&
                           converter.exitCode() == 0 && QFileInfo(draft).size() > 0;
    if (converter.state() != QProcess::NotRunning) {
        converter.kill();
        converter.waitForFinished();
    }
    if (!converted) {
        QFile::remove(draft);
        return false;
    }
    // The personal dictionary holds the user's own words.
    QFile::setPermissions(draft, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(target);
    return QFile::rename(draft, target);
}

bool newer(const QString &source, const QString &made)
{
    const QFileInfo made_(made);
    return !made_.exists() || QFileInfo(source).lastModified() > made_.lastModified();
}

QStringList wordList()
{
    QFile file(SpellDictionaries::wordListPath());
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
    }
    return words;
}

// The personal word list as a hunspell dictionary with no rules, converted.
bool makePersonal(const QString &target)
{
    QStringList words = wordList();
    if (words.isEmpty()) {
        QFile::remove(target);
        return false;
    }
    // The converter rejects a dictionary of one word; the browser's own name is no misspelling.
    for (const QString &name : {QStringLiteral("Zarvo"), QStringLiteral("Velmora")}) {
        if (!words.contains(name))
            words.append(name);
    }
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    QFile aff(scratch.filePath(QStringLiteral("personal.aff")));
    QFile dic(scratch.filePath(QStringLiteral("personal.dic")));
    if (!aff.open(QIODevice::WriteOnly) || !dic.open(QIODevice::WriteOnly))
        return false;
    aff.write("SET UTF-8\n");
    dic.write(QByteArray::number(words.size()) + '\n' + words.join(u'\n').toUtf8() + '\n');
    aff.close();
    dic.close();
    return convert(dic.fileName(), target);
}

} // namespace

namespace SpellDictionaries {

QStringList localeLanguages(const QString &language, const QString &lang)
{
    QStringList names;
    for (const QString &locale : language.split(u':') + QStringList{lang}) {
        const QString name = engineName(locale);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/zarvo-velmora/dictionaries");
}

QString wordListPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zarvo-velmora/words.txt");
}

QString converterPath()
{
    return QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
           QStringLiteral("/qwebengine_convert_dict");
}

void beforeEngine()
{
    const QStringList wanted =
        localeLanguages(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LANG"));
    // The user's own choice of folder stands.
    QString path = qEnvironmentVariable(DictionariesVariable);
    if (path.isEmpty()) {
        path = folder();
        const auto has = [&wanted](const QString &where) {
            return std::any_of(wanted.cbegin(), wanted.cend(), [&where](const QString &name) {
                return QFileInfo::exists(bdic(where, name));
            });
        };
        // Until ours are made, those another package made.
        if (!has(path) && has(SystemBdicFolder))
            path = SystemBdicFolder;
        qputenv(DictionariesVariable, QFile::encodeName(path));
    }
    found.clear();
    for (const QString &name : wanted) {
        if (QFileInfo::exists(bdic(path, name)))
            found.append(name);
    }
    // Words count only beside a language's dictionary.
    if (!found.isEmpty() && QFileInfo::exists(bdic(path, PersonalName)))
        found.append(PersonalName);
}

QStringList languages()
{
    return found;
}

bool addWord(const QString &word)
{
    const QString clean = word.trimmed();
    if (clean.isEmpty() || clean.contains(u'\n'))
        return false;
    QStringList words = wordList();
    if (words.contains(clean))
        return true;
    words.append(clean);
    const QString path = wordListPath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return false;
    const QByteArray bytes = words.join(u'\n').toUtf8() + '\n';
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QStringList prepare(const QStringList &languages)
{
    QStringList made;
    if (!QFileInfo(converterPath()).isExecutable() || !makeFolder(folder()))
        return made;
    for (const QString &name : languages) {
        const QString target = bdic(folder(), name);
        const QString system = bdic(SystemBdicFolder, name);
        const QString source =
            HunspellFolder + u'/' + QString(name).replace(u'-', u'_') + QStringLiteral(".dic");
        if (QFileInfo::exists(system)) {
            // Already in the engine's format: linked, not copied.
            if (!QFileInfo(target).exists() && QFile::link(system, target))
                made.append(name);
        } else if (QFileInfo::exists(source) && newer(source, target) && convert(source, target)) {
            made.append(name);
        }
    }
    const QString personal = bdic(folder(), PersonalName);
    if (newer(wordListPath(), personal) && makePersonal(personal))
        made.append(PersonalName);
    return made;
}

void prepareAfterFirstPage(QWebEnginePage *page)
{
    if (started)
        return;
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(page, &QWebEnginePage::loadFinished, page, [connection] {
        QObject::disconnect(*connection);
        if (started)
            return;
        started = true;
        if (!WebViewSettings::spellCheck())
            return;
        const QStringList wanted =
            localeLanguages(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LANG"));
        QThread *worker = QThread::create([wanted] { prepare(wanted); });
        // Gone when done, or with the application at the latest.
        worker->setParent(qApp);
        QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        // A conversion under way ends before the program does, leaving no converter behind; it
        // takes a second or two.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, worker,
                         [worker] { worker->wait(); });
        QObject::connect(qApp, &QObject::destroyed, worker, [worker] { worker->wait(); });
        worker->start(QThread::LowestPriority);
    });
}

} // namespace SpellDictionaries
