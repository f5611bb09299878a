#include "main_window/AddressSuggestions.h"

#include "lists/SuggestionIndex.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

AddressSuggestions::AddressSuggestions(QComboBox *box)
    : QObject(box), m_box(box), m_list(new QListWidget(box))
{
    // A window of its own over whatever lies below the box, that never takes the focus.
    m_list->setObjectName(QStringLiteral("Suggestions"));
    m_list->setAccessibleName(QStringLiteral("Suggestions"));
    m_list->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_list->setAttribute(Qt::WA_ShowWithoutActivating);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->hide();

    connect(box->lineEdit(), &QLineEdit::textEdited, this, &AddressSuggestions::offerFor);
    connect(m_list, &QListWidget::itemClicked, this, &AddressSuggestions::choose);
    box->installEventFilter(this);
    box->lineEdit()->installEventFilter(this);
    box->window()->installEventFilter(this);
}

void AddressSuggestions::offerFor(const QString &text)
{
    const QList<SuggestionIndex::Suggestion> found =
        SuggestionIndex::shared().suggest(text, MaxShown);
    if (found.isEmpty()) {
        close();
        return;
    }
    m_list->clear();
    for (const SuggestionIndex::Suggestion &suggestion : found) {
        auto *item = new QListWidgetItem(suggestion.favourite
                                             ? QStringLiteral("\u2605 ") + suggestion.address
                                             : suggestion.address,
                                         m_list);
        item->setData(Qt::UserRole, suggestion.address);
    }
    m_list->setCurrentRow(-1);
    const int rows = m_list->count();
    const int height = rows * m_list->sizeHintForRow(0) + 2 * m_list->frameWidth();
    m_list->setGeometry(
        QRect(m_box->mapToGlobal(QPoint(0, m_box->height())), QSize(m_box->width(), height)));
    m_list->show();
}

bool AddressSuggestions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box->window()) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
            event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
            close();
        return false;
    }
    // The box's own list of favourites (a click on its arrow, Alt+Down, F4) takes the place of
    // this one.
    if (event->type() == QEvent::FocusOut || event->type() == QEvent::MouseButtonPress) {
        close();
        return false;
    }
    return m_list->isVisible() && handleKey(event);
}

bool AddressSuggestions::handleKey(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_F4 || (key->modifiers() & Qt::AltModifier)) {
        close();
        return false;
    }
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    const int row = m_list->currentRow();
    switch (key->key()) {
    case Qt::Key_Escape:
        // Before the window's own Esc: the list closes, the typed text stays.
        if (event->type() == QEvent::ShortcutOverride)
            event->accept();
        else
            close();
        return true;
    case Qt::Key_Down:
        if (event->type() == QEvent::KeyPress)
            m_list->setCurrentRow(std::min(row + 1, m_list->count() - 1));
        return event->type() == QEvent::KeyPress;
    case Qt::Key_Up:
        if (event->type() == QEvent::KeyPress)
            m_list->setCurrentRow(std::max(row - 1, -1));
        return event->type() == QEvent::KeyPress;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Nothing chosen: Enter visits what was typed, as ever.
        if (event->type() != QEvent::KeyPress)
            return false;
        if (row < 0) {
            close();
            return false;
        }
        choose(m_list->item(row));
        return true;
    default:
        return false;
    }
}

void AddressSuggestions::choose(QListWidgetItem *item)
{
    const QString address = item->data(Qt::UserRole).toString();
    close();
    emit chosen(address);
}

void AddressSuggestions::close()
{
    // Emptied only by the next offer: a click may still be on its way through an item.
    m_list->hide();
}
