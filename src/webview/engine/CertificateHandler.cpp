#include "webview/engine/CertificateHandler.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QSslCertificate>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <QWebEngineView>

CertificateHandler::CertificateHandler(QWebEngineView *view) : QObject(view), m_view(view)
{
    connect(view->page(), &QWebEnginePage::certificateError, this,
            &CertificateHandler::handleCertificateError);
}

QSet<QString> &CertificateHandler::allowed()
{
    static QSet<QString> keys;
    return keys;
}

QString CertificateHandler::key(const QWebEngineCertificateError &error)
{
    const QList<QSslCertificate> chain = error.certificateChain();
    const QByteArray certificate =
        chain.isEmpty() ? QByteArray() : chain.first().digest(QCryptographicHash::Sha256).toHex();
    return SiteName::of(error.url()) + QLatin1Char(' ') + QString::fromLatin1(certificate);
}

void CertificateHandler::handleCertificateError(const QWebEngineCertificateError &certificateError)
{
    QWebEngineCertificateError error = certificateError;
    if (error.isOverridable() && allowed().contains(key(error))) {
        error.acceptCertificate();
        return;
    }
    // The engine wants an answer or a deferral before this returns; the question comes after.
    // An error that cannot be overridden is refused by the engine all the same; it is only shown.
    if (error.isOverridable())
        error.defer();
    QTimer::singleShot(0, this, [this, error] { decide(error); });
}

void CertificateHandler::decide(QWebEngineCertificateError error)
{
    const QPointer<QWebEnginePage> page = m_view->page();
    const bool proceed = Prompter::current().proceedDespiteCertificateError(
        m_view->window(), SiteName::of(error.url()), error.description(), error.isOverridable());
    if (!page || !error.isOverridable())
        return;
    if (proceed) {
        allowed().insert(key(error));
        error.acceptCertificate();
    } else {
        error.rejectCertificate();
    }
}
