#pragma once

#include <functional>

class QWidget;
class WebView;

// Every main window gets its web view here: the engine adapter in the program, a fake in tests.
// The contract knows no maker of its own: the program's start installs the engine's as the
// default.
namespace WebViewFactory {
using Maker = std::function<WebView *(QWidget *parent)>;
WebView *create(QWidget *parent);
// The maker used unless one is set.
void setDefault(Maker maker);
// Replaces the maker; an empty one restores the default.
void set(Maker maker);
} // namespace WebViewFactory
