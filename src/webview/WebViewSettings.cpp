#include "webview/WebViewSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace {

const QString HomePageKey = QStringLiteral("HomePage");
const QString SearchPageKey = QStringLiteral("SearchPage");
const QString JavaScriptKey = QStringLiteral("JavaScript");
const QString PopupsKey = QStringLiteral("PopupsWithoutClick");
const QString DownloadFolderKey = QStringLiteral("DownloadFolder");
const QString AskWhereToSaveKey = QStringLiteral("AskWhereToSave");
const QString FreezeAfterKey = QStringLiteral("FreezeAfter");
const QString DiscardAfterKey = QStringLiteral("DiscardAfter");
const QString RenderingKey = QStringLiteral("Rendering");
const QString SpellCheckKey = QStringLiteral("SpellCheck");
const QString ColorSchemeKey = QStringLiteral("ColorScheme");

// The value as text. A hand-written value holding a comma reads back as a list; it is still
// one value to the user.
std::optional<QString> text(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    if (!value.isValid() || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}

// A full address or the default: a hand-edited file must never leave the view with nowhere to go.
QString address(const QSettings &settings, const QString &key, const QString &fallback)
{
    const std::optional<QString> value = text(settings, key);
    if (!value)
        return fallback;
    return WebViewSettings::isAddress(*value) ? *value : fallback;
}

bool flag(const QSettings &settings, const QString &key, bool fallback)
{
    const QString value = text(settings, key).value_or(QString()).trimmed().toLower();
    if (value == u"true" || value == u"1")
        return true;
    if (value == u"false" || value == u"0")
        return false;
    return fallback;
}

// Only a regular file (or none yet) holds settings. The settings object would open a pipe in its
// place and wait forever, and would replace a device behind a link with a file of its own.
bool isSettingsFile(const QString &path)
{
    const QFileInfo file(path);
    return !file.exists() || file.isFile();
}

// Whole seconds, 0 or more; anything else reads as the default. A day at most: a delay longer
// than that is no delay the user meant, and the timers stay well inside their range.
int seconds(const QSettings &settings, const QString &key, int fallback)
{
    bool ok = false;
    const int value = text(settings, key).value_or(QString()).trimmed().toInt(&ok);
    if (!ok || value < 0)
        return fallback;
    return std::min(value, 24 * 60 * 60);
}

QString folder(const QSettings &settings, const QString &key)
{
    const QString value = text(settings, key).value_or(QString());
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return WebViewSettings::defaultDownloadFolder();
    return QDir::cleanPath(value);
}

} // namespace

namespace WebViewSettings {

QString defaultDownloadFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return downloads.isEmpty() ? QDir::homePath() : downloads;
}

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zarvo-velmora/webview.ini");
}

bool isAddress(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty();
}

Values load()
{
    Values values;
    if (!isSettingsFile(filePath()))
        return values;
    const QSettings settings(filePath(), QSettings::IniFormat);
    values.homePage = address(settings, HomePageKey, DefaultHomePage);
    values.searchPage = address(settings, SearchPageKey, DefaultSearchPage);
    values.javaScript = flag(settings, JavaScriptKey, DefaultJavaScript);
    values.popupsWithoutClick = flag(settings, PopupsKey, DefaultPopupsWithoutClick);
    values.downloadFolder = folder(settings, DownloadFolderKey);
    values.askWhereToSave = flag(settings, AskWhereToSaveKey, DefaultAskWhereToSave);
    values.spellCheck = flag(settings, SpellCheckKey, DefaultSpellCheck);
    values.freezeAfter = seconds(settings, FreezeAfterKey, DefaultFreezeAfter);
    values.discardAfter = seconds(settings, DiscardAfterKey, DefaultDiscardAfter);
    return values;
}

bool save(const Values &values)
{
    const QString path = filePath();
    if (!isSettingsFile(path) || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    // A settings object that cannot write keeps the values in a cache shared by the whole
    // program, where every later reading of the file would find them as if saved. So it writes
    // only a fresh draft, never read again; the file itself is replaced whole, or left as it was.
    QTemporaryFile draft(path + QStringLiteral(".XXXXXX"));
    if (!draft.open())
        return false;
    draft.close();
    {
        // Keys the file holds beside ours (written by hand, say) are kept.
        const QSettings current(path, QSettings::IniFormat);
        QSettings next(draft.fileName(), QSettings::IniFormat);
        for (const QString &key : current.allKeys())
            next.setValue(key, current.value(key));
        next.setValue(HomePageKey, values.homePage);
        next.setValue(SearchPageKey, values.searchPage);
        next.setValue(JavaScriptKey, values.javaScript);
        next.setValue(PopupsKey, values.popupsWithoutClick);
        next.setValue(DownloadFolderKey, values.downloadFolder);
        next.setValue(AskWhereToSaveKey, values.askWhereToSave);
        next.setValue(SpellCheckKey, values.spellCheck);
        next.setValue(FreezeAfterKey, values.freezeAfter);
        next.setValue(DiscardAfterKey, values.discardAfter);
        next.sync();
        if (next.status() != QSettings::NoError)
            return false;
    }
    QFile written(draft.fileName());
    if (!written.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = written.readAll();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString homePage()
{
    return load().homePage;
}

QString searchPage()
{
    return load().searchPage;
}

bool javaScript()
{
    return load().javaScript;
}

bool popupsWithoutClick()
{
    return load().popupsWithoutClick;
}

QString downloadFolder()
{
    return load().downloadFolder;
}

bool askWhereToSave()
{
    return load().askWhereToSave;
}

bool spellCheck()
{
    return load().spellCheck;
}

int freezeAfter()
{
    return load().freezeAfter;
}

int discardAfter()
{
    return load().discardAfter;
}

QString rendering()
{
    if (!isSettingsFile(filePath()))
        return QStringLiteral("auto");
    const QSettings settings(filePath(), QSettings::IniFormat);
    return text(settings, RenderingKey).value_or(QStringLiteral("auto"));
}

QString colorScheme()
{
    if (!isSettingsFile(filePath()))
        return QStringLiteral("auto");
    const QSettings settings(filePath(), QSettings::IniFormat);
    return text(settings, ColorSchemeKey).value_or(QStringLiteral("auto"));
}

} // namespace WebViewSettings
