#pragma once

#include <functional>

class QWidget;
class WebView;

// Every main window gets its web view here: the engine adapter in the program, a fake in tests.
namespace WebViewFactory {
using Maker = std::function<WebView *(QWidget *parent)>;

WebView *create(QWidget *parent);
// Replaces the maker; an empty one restores the engine adapter.
void set(Maker maker);
} // namespace WebViewFactory
