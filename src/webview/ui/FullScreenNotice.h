#pragma once

#include <QLabel>

// The way out of full screen, said once at the top of the full-screen window for a few seconds.
class FullScreenNotice : public QLabel {
    Q_OBJECT

public:
    static constexpr int ShownMs = 3000;

    explicit FullScreenNotice(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
};
