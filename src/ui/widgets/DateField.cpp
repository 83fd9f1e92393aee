#include "DateField.h"

#include "core/data/UserPorts.h"
#include "core/shared/TypedDate.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QTimer>

namespace zelk::controls {

DateField::DateField(QWidget* parent, const QString& name, const QDate& date) : QLineEdit(parent) {
    setObjectName(name);
    QAction* open =
        addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    open->setObjectName(name + QStringLiteral("_calendar"));
    open->setToolTip(QStringLiteral("Calendar (Alt+Down)"));
    connect(open, &QAction::triggered, this, &DateField::showCalendar);
    setDate(date);
}

void DateField::setDate(const QDate& date) {
    const bool changed = date != m_date;
    m_date = date;
    setText(ShortDateText(date));
    if (changed)
        emit dateChanged(date);
}

bool DateField::check() {
    if (text() == ShortDateText(m_date))
        return true;
    const TypedDate typed = ParseTypedDate(text());
    if (typed.date.isValid()) {
        setDate(typed.date);
        return true;
    }
    m_checking = true; // the message takes the focus: no second check on the way
    ui().messageBox(typed.error, window()->windowTitle());
    m_checking = false;
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

void DateField::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    // Coming to the field by key or with its window, what is typed replaces the date.
    if (e->reason() != Qt::MouseFocusReason && e->reason() != Qt::PopupFocusReason)
        selectAll();
}

void DateField::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A popup (the calendar, a menu) or another window is no leaving of the field.
    if (m_checking || e->reason() == Qt::PopupFocusReason ||
        e->reason() == Qt::ActiveWindowFocusReason)
        return;
    // Checked once the focus has moved, so that the message does not interrupt the move.
    QTimer::singleShot(0, this, [this] {
        if (!m_checking && !hasFocus())
            check();
    });
}

void DateField::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F4 ||
        (e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier))) {
        showCalendar();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DateField::showCalendar() {
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setObjectName(objectName() + QStringLiteral("_popup"));
        m_calendar->setWindowFlags(Qt::Popup);
        m_calendar->setMinimumDate(QDate(FirstDateYear, 1, 1));
        m_calendar->setMaximumDate(QDate(LastDateYear, 12, 31));
        connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate& d) {
            m_calendar->hide();
            setDate(d);
            setFocus(Qt::PopupFocusReason);
        });
        connect(m_calendar, &QCalendarWidget::clicked, m_calendar, &QCalendarWidget::activated);
    }
    const TypedDate typed = ParseTypedDate(text());
    m_calendar->setSelectedDate(typed.date.isValid() ? typed.date : m_date);
    m_calendar->move(mapToGlobal(QPoint(0, height())));
    m_calendar->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

DateField* dateField(QWidget* parent, const QString& name, const QDate& date) {
    return new DateField(parent, name, date);
}

} // namespace zelk::controls
