#pragma once

#include <QMessageBox>

// "This site wants to download several files": asked in front of the window whose page started
// them, without blocking that window (a modal question would leave it deaf to typed addresses
// and its close box). Closing the window closes the question unanswered, which is No.
class DownloadsQuestion : public QMessageBox {
    Q_OBJECT

public:
    DownloadsQuestion(const QString &site, QWidget *owner);

    // Shows the question over the parent's window and waits for its answer.
    static bool ask(QWidget *parent, const QString &site);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_owner;
};
