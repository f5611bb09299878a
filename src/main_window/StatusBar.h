#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The main window's status bar: panel 1 the web view's status text, panel 2 the product name,
// panel 3 a clock that keeps itself current.
class StatusBar : public QWidget {
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent = nullptr);

    // Panels are numbered from 1.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showTime();
    QLabel *panel(int number) const;

    QLabel *m_panels[3];
    QTimer *m_clock;
};
