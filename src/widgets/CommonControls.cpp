#include "CommonControls.h"

#include "data/FiscalCalendar.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace zelk::controls {

QComboBox* monthList(QWidget* parent, const QString& name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    fillMonthList(combo);
    return combo;
}

void fillMonthList(QComboBox* combo) {
    combo->clear();
    for (int m = 1; m <= 12; ++m)
        combo->addItem(fiscal::monthName(m), m);
    combo->setCurrentIndex(-1);
}

int selectedMonth(const QComboBox* combo) {
    if (combo->currentIndex() < 0)
        return 0;
    return combo->currentData().toInt();
}

QListWidget* yearList(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    fillYearList(list);
    return list;
}

void fillYearList(QListWidget* list) {
    list->clear();
    for (int y = 1980; y <= 3000; ++y)
        list->addItem(QString::number(y));
    list->setCurrentRow(-1);
    list->clearSelection();
}

int selectedYear(const QListWidget* list) {
    const QList<QListWidgetItem*> sel = list->selectedItems();
    if (sel.isEmpty())
        return 0;
    return sel.first()->text().toInt();
}

QDateEdit* datePicker(QWidget* parent, const QString& name, const QDate& date) {
    auto* d = new QDateEdit(date, parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd MMM yyyy"));
    return d;
}

QGroupBox* frame(QWidget* parent, const QString& name) {
    auto* f = new QGroupBox(parent);
    f->setObjectName(name);
    return f;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* okCancelFrame(QWidget* parent, QPushButton** ok, QPushButton** cancel) {
    QGroupBox* f = frame(parent, QStringLiteral("fraConfirm"));
    *ok = button(f, QStringLiteral("cmdOk"), QStringLiteral("&Ok"));
    *cancel = button(f, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    (*ok)->setDefault(true);
    auto* row = new QHBoxLayout(f);
    row->addStretch(1);
    row->addWidget(*ok);
    row->addWidget(*cancel);
    return f;
}

} // namespace zelk::controls

void ProgressBarSink::setMaximum(int maximum) {
    m_bar->setMinimum(0);
    m_bar->setMaximum(maximum);
}

void ProgressBarSink::setValue(int value) {
    m_bar->setValue(value);
}

void ProgressBarSink::pumpEvents() {
    QApplication::processEvents();
}
