#pragma once

#include "ui/reports/frmRptOption.h"

// The month window of a custom report: the report option window with the name of the
// definition to print.
class frmCustomReportPrint : public frmRptOption {
    Q_OBJECT
public:
    explicit frmCustomReportPrint(QWidget* parent = nullptr);

    // Keeps the name and shows the window modally; returns when it is hidden.
    void PrintCustomReport(const QString& ReportName);

protected:
    zelk::reports::BuildResult build(zelk::reports::ReportRun& run) override;

private:
    QString m_reportName;
};
