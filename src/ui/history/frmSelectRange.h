#pragma once

#include "ui/widgets/DateField.h"

#include <QDate>
#include <QDialog>

class QGroupBox;
class QListWidget;
class QPushButton;

// What the four range dialogs share: the caption "Select Range", the frame fraConfirm
// with "&Ok" and "&Cancel", and Confirmed. A dialog only hides itself on OK or Cancel;
// the caller reads Confirmed and the values and may show the same instance again, which
// finds its previous selection and values in place.
class SelectRangeDialog : public QDialog {
    Q_OBJECT
public:
    // True when the dialog was last closed with OK.
    bool Confirmed = false;

    // Closing by the window's close box or Escape is a Cancel.
    void reject() override;

protected:
    explicit SelectRangeDialog(QWidget* parent, const QString& name);
    // Lays the dialog out: the dialog's own frame above fraConfirm.
    void finishLayout(QGroupBox* fields);
    // OK: hand the choice back (Confirmed = true and hide) when it is complete;
    // otherwise nothing happens and the dialog stays open.
    virtual void cmdOk_Click() = 0;
    void cmdCancel_Click();
    void confirm();
    // With no year selected, scrolls the year list so that the current year is in
    // view (nothing is selected by it).

    QGroupBox* fraConfirm;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};

// A range of dates: From Date .. To Date, handed back as chosen (a start after the end
// too).
class frmSelectRange : public SelectRangeDialog {
    Q_OBJECT
public:
    explicit frmSelectRange(QWidget* parent = nullptr);
    // The dates the pickers show (at first the current calendar month).
    void setRange(const QDate& from, const QDate& to);

    QDate DateFrom;
    QDate DateTo;

private:
    void cmdOk_Click() override;

    QGroupBox* fraDate;
    zelk::controls::DateField* dtpFrom;
    zelk::controls::DateField* dtpTo;
};
