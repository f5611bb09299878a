#include "webview/engine/PermissionHandler.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"

#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

PermissionHandler::PermissionHandler(QWebEngineView *view) : QObject(view), m_view(view)
{
    connect(view->page(), &QWebEnginePage::featurePermissionRequested, this,
            &PermissionHandler::handleFeaturePermissionRequested);
}

QString PermissionHandler::description(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications:
        return tr("show notifications");
    case QWebEnginePage::Geolocation:
        return tr("know your location");
    case QWebEnginePage::MediaAudioCapture:
        return tr("use your microphone");
    case QWebEnginePage::MediaVideoCapture:
        return tr("use your camera");
    case QWebEnginePage::MediaAudioVideoCapture:
        return tr("use your camera and microphone");
    case QWebEnginePage::DesktopVideoCapture:
        return tr("share your screen");
    case QWebEnginePage::DesktopAudioVideoCapture:
        return tr("share your screen and its sound");
    case QWebEnginePage::MouseLock:
        break;
    }
    return {};
}

QHash<QString, bool> &PermissionHandler::answers()
{
    static QHash<QString, bool> given;
    return given;
}

void PermissionHandler::handleFeaturePermissionRequested(const QUrl &securityOrigin,
                                                         QWebEnginePage::Feature feature)
{
    // Asked once the engine's own work is done, not inside its signal.
    QTimer::singleShot(0, this,
                       [this, securityOrigin, feature] { decide(securityOrigin, feature); });
}

void PermissionHandler::decide(const QUrl &securityOrigin, QWebEnginePage::Feature feature)
{
    const QString key = securityOrigin.toString() + QLatin1Char(' ') + QString::number(feature);
    const QString what = description(feature);
    const QPointer<QWebEnginePage> page = m_view->page();
    if (!what.isEmpty() && !answers().contains(key))
        answers().insert(
            key, Prompter::current().allow(m_view->window(), SiteName::of(securityOrigin), what));
    if (!page)
        return;
    const bool granted = answers().value(key, false);
    page->setFeaturePermission(securityOrigin, feature,
                               granted ? QWebEnginePage::PermissionGrantedByUser
                                       : QWebEnginePage::PermissionDeniedByUser);
    if (granted)
        emit this->granted(feature);
}
