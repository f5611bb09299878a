#pragma once

#include <QObject>
#include <QSet>

class QWebEngineCertificateError;
class QWebEngineView;

// Never lets a page past a bad certificate silently: the user sees what is wrong and for which
// host, and may continue, for errors the engine allows it, for that host until the program ends.
class CertificateHandler : public QObject {
    Q_OBJECT

public:
    explicit CertificateHandler(QWebEngineView *view);

private:
    void handleCertificateError(const QWebEngineCertificateError &certificateError);
    void decide(QWebEngineCertificateError error);

    // Host and certificate the user let through, shared by every window of this run.
    static QSet<QString> &allowed();
    static QString key(const QWebEngineCertificateError &error);

    QWebEngineView *m_view;
};
