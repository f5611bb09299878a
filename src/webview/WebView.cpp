#include "webview/WebView.h"

WebView::WebView(QWidget *parent) : QWidget(parent) {}
