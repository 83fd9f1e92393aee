#pragma once

#include "core/reports/ReportSave.h"

#include <QString>

class QPrinter;
class QWidget;

// The save and printer dialogs of the report viewer, behind a small interface so that
// tests can choose a file or a printer without a dialog on the screen.
class ReportDialogs {
public:
    virtual ~ReportDialogs() = default;
    // The save dialog ("Save Report"; Text File, Rich Text, PDF). The chosen file name
    // (empty when the dialog was cancelled) and the file type chosen in its list.
    struct SaveChoice {
        QString fileName;
        zelk::reports::SaveFormat type = zelk::reports::SaveFormat::Text;
    };
    virtual SaveChoice chooseSaveFile(QWidget* parent) = 0;
    // The printer dialog over `printer` (its print range already set: the selection when
    // there is one). False when the dialog was cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
};

// The dialogs in use: the real ones unless a test has installed its own.
ReportDialogs& reportDialogs();
// Installs `dialogs` (nullptr: the real dialogs again).
void setReportDialogs(ReportDialogs* dialogs);
