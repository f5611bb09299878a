#pragma once

#include <QProxyStyle>

class QToolBar;

// The toolbar's buttons and separators drawn close together: the eleven 32 x 32 pictures, their
// hover frames and the four separators must end before the search row on the toolbar's band,
// whatever the desktop's style would give them.
class ToolbarStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Puts the style on the toolbar and on every button and separator it holds now.
    static void apply(QToolBar *toolbar);

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &contentsSize,
                           const QWidget *widget) const override;

private:
    ToolbarStyle() = default;
};
