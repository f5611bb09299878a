#pragma once

#include <QObject>
#include <QTimer>

// A text caret that blinks for ever wakes the program twice a second, and redraws its box, while
// nobody does anything. As with the desktop's other programs, the caret stops blinking (it stays
// shown) once no key or click has come for a while, and blinks again at the next one. One for the
// application, made in main().
class CaretRest : public QObject {
    Q_OBJECT

public:
    explicit CaretRest(int restAfterMs = 10000, QObject *parent = nullptr);
    ~CaretRest() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rest();
    void setFlashTime(int ms);

    QTimer m_idle;
    // The desktop's flash time, brought back when input comes.
    int m_flashTime;
    bool m_resting = false;
    bool m_setting = false;
};
