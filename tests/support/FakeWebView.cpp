#include "support/FakeWebView.h"

#include "webview/WebViewFactory.h"

FakeWebView::FakeWebView(QWidget *parent) : WebView(parent)
{
    made().append(this);
}

QList<QPointer<FakeWebView>> &FakeWebView::made()
{
    static QList<QPointer<FakeWebView>> views;
    return views;
}

FakeWebView *FakeWebView::of(const QWidget *window)
{
    return window ? window->findChild<FakeWebView *>() : nullptr;
}

FakeWebView::Install::Install()
{
    made().clear();
    WebViewFactory::set([](QWidget *parent) { return new FakeWebView(parent); });
}

FakeWebView::Install::~Install()
{
    WebViewFactory::set({});
    made().clear();
}

void FakeWebView::ExecWB(int cmdID, int cmdexecopt, const QVariant &in, QVariant *out)
{
    QString call = QStringLiteral("ExecWB %1 %2").arg(cmdID).arg(cmdexecopt);
    if (cmdID == OLECMDID_ZOOM && in.isValid())
        textSize = in.toInt();
    else if (cmdID == OLECMDID_ZOOM && out)
        *out = textSize;
    if (in.isValid())
        call += QStringLiteral(" in=") + in.toString();
    if (out)
        call += QStringLiteral(" out=") + out->toString();
    record(call);
}

void FakeWebView::record(const QString &call)
{
    if (onCall)
        onCall(call);
    calls.append(call);
}
