#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;

namespace zelk::controls {

// A date field: the whole date is typed (the short format it shows, ISO, or "29 Feb
// 2004") and checked when the field is left; a text that is no date of
// the years 1980 to 3000 is not changed into one but refused with a message ("31 Feb
// 2004 is not a date") and the field keeps the focus. Alt+Down, F4 or the button at
// its end open a calendar.
class DateField : public QLineEdit {
    Q_OBJECT
public:
    DateField(QWidget* parent, const QString& name, const QDate& date);

    // The date last taken (typed and checked, chosen, or set).
    QDate date() const { return m_date; }
    void setDate(const QDate& date);
    // Takes the typed text; false, after the message (titled with the window's title),
    // when it is no date. Save calls it before it reads date().
    bool check();
    void showCalendar();

signals:
    void dateChanged(const QDate& date);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QDate m_date;
    bool m_checking = false;
    QCalendarWidget* m_calendar = nullptr;
};

// A date picker: a date field named `name`.
DateField* dateField(QWidget* parent, const QString& name, const QDate& date);

} // namespace zelk::controls
