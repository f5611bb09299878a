#pragma once

#include <QWidget>

class QLabel;

// The About window: the product's name, version and maker beside a picture. One window serves
// the whole program; closing it discards it.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);

    // Creates the shared window if there is none, centred on the main window that opened it,
    // shows it modeless and without an owner, and brings it to the front.
    static Form2 *showShared(const QWidget *opener = nullptr);

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
};
