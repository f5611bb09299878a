#pragma once

#include "webview/WebView.h"

#include <QPointer>
#include <QStringList>
#include <functional>

// A web view that records every call as a line of text and raises events when a test says so.
class FakeWebView : public WebView {
    Q_OBJECT

public:
    explicit FakeWebView(QWidget *parent = nullptr);

    // Every fake made, oldest first; those since deleted are null.
    static QList<QPointer<FakeWebView>> &made();
    // The fake web view of a window, or null.
    static FakeWebView *of(const QWidget *window);
    // Makes the web view factory hand out fakes until the returned guard is gone.
    struct Install {
        Install();
        ~Install();
    };

    void GoHome() override { record(QStringLiteral("GoHome")); }
    void GoBack() override { record(QStringLiteral("GoBack")); }
    void GoForward() override { record(QStringLiteral("GoForward")); }
    void Stop() override { record(QStringLiteral("Stop")); }
    void Refresh() override { record(QStringLiteral("Refresh")); }
    void Refresh2(int Level) override { record(QStringLiteral("Refresh2 %1").arg(Level)); }
    void GoSearch() override { record(QStringLiteral("GoSearch")); }
    void Navigate(const QString &url) override { record(QStringLiteral("Navigate ") + url); }
    void Navigate2(const QString &url) override { record(QStringLiteral("Navigate2 ") + url); }
    void ExecWB(int cmdID, int cmdexecopt, const QVariant &in = {},
                QVariant *out = nullptr) override;

    bool Busy() const override { return busy; }
    void ShowDevTools() override { record(QStringLiteral("ShowDevTools")); }

    QString LocationURL() const override { return locationURL; }
    QString LocationName() const override { return locationName; }
    void Document(MarkupCallback innerHTML) override { innerHTML(markup); }
    QObject *Object() override { return this; }
    QByteArray SavedHistory() const override { return history; }
    void RestoreHistory(const QByteArray &saved) override
    {
        record(QStringLiteral("RestoreHistory ") + QString::fromUtf8(saved));
    }
    QString LoadingURL() const override { return loadingURL; }
    bool LoadingIsCurrent() const override { return loadingIsCurrent; }
    void OffTheRecord() override { record(QStringLiteral("OffTheRecord")); }

    // The events, raised as the engine would.
    void raiseDocumentComplete() { emit DocumentComplete(this, locationURL); }
    void raiseLocationChange() { emit LocationChange(locationURL); }
    void raiseTitleChange() { emit TitleChange(locationName); }

    QStringList calls;
    QString locationURL;
    QString locationName;
    // What SavedHistory gives, and the address LoadingURL gives.
    QByteArray history;
    QString loadingURL;
    bool loadingIsCurrent = false;
    std::optional<QString> markup;
    bool busy = false;
    // The level the last OLECMDID_ZOOM set, read back by one without input.
    int textSize = 2;
    // Runs inside each call, before it is recorded (to look at files at that moment, say).
    std::function<void(const QString &call)> onCall;

private:
    void record(const QString &call);
};
