#pragma once

#include <QWidget>

class QPushButton;

// The offer to bring back the windows of a run that ended without the user's choice: a slim bar
// over the bottom of a window's page. Either answer takes it away for good.
class RestoreBar : public QWidget {
    Q_OBJECT

public:
    // Lies over the bottom of the page, inside it.
    RestoreBar(int windows, QWidget *page);

    QPushButton *restoreButton() const { return m_restore; }
    QPushButton *notNowButton() const { return m_notNow; }

signals:
    void restore();
    void notNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answered();
    void place();

    QPushButton *m_restore;
    QPushButton *m_notNow;
};
