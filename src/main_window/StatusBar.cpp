#include "main_window/StatusBar.h"

#include "common/Product.h"
#include "common/Twips.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QTime>
#include <QTimer>
#include <algorithm>

namespace {
// Screen readers find the status bar by its role, and read its panels as its children.
QAccessibleInterface *accessibleStatusBar(const QString &className, QObject *object)
{
    if (className == QLatin1String(StatusBar::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
    return nullptr;
}

// Past the turn of the second or minute, so that the clock never reads the moment before it.
constexpr int ClockLateMs = 20;
// The longest the clock sleeps: how long it may show the time of before a suspend.
constexpr int ClockLongestMs = 10 * 1000;

} // namespace

StatusBar::StatusBar(QWidget *parent) : QWidget(parent), m_clock(new QTimer(this))
{
    static const bool accessible = (QAccessible::installFactory(accessibleStatusBar), true);
    Q_UNUSED(accessible);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const double dpi = Twips::dpiOf(this);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setTextFormat(Qt::PlainText);
        layout->addWidget(m_panels[i], i == 0 ? 1 : 0);
    }
    // Panel 1 takes what panels 2 and 3 leave, never less than its minimum. Panels 2 and 3 are
    // never narrower than their minimum and grow to show their whole text: the product name in
    // the design font, a clock in a longer regional format.
    m_panels[0]->setMinimumWidth(Twips::toPixels(900, dpi));
    m_panels[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel *fitted : {m_panels[1], m_panels[2]}) {
        fitted->setMinimumWidth(Twips::toPixels(1440, dpi));
        fitted->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }
    m_panels[1]->setText(Product::Name);

    // Ticks only while shown; each tick redraws only when the text changed. On time: a coarse
    // timer may be late by a twentieth of its interval, three seconds of a minute.
    m_clock->setTimerType(Qt::PreciseTimer);
    connect(m_clock, &QTimer::timeout, this, &StatusBar::showTime);
    showTime();
}

QString StatusBar::panelText(int number) const
{
    const QLabel *label = panel(number);
    return label ? label->text() : QString();
}

void StatusBar::setPanelText(int number, const QString &text)
{
    if (QLabel *label = panel(number))
        label->setText(text);
}

void StatusBar::showEvent(QShowEvent *event)
{
    showTime();
    m_clock->start();
    QWidget::showEvent(event);
}

void StatusBar::hideEvent(QHideEvent *event)
{
    m_clock->stop();
    QWidget::hideEvent(event);
}

void StatusBar::showTime()
{
    const QLocale locale = QLocale::system();
    const QTime now = QTime::currentTime();
    const QString text = locale.toString(now, QLocale::ShortFormat);
    if (m_panels[2]->text() != text)
        m_panels[2]->setText(text);
    // Woken when the text can next change: each second where the clock shows seconds (as in the
    // C locale), else at the next minute, so that an idle window sleeps; but at least every ten
    // seconds, as the timer's clock stands still while the machine is suspended.
    const bool showsSeconds = locale.timeFormat(QLocale::ShortFormat).contains(u's');
    const int intoPeriod = showsSeconds ? now.msec() : now.second() * 1000 + now.msec();
    m_clock->setInterval(
        std::min((showsSeconds ? 1000 : 60000) - intoPeriod + ClockLateMs, ClockLongestMs));
}

QLabel *StatusBar::panel(int number) const
{
    return number >= 1 && number <= 3 ? m_panels[number - 1] : nullptr;
}
