#include "webview/WebViewSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
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
    const QSettings settings(filePath(), QSettings::IniFormat);
    Values values;
    values.homePage = address(settings, HomePageKey, DefaultHomePage);
    values.searchPage = address(settings, SearchPageKey, DefaultSearchPage);
    values.javaScript = flag(settings, JavaScriptKey, DefaultJavaScript);
    values.popupsWithoutClick = flag(settings, PopupsKey, DefaultPopupsWithoutClick);
    values.downloadFolder = folder(settings, DownloadFolderKey);
    values.askWhereToSave = flag(settings, AskWhereToSaveKey, DefaultAskWhereToSave);
    return values;
}

bool save(const Values &values)
{
    const QList<std::pair<QString, QVariant>> entries = {
        {HomePageKey, values.homePage},
        {SearchPageKey, values.searchPage},
        {JavaScriptKey, values.javaScript},
        {PopupsKey, values.popupsWithoutClick},
        {DownloadFolderKey, values.downloadFolder},
        {AskWhereToSaveKey, values.askWhereToSave},
    };
    {
        QSettings settings(filePath(), QSettings::IniFormat);
        for (const auto &[key, value] : entries)
            settings.setValue(key, value);
        settings.sync();
    }
    // The settings object reports only its first problem, so a damaged file read in hides a
    // failed write: what counts is what the file holds now.
    const QSettings written(filePath(), QSettings::IniFormat);
    return std::all_of(entries.begin(), entries.end(), [&written](const auto &entry) {
        return written.value(entry.first).toString() == entry.second.toString();
    });
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

} // namespace WebViewSettings
